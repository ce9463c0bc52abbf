#include <limits.h>
#include <unistd.h>

#include "files/paths_platform.h"

const char kPathSeparator = '/';

std::string executablePath() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer));
  if (length <= 0 || length == static_cast<ssize_t>(sizeof(buffer)))
    return std::string();
  return std::string(buffer, static_cast<size_t>(length));
}
