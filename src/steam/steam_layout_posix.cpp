// Steam's record layouts with GCC and Clang on Linux and macOS (packed to
// 4 bytes), checked where the records are compiled: the library reads and
// writes these bytes, so a change here breaks every call that uses them.
#include <stddef.h>

#include "steam/steam_api.h"

static_assert(sizeof(CreateItemResult_t) == 16, "CreateItemResult_t size");
static_assert(offsetof(CreateItemResult_t, m_nPublishedFileId) == 4, "CreateItemResult_t id");
static_assert(offsetof(CreateItemResult_t, m_bUserNeedsToAcceptWorkshopLegalAgreement) == 12,
              "CreateItemResult_t legal flag");

static_assert(sizeof(SteamUGCQueryCompleted_t) == 280, "SteamUGCQueryCompleted_t size");
static_assert(offsetof(SteamUGCQueryCompleted_t, m_eResult) == 8, "query result");
static_assert(offsetof(SteamUGCQueryCompleted_t, m_unTotalMatchingResults) == 16, "query total");
static_assert(offsetof(SteamUGCQueryCompleted_t, m_rgchNextCursor) == 21, "query cursor");

static_assert(sizeof(SubmitItemUpdateResult_t) == 16, "SubmitItemUpdateResult_t size");
static_assert(offsetof(SubmitItemUpdateResult_t, m_bUserNeedsToAcceptWorkshopLegalAgreement) == 4,
              "SubmitItemUpdateResult_t legal flag");
static_assert(offsetof(SubmitItemUpdateResult_t, m_nPublishedFileId) == 8,
              "SubmitItemUpdateResult_t id");

static_assert(sizeof(DeleteItemResult_t) == 12, "DeleteItemResult_t size");
static_assert(offsetof(DeleteItemResult_t, m_nPublishedFileId) == 4, "DeleteItemResult_t id");

static_assert(sizeof(DownloadItemResult_t) == 16, "DownloadItemResult_t size");
static_assert(offsetof(DownloadItemResult_t, m_nPublishedFileId) == 4, "DownloadItemResult_t id");
static_assert(offsetof(DownloadItemResult_t, m_eResult) == 12, "DownloadItemResult_t result");

static_assert(sizeof(SteamParamStringArray_t) == sizeof(void*) + 4, "SteamParamStringArray_t size");
static_assert(offsetof(SteamParamStringArray_t, m_nNumStrings) == sizeof(void*),
              "SteamParamStringArray_t count");

static_assert(sizeof(SteamUGCDetails_t) == 9772, "SteamUGCDetails_t size");
static_assert(offsetof(SteamUGCDetails_t, m_rgchDescription) == 153, "details description");
static_assert(offsetof(SteamUGCDetails_t, m_ulSteamIDOwner) == 8156, "details owner");
static_assert(offsetof(SteamUGCDetails_t, m_rtimeCreated) == 8164, "details created");
static_assert(offsetof(SteamUGCDetails_t, m_eVisibility) == 8176, "details visibility");
static_assert(offsetof(SteamUGCDetails_t, m_rgchTags) == 8183, "details tags");
static_assert(offsetof(SteamUGCDetails_t, m_hFile) == 9208, "details file");
static_assert(offsetof(SteamUGCDetails_t, m_ulTotalFilesSize) == 9764, "details total size");
