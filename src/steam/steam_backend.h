// What stands behind the Steamworks declarations: the local workshop
// service (localsteam/) or the redistributable Steam library (steamlib/).
// The program puts exactly one back end in place at start-up, before any
// SteamAPI_* function or accessor runs; one never stands in for the other.
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

/// Puts `replacement` behind the SteamAPI_* functions; returns the one it
/// replaces (null when none was in place). The caller owns both.
cSteamBackend* replaceSteamBackend(cSteamBackend* replacement);

#endif  // DRAV_STEAM_STEAM_BACKEND_H_
