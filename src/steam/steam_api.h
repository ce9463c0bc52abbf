// Our declarations of exactly the part of the Steamworks API that the tool
// uses, under the names that Steamworks gives them. Two back ends sit
// behind them (see steam_backend.h): the local workshop service when the
// environment variable DRAV_LOCAL_STEAM names a store folder, otherwise the
// player's Steam client through the redistributable library.
#ifndef DRAV_STEAM_STEAM_API_H_
#define DRAV_STEAM_STEAM_API_H_

#include <stddef.h>
#include <stdint.h>

#include "steam/steam_abi.h"

typedef uint64_t PublishedFileId_t;
typedef uint64_t SteamAPICall_t;
typedef uint64_t UGCQueryHandle_t;
typedef uint64_t UGCUpdateHandle_t;
typedef uint32_t AppId_t;
typedef uint32_t AccountID_t;

const SteamAPICall_t k_uAPICallInvalid = 0;

enum EResult : int32_t {
  k_EResultNone = 0,
  k_EResultOK = 1,
  k_EResultFail = 2,
  k_EResultNoConnection = 3,
  k_EResultInvalidParam = 8,
  k_EResultFileNotFound = 9,
  k_EResultBusy = 10,
  k_EResultDuplicateName = 14,
  k_EResultAccessDenied = 15,
  k_EResultTimeout = 16,
  k_EResultBanned = 17,
  k_EResultServiceUnavailable = 20,
  k_EResultNotLoggedOn = 21,
  k_EResultInsufficientPrivilege = 24,
  k_EResultLimitExceeded = 25,
  k_EResultDuplicateRequest = 29,
  k_EResultLockingFailed = 33,
  k_EResultIOFailure = 37,
  k_EResultServiceReadOnly = 44,
  k_EResultUnexpectedError = 79,
  k_EResultRateLimitExceeded = 84,
  k_EResultItemDeleted = 86,
};

enum EWorkshopFileType : int32_t { k_EWorkshopFileTypeCommunity = 0 };
enum EUserUGCList : int32_t { k_EUserUGCList_Published = 0 };
enum EUGCMatchingUGCType : int32_t { k_EUGCMatchingUGCType_Items_ReadyToUse = 2 };
enum EUserUGCListSortOrder : int32_t {
  k_EUserUGCListSortOrder_CreationOrderDesc = 0
};
enum ERemoteStoragePublishedFileVisibility : int32_t {
  k_ERemoteStoragePublishedFileVisibilityPublic = 0,
  k_ERemoteStoragePublishedFileVisibilityFriendsOnly = 1,
  k_ERemoteStoragePublishedFileVisibilityPrivate = 2,
  k_ERemoteStoragePublishedFileVisibilityUnlisted = 3,
};
enum EItemUpdateStatus : int32_t {
  k_EItemUpdateStatusInvalid = 0,
  k_EItemUpdateStatusPreparingConfig = 1,
  k_EItemUpdateStatusPreparingContent = 2,
  k_EItemUpdateStatusUploadingContent = 3,
  k_EItemUpdateStatusUploadingPreviewFile = 4,
  k_EItemUpdateStatusCommittingChanges = 5,
};

/// A user's 64-bit Steam id; the account id is its low 32 bits.
class CSteamID {
 public:
  explicit CSteamID(uint64_t steamId = 0) : m_steamid(steamId) {}
  AccountID_t GetAccountID() const { return static_cast<AccountID_t>(m_steamid); }
  uint64_t ConvertToUint64() const { return m_steamid; }

 private:
  uint64_t m_steamid;
};

DRAV_STEAM_PACK_PUSH

struct SteamParamStringArray_t {
  const char** m_ppStrings;
  int32_t m_nNumStrings;
};

struct SteamUGCDetails_t {
  PublishedFileId_t m_nPublishedFileId;
  EResult m_eResult;
  EWorkshopFileType m_eFileType;
  AppId_t m_nCreatorAppID;
  AppId_t m_nConsumerAppID;
  char m_rgchTitle[129];
  char m_rgchDescription[8000];
  uint64_t m_ulSteamIDOwner;
  uint32_t m_rtimeCreated;
  uint32_t m_rtimeUpdated;
  uint32_t m_rtimeAddedToUserList;
  ERemoteStoragePublishedFileVisibility m_eVisibility;
  bool m_bBanned;
  bool m_bAcceptedForUse;
  bool m_bTagsTruncated;
  char m_rgchTags[1025];
  uint64_t m_hFile;
  uint64_t m_hPreviewFile;
  char m_pchFileName[260];
  int32_t m_nFileSize;
  int32_t m_nPreviewFileSize;
  char m_rgchURL[256];
  uint32_t m_unVotesUp;
  uint32_t m_unVotesDown;
  float m_flScore;
  uint32_t m_unNumChildren;
  uint64_t m_ulTotalFilesSize;
};

struct CreateItemResult_t {
  enum { k_iCallback = 3403 };
  EResult m_eResult;
  PublishedFileId_t m_nPublishedFileId;
  bool m_bUserNeedsToAcceptWorkshopLegalAgreement;
};

struct SteamUGCQueryCompleted_t {
  enum { k_iCallback = 3401 };
  UGCQueryHandle_t m_handle;
  EResult m_eResult;
  uint32_t m_unNumResultsReturned;
  uint32_t m_unTotalMatchingResults;
  bool m_bCachedData;
  char m_rgchNextCursor[256];
};

struct SubmitItemUpdateResult_t {
  enum { k_iCallback = 3404 };
  EResult m_eResult;
  bool m_bUserNeedsToAcceptWorkshopLegalAgreement;
  PublishedFileId_t m_nPublishedFileId;
};

struct DeleteItemResult_t {
  enum { k_iCallback = 3417 };
  EResult m_eResult;
  PublishedFileId_t m_nPublishedFileId;
};

struct DownloadItemResult_t {
  enum { k_iCallback = 3406 };
  AppId_t m_unAppID;
  PublishedFileId_t m_nPublishedFileId;
  EResult m_eResult;
};

#pragma pack(pop)

class ISteamUser {
 public:
  virtual CSteamID GetSteamID() = 0;

 protected:
  ~ISteamUser() {}
};

class ISteamFriends {
 public:
  virtual bool SetRichPresence(const char* pchKey, const char* pchValue) = 0;

 protected:
  ~ISteamFriends() {}
};

class ISteamUtils {
 public:
  virtual AppId_t GetAppID() = 0;

 protected:
  ~ISteamUtils() {}
};

class ISteamUGC {
 public:
  virtual SteamAPICall_t CreateItem(AppId_t nConsumerAppId,
                                    EWorkshopFileType eFileType) = 0;
  virtual UGCQueryHandle_t CreateQueryUserUGCRequest(
      AccountID_t unAccountID, EUserUGCList eListType,
      EUGCMatchingUGCType eMatchingUGCType, EUserUGCListSortOrder eSortOrder,
      AppId_t nCreatorAppID, AppId_t nConsumerAppID, uint32_t unPage) = 0;
  virtual bool SetReturnMetadata(UGCQueryHandle_t handle, bool bReturnMetadata) = 0;
  virtual SteamAPICall_t SendQueryUGCRequest(UGCQueryHandle_t handle) = 0;
  virtual bool GetQueryUGCResult(UGCQueryHandle_t handle, uint32_t index,
                                 SteamUGCDetails_t* pDetails) = 0;
  virtual bool GetQueryUGCMetadata(UGCQueryHandle_t handle, uint32_t index,
                                   char* pchMetadata, uint32_t cchMetadatasize) = 0;
  virtual bool ReleaseQueryUGCRequest(UGCQueryHandle_t handle) = 0;

  virtual UGCUpdateHandle_t StartItemUpdate(AppId_t nConsumerAppId,
                                            PublishedFileId_t nPublishedFileID) = 0;
  virtual bool SetItemTitle(UGCUpdateHandle_t handle, const char* pchTitle) = 0;
  virtual bool SetItemDescription(UGCUpdateHandle_t handle, const char* pchDescription) = 0;
  virtual bool SetItemMetadata(UGCUpdateHandle_t handle, const char* pchMetaData) = 0;
  virtual bool SetItemVisibility(UGCUpdateHandle_t handle,
                                 ERemoteStoragePublishedFileVisibility eVisibility) = 0;
  virtual bool SetItemTags(UGCUpdateHandle_t updateHandle,
                           const SteamParamStringArray_t* pTags) = 0;
  virtual bool SetItemContent(UGCUpdateHandle_t handle, const char* pszContentFolder) = 0;
  virtual bool SetItemPreview(UGCUpdateHandle_t handle, const char* pszPreviewFile) = 0;
  virtual SteamAPICall_t SubmitItemUpdate(UGCUpdateHandle_t handle,
                                          const char* pchChangeNote) = 0;
  virtual EItemUpdateStatus GetItemUpdateProgress(UGCUpdateHandle_t handle,
                                                  uint64_t* punBytesProcessed,
                                                  uint64_t* punBytesTotal) = 0;

  virtual uint32_t GetSubscribedItems(PublishedFileId_t* pvecPublishedFileID,
                                      uint32_t cMaxEntries) = 0;
  virtual bool GetItemInstallInfo(PublishedFileId_t nPublishedFileID,
                                  uint64_t* punSizeOnDisk, char* pchFolder,
                                  uint32_t cchFolderSize, uint32_t* punTimeStamp) = 0;
  virtual bool DownloadItem(PublishedFileId_t nPublishedFileID, bool bHighPriority) = 0;
  /// Answers with a DeleteItemResult_t.
  virtual SteamAPICall_t DeleteItem(PublishedFileId_t nPublishedFileID) = 0;

 protected:
  ~ISteamUGC() {}
};

bool SteamAPI_Init();
void SteamAPI_Shutdown();
void SteamAPI_RunCallbacks();
void SteamAPI_RegisterCallback(CCallbackBase* pCallback, int iCallback);
void SteamAPI_UnregisterCallback(CCallbackBase* pCallback);
void SteamAPI_RegisterCallResult(CCallbackBase* pCallback, SteamAPICall_t hAPICall);
void SteamAPI_UnregisterCallResult(CCallbackBase* pCallback, SteamAPICall_t hAPICall);

ISteamUser* SteamUser();
ISteamFriends* SteamFriends();
ISteamUtils* SteamUtils();
ISteamUGC* SteamUGC();

#endif  // DRAV_STEAM_STEAM_API_H_
