// Menu action 3: bring every subscribed item onto disk and copy its files
// into the game's folders by asset kind.
#include <ctype.h>

#include <iostream>
#include <vector>

#include "app/workshop.h"
#include "console/console.h"
#include "files/directory.h"
#include "files/file_copy.h"
#include "files/paths.h"
#include "platform/strings.h"

namespace {

const uint32_t kMaxSubscriptions = 10000;
const uint32_t kFolderBufferSize = 1024;

// Extensions that a platform runs or loads as code. A subscribed item is
// someone else's content, so such files are never put into the game.
const char* const kProgramExtensions[] = {".exe", ".dll", ".com", ".bat",
                                          ".cmd", ".ps1", ".vbs", ".scr",
                                          ".msi", ".sh",  ".so",  ".dylib"};

bool isProgramFile(const std::string& name) {
  std::string lower = name;
  for (char& c : lower)
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  for (const char* extension : kProgramExtensions) {
    if (endsWith(lower, extension))
      return true;
  }
  return false;
}

}  // namespace

void cWorkshop::installSubscriptions() {
  std::vector<PublishedFileId_t> ids(kMaxSubscriptions);
  uint32_t count = ugc->GetSubscribedItems(ids.data(), kMaxSubscriptions);
  if (count < 1) {
    std::cout << red << "\nYou are not subscribed to any workshop items.\n";
    actionDone = true;
    return;
  }
  std::cout << green << "\nInstalling workshop items...\n" << cyan;

  std::vector<char> folder(kFolderBufferSize);
  uint64_t sizeOnDisk = 0;
  uint32_t timeStamp = 0;
  for (uint32_t i = 0; i < count && i < kMaxSubscriptions; ++i) {
    PublishedFileId_t id = ids[i];
    bool onDisk = ugc->GetItemInstallInfo(id, &sizeOnDisk, folder.data(),
                                          kFolderBufferSize, &timeStamp);
    if (onDisk) {
      if (installItemFolder(folder.data(), id))
        continue;
      std::cout << cyan << "\nDownloading...";
    } else {
      std::cout << magenta << "\n" << id << " is not up to date!\n"
                << cyan << "Downloading...";
    }
    if (!downloadItem(id))
      continue;
    if (!ugc->GetItemInstallInfo(id, &sizeOnDisk, folder.data(), kFolderBufferSize,
                                 &timeStamp)) {
      continue;
    }
    if (!installItemFolder(folder.data(), id) && onDisk) {
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
    AssetType type = detectAssetType(name);
    if (type == Unrecognised && isProgramFile(name)) {
      std::cout << red << "\nSkipped \"" << name
                << "\": program files are never installed.";
      continue;
    }
    std::cout << cyan << "\nInstalling the " << assetTypeName(type) << " \"" << name
              << "\"...";
    std::string destination = workshopPath;
    std::string subfolder = assetTypeInstallFolder(type);
    bool placed = true;
    if (!subfolder.empty()) {
      destination = joinPath(workshopPath, subfolder);
      placed = createFolder(destination);
    }
    placed = placed && copyFile(joinPath(folder, name), joinPath(destination, name));
    if (!placed) {
      std::cout << red << "failed!";
      return false;
    }
  }
  std::cout << green << "done!";
  return true;
}
