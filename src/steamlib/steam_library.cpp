// The back end over the redistributable Steam library: its flat C
// interface resolved at run time, and adapters that present it through our
// ISteam* declarations. No SDK header and no link-time dependency.
#include "steamlib/steam_library.h"

#include <string>

#include "platform/library.h"
#include "platform/process.h"
#include "steam/app_id.h"
#include "steamlib/flat_api.h"

namespace {

/// The part that every adapter shares: the flat functions and the
/// interface pointer they take first.
class cAdapter {
 public:
  explicit cAdapter(const cFlatApi& api) : api_(api), self_(nullptr) {}
  void attach(void* self) { self_ = self; }
  bool attached() const { return self_ != nullptr; }

 protected:
  const cFlatApi& api_;
  void* self_;
};

class cLibraryUser final : public ISteamUser, public cAdapter {
 public:
  using cAdapter::cAdapter;
  CSteamID GetSteamID() override { return CSteamID(api_.getSteamID(self_)); }
};

class cLibraryFriends final : public ISteamFriends, public cAdapter {
 public:
  using cAdapter::cAdapter;
  bool SetRichPresence(const char* pchKey, const char* pchValue) override {
    return api_.setRichPresence(self_, pchKey, pchValue);
  }
};

class cLibraryUtils final : public ISteamUtils, public cAdapter {
 public:
  using cAdapter::cAdapter;
  AppId_t GetAppID() override { return api_.getAppID(self_); }
};

class cLibraryUgc final : public ISteamUGC, public cAdapter {
 public:
  using cAdapter::cAdapter;

  SteamAPICall_t CreateItem(AppId_t nConsumerAppId, EWorkshopFileType eFileType) override {
    return api_.createItem(self_, nConsumerAppId, eFileType);
  }
  UGCQueryHandle_t CreateQueryUserUGCRequest(AccountID_t unAccountID, EUserUGCList eListType,
                                             EUGCMatchingUGCType eMatchingUGCType,
                                             EUserUGCListSortOrder eSortOrder,
                                             AppId_t nCreatorAppID, AppId_t nConsumerAppID,
                                             uint32_t unPage) override {
    return api_.createQueryUserUGCRequest(self_, unAccountID, eListType, eMatchingUGCType,
                                          eSortOrder, nCreatorAppID, nConsumerAppID, unPage);
  }
  bool SetReturnMetadata(UGCQueryHandle_t handle, bool bReturnMetadata) override {
    return api_.setReturnMetadata(self_, handle, bReturnMetadata);
  }
  SteamAPICall_t SendQueryUGCRequest(UGCQueryHandle_t handle) override {
    return api_.sendQueryUGCRequest(self_, handle);
  }
  bool GetQueryUGCResult(UGCQueryHandle_t handle, uint32_t index,
                         SteamUGCDetails_t* pDetails) override {
    return api_.getQueryUGCResult(self_, handle, index, pDetails);
  }
  bool GetQueryUGCMetadata(UGCQueryHandle_t handle, uint32_t index, char* pchMetadata,
                           uint32_t cchMetadatasize) override {
    return api_.getQueryUGCMetadata(self_, handle, index, pchMetadata, cchMetadatasize);
  }
  bool ReleaseQueryUGCRequest(UGCQueryHandle_t handle) override {
    return api_.releaseQueryUGCRequest(self_, handle);
  }
  UGCUpdateHandle_t StartItemUpdate(AppId_t nConsumerAppId,
                                    PublishedFileId_t nPublishedFileID) override {
    return api_.startItemUpdate(self_, nConsumerAppId, nPublishedFileID);
  }
  bool SetItemTitle(UGCUpdateHandle_t handle, const char* pchTitle) override {
    return api_.setItemTitle(self_, handle, pchTitle);
  }
  bool SetItemDescription(UGCUpdateHandle_t handle, const char* pchDescription) override {
    return api_.setItemDescription(self_, handle, pchDescription);
  }
  bool SetItemMetadata(UGCUpdateHandle_t handle, const char* pchMetaData) override {
    return api_.setItemMetadata(self_, handle, pchMetaData);
  }
  bool SetItemVisibility(UGCUpdateHandle_t handle,
                         ERemoteStoragePublishedFileVisibility eVisibility) override {
    return api_.setItemVisibility(self_, handle, eVisibility);
  }
  bool SetItemTags(UGCUpdateHandle_t updateHandle, const SteamParamStringArray_t* pTags) override {
    if (api_.ugcName->version >= kUgcWithAdminTags) {
      typedef bool (*withAdminTags)(void*, uint64_t, const SteamParamStringArray_t*, bool);
      return reinterpret_cast<withAdminTags>(api_.setItemTags)(self_, updateHandle, pTags, false);
    }
    typedef bool (*withoutAdminTags)(void*, uint64_t, const SteamParamStringArray_t*);
    return reinterpret_cast<withoutAdminTags>(api_.setItemTags)(self_, updateHandle, pTags);
  }
  bool SetItemContent(UGCUpdateHandle_t handle, const char* pszContentFolder) override {
    return api_.setItemContent(self_, handle, pszContentFolder);
  }
  bool SetItemPreview(UGCUpdateHandle_t handle, const char* pszPreviewFile) override {
    return api_.setItemPreview(self_, handle, pszPreviewFile);
  }
  SteamAPICall_t SubmitItemUpdate(UGCUpdateHandle_t handle, const char* pchChangeNote) override {
    return api_.submitItemUpdate(self_, handle, pchChangeNote);
  }
  EItemUpdateStatus GetItemUpdateProgress(UGCUpdateHandle_t handle, uint64_t* punBytesProcessed,
                                          uint64_t* punBytesTotal) override {
    return static_cast<EItemUpdateStatus>(
        api_.getItemUpdateProgress(self_, handle, punBytesProcessed, punBytesTotal));
  }
  uint32_t GetSubscribedItems(PublishedFileId_t* pvecPublishedFileID,
                              uint32_t cMaxEntries) override {
    if (api_.ugcName->version >= kUgcWithLocallyDisabled) {
      typedef uint32_t (*withLocallyDisabled)(void*, uint64_t*, uint32_t, bool);
      return reinterpret_cast<withLocallyDisabled>(api_.getSubscribedItems)(
          self_, pvecPublishedFileID, cMaxEntries, false);
    }
    typedef uint32_t (*withoutLocallyDisabled)(void*, uint64_t*, uint32_t);
    return reinterpret_cast<withoutLocallyDisabled>(api_.getSubscribedItems)(
        self_, pvecPublishedFileID, cMaxEntries);
  }
  bool GetItemInstallInfo(PublishedFileId_t nPublishedFileID, uint64_t* punSizeOnDisk,
                          char* pchFolder, uint32_t cchFolderSize,
                          uint32_t* punTimeStamp) override {
    return api_.getItemInstallInfo(self_, nPublishedFileID, punSizeOnDisk, pchFolder,
                                   cchFolderSize, punTimeStamp);
  }
  bool DownloadItem(PublishedFileId_t nPublishedFileID, bool bHighPriority) override {
    return api_.downloadItem(self_, nPublishedFileID, bHighPriority);
  }
  SteamAPICall_t DeleteItem(PublishedFileId_t nPublishedFileID) override {
    return api_.deleteItem(self_, nPublishedFileID);
  }
};

/// The library is opened at the first need, which is usually the
/// workshop object's registration of its download callback, before init:
/// the library accepts registrations before init, so they go straight to
/// it. Nothing else reaches the library before a successful init.
class cSteamLibrary final : public cSteamBackend {
 public:
  /// `path` "" opens the library by the platform's search.
  explicit cSteamLibrary(const std::string& path)
      : path_(path), opened_(false), library_(nullptr), api_(), started_(false),
        user_(api_), friends_(api_), utils_(api_), ugc_(api_) {}

  /// The library stays loaded: it keeps threads and memory of its own that
  /// would be cut off under it.
  ~cSteamLibrary() override { shutdown(); }

  bool init() override {
    if (started_)
      return true;
    if (!open())
      return false;
    const std::string appId = std::to_string(toolAppId());
    setEnvironmentDefault("SteamAppId", appId);
    setEnvironmentDefault("SteamGameId", appId);
    if (!initLibrary(api_))
      return false;
    started_ = true;
    attachInterfaces();
    return true;
  }

  void shutdown() override {
    if (!started_)
      return;
    api_.shutdown();
    started_ = false;
    attachInterfaces();
  }

  void runCallbacks() override {
    if (started_)
      api_.runCallbacks();
    sleepMilliseconds(1);  // so that waiting for Steam leaves the core idle
  }

  void registerCallback(CCallbackBase* callback, int id) override {
    if (open())
      api_.registerCallback(callback, id);
  }
  void unregisterCallback(CCallbackBase* callback) override {
    if (open())
      api_.unregisterCallback(callback);
  }
  void registerCallResult(CCallbackBase* callback, SteamAPICall_t call) override {
    if (open())
      api_.registerCallResult(callback, call);
  }
  void unregisterCallResult(CCallbackBase* callback, SteamAPICall_t call) override {
    if (open())
      api_.unregisterCallResult(callback, call);
  }

  ISteamUser* user() override { return user_.attached() ? &user_ : nullptr; }
  ISteamFriends* friends() override { return friends_.attached() ? &friends_ : nullptr; }
  ISteamUtils* utils() override { return utils_.attached() ? &utils_ : nullptr; }
  ISteamUGC* ugc() override { return ugc_.attached() ? &ugc_ : nullptr; }

 private:
  /// Points the adapters at the library's interfaces while Steam runs, and
  /// at nothing otherwise.
  void attachInterfaces() {
    user_.attach(started_ ? api_.steamUser() : nullptr);
    friends_.attach(started_ ? api_.steamFriends() : nullptr);
    utils_.attach(started_ ? api_.steamUtils() : nullptr);
    ugc_.attach(started_ ? api_.steamUgc() : nullptr);
  }

  /// Opens and resolves the library once; false when there is none or it
  /// lacks a function the tool calls, and then nothing is ever called.
  bool open() {
    if (!opened_) {
      opened_ = true;
      library_ = path_.empty() ? openSteamLibrary() : openLibraryFile(path_);
      if (library_ && !resolveFlatApi(library_, &api_, nullptr)) {
        closeLibrary(library_);
        library_ = nullptr;
      }
    }
    return library_ != nullptr;
  }

  std::string path_;
  bool opened_;
  void* library_;
  cFlatApi api_;
  bool started_;
  cLibraryUser user_;
  cLibraryFriends friends_;
  cLibraryUtils utils_;
  cLibraryUgc ugc_;
};

}  // namespace

cSteamBackend* newSteamLibrary() {
  return new cSteamLibrary("");
}

cSteamBackend* newSteamLibraryAt(const std::string& path) {
  return new cSteamLibrary(path);
}

bool steamLibraryResolvesAll(const std::string& path, std::string* missing) {
  void* library = openLibraryFile(path);
  if (!library) {
    *missing = path;
    return false;
  }
  // Left loaded, like the back end's: unloading it would orphan what its
  // static constructors allocated.
  cFlatApi api = {};
  return resolveFlatApi(library, &api, missing);
}
