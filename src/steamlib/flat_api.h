// The flat C interface of the redistributable Steam library: the table of
// the functions the tool calls, filled from one open library, and the
// start of the client through the newest entry point the library has.
#ifndef DRAV_STEAMLIB_FLAT_API_H_
#define DRAV_STEAMLIB_FLAT_API_H_

#include <stdint.h>

#include <string>

#include "steam/steam_api.h"

/// One versioned name of an interface accessor. Newer libraries drop the
/// older names, so each accessor is probed newest first.
struct cAccessorName {
  const char* exportName;
  int version;
  /// The interface's own version string, as SteamInternal_SteamAPI_Init
  /// wants it.
  const char* interfaceVersion;
};

/// UGC v018 (SDK 1.58) added SetItemTags' allowAdminTags argument, v021
/// (SDK 1.62) GetSubscribedItems' includeLocallyDisabled.
const int kUgcWithAdminTags = 18;
const int kUgcWithLocallyDisabled = 21;

/// The flat functions, all extern "C" and cdecl. The two whose argument
/// count changed between versions are kept as raw addresses and called
/// through the type that the library's version calls for.
struct cFlatApi {
  int (*initFlat)(char* errMsg);
  int (*internalInit)(const char* versions, char* errMsg);
  bool (*plainInit)();
  void (*shutdown)();
  void (*runCallbacks)();
  void (*registerCallback)(CCallbackBase*, int);
  void (*unregisterCallback)(CCallbackBase*);
  void (*registerCallResult)(CCallbackBase*, uint64_t);
  void (*unregisterCallResult)(CCallbackBase*, uint64_t);

  void* (*steamUser)();
  void* (*steamFriends)();
  void* (*steamUtils)();
  void* (*steamUgc)();
  const cAccessorName* userName;
  const cAccessorName* friendsName;
  const cAccessorName* utilsName;
  const cAccessorName* ugcName;

  uint64_t (*getSteamID)(void*);
  bool (*setRichPresence)(void*, const char*, const char*);
  uint32_t (*getAppID)(void*);

  uint64_t (*createItem)(void*, uint32_t, int32_t);
  uint64_t (*createQueryUserUGCRequest)(void*, uint32_t, int32_t, int32_t, int32_t,
                                        uint32_t, uint32_t, uint32_t);
  bool (*setReturnMetadata)(void*, uint64_t, bool);
  uint64_t (*sendQueryUGCRequest)(void*, uint64_t);
  bool (*getQueryUGCResult)(void*, uint64_t, uint32_t, SteamUGCDetails_t*);
  bool (*getQueryUGCMetadata)(void*, uint64_t, uint32_t, char*, uint32_t);
  bool (*releaseQueryUGCRequest)(void*, uint64_t);
  uint64_t (*startItemUpdate)(void*, uint32_t, uint64_t);
  bool (*setItemTitle)(void*, uint64_t, const char*);
  bool (*setItemDescription)(void*, uint64_t, const char*);
  bool (*setItemMetadata)(void*, uint64_t, const char*);
  bool (*setItemVisibility)(void*, uint64_t, int32_t);
  void* setItemTags;
  bool (*setItemContent)(void*, uint64_t, const char*);
  bool (*setItemPreview)(void*, uint64_t, const char*);
  uint64_t (*submitItemUpdate)(void*, uint64_t, const char*);
  int32_t (*getItemUpdateProgress)(void*, uint64_t, uint64_t*, uint64_t*);
  void* getSubscribedItems;
  bool (*getItemInstallInfo)(void*, uint64_t, uint64_t*, char*, uint32_t, uint32_t*);
  bool (*downloadItem)(void*, uint64_t, bool);
  uint64_t (*deleteItem)(void*, uint64_t);
};

/// Resolves every function that the tool calls from the open `library`;
/// false when one is absent, with the absent names, space-separated, in
/// `missing` (may be null).
bool resolveFlatApi(void* library, cFlatApi* api, std::string* missing);

/// Starts the client through the newest entry point the library has.
bool initLibrary(const cFlatApi& api);

#endif  // DRAV_STEAMLIB_FLAT_API_H_
