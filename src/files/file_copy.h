// Copying one file, and whether a path names a readable file.
#ifndef DRAV_FILES_FILE_COPY_H_
#define DRAV_FILES_FILE_COPY_H_

#include <string>

/// True when `path` names a file that can be opened for reading.
bool fileExists(const std::string& path);

/// Copies `source` to `destination` byte for byte. The copy is written to a
/// temporary file beside the destination and renamed over it only when
/// complete, so a failure leaves an existing destination as it was.
/// Prints "\nFailed to read NAME\n" or "\nFailed to write to NAME\n" in red
/// when a stream can't be opened, or puts that line, without the line
/// breaks, into `why` when given. True when the destination holds the copy.
bool copyFile(const std::string& source, const std::string& destination,
              std::string* why = nullptr);

#endif  // DRAV_FILES_FILE_COPY_H_
