// Steam's binary interface. Records are packed to 4 bytes with GCC and
// Clang on Linux and macOS, to 8 on Windows. The callback base's two Run
// overloads take their virtual slots in declaration order; the Windows
// library, built with MSVC, expects the three-argument Run in slot 0, the
// others the one-argument Run.
#ifndef DRAV_STEAM_STEAM_ABI_H_
#define DRAV_STEAM_STEAM_ABI_H_

#include <stdint.h>

// #pragma pack takes no macro for its number, hence the whole pragma.
#ifdef _WIN32
#define DRAV_STEAM_PACK_PUSH _Pragma("pack(push, 8)")
#else
#define DRAV_STEAM_PACK_PUSH _Pragma("pack(push, 4)")
#endif

class CCallbackBase {
 public:
  CCallbackBase() : m_nCallbackFlags(0), m_iCallback(0) {}
  // Slot 0, slot 1, slot 2: the order in which the library calls them.
#ifdef _WIN32
  virtual void Run(void* pvParam, bool bIOFailure, uint64_t hSteamAPICall) = 0;
  virtual void Run(void* pvParam) = 0;
#else
  virtual void Run(void* pvParam) = 0;
  virtual void Run(void* pvParam, bool bIOFailure, uint64_t hSteamAPICall) = 0;
#endif
  virtual int GetCallbackSizeBytes() = 0;

  enum { k_ECallbackFlagsRegistered = 0x01, k_ECallbackFlagsGameServer = 0x02 };
  uint8_t m_nCallbackFlags;
  int m_iCallback;

 protected:
  ~CCallbackBase() {}
};

#endif  // DRAV_STEAM_STEAM_ABI_H_
