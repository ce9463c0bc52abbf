// Opening the Steam library on Linux and macOS.
#include "steamlib/steam_library.h"

#include <dlfcn.h>

#include "files/paths.h"
#include "platform/library.h"

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
