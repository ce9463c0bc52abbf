#include "files/file_copy.h"

#include <iostream>

#include "console/console.h"
#include "files/paths.h"
#include "platform/files.h"

namespace {

/// The failure line of a copy: what failed, the file's name and, when
/// known, the system's reason on the same line; into `why` when given,
/// else printed.
void reportFailure(std::string* why, const char* what, const std::string& path,
                   const std::string& reason = "") {
  std::string line = what + printableText(getFileName(path));
  if (!reason.empty())
    line += ": " + reason;
  if (why)
    *why = line;
  else
    std::cout << red << "\n" << line << "\n";
}

enum DestinationState {
  kDestinationFree,       // missing, or a file that may be replaced
  kDestinationIsSource,   // the source itself, under whatever spelling or link
  kDestinationProtected,  // marked read-only (on POSIX: no write permission
                          // for anyone, so root is refused as well)
};

/// What stands at `destination` of a copy from `source`, found with as few
/// looks as possible: mostly the destination is missing.
DestinationState inspectDestination(const std::string& source,
                                    const std::string& destination) {
  FileStatus target = fileStatus(destination);
  if (target.kind == kMissing)
    return kDestinationFree;
  if (isSameFile(source, destination))
    return kDestinationIsSource;
  return (target.permissions & 0222) ? kDestinationFree : kDestinationProtected;
}

}  // namespace

bool fileExists(const std::string& path) {
  return isReadableFile(path);
}

// A missing source is no copy and reports nothing; copyFileAtomically tells
// it from the one open of the source, which an install makes for every
// file.
bool copyFile(const std::string& source, const std::string& destination, std::string* why) {
  DestinationState state = inspectDestination(source, destination);
  // Writing the destination would truncate the source it is.
  if (state == kDestinationIsSource)
    return fileExists(source);
  // Replacing by rename would get past a read-only file; refuse it as
  // opening it for writing would.
  if (state == kDestinationProtected) {
    if (fileExists(source))
      reportFailure(why, "Failed to write to ", destination);
    return false;
  }
  std::string reason;
  CopyOutcome outcome = copyFileAtomically(source, destination, &reason);
  if (outcome == kSourceUnreadable || outcome == kReadFailed)
    reportFailure(why, "Failed to read ", source, reason);
  else if (outcome == kTargetUnwritable || outcome == kWriteFailed)
    reportFailure(why, "Failed to write to ", destination, reason);
  return outcome == kCopied;
}
