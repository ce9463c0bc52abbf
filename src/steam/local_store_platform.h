// The platform half of the local workshop store: the lock, cheap metadata
// queries for the per-item hot paths, and the process id for temporary
// names. One implementation per platform (local_store_posix.cpp,
// local_store_win32.cpp).
#ifndef DRAV_STEAM_LOCAL_STORE_PLATFORM_H_
#define DRAV_STEAM_LOCAL_STORE_PLATFORM_H_

#include <stdint.h>

#include <string>

/// Opens (creating it) and exclusively locks the file `path`, waiting for
/// other holders. False when it can't be opened or locked.
bool lockStoreFile(const std::string& path, intptr_t* handle);
void unlockStoreFile(intptr_t handle);

/// One metadata query: true when `path` is a folder; `modified` (may be
/// null) gets its modification time in seconds since 1970.
bool statFolder(const std::string& path, uint32_t* modified);

/// One metadata query: true when `path` exists; `modified` (may be null)
/// gets its modification time in seconds since 1970.
bool statPath(const std::string& path, uint32_t* modified);

/// Reads the whole file. Other processes may rename over it meanwhile (on
/// Windows too), so a reader never makes a writer fail.
bool readStoreFile(const std::string& path, std::string* text);

uint32_t storeProcessId();

#endif  // DRAV_STEAM_LOCAL_STORE_PLATFORM_H_
