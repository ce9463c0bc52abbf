// Opening the Steam library on Windows: only by full path from the tool's
// own folder, never through the DLL search order, which would let the
// current folder or PATH plant a library.
#include "steamlib/steam_library.h"

#include "files/paths.h"
#include "platform/library.h"

const char* steamLibraryFileName() {
  return sizeof(void*) == 8 ? "steam_api64.dll" : "steam_api.dll";
}

void* openSteamLibrary() {
  // Without the tool's folder the path would be relative to the drive.
  const std::string folder = getToolFolder();
  return folder.empty() ? nullptr : openLibraryFile(joinPath(folder, steamLibraryFileName()));
}
