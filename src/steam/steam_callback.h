// The binding templates through which Steam's answers reach members of an
// object: CCallResult for the answer to one call, CCallback for a record
// that Steam broadcasts.
#ifndef DRAV_STEAM_STEAM_CALLBACK_H_
#define DRAV_STEAM_STEAM_CALLBACK_H_

#include "steam/steam_api.h"

template <class T, class P>
class CCallResult : public CCallbackBase {
 public:
  typedef void (T::*func_t)(P*, bool);

  CCallResult() : m_hAPICall(k_uAPICallInvalid), m_pObj(nullptr), m_Func(nullptr) {
    m_iCallback = P::k_iCallback;
  }
  ~CCallResult() { Cancel(); }

  /// Binds `hAPICall` to `func` on `p`, dropping any call still pending.
  void Set(SteamAPICall_t hAPICall, T* p, func_t func) {
    if (m_hAPICall)
      SteamAPI_UnregisterCallResult(this, m_hAPICall);
    m_hAPICall = hAPICall;
    m_pObj = p;
    m_Func = func;
    if (hAPICall)
      SteamAPI_RegisterCallResult(this, hAPICall);
  }

  bool IsActive() const { return m_hAPICall != k_uAPICallInvalid; }

  void Cancel() {
    if (m_hAPICall != k_uAPICallInvalid) {
      SteamAPI_UnregisterCallResult(this, m_hAPICall);
      m_hAPICall = k_uAPICallInvalid;
    }
  }

 private:
  void Run(void* pvParam) override {
    m_hAPICall = k_uAPICallInvalid;  // the member may bind a new call
    (m_pObj->*m_Func)(static_cast<P*>(pvParam), false);
  }
  void Run(void* pvParam, bool bIOFailure, SteamAPICall_t hSteamAPICall) override {
    if (hSteamAPICall != m_hAPICall)
      return;
    m_hAPICall = k_uAPICallInvalid;
    (m_pObj->*m_Func)(static_cast<P*>(pvParam), bIOFailure);
  }
  int GetCallbackSizeBytes() override { return sizeof(P); }

  SteamAPICall_t m_hAPICall;
  T* m_pObj;
  func_t m_Func;
};

template <class T, class P, bool bGameServer>
class CCallback : public CCallbackBase {
 public:
  typedef void (T::*func_t)(P*);

  CCallback(T* pObj, func_t func) : m_pObj(nullptr), m_Func(nullptr) {
    if (bGameServer)
      m_nCallbackFlags |= k_ECallbackFlagsGameServer;
    Register(pObj, func);
  }
  ~CCallback() { Unregister(); }

  void Register(T* pObj, func_t func) {
    if (!pObj || !func)
      return;
    if (m_nCallbackFlags & k_ECallbackFlagsRegistered)
      Unregister();
    m_pObj = pObj;
    m_Func = func;
    SteamAPI_RegisterCallback(this, P::k_iCallback);
  }

  void Unregister() {
    if (m_nCallbackFlags & k_ECallbackFlagsRegistered)
      SteamAPI_UnregisterCallback(this);
  }

 private:
  void Run(void* pvParam) override { (m_pObj->*m_Func)(static_cast<P*>(pvParam)); }
  void Run(void* pvParam, bool, SteamAPICall_t) override {
    (m_pObj->*m_Func)(static_cast<P*>(pvParam));
  }
  int GetCallbackSizeBytes() override { return sizeof(P); }

  T* m_pObj;
  func_t m_Func;
};

#endif  // DRAV_STEAM_STEAM_CALLBACK_H_
