#include "install/install_rules.h"

#include <ctype.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "app/path_file.h"
#include "assets/asset_types.h"
#include "console/console.h"
#include "files/directory.h"
#include "files/file_copy.h"
#include "files/paths.h"
#include "platform/files.h"
#include "platform/strings.h"

namespace {

// Extensions that a platform runs or loads as code. A subscribed item is
// someone else's content, so such files are never put into the game.
const char* const kProgramExtensions[] = {
    ".exe", ".dll",  ".com", ".bat", ".cmd",      ".ps1", ".psm1",  ".vbs",
    ".vbe", ".scr",  ".msi", ".msp", ".sh",       ".so",  ".dylib", ".appimage",
    ".x86", ".x86_64", ".py", ".pyw", ".jar",     ".desktop", ".lnk", ".url",
    ".js",  ".jse",  ".hta", ".cpl", ".pif",      ".reg", ".wsf",   ".wsh",
    ".asi", ".sys",  ".drv", ".ocx", ".inf",      ".run", ".pl",    ".rb",
    ".command", ".scf", ".msc"};

// The tool's own files, kept beside it in the game's folder.
const char* const kToolFiles[] = {
    "drav-workshop", "drav-workshop.exe", "drav-localsteam", "drav-localsteam.exe",
    "steam_api.dll", "steam_api64.dll",   "libsteam_api.so", "workshoppath.txt",
    "_default_workshop_.png", "steam_appid.txt", "_drav_workshop_temp_"};

// The folders that an install writes into, even before they exist.
const char* const kInstallFolders[] = {"levels", "ai", "web", "recordings"};

bool isProgramName(const std::string& name) {
  for (const char* extension : kProgramExtensions) {
    if (endsWith(name, extension))
      return true;
  }
  // A versioned shared library: "libx.so.1", "libx.so.1.2".
  size_t library = name.rfind(".so.");
  if (library == std::string::npos)
    return false;
  for (size_t i = library + 4; i < name.size(); ++i) {
    if (!isdigit(static_cast<unsigned char>(name[i])) && name[i] != '.')
      return false;
  }
  return true;
}

bool isOneOf(const std::string& name, const char* const* names, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (name == names[i])
      return true;
  }
  return false;
}

// Why the file `source` of an item, of `type`, may not go to
// `destination`; "" when it may.
std::string skipReason(const std::string& source, int type, const std::string& destination) {
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

}  // namespace

std::string windowsComparableName(const std::string& name) {
  size_t end = name.find_last_not_of(". ");
  std::string comparable = end == std::string::npos ? "" : name.substr(0, end + 1);
  for (char& c : comparable)
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return comparable;
}

std::string installRefusal(const std::string& name) {
  std::string comparable = windowsComparableName(name);
  if (isProgramName(comparable))
    return "program files are never installed.";
  if (isOneOf(comparable, kToolFiles, sizeof kToolFiles / sizeof *kToolFiles) ||
      comparable == kWorkshopLockName || startsWith(comparable, cTemporaryFile::kPrefix))
    return "the tool's own files are never replaced.";
  if (isOneOf(comparable, kInstallFolders, sizeof kInstallFolders / sizeof *kInstallFolders))
    return "the game's folders keep their names.";
  return "";
}

cInstallStep planInstallStep(const std::string& workshopPath, const std::string& itemFolder,
                             const std::string& name) {
  cInstallStep step;
  step.name = name;
  step.source = joinPath(itemFolder, name);
  step.type = detectAssetType(name);
  std::string subfolder = assetTypeInstallFolder(step.type);
  step.subfolder = !subfolder.empty();
  step.folder = step.subfolder ? joinPath(workshopPath, subfolder) : workshopPath;
  step.destination = joinPath(step.folder, name);
  step.skipReason = skipReason(step.source, step.type, step.destination);
  return step;
}

bool carryOutInstallStep(const cInstallStep& step, std::string* why) {
  if (step.subfolder && !createFolder(step.folder)) {
    if (why)
      *why = "Failed to create the folder " + printableText(getFileName(step.folder));
    return false;
  }
  return copyFile(step.source, step.destination, why);
}

void removeInstallTemporaries(const std::string& workshopPath) {
  removeLeftoverTemporaries(workshopPath);
  for (int type = Map; type <= Recording; ++type) {
    if (!assetTypeInstallFolder(type).empty())
      removeLeftoverTemporaries(joinPath(workshopPath, assetTypeInstallFolder(type)));
  }
}

bool findItemFolder(ISteamUGC* ugc, PublishedFileId_t id, std::string* folder) {
  const uint32_t kFolderBufferSize = 1024;
  std::vector<char> buffer(kFolderBufferSize);
  uint64_t size = 0;
  uint32_t timeStamp = 0;
  if (!ugc->GetItemInstallInfo(id, &size, buffer.data(), kFolderBufferSize, &timeStamp))
    return false;
  size_t length = strnlen(buffer.data(), buffer.size());
  *folder = length + 1 < buffer.size() ? std::string(buffer.data(), length) : "";
  return true;
}

std::vector<PublishedFileId_t> subscribedItems(ISteamUGC* ugc) {
  const uint32_t kMaxSubscriptions = 10000;
  std::vector<PublishedFileId_t> ids(kMaxSubscriptions);
  ids.resize(std::min(ugc->GetSubscribedItems(ids.data(), kMaxSubscriptions), kMaxSubscriptions));
  return ids;
}
