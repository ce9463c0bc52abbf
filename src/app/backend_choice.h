// The one choice of what stands behind the Steamworks declarations.
#ifndef DRAV_APP_BACKEND_CHOICE_H_
#define DRAV_APP_BACKEND_CHOICE_H_

#include <string>

#include "steam/steam_backend.h"

/// The local workshop service when the environment variable
/// DRAV_LOCAL_STEAM names a store folder, otherwise the player's Steam
/// client through the redistributable library.
cSteamBackend* chooseSteamBackend();

/// The store folder of the local workshop service that the choice above
/// makes; false when it would load the Steam library.
bool localStoreFolder(std::string* store);

#endif  // DRAV_APP_BACKEND_CHOICE_H_
