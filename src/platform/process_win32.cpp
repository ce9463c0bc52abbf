#include "platform/process.h"

#include <stdlib.h>
#include <windows.h>
#include <shellapi.h>

uint32_t currentProcessId() {
  return static_cast<uint32_t>(GetCurrentProcessId());
}

std::string executablePath() {
  char buffer[2048];
  DWORD length = GetModuleFileNameA(NULL, buffer, sizeof(buffer));
  // A full buffer means the path was cut short.
  if (length == 0 || length == sizeof(buffer))
    return std::string();
  return std::string(buffer, length);
}

void setEnvironmentDefault(const char* name, const std::string& value) {
  if (GetEnvironmentVariableA(name, nullptr, 0) > 0)
    return;
  // Libraries read the process environment; the C runtime keeps its own
  // copy, which getenv reads.
  SetEnvironmentVariableA(name, value.c_str());
  _putenv((std::string(name) + "=" + value).c_str());
}

void sleepMilliseconds(uint32_t milliseconds) {
  Sleep(milliseconds);
}

void openFolder(const std::string& folder) {
  ShellExecuteA(nullptr, "open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
