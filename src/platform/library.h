// Shared libraries loaded at run time. A library is an opaque pointer, so
// no platform type leaks out of here. One implementation per platform
// (library_posix.cpp, library_win32.cpp).
#ifndef DRAV_PLATFORM_LIBRARY_H_
#define DRAV_PLATFORM_LIBRARY_H_

#include <string>

/// Opens exactly the file `path`. Null when it can't.
void* openLibraryFile(const std::string& path);

/// The address of the exported function `name`; null when absent.
void* findLibrarySymbol(void* library, const char* name);

void closeLibrary(void* library);

#endif  // DRAV_PLATFORM_LIBRARY_H_
