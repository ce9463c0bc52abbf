// Menu action 3: bring every subscribed item onto disk and copy its files
// into the game's folders by asset kind.
#include <string.h>

#include <iostream>
#include <vector>

#include "app/workshop.h"
#include "console/console.h"
#include "files/directory.h"
#include "files/file_copy.h"
#include "files/paths.h"
#include "install/install_rules.h"
#include "platform/files.h"
#include "platform/strings.h"

namespace {

const uint32_t kMaxSubscriptions = 10000;
const uint32_t kFolderBufferSize = 1024;

// Removes the temporary files that a killed copy of the tool left in
// `folder`; the workshop path's lock keeps every other copy out of it.
void removeLeftoverTemporaries(const std::string& folder) {
  std::vector<std::string> names;
  listFiles(folder, &names);
  for (const std::string& name : names) {
    std::string path = joinPath(folder, name);
    if (startsWith(name, cTemporaryFile::kPrefix) &&
        fileStatus(path, false).kind == kRegularFile)
      removeFile(path);
  }
}

// The item folder's path that Steam wrote into `buffer`; "" (no folder)
// when the text fills the buffer, as it may then be cut short and name
// another folder.
std::string folderText(const std::vector<char>& buffer) {
  size_t length = strnlen(buffer.data(), buffer.size());
  return length + 1 < buffer.size() ? std::string(buffer.data(), length) : "";
}

void reportSkip(const std::string& name, const std::string& reason) {
  std::cout << red << "\nSkipped \"" << printableText(name) << "\": " << reason;
}

// Why the file `source` of an item, of `type`, may not go to
// `destination`; "" when it may. Only regular files are installed, and
// never over a folder or a link.
std::string skipReason(const std::string& source, AssetType type,
                       const std::string& destination) {
  if (fileStatus(source, false).kind != kRegularFile)
    return "only regular files are installed.";
  if (type == Unrecognised) {
    std::string refusal = installRefusal(getFileName(source));
    if (!refusal.empty())
      return refusal;
  }
  FileKind existing = fileStatus(destination, false).kind;
  if (existing == kFolder || existing == kLink)
    return "a folder or link is in its place.";
  return "";
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
  removeLeftoverTemporaries(workshopPath);
  for (int type = Map; type <= Recording; ++type) {
    if (!assetTypeInstallFolder(type).empty())
      removeLeftoverTemporaries(joinPath(workshopPath, assetTypeInstallFolder(type)));
  }

  std::vector<char> folder(kFolderBufferSize);
  uint64_t sizeOnDisk = 0;
  uint32_t timeStamp = 0;
  for (uint32_t i = 0; i < count && i < kMaxSubscriptions; ++i) {
    PublishedFileId_t id = ids[i];
    bool onDisk = ugc->GetItemInstallInfo(id, &sizeOnDisk, folder.data(),
                                          kFolderBufferSize, &timeStamp);
    if (onDisk) {
      if (installItemFolder(folderText(folder), id))
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
    if (!installItemFolder(folderText(folder), id) && onDisk) {
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
    std::string subfolder = assetTypeInstallFolder(type);
    std::string destination =
        subfolder.empty() ? workshopPath : joinPath(workshopPath, subfolder);
    std::string source = joinPath(folder, name);
    std::string reason = skipReason(source, type, joinPath(destination, name));
    if (!reason.empty()) {
      reportSkip(name, reason);
      continue;
    }
    std::cout << cyan << "\nInstalling the " << assetTypeName(type) << " \""
              << printableText(name) << "\"...";
    bool placed = subfolder.empty() || createFolder(destination);
    placed = placed && copyFile(source, joinPath(destination, name));
    if (!placed) {
      std::cout << red << "failed!";
      return false;
    }
  }
  std::cout << green << "done!";
  return true;
}
