// Steam's binary interface with GCC and Clang on Linux and macOS: records
// are packed to 4 bytes, and the callback base's two Run overloads take
// their virtual slots in declaration order.
#ifndef DRAV_STEAM_STEAM_ABI_POSIX_H_
#define DRAV_STEAM_STEAM_ABI_POSIX_H_

#include <stdint.h>

// #pragma pack takes no macro for its number, hence the whole pragma.
#define DRAV_STEAM_PACK_PUSH _Pragma("pack(push, 4)")

class CCallbackBase {
 public:
  CCallbackBase() : m_nCallbackFlags(0), m_iCallback(0) {}
  // Slot 0, slot 1, slot 2: the order in which the library calls them.
  virtual void Run(void* pvParam) = 0;
  virtual void Run(void* pvParam, bool bIOFailure, uint64_t hSteamAPICall) = 0;
  virtual int GetCallbackSizeBytes() = 0;

  enum { k_ECallbackFlagsRegistered = 0x01, k_ECallbackFlagsGameServer = 0x02 };
  uint8_t m_nCallbackFlags;
  int m_iCallback;

 protected:
  ~CCallbackBase() {}
};

#endif  // DRAV_STEAM_STEAM_ABI_POSIX_H_
