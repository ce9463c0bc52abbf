#include <windows.h>

#include "files/paths_platform.h"

const char kPathSeparator = '\\';

std::string executablePath() {
  char buffer[2048];
  DWORD length = GetModuleFileNameA(NULL, buffer, sizeof(buffer));
  // A full buffer means the path was cut short.
  if (length == 0 || length == sizeof(buffer))
    return std::string();
  return std::string(buffer, length);
}
