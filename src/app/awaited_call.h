// Waiting for the answer to one Steam call outside the menu's action loop:
// the commands for scripts call Steam one step after another.
#ifndef DRAV_APP_AWAITED_CALL_H_
#define DRAV_APP_AWAITED_CALL_H_

#include <string>

#include "steam/steam_callback.h"

/// The answer of type R to one call, pumped for until it arrives.
template <class R>
class cAwaitedCall {
 public:
  cAwaitedCall() : record(), arrived_(false), intact_(false) {}

  /// Waits for the answer to `call`; false when Steam refused the call,
  /// delivered no record or a damaged one, with the reason in `why`. The
  /// record's own result is left to the caller.
  bool wait(SteamAPICall_t call, std::string* why) {
    if (call == k_uAPICallInvalid) {
      *why = "Steam refused the request";
      return false;
    }
    arrived_ = false;
    binding_.Set(call, this, &cAwaitedCall::onAnswer);
    while (!arrived_)
      SteamAPI_RunCallbacks();
    if (!intact_)
      *why = "Steam delivered no answer";
    return intact_;
  }

  /// As wait, and false too when the record's result is not OK.
  bool waitForSuccess(SteamAPICall_t call, std::string* why) {
    if (!wait(call, why))
      return false;
    if (record.m_eResult == k_EResultOK)
      return true;
    *why = "Steam answered with error " + std::to_string(static_cast<int32_t>(record.m_eResult));
    return false;
  }

  R record;

 private:
  void onAnswer(R* answer, bool ioFailure) {
    arrived_ = true;
    intact_ = answer && !ioFailure;
    if (answer)
      record = *answer;
  }

  bool arrived_;
  bool intact_;
  CCallResult<cAwaitedCall, R> binding_;
};

#endif  // DRAV_APP_AWAITED_CALL_H_
