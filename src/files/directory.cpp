#include "files/directory.h"

#include "files/paths.h"
#include "platform/files.h"

bool createFolders(const std::string& path) {
  if (fileStatus(path).kind == kFolder)
    return true;
  std::string parent = getFolderPath(path);
  if (!parent.empty() && parent != path && !createFolders(parent))
    return false;
  return createFolder(path) && fileStatus(path).kind == kFolder;
}
