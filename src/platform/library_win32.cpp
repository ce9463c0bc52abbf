#include "platform/library.h"

#include <windows.h>

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
