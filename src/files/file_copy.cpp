#include "files/file_copy.h"

#include <iostream>

#include "console/console.h"
#include "files/file_copy_platform.h"
#include "files/paths.h"

namespace {

void reportFailure(const char* what, const std::string& path) {
  std::cout << red << what << getFileName(path) << "\n";
}

}  // namespace

bool fileExists(const std::string& path) {
  return isReadableFile(path);
}

// A missing source is no copy and reports nothing; copyToNewFile tells it
// from the one open of the source, which an install makes for every file.
bool copyFile(const std::string& source, const std::string& destination) {
  DestinationState state = inspectDestination(source, destination);
  // Writing the destination would truncate the source it is.
  if (state == kDestinationIsSource)
    return fileExists(source);
  // Replacing by rename would get past a read-only file; refuse it as
  // opening it for writing would.
  if (state == kDestinationProtected) {
    if (fileExists(source))
      reportFailure("\nFailed to write to ", destination);
    return false;
  }
  // Beside the destination, so the rename stays within one file system,
  // under a short name of its own: the destination's name may already be
  // as long as the file system allows.
  std::string temporary = destination.substr(0, destination.find_last_of("/\\") + 1) +
                          ".drav-tmp-" + std::to_string(currentProcessId());
  CopyOutcome outcome = copyToNewFile(source, temporary);
  if (outcome == kSourceMissing)
    return false;
  if (outcome == kCopied && !replaceFile(temporary, destination))
    outcome = kTargetUnwritable;
  if (outcome == kCopied)
    return true;
  discardFile(temporary);
  if (outcome == kSourceUnreadable)
    reportFailure("\nFailed to read ", source);
  else if (outcome == kTargetUnwritable)
    reportFailure("\nFailed to write to ", destination);
  return false;
}
