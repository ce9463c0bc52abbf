// A stand-in for the redistributable Steam library, built as a loadable
// module in several versions (FAKE_SDK: 157, 158 or 165; FAKE_LACKS_DOWNLOAD
// drops one method). It exports the flat functions that the tool calls,
// with the signatures of that version, and writes one line per call into a
// log that the tests read through fakeSteamLog.
#include <stdarg.h>
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

// The interface pointers are their own names, so that each method can log
// which interface it was handed.
char userSelf[] = "user";
char friendsSelf[] = "friends";
char utilsSelf[] = "utils";
char ugcSelf[] = "ugc";

void note(const char* format, ...) __attribute__((format(printf, 1, 2)));
void note(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  calls += line;
  calls += '\n';
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

bool startClient() {
  note("SteamAppId=%s SteamGameId=%s", environment("SteamAppId").c_str(),
       environment("SteamGameId").c_str());
  started = initResult == 0;
  return started;
}

/// The callback base as the library sees it: a virtual table pointer, then
/// the flags byte.
unsigned char* callbackFlags(void* callback) {
  return static_cast<unsigned char*>(callback) + sizeof(void*);
}

}  // namespace

// --- Test controls

FAKE_EXPORT const char* fakeSteamLog() {
  return calls.c_str();
}

/// Clears the log; the next init returns `result` (0 = success).
FAKE_EXPORT void fakeSteamReset(int result) {
  calls.clear();
  initResult = result;
  started = false;
}

// --- Start-up

#if FAKE_SDK >= 159
FAKE_EXPORT int SteamAPI_InitFlat(char* errMsg) {
  note("InitFlat");
  strcpy(errMsg, "fake");
  return startClient() ? 0 : initResult;
}
#endif

#if FAKE_SDK >= 158
FAKE_EXPORT int SteamInternal_SteamAPI_Init(const char* versions, char* errMsg) {
  std::string list;
  for (const char* version = versions; *version; version += strlen(version) + 1)
    list += std::string(version) + "|";
  note("SteamInternal_SteamAPI_Init %s", list.c_str());
  strcpy(errMsg, "fake");
  return startClient() ? 0 : initResult;
}
#else
FAKE_EXPORT bool SteamAPI_Init() {
  note("SteamAPI_Init");
  return startClient();
}
#endif

FAKE_EXPORT void SteamAPI_Shutdown() {
  note("Shutdown");
  started = false;
}

FAKE_EXPORT void SteamAPI_RunCallbacks() {
  note("RunCallbacks");
}

FAKE_EXPORT void SteamAPI_RegisterCallback(void* callback, int id) {
  note("RegisterCallback %d", id);
  *callbackFlags(callback) |= 1;
}

FAKE_EXPORT void SteamAPI_UnregisterCallback(void* callback) {
  note("UnregisterCallback");
  *callbackFlags(callback) &= ~1;
}

FAKE_EXPORT void SteamAPI_RegisterCallResult(void*, uint64_t call) {
  note("RegisterCallResult %llu", (unsigned long long)call);
}

FAKE_EXPORT void SteamAPI_UnregisterCallResult(void*, uint64_t call) {
  note("UnregisterCallResult %llu", (unsigned long long)call);
}

// --- Accessors: only while started, as the library answers

FAKE_EXPORT void* SteamAPI_SteamUser_v023() {
  return started ? userSelf : nullptr;
}

#if FAKE_SDK >= 162
FAKE_EXPORT void* SteamAPI_SteamFriends_v018() {
  return started ? friendsSelf : nullptr;
}
#else
FAKE_EXPORT void* SteamAPI_SteamFriends_v017() {
  return started ? friendsSelf : nullptr;
}
#endif

#if FAKE_SDK >= 165
FAKE_EXPORT void* SteamAPI_SteamUtils_v011() {
  return started ? utilsSelf : nullptr;
}
#else
FAKE_EXPORT void* SteamAPI_SteamUtils_v010() {
  return started ? utilsSelf : nullptr;
}
#endif

#if FAKE_SDK >= 162
FAKE_EXPORT void* SteamAPI_SteamUGC_v021() {
  return started ? ugcSelf : nullptr;
}
#elif FAKE_SDK >= 158
FAKE_EXPORT void* SteamAPI_SteamUGC_v018() {
  return started ? ugcSelf : nullptr;
}
#else
FAKE_EXPORT void* SteamAPI_SteamUGC_v017() {
  return started ? ugcSelf : nullptr;
}
#endif

// --- Methods

FAKE_EXPORT uint64_t SteamAPI_ISteamUser_GetSteamID(const char* self) {
  note("%s GetSteamID", self);
  return 0x0110000100abcdefULL;
}

FAKE_EXPORT bool SteamAPI_ISteamFriends_SetRichPresence(const char* self, const char* key,
                                                        const char* value) {
  note("%s SetRichPresence %s=%s", self, key, value);
  return true;
}

FAKE_EXPORT uint32_t SteamAPI_ISteamUtils_GetAppID(const char* self) {
  note("%s GetAppID", self);
  return 480;
}

FAKE_EXPORT uint64_t SteamAPI_ISteamUGC_CreateItem(const char* self, uint32_t app, int32_t type) {
  note("%s CreateItem %u %d", self, app, type);
  return 0x1000000000000001ULL;
}

FAKE_EXPORT uint64_t SteamAPI_ISteamUGC_CreateQueryUserUGCRequest(
    const char* self, uint32_t account, int32_t list, int32_t matching, int32_t sort,
    uint32_t creator, uint32_t consumer, uint32_t page) {
  note("%s CreateQueryUserUGCRequest %u %d %d %d %u %u %u", self, account, list, matching,
       sort, creator, consumer, page);
  return 0x2000000000000002ULL;
}

FAKE_EXPORT bool SteamAPI_ISteamUGC_SetReturnMetadata(const char* self, uint64_t query,
                                                      bool metadata) {
  note("%s SetReturnMetadata %llx %d", self, (unsigned long long)query, metadata);
  return true;
}

FAKE_EXPORT uint64_t SteamAPI_ISteamUGC_SendQueryUGCRequest(const char* self, uint64_t query) {
  note("%s SendQueryUGCRequest %llx", self, (unsigned long long)query);
  return 0x3000000000000003ULL;
}

/// Fills the fields that lie past the 1.60 layout's middle, so that a
/// record laid out differently shows it.
FAKE_EXPORT bool SteamAPI_ISteamUGC_GetQueryUGCResult(const char* self, uint64_t query,
                                                      uint32_t index, void* details) {
  note("%s GetQueryUGCResult %llx %u", self, (unsigned long long)query, index);
  if (index > 0)
    return false;
  unsigned char* record = static_cast<unsigned char*>(details);
  const uint64_t item = 0x4000000000000004ULL;
  memcpy(record, &item, sizeof(item));
  strcpy(reinterpret_cast<char*>(record + 24), "fake title");
  // The visibility, as the library's own layout of the platform places it.
#ifdef _WIN32
  const size_t visibilityAt = 8180;
#else
  const size_t visibilityAt = 8176;
#endif
  const int32_t unlisted = 3;
  memcpy(record + visibilityAt, &unlisted, sizeof(unlisted));
  return true;
}

FAKE_EXPORT bool SteamAPI_ISteamUGC_GetQueryUGCMetadata(const char* self, uint64_t query,
                                                        uint32_t index, char* buffer,
                                                        uint32_t size) {
  note("%s GetQueryUGCMetadata %llx %u %u", self, (unsigned long long)query, index, size);
  snprintf(buffer, size, "7");
  return true;
}

FAKE_EXPORT bool SteamAPI_ISteamUGC_ReleaseQueryUGCRequest(const char* self, uint64_t query) {
  note("%s ReleaseQueryUGCRequest %llx", self, (unsigned long long)query);
  return true;
}

FAKE_EXPORT uint64_t SteamAPI_ISteamUGC_StartItemUpdate(const char* self, uint32_t app,
                                                        uint64_t item) {
  note("%s StartItemUpdate %u %llx", self, app, (unsigned long long)item);
  return 0x5000000000000005ULL;
}

FAKE_EXPORT bool SteamAPI_ISteamUGC_SetItemTitle(const char* self, uint64_t update,
                                                 const char* text) {
  note("%s SetItemTitle %llx %s", self, (unsigned long long)update, text);
  return true;
}

FAKE_EXPORT bool SteamAPI_ISteamUGC_SetItemDescription(const char* self, uint64_t update,
                                                       const char* text) {
  note("%s SetItemDescription %llx %s", self, (unsigned long long)update, text);
  return true;
}

FAKE_EXPORT bool SteamAPI_ISteamUGC_SetItemMetadata(const char* self, uint64_t update,
                                                    const char* text) {
  note("%s SetItemMetadata %llx %s", self, (unsigned long long)update, text);
  return true;
}

FAKE_EXPORT bool SteamAPI_ISteamUGC_SetItemVisibility(const char* self, uint64_t update,
                                                      int32_t visibility) {
  note("%s SetItemVisibility %llx %d", self, (unsigned long long)update, visibility);
  return true;
}

struct cFakeStringArray {
  const char** strings;
  int32_t count;
};

std::string tagList(const cFakeStringArray* tags) {
  std::string list;
  for (int32_t i = 0; i < tags->count; ++i)
    list += std::string("[") + tags->strings[i] + "]";
  return list;
}

#if FAKE_SDK >= 158
FAKE_EXPORT bool SteamAPI_ISteamUGC_SetItemTags(const char* self, uint64_t update,
                                                const cFakeStringArray* tags, bool admin) {
  note("%s SetItemTags %llx %s admin=%d", self, (unsigned long long)update,
       tagList(tags).c_str(), admin);
  return true;
}
#else
FAKE_EXPORT bool SteamAPI_ISteamUGC_SetItemTags(const char* self, uint64_t update,
                                                const cFakeStringArray* tags) {
  note("%s SetItemTags %llx %s", self, (unsigned long long)update, tagList(tags).c_str());
  return true;
}
#endif

FAKE_EXPORT bool SteamAPI_ISteamUGC_SetItemContent(const char* self, uint64_t update,
                                                   const char* text) {
  note("%s SetItemContent %llx %s", self, (unsigned long long)update, text);
  return true;
}

FAKE_EXPORT bool SteamAPI_ISteamUGC_SetItemPreview(const char* self, uint64_t update,
                                                   const char* text) {
  note("%s SetItemPreview %llx %s", self, (unsigned long long)update, text);
  return true;
}

FAKE_EXPORT uint64_t SteamAPI_ISteamUGC_SubmitItemUpdate(const char* self, uint64_t update,
                                                         const char* note_) {
  note("%s SubmitItemUpdate %llx %s", self, (unsigned long long)update, note_);
  return 0x6000000000000006ULL;
}

FAKE_EXPORT int32_t SteamAPI_ISteamUGC_GetItemUpdateProgress(const char* self, uint64_t update,
                                                             uint64_t* done, uint64_t* total) {
  note("%s GetItemUpdateProgress %llx", self, (unsigned long long)update);
  *done = 0x100000000ULL;
  *total = 0x300000000ULL;
  return 3;
}

void listSubscribed(uint64_t* ids, uint32_t max) {
  if (max >= 2) {
    ids[0] = 0x7000000000000007ULL;
    ids[1] = 8;
  }
}

#if FAKE_SDK >= 162
FAKE_EXPORT uint32_t SteamAPI_ISteamUGC_GetSubscribedItems(const char* self, uint64_t* ids,
                                                           uint32_t max, bool disabled) {
  note("%s GetSubscribedItems %u disabled=%d", self, max, disabled);
  listSubscribed(ids, max);
  return 2;
}
#else
FAKE_EXPORT uint32_t SteamAPI_ISteamUGC_GetSubscribedItems(const char* self, uint64_t* ids,
                                                           uint32_t max) {
  note("%s GetSubscribedItems %u", self, max);
  listSubscribed(ids, max);
  return 2;
}
#endif

FAKE_EXPORT bool SteamAPI_ISteamUGC_GetItemInstallInfo(const char* self, uint64_t item,
                                                       uint64_t* size, char* folder,
                                                       uint32_t folderSize, uint32_t* stamp) {
  note("%s GetItemInstallInfo %llx %u", self, (unsigned long long)item, folderSize);
  *size = 0x200000000ULL;
  snprintf(folder, folderSize, "/items/%llx", (unsigned long long)item);
  *stamp = 1234;
  return true;
}

#ifndef FAKE_LACKS_DOWNLOAD
FAKE_EXPORT bool SteamAPI_ISteamUGC_DownloadItem(const char* self, uint64_t item, bool high) {
  note("%s DownloadItem %llx %d", self, (unsigned long long)item, high);
  return true;
}
#endif

FAKE_EXPORT uint64_t SteamAPI_ISteamUGC_DeleteItem(const char* self, uint64_t item) {
  note("%s DeleteItem %llx", self, (unsigned long long)item);
  return 0x8000000000000008ULL;
}
