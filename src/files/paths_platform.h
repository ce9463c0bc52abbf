// The platform halves of the path utilities.
#ifndef DRAV_FILES_PATHS_PLATFORM_H_
#define DRAV_FILES_PATHS_PLATFORM_H_

#include <string>

/// The separator that joinPath writes between a folder and a name.
extern const char kPathSeparator;

/// The full path of the running executable; "" when it can't be found.
std::string executablePath();

#endif  // DRAV_FILES_PATHS_PLATFORM_H_
