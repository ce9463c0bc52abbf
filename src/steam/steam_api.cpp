// The global Steamworks functions, forwarded to the back end in place.
#include "steam/steam_api.h"

#include "steam/steam_backend.h"

namespace {

cSteamBackend* chosen = nullptr;

cSteamBackend* backend() {
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
