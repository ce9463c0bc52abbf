// The redistributable Steam library, loaded at run time and reached through
// its flat C interface. steam_library.cpp holds the back end; the platform
// half (steam_library_posix.cpp / steam_library_win32.cpp) finds and opens
// the library file. A library is an opaque pointer, so no platform type
// leaks out of here.
#ifndef DRAV_STEAMLIB_STEAM_LIBRARY_H_
#define DRAV_STEAMLIB_STEAM_LIBRARY_H_

#include <string>

#include "steam/steam_backend.h"

/// The player's Steam client through the redistributable library, loaded
/// at run time.
cSteamBackend* newSteamLibrary();

/// The back end over exactly the library file `path`, not the one that the
/// tool's search finds; for tests.
cSteamBackend* newSteamLibraryAt(const std::string& path);

/// Whether the library file `path` opens and exports every function that
/// the tool calls (for each versioned accessor, one of its names). When it
/// doesn't, `missing` gets the names that are absent, space-separated, or
/// the file's path when it can't be opened. The library stays loaded.
bool steamLibraryResolvesAll(const std::string& path, std::string* missing);

// --- Platform half

/// The file name of the platform's library: "libsteam_api.so",
/// "steam_api.dll" (32-bit Windows) or "steam_api64.dll" (64-bit Windows).
const char* steamLibraryFileName();

/// Opens the library by the platform's rules: from the tool's own folder,
/// and on Linux then through the loader's normal search. Null when none.
void* openSteamLibrary();

#endif  // DRAV_STEAMLIB_STEAM_LIBRARY_H_
