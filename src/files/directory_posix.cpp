#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/directory.h"
#include "files/paths.h"
#include "platform/files.h"

namespace {

struct FolderEntry {
  std::string name;
  bool isFolder;
};

bool isDotOrDotDot(const char* name) {
  return name[0] == '.' &&
         (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

/// Whether `entry` of `folder` is a folder. The listing tells for most
/// entries; links, and file systems that don't say, are looked up.
bool isFolder(const std::string& folder, const dirent& entry, bool followLinks) {
  if (entry.d_type == DT_DIR)
    return true;
  if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
    return false;
  if (entry.d_type == DT_LNK && !followLinks)
    return false;
  // An entry that can't be examined (a dangling link) is no folder.
  return fileStatus(joinPath(folder, entry.d_name), followLinks).kind == kFolder;
}

/// Appends every entry of `folder` but "." and ".." to `entries`, in the
/// file system's order. `followLinks` decides whether a link to a folder
/// counts as a folder. False when the folder can't be opened; `error` gets
/// the errno of the failing call, or 0.
bool readFolder(const std::string& folder, bool followLinks,
                std::vector<FolderEntry>* entries, int* error) {
  *error = 0;
  DIR* dir = opendir(folder.c_str());
  if (!dir) {
    *error = errno;
    return false;
  }
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir);
    if (!entry) {
      *error = errno;
      break;
    }
    if (isDotOrDotDot(entry->d_name))
      continue;
    entries->push_back(FolderEntry{entry->d_name, isFolder(folder, *entry, followLinks)});
  }
  closedir(dir);
  return true;
}

/// Gives the owner of `folder` full rights on it, so that a read-only
/// folder's entries can be read and removed. Returns 0 or errno.
int openUpFolder(const std::string& folder) {
  FileStatus status = fileStatus(folder);
  if (status.kind == kMissing)
    return ENOENT;
  if ((status.permissions & S_IRWXU) == S_IRWXU)
    return 0;
  mode_t mode = static_cast<mode_t>(status.permissions) | S_IRWXU;
  return chmod(folder.c_str(), mode) == 0 ? 0 : errno;
}

}  // namespace

bool listFiles(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  std::vector<FolderEntry> entries;
  int error;
  // A link to a folder counts as that folder, as the Windows search has
  // it; a listing that breaks off part-way keeps what it has read.
  bool opened = readFolder(folder, true, &entries, &error);
  for (const FolderEntry& entry : entries) {
    if (!entry.isFolder)
      names->push_back(entry.name);
  }
  return opened;
}

bool createFolder(const std::string& path) {
  return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

bool listFolders(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  std::vector<FolderEntry> entries;
  int error;
  bool opened = readFolder(folder, false, &entries, &error);
  for (const FolderEntry& entry : entries) {
    if (entry.isFolder)
      names->push_back(entry.name);
  }
  return opened && error == 0;
}

uint32_t cFileSystem::deleteFolder(const std::string& folder,
                                   bool withSubfolders) {
  // A link in the folder's place goes as a link; its target is not ours.
  FileKind kind = fileStatus(folder, false).kind;
  if (kind == kLink)
    return unlink(folder.c_str()) == 0 ? 0 : errno;
  if (kind != kFolder)
    return 0;
  if (int error = openUpFolder(folder))
    return error;
  // Links are examined as themselves, so they are unlinked, never entered.
  std::vector<FolderEntry> entries;
  int error;
  if (!readFolder(folder, false, &entries, &error))
    return 0;
  if (error)
    return error;
  bool subfolderLeft = false;
  for (const FolderEntry& entry : entries) {
    std::string path = joinPath(folder, entry.name);
    if (!entry.isFolder) {
      if (unlink(path.c_str()) != 0)
        return errno;
    } else if (!withSubfolders) {
      subfolderLeft = true;
    } else if (uint32_t code = deleteFolder(path, withSubfolders)) {
      return code;
    }
  }
  if (subfolderLeft)
    return 0;
  return rmdir(folder.c_str()) == 0 ? 0 : errno;
}
