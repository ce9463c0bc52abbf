// The path file: the one line that keeps the workshop path between runs;
// and the lock file that marks a workshop path as in use by a copy of the tool.
#ifndef DRAV_APP_PATH_FILE_H_
#define DRAV_APP_PATH_FILE_H_

#include <string>

/// Reads the path file: every line, without its line break, joined. False
/// (and `path` untouched) when the file can't be opened.
bool readPathFile(const std::string& fileName, std::string* path);

/// Replaces the path file with `path` exactly, through a temporary file
/// renamed over it. False when the file could not be written.
bool writePathFile(const std::string& fileName, const std::string& path);

/// The lock file in the workshop path, held while a copy of the tool uses it.
extern const char kWorkshopLockName[];

#endif  // DRAV_APP_PATH_FILE_H_
