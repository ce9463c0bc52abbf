// Opening the Steam library on Linux and macOS.
#include "steam/steam_library.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>

#include "files/paths.h"

const char* steamLibraryFileName() {
  return "libsteam_api.so";
}

void* openSteamLibrary() {
  // The game's own copy beside the tool wins over any the loader knows.
  const std::string folder = getToolFolder();
  void* library =
      folder.empty() ? nullptr : openLibraryFile(joinPath(folder, steamLibraryFileName()));
  return library ? library : dlopen(steamLibraryFileName(), RTLD_NOW | RTLD_LOCAL);
}

void* openLibraryFile(const std::string& path) {
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* findLibrarySymbol(void* library, const char* name) {
  return dlsym(library, name);
}

void closeLibrary(void* library) {
  dlclose(library);
}

void setEnvironmentDefault(const char* name, const std::string& value) {
  setenv(name, value.c_str(), 0);
}

void sleepOneMillisecond() {
  timespec delay = {0, 1000000};
  nanosleep(&delay, nullptr);
}
