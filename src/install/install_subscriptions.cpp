// Menu action 3: bring every subscribed item onto disk and copy its files
// into the game's folders by asset kind.
#include <iostream>
#include <vector>

#include "app/workshop.h"
#include "console/console.h"
#include "install/install_rules.h"

namespace {

void reportSkip(const std::string& name, const std::string& reason) {
  std::cout << red << "\nSkipped \"" << printableText(name) << "\": " << reason;
}

}  // namespace

void cWorkshop::installSubscriptions() {
  std::vector<PublishedFileId_t> ids = subscribedItems(ugc);
  if (ids.empty()) {
    std::cout << red << "\nYou are not subscribed to any workshop items.\n";
    actionDone = true;
    return;
  }
  std::cout << green << "\nInstalling workshop items...\n" << cyan;
  removeInstallTemporaries(workshopPath);

  std::string folder;
  for (PublishedFileId_t id : ids) {
    bool onDisk = findItemFolder(ugc, id, &folder);
    if (onDisk) {
      if (installItemFolder(folder, id))
        continue;
      std::cout << cyan << "\nDownloading...";
    } else {
      std::cout << magenta << "\n" << id << " is not up to date!\n"
                << cyan << "Downloading...";
    }
    if (!downloadItem(id) || !findItemFolder(ugc, id, &folder))
      continue;
    if (!installItemFolder(folder, id) && onDisk) {
      std::cout << red << "\nDownload cache appears to be corrupted. Run " << yellow
                << " \"Verify integrity of game cache\" " << red << "in Steam. ";
    }
  }
  actionDone = true;
}

bool cWorkshop::installItemFolder(const std::string& folder, PublishedFileId_t itemId) {
  // A folder that can't be listed is missing, a file, or unreadable: none
  // of them can be installed.
  std::vector<std::string> names;
  if (!listFiles(folder, &names)) {
    std::cout << red << "\nThe path for asset: " << itemId << " does not exist!.";
    return false;
  }
  for (const std::string& name : names) {
    cInstallStep step = planInstallStep(workshopPath, folder, name);
    if (!step.skipReason.empty()) {
      reportSkip(name, step.skipReason);
      continue;
    }
    std::cout << cyan << "\nInstalling the " << assetTypeName(step.type) << " \""
              << printableText(name) << "\"...";
    if (!carryOutInstallStep(step)) {
      std::cout << red << "failed!";
      return false;
    }
  }
  std::cout << green << "done!";
  return true;
}
