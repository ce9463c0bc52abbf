// Folder operations: listing files, creating and deleting folders.
#ifndef DRAV_FILES_DIRECTORY_H_
#define DRAV_FILES_DIRECTORY_H_

#include <stdint.h>

#include <string>
#include <vector>

/// Fills `names` with the names of the entries of `folder` that are not
/// folders, in the file system's order. False (and no names) when the
/// folder can't be opened.
bool listFiles(const std::string& folder, std::vector<std::string>* names);

/// Fills `names` with the names of the entries of `folder` that are
/// folders themselves (a link is never one), in the file system's order.
/// False when the folder can't be opened or read to its end.
bool listFolders(const std::string& folder, std::vector<std::string>* names);

/// Creates the one folder `path`; true when it was created or a file or
/// folder of that name already exists.
bool createFolder(const std::string& path);

/// Creates `path` and every missing folder above it; true when `path` is a
/// folder then.
bool createFolders(const std::string& path);

/// The tool's file utility object; one exists for the whole run.
class cFileSystem {
 public:
  /// Deletes everything inside `folder` (and, with `withSubfolders`, its
  /// subfolders and then the folder itself). Links are removed, never
  /// followed, a link standing at `folder` itself included. Returns 0 on success or when the folder is missing, else the
  /// platform error code of the first failing call (a Win32 error on
  /// Windows, errno elsewhere).
  uint32_t deleteFolder(const std::string& folder, bool withSubfolders);
};

#endif  // DRAV_FILES_DIRECTORY_H_
