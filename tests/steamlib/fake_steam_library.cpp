// A stand-in for the redistributable Steam library, built as a loadable
// module in several versions (FAKE_SDK: 157, 158 or 165; FAKE_LACKS_DOWNLOAD
// drops one method). It exports the flat functions that the tool calls,
// with the signatures of that version, logs each call with its arguments,
// one line each, for the tests to take through fakeSteamTake, and fills
// what a call writes back with values of its own.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <sstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

std::ostringstream calls;
int initResult = 0;
bool started = false;
uint64_t outputs = 0;  // of the call being logged

// The interface pointers are their own names, so that the log shows which
// interface each method was handed.
char userSelf[] = "user", friendsSelf[] = "friends", utilsSelf[] = "utils", ugcSelf[] = "ugc";

template <typename T>
void put(T value) {
  calls << ' ' << value;
}
/// The n-th output of a call gets n * 10000000001, so that outputs
/// swapped, dropped or cut to 32 bits show; a text output gets "7".
void put(uint64_t* output) { *output = ++outputs * 10000000001ULL; }
void put(uint32_t* output) { *output = static_cast<uint32_t>(++outputs * 10000000001ULL); }
void put(char* text) { memcpy(text, "7", 2); }

/// Logs `function` with `args`, fills its outputs, and answers `result`.
template <typename R, typename... A>
R logged(R result, const char* function, A... args) {
  calls << function;
  outputs = 0;
  (put(args), ...);
  calls << '\n';
  return result;
}

/// What the library itself would see of the process environment.
std::string environment(const char* name) {
#ifdef _WIN32
  char value[64];
  DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
  return length > 0 && length < sizeof(value) ? value : "-";
#else
  const char* value = getenv(name);
  return value ? value : "-";
#endif
}

/// Logs a start through `entry` with the interface `versions` it checks
/// and the app id and game id that the library reads, and answers the
/// result the test asked for.
int start(const char* entry, const char* versions, char* errMsg) {
  calls << entry;
  for (; *versions; versions += strlen(versions) + 1)
    put(versions);
  started = initResult == 0;
  return logged(initResult, " app", environment("SteamAppId"), environment("SteamGameId"), errMsg);
}

}  // namespace

/// The calls logged since the last take; the next init answers `result`
/// (0 = success).
FAKE_EXPORT const char* fakeSteamTake(int result) {
  static std::string taken;
  taken = calls.str();
  calls.str("");
  initResult = result;
  return taken.c_str();
}

// --- Start-up and callbacks

#if FAKE_SDK >= 159
FAKE_EXPORT int SteamAPI_InitFlat(char* errMsg) { return start("InitFlat", "", errMsg); }
#endif
#if FAKE_SDK >= 158
FAKE_EXPORT int SteamInternal_SteamAPI_Init(const char* versions, char* errMsg) {
  return start("SteamInternal_SteamAPI_Init", versions, errMsg);
}
#else
FAKE_EXPORT bool SteamAPI_Init() {
  char errMsg[8];
  return start("Init", "", errMsg) == 0;
}
#endif

FAKE_EXPORT void SteamAPI_Shutdown() {
  logged(0, "Shutdown");
  started = false;
}
/// Sets the flags byte after the virtual table pointer and the id after
/// it, as the library does.
FAKE_EXPORT void SteamAPI_RegisterCallback(unsigned char* callback, int32_t id) {
  callback[sizeof(void*)] |= 1;
  memcpy(callback + sizeof(void*) + 4, &id, sizeof(id));
  logged(0, "RegisterCallback", id);
}
FAKE_EXPORT void SteamAPI_UnregisterCallback(unsigned char* callback) {
  callback[sizeof(void*)] &= ~1;
  logged(0, "UnregisterCallback");
}

// --- Accessors, which answer only while Steam runs, and methods

#define FAKE_ACCESSOR(name, self) \
  FAKE_EXPORT void* name() { return started ? self : nullptr; }
FAKE_ACCESSOR(SteamAPI_SteamUser_v023, userSelf)
FAKE_ACCESSOR(SteamAPI_SteamUGC_v017, ugcSelf)  // kept beside newer names: the newest must win
#if FAKE_SDK >= 158
FAKE_ACCESSOR(SteamAPI_SteamUGC_v018, ugcSelf)
#endif
#if FAKE_SDK >= 162
FAKE_ACCESSOR(SteamAPI_SteamUGC_v021, ugcSelf)
FAKE_ACCESSOR(SteamAPI_SteamFriends_v018, friendsSelf)
FAKE_ACCESSOR(SteamAPI_SteamUtils_v011, utilsSelf)
#else
FAKE_ACCESSOR(SteamAPI_SteamFriends_v017, friendsSelf)
FAKE_ACCESSOR(SteamAPI_SteamUtils_v010, utilsSelf)
#endif

/// A function of `interface` that logs its arguments and answers
/// `result`; the log names it without the interface. `s` is the interface
/// pointer, `h` a handle, `i` an index, `t` a text.
#define FAKE_METHOD(type, interface, name, result, params, ...)     \
  FAKE_EXPORT type SteamAPI_##interface##name params {              \
    return static_cast<type>(logged(result, #name, ##__VA_ARGS__)); \
  }
/// A method of the UGC interface, which takes the interface pointer first.
#define FAKE_UGC(type, name, result, params, ...) \
  FAKE_METHOD(type, ISteamUGC_, name, result, (tText s, FAKE_UNPACK params), s, __VA_ARGS__)
#define FAKE_UNPACK(...) __VA_ARGS__
typedef const char* tText;

FAKE_METHOD(void, , RunCallbacks, 0, ())
FAKE_METHOD(void, , RegisterCallResult, 0, (void*, uint64_t call), call)
FAKE_METHOD(void, , UnregisterCallResult, 0, (void*, uint64_t call), call)
FAKE_METHOD(uint64_t, ISteamUser_, GetSteamID, 0x0110000100abcdefULL, (tText s), s)
FAKE_METHOD(bool, ISteamFriends_, SetRichPresence, true, (tText s, tText k, tText t), s, k, t)
FAKE_METHOD(uint32_t, ISteamUtils_, GetAppID, 480, (tText s), s)
FAKE_UGC(uint64_t, CreateItem, 10000000001, (uint32_t app, int32_t kind), app, kind)
FAKE_UGC(uint64_t, CreateQueryUserUGCRequest, 20000000002,
         (uint32_t account, int32_t list, int32_t matching, int32_t sort, uint32_t creator,
          uint32_t consumer, uint32_t page),
         account, list, matching, sort, creator, consumer, page)
FAKE_UGC(bool, SetReturnMetadata, true, (uint64_t h, bool on), h, on)
FAKE_UGC(uint64_t, SendQueryUGCRequest, 30000000003, (uint64_t h), h)
// The record's first field is the item.
FAKE_UGC(bool, GetQueryUGCResult, true, (uint64_t h, uint32_t i, uint64_t* item), h, i, item)
FAKE_UGC(bool, GetQueryUGCMetadata, true, (uint64_t h, uint32_t i, char* t, uint32_t size), h, i, t,
         size)
FAKE_UGC(bool, ReleaseQueryUGCRequest, true, (uint64_t h), h)
FAKE_UGC(uint64_t, StartItemUpdate, 50000000005, (uint32_t app, uint64_t item), app, item)
FAKE_UGC(bool, SetItemTitle, true, (uint64_t h, tText t), h, t)
FAKE_UGC(bool, SetItemDescription, true, (uint64_t h, tText t), h, t)
FAKE_UGC(bool, SetItemMetadata, true, (uint64_t h, tText t), h, t)
FAKE_UGC(bool, SetItemVisibility, true, (uint64_t h, int32_t visibility), h, visibility)
FAKE_UGC(bool, SetItemContent, true, (uint64_t h, tText t), h, t)
FAKE_UGC(bool, SetItemPreview, true, (uint64_t h, tText t), h, t)
FAKE_UGC(uint64_t, SubmitItemUpdate, 60000000006, (uint64_t h, tText t), h, t)
FAKE_UGC(int32_t, GetItemUpdateProgress, 3, (uint64_t h, uint64_t* done, uint64_t* total), h,
         done, total)
FAKE_UGC(bool, GetItemInstallInfo, true,
         (uint64_t item, uint64_t* size, char* folder, uint32_t max, uint32_t* stamp), item, size,
         folder, max, stamp)
FAKE_UGC(uint64_t, DeleteItem, 80000000008, (uint64_t item), item)
#ifndef FAKE_LACKS_DOWNLOAD
FAKE_UGC(bool, DownloadItem, true, (uint64_t item, bool high), item, high)
#endif
// The tags' first field points to their strings: the first is logged.
#if FAKE_SDK >= 158
FAKE_UGC(bool, SetItemTags, true, (uint64_t h, const char*** tags, bool admin), h, **tags, admin)
#else
FAKE_UGC(bool, SetItemTags, true, (uint64_t h, const char*** tags), h, **tags)
#endif
#if FAKE_SDK >= 162
FAKE_UGC(uint32_t, GetSubscribedItems, 1, (uint64_t* ids, uint32_t max, bool disabled), ids, max,
         disabled)
#else
FAKE_UGC(uint32_t, GetSubscribedItems, 1, (uint64_t* ids, uint32_t max), ids, max)
#endif
