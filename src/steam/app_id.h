// The Steam app id the tool publishes for, set at build time (CMake's
// DRAV_APP_ID).
#ifndef DRAV_STEAM_APP_ID_H_
#define DRAV_STEAM_APP_ID_H_

#include "steam/steam_api.h"

AppId_t toolAppId();

#endif  // DRAV_STEAM_APP_ID_H_
