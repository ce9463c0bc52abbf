// A stand-in for the redistributable Steam library, built as a loadable
// module in several versions (FAKE_SDK: 157, 158 or 165; FAKE_LACKS_DOWNLOAD
// drops one method). It exports the flat functions that the tool calls,
// with the signatures of that version, logs each call with its arguments,
// one line each, for the tests to take through fakeSteamTake, and fills
// what a call writes back with values of its own.
#include <stdint.h>
#include <stdio.h>
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
/// A list of texts, whose first field points to its strings: the first.
void put(const char*** list) {
  put(**list);
}
/// The n-th output of a call gets n * 10000000001, so that outputs
/// swapped, dropped or cut to 32 bits show; a text output gets "7".
void put(uint64_t* output) {
  *output = ++outputs * 10000000001ULL;
}
void put(uint32_t* output) {
  *output = static_cast<uint32_t>(++outputs * 10000000001ULL);
}
void put(char* text) {
  snprintf(text, 2, "7");
}

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
  return logged(initResult, " app", environment("SteamAppId"), environment("SteamGameId"),
                errMsg);
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
FAKE_EXPORT int SteamAPI_InitFlat(char* errMsg) {
  return start("InitFlat", "", errMsg);
}
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

#define FAKE_ACCESSOR(name, self)    \
  FAKE_EXPORT void* name() {         \
    return started ? self : nullptr; \
  }
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
/// pointer, `h` a handle, `t` a text.
#define FAKE_METHOD(type, interface, name, result, params, ...)     \
  FAKE_EXPORT type SteamAPI_##interface##name params {              \
    return static_cast<type>(logged(result, #name, ##__VA_ARGS__)); \
  }
typedef const char* tText;

FAKE_METHOD(void, , RunCallbacks, 0, ())
FAKE_METHOD(void, , RegisterCallResult, 0, (void*, uint64_t call), call)
FAKE_METHOD(void, , UnregisterCallResult, 0, (void*, uint64_t call), call)
FAKE_METHOD(uint64_t, ISteamUser_, GetSteamID, 0x0110000100abcdefULL, (tText s), s)
FAKE_METHOD(bool, ISteamFriends_, SetRichPresence, true, (tText s, tText k, tText t), s, k, t)
FAKE_METHOD(uint32_t, ISteamUtils_, GetAppID, 480, (tText s), s)
FAKE_METHOD(uint64_t, ISteamUGC_, CreateItem, 10000000001, (tText s, uint32_t app, int32_t k), s,
            app, k)
FAKE_METHOD(uint64_t, ISteamUGC_, CreateQueryUserUGCRequest, 20000000002,
            (tText s, uint32_t account, int32_t list, int32_t matching, int32_t sort,
             uint32_t creator, uint32_t consumer, uint32_t page),
            s, account, list, matching, sort, creator, consumer, page)
FAKE_METHOD(bool, ISteamUGC_, SetReturnMetadata, true, (tText s, uint64_t h, bool on), s, h, on)
FAKE_METHOD(uint64_t, ISteamUGC_, SendQueryUGCRequest, 30000000003, (tText s, uint64_t h), s, h)
FAKE_METHOD(bool, ISteamUGC_, GetQueryUGCResult, true,  // the record's first field is the item
            (tText s, uint64_t h, uint32_t index, uint64_t* details), s, h, index, details)
FAKE_METHOD(bool, ISteamUGC_, ReleaseQueryUGCRequest, true, (tText s, uint64_t h), s, h)
FAKE_METHOD(uint64_t, ISteamUGC_, StartItemUpdate, 50000000005,
            (tText s, uint32_t app, uint64_t i), s, app, i)
FAKE_METHOD(bool, ISteamUGC_, SetItemTitle, true, (tText s, uint64_t h, tText t), s, h, t)
FAKE_METHOD(bool, ISteamUGC_, SetItemDescription, true, (tText s, uint64_t h, tText t), s, h, t)
FAKE_METHOD(bool, ISteamUGC_, SetItemMetadata, true, (tText s, uint64_t h, tText t), s, h, t)
FAKE_METHOD(bool, ISteamUGC_, SetItemVisibility, true, (tText s, uint64_t h, int32_t v), s, h, v)
FAKE_METHOD(bool, ISteamUGC_, SetItemContent, true, (tText s, uint64_t h, tText t), s, h, t)
FAKE_METHOD(bool, ISteamUGC_, SetItemPreview, true, (tText s, uint64_t h, tText t), s, h, t)
FAKE_METHOD(uint64_t, ISteamUGC_, SubmitItemUpdate, 60000000006, (tText s, uint64_t h, tText t), s,
            h, t)
FAKE_METHOD(int32_t, ISteamUGC_, GetItemUpdateProgress, 3,
            (tText s, uint64_t h, uint64_t* done, uint64_t* total), s, h, done, total)
FAKE_METHOD(uint64_t, ISteamUGC_, DeleteItem, 80000000008, (tText s, uint64_t i), s, i)
#ifndef FAKE_LACKS_DOWNLOAD
FAKE_METHOD(bool, ISteamUGC_, DownloadItem, true, (tText s, uint64_t i, bool high), s, i, high)
#endif
#if FAKE_SDK >= 158
FAKE_METHOD(bool, ISteamUGC_, SetItemTags, true,
            (tText s, uint64_t h, const char*** tags, bool admin), s, h, tags, admin)
#else
FAKE_METHOD(bool, ISteamUGC_, SetItemTags, true,
            (tText s, uint64_t h, const char*** tags), s, h, tags)
#endif
#if FAKE_SDK >= 162
FAKE_METHOD(uint32_t, ISteamUGC_, GetSubscribedItems, 1,
            (tText s, uint64_t* ids, uint32_t max, bool disabled), s, ids, max, disabled)
#else
FAKE_METHOD(uint32_t, ISteamUGC_, GetSubscribedItems, 1, (tText s, uint64_t* ids, uint32_t max), s,
            ids, max)
#endif

FAKE_METHOD(bool, ISteamUGC_, GetQueryUGCMetadata, true,
            (tText s, uint64_t h, uint32_t index, char* text, uint32_t size), s, h, index,
            text, size)
FAKE_METHOD(bool, ISteamUGC_, GetItemInstallInfo, true,
            (tText s, uint64_t i, uint64_t* size, char* folder, uint32_t max, uint32_t* stamp),
            s, i, size, folder, max, stamp)
