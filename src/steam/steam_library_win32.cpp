// Opening the Steam library on Windows: only by full path from the tool's
// own folder, never through the DLL search order, which would let the
// current folder or PATH plant a library.
#include "steam/steam_library.h"

#include <stdlib.h>
#include <windows.h>

#include "files/paths.h"

const char* steamLibraryFileName() {
  return sizeof(void*) == 8 ? "steam_api64.dll" : "steam_api.dll";
}

void* openSteamLibrary() {
  // Without the tool's folder the path would be relative to the drive.
  const std::string folder = getToolFolder();
  return folder.empty() ? nullptr : openLibraryFile(joinPath(folder, steamLibraryFileName()));
}

void* openLibraryFile(const std::string& path) {
  // The altered search path makes the library's own dependencies resolve
  // from its folder too. A relative path would reopen the search order.
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void* findLibrarySymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeLibrary(void* library) {
  FreeLibrary(static_cast<HMODULE>(library));
}

void setEnvironmentDefault(const char* name, const std::string& value) {
  if (GetEnvironmentVariableA(name, nullptr, 0) > 0)
    return;
  // The library reads the process environment; the C runtime keeps its own
  // copy, which getenv reads.
  SetEnvironmentVariableA(name, value.c_str());
  _putenv((std::string(name) + "=" + value).c_str());
}

void sleepOneMillisecond() {
  Sleep(1);
}
