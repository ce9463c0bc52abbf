// A back end that only records how the bindings register themselves, and
// a scope that puts a back end behind the SteamAPI_* functions.
#ifndef DRAV_TESTS_STEAM_RECORDING_BACKEND_H_
#define DRAV_TESTS_STEAM_RECORDING_BACKEND_H_

#include <string>
#include <vector>

#include "steam/steam_backend.h"

class cRecordingBackend : public cSteamBackend {
 public:
  bool init() override { return true; }
  void shutdown() override {}
  void runCallbacks() override {}
  void registerCallback(CCallbackBase* callback, int id) override {
    callback->m_nCallbackFlags |= CCallbackBase::k_ECallbackFlagsRegistered;
    calls.push_back("register " + std::to_string(id));
  }
  void unregisterCallback(CCallbackBase* callback) override {
    callback->m_nCallbackFlags &= static_cast<uint8_t>(~CCallbackBase::k_ECallbackFlagsRegistered);
    calls.push_back("unregister");
  }
  void registerCallResult(CCallbackBase*, SteamAPICall_t call) override {
    calls.push_back("register call " + std::to_string(call));
  }
  void unregisterCallResult(CCallbackBase*, SteamAPICall_t call) override {
    calls.push_back("unregister call " + std::to_string(call));
  }
  ISteamUser* user() override { return nullptr; }
  ISteamFriends* friends() override { return nullptr; }
  ISteamUtils* utils() override { return nullptr; }
  ISteamUGC* ugc() override { return nullptr; }

  std::vector<std::string> calls;
};

/// Routes the SteamAPI_* functions to `backend` for the scope.
class cScopedBackend {
 public:
  explicit cScopedBackend(cSteamBackend* backend) : previous_(replaceSteamBackend(backend)) {}
  ~cScopedBackend() { replaceSteamBackend(previous_); }

 private:
  cSteamBackend* previous_;
};

#endif  // DRAV_TESTS_STEAM_RECORDING_BACKEND_H_
