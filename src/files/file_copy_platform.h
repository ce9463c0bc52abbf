// The platform halves of copyFile.
#ifndef DRAV_FILES_FILE_COPY_PLATFORM_H_
#define DRAV_FILES_FILE_COPY_PLATFORM_H_

#include <string>

#include "files/file_copy.h"

enum CopyOutcome {
  kCopied,
  kSourceMissing,  // missing, a folder, or not readable: nothing to report
  kSourceUnreadable,
  kTargetUnwritable,
  kTransferFailed,
};

/// True when `path` names a file, not a folder, that can be opened for
/// reading.
bool isReadableFile(const std::string& path);

enum DestinationState {
  kDestinationFree,       // missing, or a file that may be replaced
  kDestinationIsSource,   // the source itself, under whatever spelling or link
  kDestinationProtected,  // marked read-only (on POSIX: no write permission
                          // for anyone, so root is refused as well)
};

/// What stands at `destination` of a copy from `source`, found with as few
/// looks as possible: mostly the destination is missing.
DestinationState inspectDestination(const std::string& source,
                                    const std::string& destination);

/// Copies `source` byte for byte into `target`, which is created or
/// truncated, and closes both. The source is opened first: when it is no
/// readable file (kSourceMissing) no target is created. kSourceUnreadable is
/// a file that exists but refuses to be opened; kTransferFailed covers a
/// failed read, write or close after both files were opened.
CopyOutcome copyToNewFile(const std::string& source, const std::string& target);

/// Removes the file `path` if it exists.
void discardFile(const std::string& path);

unsigned long currentProcessId();

#endif  // DRAV_FILES_FILE_COPY_PLATFORM_H_
