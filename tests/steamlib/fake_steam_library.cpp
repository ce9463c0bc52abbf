// A stand-in for the redistributable Steam library, built as a loadable
// module in several versions (FAKE_SDK: 157, 158 or 165; FAKE_LACKS_DOWNLOAD
// drops one method). It exports the flat functions that the tool calls,
// with the signatures of that version, and logs each call with its
// arguments, one line each, for the tests to take through fakeSteamTake.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

std::string calls;
int initResult = 0;
bool started = false;
uint64_t outputs = 0;  // of the call being logged

// The interface pointers are their own names, so that the log shows which
// interface each method was handed.
char userSelf[] = "user", friendsSelf[] = "friends", utilsSelf[] = "utils", ugcSelf[] = "ugc";

struct cFakeStringArray {
  const char** strings;
  int32_t count;
};

/// The head of the callback object the library is handed.
struct cFakeCallback {
  void* table;
  uint8_t flags;
  int32_t id;
};

void put(const char* text) {
  calls += ' ';
  calls += text;
}
template <typename T>
void put(T number) {
  put(std::to_string(number).c_str());
}
void put(uint64_t value) {
  char hex[20];
  snprintf(hex, sizeof(hex), " %llx", static_cast<unsigned long long>(value));
  calls += hex;
}
void put(const cFakeStringArray* tags) {
  for (int32_t i = 0; i < tags->count; ++i)
    put(tags->strings[i]);
}
/// The n-th output of a call gets n * 0x100000001, so that outputs swapped,
/// dropped or cut to 32 bits show.
template <typename T>
void put(T* output) {
  *output = static_cast<T>(++outputs * 0x100000001ULL);
}

/// Logs `function` with `args`, fills its outputs, and answers `result`.
template <typename R, typename... A>
R logged(R result, const char* function, A... args) {
  calls += function;
  outputs = 0;
  (put(args), ...);
  calls += '\n';
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
/// and the app id the library would read, and answers the test's result.
int start(const char* entry, const char* versions, char* errMsg) {
  calls += entry;
  for (; *versions; versions += strlen(versions) + 1)
    put(versions);
  calls += '\n';
  logged(0, "SteamAppId/SteamGameId", environment("SteamAppId").c_str(),
         environment("SteamGameId").c_str());
  strcpy(errMsg, "fake");
  started = initResult == 0;
  return initResult;
}

}  // namespace

/// The calls logged since the last take; the next init answers `result`
/// (0 = success).
FAKE_EXPORT const char* fakeSteamTake(int result) {
  static std::string taken;
  taken.swap(calls);
  calls.clear();
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
/// Marks the callback registered and sets its id, as the library does.
FAKE_EXPORT void SteamAPI_RegisterCallback(cFakeCallback* callback, int32_t id) {
  callback->flags |= 1;
  callback->id = id;
  logged(0, "RegisterCallback", id);
}
FAKE_EXPORT void SteamAPI_UnregisterCallback(cFakeCallback* callback) {
  callback->flags &= ~1;
  logged(0, "UnregisterCallback");
}

// --- Accessors, which answer only while Steam runs, and methods

#define FAKE_ACCESSOR(name, self)    \
  FAKE_EXPORT void* name() {         \
    return started ? self : nullptr; \
  }
FAKE_ACCESSOR(SteamAPI_SteamUser_v023, userSelf)
FAKE_ACCESSOR(SteamAPI_SteamUGC_v017, ugcSelf)  // newer libraries keep it beside newer names
#if FAKE_SDK >= 162
FAKE_ACCESSOR(SteamAPI_SteamFriends_v018, friendsSelf)
FAKE_ACCESSOR(SteamAPI_SteamUtils_v011, utilsSelf)
FAKE_ACCESSOR(SteamAPI_SteamUGC_v021, ugcSelf)
#else
FAKE_ACCESSOR(SteamAPI_SteamFriends_v017, friendsSelf)
FAKE_ACCESSOR(SteamAPI_SteamUtils_v010, utilsSelf)
#endif
#if FAKE_SDK == 158
FAKE_ACCESSOR(SteamAPI_SteamUGC_v018, ugcSelf)
#endif

/// A function that logs its arguments and answers `result`; the log names
/// it without the common prefix. `s` is the interface, `h` a handle, `t` a
/// text.
#define FAKE_METHOD(type, name, result, params, ...)                   \
  FAKE_EXPORT type SteamAPI_##name params {                            \
    return static_cast<type>(logged(result, #name, ##__VA_ARGS__)); \
  }
typedef const char* tText;

FAKE_METHOD(void, RunCallbacks, 0, ())
FAKE_METHOD(void, RegisterCallResult, 0, (void*, uint64_t call), call)
FAKE_METHOD(void, UnregisterCallResult, 0, (void*, uint64_t call), call)
FAKE_METHOD(uint64_t, ISteamUser_GetSteamID, 0x0110000100abcdefULL, (tText s), s)
FAKE_METHOD(bool, ISteamFriends_SetRichPresence, true, (tText s, tText k, tText t), s, k, t)
FAKE_METHOD(uint32_t, ISteamUtils_GetAppID, 480, (tText s), s)
FAKE_METHOD(uint64_t, ISteamUGC_CreateItem, 0x1000000000000001ULL,
            (tText s, uint32_t app, int32_t type), s, app, type)
FAKE_METHOD(uint64_t, ISteamUGC_CreateQueryUserUGCRequest, 0x2000000000000002ULL,
            (tText s, uint32_t account, int32_t list, int32_t matching, int32_t sort,
             uint32_t creator, uint32_t consumer, uint32_t page),
            s, account, list, matching, sort, creator, consumer, page)
FAKE_METHOD(bool, ISteamUGC_SetReturnMetadata, true, (tText s, uint64_t h, bool on), s, h, on)
FAKE_METHOD(uint64_t, ISteamUGC_SendQueryUGCRequest, 0x3000000000000003ULL, (tText s, uint64_t h),
            s, h)
// The record's first field is the item.
FAKE_METHOD(bool, ISteamUGC_GetQueryUGCResult, true,
            (tText s, uint64_t h, uint32_t index, uint64_t* details), s, h, index, details)
FAKE_METHOD(bool, ISteamUGC_ReleaseQueryUGCRequest, true, (tText s, uint64_t h), s, h)
FAKE_METHOD(uint64_t, ISteamUGC_StartItemUpdate, 0x5000000000000005ULL,
            (tText s, uint32_t app, uint64_t item), s, app, item)
FAKE_METHOD(bool, ISteamUGC_SetItemTitle, true, (tText s, uint64_t h, tText t), s, h, t)
FAKE_METHOD(bool, ISteamUGC_SetItemDescription, true, (tText s, uint64_t h, tText t), s, h, t)
FAKE_METHOD(bool, ISteamUGC_SetItemMetadata, true, (tText s, uint64_t h, tText t), s, h, t)
FAKE_METHOD(bool, ISteamUGC_SetItemVisibility, true, (tText s, uint64_t h, int32_t v), s, h, v)
FAKE_METHOD(bool, ISteamUGC_SetItemContent, true, (tText s, uint64_t h, tText t), s, h, t)
FAKE_METHOD(bool, ISteamUGC_SetItemPreview, true, (tText s, uint64_t h, tText t), s, h, t)
FAKE_METHOD(uint64_t, ISteamUGC_SubmitItemUpdate, 0x6000000000000006ULL,
            (tText s, uint64_t h, tText t), s, h, t)
FAKE_METHOD(int32_t, ISteamUGC_GetItemUpdateProgress, 3,
            (tText s, uint64_t h, uint64_t* done, uint64_t* total), s, h, done, total)
FAKE_METHOD(uint64_t, ISteamUGC_DeleteItem, 0x8000000000000008ULL, (tText s, uint64_t item), s,
            item)
#ifndef FAKE_LACKS_DOWNLOAD
FAKE_METHOD(bool, ISteamUGC_DownloadItem, true, (tText s, uint64_t item, bool high), s, item, high)
#endif
#if FAKE_SDK >= 158
FAKE_METHOD(bool, ISteamUGC_SetItemTags, true,
            (tText s, uint64_t h, const cFakeStringArray* tags, bool admin), s, h, tags, admin)
#else
FAKE_METHOD(bool, ISteamUGC_SetItemTags, true, (tText s, uint64_t h, const cFakeStringArray* tags),
            s, h, tags)
#endif
#if FAKE_SDK >= 162
FAKE_METHOD(uint32_t, ISteamUGC_GetSubscribedItems, 1,
            (tText s, uint64_t* ids, uint32_t max, bool disabled), s, ids, max, disabled)
#else
FAKE_METHOD(uint32_t, ISteamUGC_GetSubscribedItems, 1, (tText s, uint64_t* ids, uint32_t max), s,
            ids, max)
#endif

// The methods that also write a text.

FAKE_EXPORT bool SteamAPI_ISteamUGC_GetQueryUGCMetadata(tText s, uint64_t h, uint32_t index,
                                                        char* text, uint32_t size) {
  snprintf(text, size, "7");
  return logged(true, "ISteamUGC_GetQueryUGCMetadata", s, h, index, size);
}
FAKE_EXPORT bool SteamAPI_ISteamUGC_GetItemInstallInfo(tText s, uint64_t item, uint64_t* size,
                                                       char* folder, uint32_t folderSize,
                                                       uint32_t* stamp) {
  snprintf(folder, folderSize, "/items/%llx", static_cast<unsigned long long>(item));
  return logged(true, "ISteamUGC_GetItemInstallInfo", s, item, size, folderSize, stamp);
}
