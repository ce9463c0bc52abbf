// What stands behind the Steamworks declarations: the local workshop
// service or the redistributable Steam library. Exactly one back end is
// chosen per process, from the environment, the first time any SteamAPI_*
// function or accessor runs; one never stands in for the other.
#ifndef DRAV_STEAM_STEAM_BACKEND_H_
#define DRAV_STEAM_STEAM_BACKEND_H_

#include <string>

#include "steam/steam_api.h"

class cSteamBackend {
 public:
  virtual ~cSteamBackend() {}

  virtual bool init() = 0;
  /// Safe in every state: before init, after a failed init, twice.
  virtual void shutdown() = 0;
  virtual void runCallbacks() = 0;
  virtual void registerCallback(CCallbackBase* callback, int id) = 0;
  virtual void unregisterCallback(CCallbackBase* callback) = 0;
  virtual void registerCallResult(CCallbackBase* callback, SteamAPICall_t call) = 0;
  virtual void unregisterCallResult(CCallbackBase* callback, SteamAPICall_t call) = 0;

  virtual ISteamUser* user() = 0;
  virtual ISteamFriends* friends() = 0;
  virtual ISteamUtils* utils() = 0;
  virtual ISteamUGC* ugc() = 0;
};

/// The local workshop service over the store folder `storeFolder`.
cSteamBackend* newLocalSteam(const std::string& storeFolder);

/// The player's Steam client through the redistributable library, loaded
/// at run time.
cSteamBackend* newSteamLibrary();

/// Puts `replacement` behind the SteamAPI_* functions in place of the
/// environment's choice (null: choose again on next use); returns the one
/// it replaces (null when none was chosen yet). For unit tests, which own
/// both.
cSteamBackend* replaceSteamBackend(cSteamBackend* replacement);

/// The app id the tool publishes for; set at build time.
AppId_t toolAppId();

#endif  // DRAV_STEAM_STEAM_BACKEND_H_
