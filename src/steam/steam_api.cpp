// The global Steamworks functions, forwarded to the back end that the
// environment chooses.
#include "steam/steam_api.h"

#include "platform/process.h"
#include "steam/steam_backend.h"

#ifndef DRAV_APP_ID
#define DRAV_APP_ID 480
#endif

AppId_t toolAppId() {
  return DRAV_APP_ID;
}

namespace {

cSteamBackend* chosen = nullptr;

cSteamBackend* backend() {
  if (!chosen) {
    std::string store;
    chosen = environmentValue("DRAV_LOCAL_STEAM", &store) ? newLocalSteam(store)
                                                          : newSteamLibrary();
  }
  return chosen;
}

}  // namespace

cSteamBackend* replaceSteamBackend(cSteamBackend* replacement) {
  cSteamBackend* previous = chosen;
  chosen = replacement;
  return previous;
}

bool SteamAPI_Init() {
  return backend()->init();
}

void SteamAPI_Shutdown() {
  backend()->shutdown();
}

void SteamAPI_RunCallbacks() {
  backend()->runCallbacks();
}

void SteamAPI_RegisterCallback(CCallbackBase* pCallback, int iCallback) {
  backend()->registerCallback(pCallback, iCallback);
}

void SteamAPI_UnregisterCallback(CCallbackBase* pCallback) {
  backend()->unregisterCallback(pCallback);
}

void SteamAPI_RegisterCallResult(CCallbackBase* pCallback, SteamAPICall_t hAPICall) {
  backend()->registerCallResult(pCallback, hAPICall);
}

void SteamAPI_UnregisterCallResult(CCallbackBase* pCallback, SteamAPICall_t hAPICall) {
  backend()->unregisterCallResult(pCallback, hAPICall);
}

ISteamUser* SteamUser() {
  return backend()->user();
}

ISteamFriends* SteamFriends() {
  return backend()->friends();
}

ISteamUtils* SteamUtils() {
  return backend()->utils();
}

ISteamUGC* SteamUGC() {
  return backend()->ugc();
}
