// The local workshop service: an in-process stand-in for the Steam client
// and the Workshop over a store folder (see local_store.h). Calls that
// answer later return a handle at once; their work is done and their
// record delivered inside runCallbacks once the store's latency has
// passed, as Steam does it.
#ifndef DRAV_LOCALSTEAM_LOCAL_STEAM_H_
#define DRAV_LOCALSTEAM_LOCAL_STEAM_H_

#include <string.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "localsteam/local_store.h"
#include "steam/app_id.h"
#include "steam/steam_backend.h"

/// The local workshop service over the store folder `storeFolder`.
cSteamBackend* newLocalSteam(const std::string& storeFolder);

/// The base of every user's 64-bit Steam id: add the account id.
const uint64_t kSteamIdBase = 76561197960265728ULL;

class cLocalSteam;

/// The Workshop half of the service: items, queries, updates,
/// subscriptions and the download cache.
class cLocalUgc : public ISteamUGC {
 public:
  explicit cLocalUgc(cLocalSteam* steam) : steam_(steam) {}

  SteamAPICall_t CreateItem(AppId_t nConsumerAppId, EWorkshopFileType eFileType) override;
  UGCQueryHandle_t CreateQueryUserUGCRequest(AccountID_t unAccountID, EUserUGCList eListType,
                                             EUGCMatchingUGCType eMatchingUGCType,
                                             EUserUGCListSortOrder eSortOrder,
                                             AppId_t nCreatorAppID, AppId_t nConsumerAppID,
                                             uint32_t unPage) override;
  bool SetReturnMetadata(UGCQueryHandle_t handle, bool bReturnMetadata) override;
  SteamAPICall_t SendQueryUGCRequest(UGCQueryHandle_t handle) override;
  bool GetQueryUGCResult(UGCQueryHandle_t handle, uint32_t index,
                         SteamUGCDetails_t* pDetails) override;
  bool GetQueryUGCMetadata(UGCQueryHandle_t handle, uint32_t index, char* pchMetadata,
                           uint32_t cchMetadatasize) override;
  bool ReleaseQueryUGCRequest(UGCQueryHandle_t handle) override;

  UGCUpdateHandle_t StartItemUpdate(AppId_t nConsumerAppId,
                                    PublishedFileId_t nPublishedFileID) override;
  bool SetItemTitle(UGCUpdateHandle_t handle, const char* pchTitle) override;
  bool SetItemDescription(UGCUpdateHandle_t handle, const char* pchDescription) override;
  bool SetItemMetadata(UGCUpdateHandle_t handle, const char* pchMetaData) override;
  bool SetItemVisibility(UGCUpdateHandle_t handle,
                         ERemoteStoragePublishedFileVisibility eVisibility) override;
  bool SetItemTags(UGCUpdateHandle_t updateHandle, const SteamParamStringArray_t* pTags) override;
  bool SetItemContent(UGCUpdateHandle_t handle, const char* pszContentFolder) override;
  bool SetItemPreview(UGCUpdateHandle_t handle, const char* pszPreviewFile) override;
  SteamAPICall_t SubmitItemUpdate(UGCUpdateHandle_t handle, const char* pchChangeNote) override;
  EItemUpdateStatus GetItemUpdateProgress(UGCUpdateHandle_t handle, uint64_t* punBytesProcessed,
                                          uint64_t* punBytesTotal) override;

  uint32_t GetSubscribedItems(PublishedFileId_t* pvecPublishedFileID,
                              uint32_t cMaxEntries) override;
  /// Costs one stat (two for an item not in the cache). The size on disk is
  /// not tracked and reported as 0; the time stamp is the folder's.
  bool GetItemInstallInfo(PublishedFileId_t nPublishedFileID, uint64_t* punSizeOnDisk,
                          char* pchFolder, uint32_t cchFolderSize,
                          uint32_t* punTimeStamp) override;
  bool DownloadItem(PublishedFileId_t nPublishedFileID, bool bHighPriority) override;
  /// Only the owner may delete an item; anyone else gets access denied.
  SteamAPICall_t DeleteItem(PublishedFileId_t nPublishedFileID) override;

  /// Forgets every query and update (at shutdown).
  void reset();

 private:
  struct cQuery {
    AccountID_t account = 0;
    AppId_t creatorApp = 0;
    AppId_t consumerApp = 0;
    uint32_t page = 1;
    bool returnMetadata = false;
    bool completed = false;
    std::vector<SteamUGCDetails_t> details;
    std::vector<std::string> metadata;
  };
  struct cUpdate {
    AppId_t app = 0;
    PublishedFileId_t item = 0;
    bool hasTitle = false, hasDescription = false, hasMetadata = false, hasVisibility = false,
         hasTags = false;
    std::string title, description, metadata, contentFolder, previewFile;
    int32_t visibility = 0;
    std::vector<std::string> tags;
    bool submitted = false;
    SteamAPICall_t call = k_uAPICallInvalid;
    std::chrono::steady_clock::time_point submittedAt;
    bool bytesKnown = false;
    uint64_t bytesTotal = 0;
  };

  void runQuery(UGCQueryHandle_t handle, SteamUGCQueryCompleted_t* record);
  EResult applyUpdate(UGCUpdateHandle_t handle, const std::string& changeNote);
  EResult checkUpdate(const cUpdate& update, const cStoreItem& item) const;
  void fillDetails(const cStoreItem& item, SteamUGCDetails_t* details) const;
  cUpdate* openUpdate(UGCUpdateHandle_t handle);
  void broadcastNoise(PublishedFileId_t item, AppId_t app);

  cLocalSteam* steam_;
  std::map<UGCQueryHandle_t, cQuery> queries_;
  std::map<UGCUpdateHandle_t, cUpdate> updates_;
  uint64_t lastQuery_ = 2ULL << 32;
  uint64_t lastUpdate_ = 3ULL << 32;
};

class cLocalUser : public ISteamUser {
 public:
  explicit cLocalUser(cLocalSteam* steam) : steam_(steam) {}
  CSteamID GetSteamID() override;

 private:
  cLocalSteam* steam_;
};

class cLocalFriends : public ISteamFriends {
 public:
  explicit cLocalFriends(cLocalSteam* steam) : steam_(steam) {}
  bool SetRichPresence(const char* pchKey, const char* pchValue) override;

 private:
  cLocalSteam* steam_;
};

class cLocalUtils : public ISteamUtils {
 public:
  AppId_t GetAppID() override { return toolAppId(); }
};

class cLocalSteam : public cSteamBackend {
 public:
  explicit cLocalSteam(const std::string& storeFolder);

  bool init() override;
  void shutdown() override;
  void runCallbacks() override;
  void registerCallback(CCallbackBase* callback, int id) override;
  void unregisterCallback(CCallbackBase* callback) override;
  void registerCallResult(CCallbackBase* callback, SteamAPICall_t call) override;
  void unregisterCallResult(CCallbackBase* callback, SteamAPICall_t call) override;

  ISteamUser* user() override;
  ISteamFriends* friends() override;
  ISteamUtils* utils() override;
  ISteamUGC* ugc() override;

  const cLocalStore& store() const { return store_; }
  /// The settings read at init.
  const cStoreSettings& settings() const { return settings_; }

  /// Takes one use of the fault set for `op` (one of kFaultOps), re-reading
  /// it under the lock. False when none is set.
  bool takeFault(const char* op, cStoreFault* fault);

  /// Answers a call with a record of type R, later: `base` holds the fields
  /// known now; when due, `work` does the call's work and completes the
  /// record, unless `fault` (may be null) replaces the outcome. Returns the
  /// call handle.
  template <class R>
  SteamAPICall_t answer(const R& base, const cStoreFault* fault, std::function<void(R*)> work) {
    return post(R::k_iCallback, true, &base, sizeof(R), fault, eraseType<R>(work), resultSetter<R>());
  }
  /// Broadcasts a record of type R later, like `answer`.
  template <class R>
  void broadcast(const R& base, const cStoreFault* fault, std::function<void(R*)> work) {
    post(R::k_iCallback, false, &base, sizeof(R), fault, eraseType<R>(work), resultSetter<R>());
  }
  /// True while `call` waits for its answer.
  bool callPending(SteamAPICall_t call) const;
  /// The latency read at init.
  std::chrono::milliseconds latency() const;

 private:
  struct cAnswer {
    SteamAPICall_t call;  // 0 for a broadcast
    int callbackId;
    std::chrono::steady_clock::time_point due;
    std::vector<unsigned char> record;
    cStoreFault fault;
    bool faulted;
    std::function<void(void*)> work;
    std::function<void(void*, EResult)> setResult;
  };

  template <class R>
  static std::function<void(void*)> eraseType(std::function<void(R*)> work) {
    return [work](void* record) { work(static_cast<R*>(record)); };
  }
  template <class R>
  static std::function<void(void*, EResult)> resultSetter() {
    return [](void* record, EResult code) { static_cast<R*>(record)->m_eResult = code; };
  }

  SteamAPICall_t post(int callbackId, bool isCall, const void* base,
                      size_t size, const cStoreFault* fault, std::function<void(void*)> work,
                      std::function<void(void*, EResult)> setResult);
  void deliver(cAnswer* answer);

  cLocalStore store_;
  cStoreSettings settings_;
  bool initialized_ = false;
  cLocalUser user_;
  cLocalFriends friends_;
  cLocalUtils utils_;
  cLocalUgc ugc_;
  std::vector<cAnswer> pending_;  // in order of posting; due times never decrease
  std::map<SteamAPICall_t, CCallbackBase*> callResults_;
  std::vector<std::pair<CCallbackBase*, int>> callbacks_;
  uint64_t lastCall_ = 1ULL << 32;
};

#endif  // DRAV_LOCALSTEAM_LOCAL_STEAM_H_
