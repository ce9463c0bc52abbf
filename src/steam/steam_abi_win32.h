// Steam's binary interface on Windows: records are packed to 8 bytes, and
// the library, built with MSVC, expects the three-argument Run in slot 0.
// MinGW lays out the virtual table in declaration order, so it comes first.
#ifndef DRAV_STEAM_STEAM_ABI_WIN32_H_
#define DRAV_STEAM_STEAM_ABI_WIN32_H_

#include <stdint.h>

// #pragma pack takes no macro for its number, hence the whole pragma.
#define DRAV_STEAM_PACK_PUSH _Pragma("pack(push, 8)")

class CCallbackBase {
 public:
  CCallbackBase() : m_nCallbackFlags(0), m_iCallback(0) {}
  virtual void Run(void* pvParam, bool bIOFailure, uint64_t hSteamAPICall) = 0;
  virtual void Run(void* pvParam) = 0;
  virtual int GetCallbackSizeBytes() = 0;

  enum { k_ECallbackFlagsRegistered = 0x01, k_ECallbackFlagsGameServer = 0x02 };
  uint8_t m_nCallbackFlags;
  int m_iCallback;

 protected:
  ~CCallbackBase() {}
};

#endif  // DRAV_STEAM_STEAM_ABI_WIN32_H_
