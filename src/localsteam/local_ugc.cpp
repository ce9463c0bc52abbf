// The Workshop half of the local service.
#include <algorithm>

#include "localsteam/local_steam.h"

#include "files/directory.h"
#include "platform/files.h"

namespace {

const UGCQueryHandle_t kInvalidQuery = ~0ULL;
const UGCUpdateHandle_t kInvalidUpdate = ~0ULL;
const uint32_t kPageSize = 50;

// Steam's field limits.
const size_t kMaxTitle = 128;
const size_t kMaxMetadata = 5000;
const size_t kMaxTag = 255;
const uint64_t kMaxPreview = 1024 * 1024;
const uint64_t kMinPreview = 16;

/// Copies `text` into `buffer` of `size` bytes, cut to fit, NUL-terminated.
/// True when nothing was cut.
bool copyText(const std::string& text, char* buffer, size_t size) {
  if (size == 0)
    return text.empty();
  size_t length = std::min(text.size(), size - 1);
  memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length == text.size();
}

bool validTag(const std::string& tag) {
  if (tag.empty() || tag.size() > kMaxTag)
    return false;
  return std::none_of(tag.begin(), tag.end(), [](char c) {
    return c == ',' || (static_cast<unsigned char>(c) < 0x20);
  });
}

/// Whether `folder` is a folder with at least one entry.
bool folderHasEntries(const std::string& folder) {
  if (fileStatus(folder).kind != kFolder)
    return false;
  std::vector<std::string> files, folders;
  listFiles(folder, &files);
  listFolders(folder, &folders);
  return !files.empty() || !folders.empty();
}

uint64_t folderBytes(const std::string& folder) {
  std::vector<cContentFile> files;
  listFilesBelow(folder, &files);
  uint64_t total = 0;
  for (const cContentFile& file : files)
    total += file.size;
  return total;
}

}  // namespace

void cLocalUgc::reset() {
  queries_.clear();
  updates_.clear();
}

SteamAPICall_t cLocalUgc::CreateItem(AppId_t nConsumerAppId, EWorkshopFileType eFileType) {
  cStoreFault fault;
  bool faulted = steam_->takeFault("create", &fault);
  if (faulted && fault.kind == cStoreFault::kRefuse)
    return k_uAPICallInvalid;
  CreateItemResult_t base = {};
  base.m_bUserNeedsToAcceptWorkshopLegalAgreement = !steam_->settings().legalAccepted;
  uint32_t owner = steam_->settings().account;
  const cLocalStore* store = &steam_->store();
  return steam_->answer<CreateItemResult_t>(
      base, faulted ? &fault : nullptr, [=](CreateItemResult_t* record) {
        if (nConsumerAppId != toolAppId() || eFileType != k_EWorkshopFileTypeCommunity) {
          record->m_eResult = k_EResultInvalidParam;
          return;
        }
        cStoreLock lock(store->folder());
        cStoreItem item;
        item.owner = owner;
        item.app = nConsumerAppId;
        item.created = item.updated = storeTime();
        if (!lock.held() || !store->allocateId(&item.id) || !store->writeItem(item)) {
          record->m_eResult = k_EResultFail;
          return;
        }
        record->m_eResult = k_EResultOK;
        record->m_nPublishedFileId = item.id;
      });
}

UGCQueryHandle_t cLocalUgc::CreateQueryUserUGCRequest(AccountID_t unAccountID,
                                                      EUserUGCList eListType,
                                                      EUGCMatchingUGCType eMatchingUGCType,
                                                      EUserUGCListSortOrder eSortOrder,
                                                      AppId_t nCreatorAppID,
                                                      AppId_t nConsumerAppID, uint32_t unPage) {
  // Only the one kind of query the tool makes is served.
  if (eListType != k_EUserUGCList_Published ||
      eMatchingUGCType != k_EUGCMatchingUGCType_Items_ReadyToUse ||
      eSortOrder != k_EUserUGCListSortOrder_CreationOrderDesc || unPage < 1)
    return kInvalidQuery;
  cQuery query;
  query.account = unAccountID;
  query.creatorApp = nCreatorAppID;
  query.consumerApp = nConsumerAppID;
  query.page = unPage;
  queries_[++lastQuery_] = query;
  return lastQuery_;
}

bool cLocalUgc::SetReturnMetadata(UGCQueryHandle_t handle, bool bReturnMetadata) {
  auto query = queries_.find(handle);
  if (query == queries_.end())
    return false;
  query->second.returnMetadata = bReturnMetadata;
  return true;
}

SteamAPICall_t cLocalUgc::SendQueryUGCRequest(UGCQueryHandle_t handle) {
  if (queries_.find(handle) == queries_.end())
    return k_uAPICallInvalid;
  cStoreFault fault;
  bool faulted = steam_->takeFault("query", &fault);
  if (faulted && fault.kind == cStoreFault::kRefuse)
    return k_uAPICallInvalid;
  SteamUGCQueryCompleted_t base = {};
  base.m_handle = handle;
  return steam_->answer<SteamUGCQueryCompleted_t>(
      base, faulted ? &fault : nullptr,
      [this, handle](SteamUGCQueryCompleted_t* record) { runQuery(handle, record); });
}

void cLocalUgc::runQuery(UGCQueryHandle_t handle, SteamUGCQueryCompleted_t* record) {
  auto found = queries_.find(handle);
  if (found == queries_.end()) {  // released before its answer
    record->m_eResult = k_EResultFail;
    return;
  }
  cQuery& query = found->second;
  std::vector<cOwnerEntry> entries;
  if (!steam_->store().ownerItems(query.account, &entries)) {
    record->m_eResult = k_EResultFail;
    return;
  }
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&](const cOwnerEntry& entry) {
                                 return !entry.hasContent || entry.app != query.consumerApp ||
                                        (query.creatorApp != 0 && entry.app != query.creatorApp);
                               }),
                entries.end());
  std::sort(entries.begin(), entries.end(), [](const cOwnerEntry& a, const cOwnerEntry& b) {
    return a.created != b.created ? a.created > b.created : a.id > b.id;
  });
  size_t first = std::min<size_t>(entries.size(), size_t{query.page - 1} * kPageSize);
  size_t last = std::min<size_t>(entries.size(), first + kPageSize);
  query.details.clear();
  query.metadata.clear();
  for (size_t i = first; i < last; ++i) {
    cStoreItem item;
    if (!steam_->store().readItem(entries[i].id, &item))
      continue;
    query.details.emplace_back();
    fillDetails(item, &query.details.back());
    query.metadata.push_back(item.metadata);
  }
  query.completed = true;
  record->m_eResult = k_EResultOK;
  record->m_unNumResultsReturned = static_cast<uint32_t>(query.details.size());
  record->m_unTotalMatchingResults = static_cast<uint32_t>(entries.size());
}

void cLocalUgc::fillDetails(const cStoreItem& item, SteamUGCDetails_t* details) const {
  memset(details, 0, sizeof(*details));
  details->m_nPublishedFileId = item.id;
  details->m_eResult = k_EResultOK;
  details->m_eFileType = k_EWorkshopFileTypeCommunity;
  details->m_nCreatorAppID = item.app;
  details->m_nConsumerAppID = item.app;
  copyText(item.title, details->m_rgchTitle, sizeof(details->m_rgchTitle));
  copyText(item.description, details->m_rgchDescription, sizeof(details->m_rgchDescription));
  details->m_ulSteamIDOwner = kSteamIdBase + item.owner;
  details->m_rtimeCreated = item.created;
  details->m_rtimeUpdated = item.updated;
  details->m_eVisibility = static_cast<ERemoteStoragePublishedFileVisibility>(item.visibility);
  details->m_bAcceptedForUse = true;
  std::string tags;
  for (const std::string& tag : item.tags)
    tags += (tags.empty() ? "" : ",") + tag;
  details->m_bTagsTruncated = !copyText(tags, details->m_rgchTags, sizeof(details->m_rgchTags));
  uint64_t contentBytes = item.contentVersion ? folderBytes(steam_->store().contentFolder(item)) : 0;
  details->m_nFileSize = static_cast<int32_t>(std::min<uint64_t>(contentBytes, INT32_MAX));
  details->m_nPreviewFileSize = static_cast<int32_t>(steam_->store().previewSize(item));
  details->m_ulTotalFilesSize = contentBytes;
}

bool cLocalUgc::GetQueryUGCResult(UGCQueryHandle_t handle, uint32_t index,
                                  SteamUGCDetails_t* pDetails) {
  auto query = queries_.find(handle);
  if (query == queries_.end() || !pDetails || index >= query->second.details.size())
    return false;
  *pDetails = query->second.details[index];
  return true;
}

bool cLocalUgc::GetQueryUGCMetadata(UGCQueryHandle_t handle, uint32_t index, char* pchMetadata,
                                    uint32_t cchMetadatasize) {
  auto query = queries_.find(handle);
  if (query == queries_.end() || !query->second.returnMetadata || !pchMetadata ||
      cchMetadatasize == 0 || index >= query->second.metadata.size())
    return false;
  copyText(query->second.metadata[index], pchMetadata, cchMetadatasize);
  return true;
}

bool cLocalUgc::ReleaseQueryUGCRequest(UGCQueryHandle_t handle) {
  return queries_.erase(handle) > 0;
}

UGCUpdateHandle_t cLocalUgc::StartItemUpdate(AppId_t nConsumerAppId,
                                             PublishedFileId_t nPublishedFileID) {
  if (nPublishedFileID == 0)
    return kInvalidUpdate;
  cUpdate update;
  update.app = nConsumerAppId;
  update.item = nPublishedFileID;
  updates_[++lastUpdate_] = update;
  return lastUpdate_;
}

cLocalUgc::cUpdate* cLocalUgc::openUpdate(UGCUpdateHandle_t handle) {
  auto update = updates_.find(handle);
  if (update == updates_.end() || update->second.submitted)
    return nullptr;
  return &update->second;
}

bool cLocalUgc::SetItemTitle(UGCUpdateHandle_t handle, const char* pchTitle) {
  cUpdate* update = openUpdate(handle);
  if (!update || !pchTitle)
    return false;
  update->hasTitle = true;
  update->title = pchTitle;
  return true;
}

bool cLocalUgc::SetItemMetadata(UGCUpdateHandle_t handle, const char* pchMetaData) {
  cUpdate* update = openUpdate(handle);
  if (!update || !pchMetaData)
    return false;
  update->hasMetadata = true;
  update->metadata = pchMetaData;
  return true;
}

bool cLocalUgc::SetItemVisibility(UGCUpdateHandle_t handle,
                                  ERemoteStoragePublishedFileVisibility eVisibility) {
  cUpdate* update = openUpdate(handle);
  if (!update || eVisibility < k_ERemoteStoragePublishedFileVisibilityPublic ||
      eVisibility > k_ERemoteStoragePublishedFileVisibilityUnlisted)
    return false;
  update->hasVisibility = true;
  update->visibility = eVisibility;
  return true;
}

bool cLocalUgc::SetItemTags(UGCUpdateHandle_t updateHandle, const SteamParamStringArray_t* pTags) {
  cUpdate* update = openUpdate(updateHandle);
  if (!update || !pTags || pTags->m_nNumStrings < 0 ||
      (pTags->m_nNumStrings > 0 && !pTags->m_ppStrings))
    return false;
  std::vector<std::string> tags;
  for (int32_t i = 0; i < pTags->m_nNumStrings; ++i) {
    if (!pTags->m_ppStrings[i])
      return false;
    tags.push_back(pTags->m_ppStrings[i]);
  }
  update->hasTags = true;
  update->tags = tags;
  return true;
}

bool cLocalUgc::SetItemContent(UGCUpdateHandle_t handle, const char* pszContentFolder) {
  cUpdate* update = openUpdate(handle);
  if (!update || !pszContentFolder || !*pszContentFolder)
    return false;
  update->contentFolder = pszContentFolder;  // read when the update is processed
  return true;
}

bool cLocalUgc::SetItemPreview(UGCUpdateHandle_t handle, const char* pszPreviewFile) {
  cUpdate* update = openUpdate(handle);
  if (!update || !pszPreviewFile || !*pszPreviewFile)
    return false;
  update->previewFile = pszPreviewFile;
  return true;
}

SteamAPICall_t cLocalUgc::SubmitItemUpdate(UGCUpdateHandle_t handle, const char* pchChangeNote) {
  cUpdate* update = openUpdate(handle);
  if (!update)
    return k_uAPICallInvalid;
  cStoreFault fault;
  bool faulted = steam_->takeFault("submit", &fault);
  if (faulted && fault.kind == cStoreFault::kRefuse)
    return k_uAPICallInvalid;
  update->submitted = true;
  update->submittedAt = std::chrono::steady_clock::now();
  SubmitItemUpdateResult_t base = {};
  base.m_bUserNeedsToAcceptWorkshopLegalAgreement = !steam_->settings().legalAccepted;
  base.m_nPublishedFileId = update->item;
  std::string changeNote = pchChangeNote ? pchChangeNote : "";
  update->call = steam_->answer<SubmitItemUpdateResult_t>(
      base, faulted ? &fault : nullptr, [this, handle, changeNote](SubmitItemUpdateResult_t* record) {
        record->m_eResult = applyUpdate(handle, changeNote);
      });
  return update->call;
}

EResult cLocalUgc::checkUpdate(const cUpdate& update, const cStoreItem& item) const {
  if (!update.contentFolder.empty() && !folderHasEntries(update.contentFolder))
    return k_EResultFileNotFound;
  if (!update.previewFile.empty()) {
    FileStatus preview = fileStatus(update.previewFile);
    uint64_t size = preview.size;
    if (preview.kind != kRegularFile || !isReadableFile(update.previewFile))
      return k_EResultFileNotFound;
    if (size > kMaxPreview)
      return k_EResultLimitExceeded;
    if (size < kMinPreview)
      return k_EResultInvalidParam;
  }
  if ((update.hasTitle && update.title.size() > kMaxTitle) ||
      (update.hasMetadata && update.metadata.size() > kMaxMetadata) ||
      (update.hasTags && !std::all_of(update.tags.begin(), update.tags.end(), validTag)) ||
      update.app != item.app)
    return k_EResultInvalidParam;
  if (item.owner != steam_->settings().account)
    return k_EResultAccessDenied;
  return k_EResultOK;
}

EResult cLocalUgc::applyUpdate(UGCUpdateHandle_t handle, const std::string& changeNote) {
  auto found = updates_.find(handle);
  if (found == updates_.end())
    return k_EResultFail;
  const cUpdate& update = found->second;
  const cLocalStore& store = steam_->store();
  cStoreLock lock(store.folder());
  cStoreItem item;
  if (!lock.held())
    return k_EResultLockingFailed;
  if (!store.readItem(update.item, &item))
    return k_EResultFileNotFound;
  EResult checked = checkUpdate(update, item);
  if (checked != k_EResultOK)
    return checked;
  if (!update.contentFolder.empty() && !store.copyContentFolder(&item, update.contentFolder))
    return k_EResultIOFailure;
  if (!update.previewFile.empty() && !store.setPreview(&item, update.previewFile))
    return k_EResultIOFailure;
  if (update.hasTitle)
    item.title = update.title;
  if (update.hasMetadata)
    item.metadata = update.metadata;
  if (update.hasTags)
    item.tags = update.tags;
  if (update.hasVisibility)
    item.visibility = update.visibility;
  item.updated = storeTime();
  item.changeNotes.push_back(cChangeNote{item.updated, changeNote});
  if (!store.writeItem(item))
    return k_EResultIOFailure;
  store.dropOldContent(item);
  return k_EResultOK;
}

EItemUpdateStatus cLocalUgc::GetItemUpdateProgress(UGCUpdateHandle_t handle,
                                                   uint64_t* punBytesProcessed,
                                                   uint64_t* punBytesTotal) {
  uint64_t done = 0, total = 0;
  EItemUpdateStatus status = k_EItemUpdateStatusInvalid;
  auto found = updates_.find(handle);
  if (found != updates_.end() && found->second.submitted && steam_->callPending(found->second.call)) {
    cUpdate& update = found->second;
    // Sized on the first ask, after the submit returned, as Steam reads the
    // folder while it processes the update.
    if (!update.bytesKnown) {
      update.bytesTotal = update.contentFolder.empty() ? 0 : folderBytes(update.contentFolder);
      update.bytesKnown = true;
    }
    total = update.bytesTotal;
    double latency = static_cast<double>(steam_->latency().count());
    double elapsed = std::chrono::duration<double, std::milli>(
                         std::chrono::steady_clock::now() - update.submittedAt).count();
    double part = latency > 0 ? elapsed / latency : 1.0;
    // The first quarter prepares, the middle half uploads, the rest commits.
    if (part < 0.25) {
      status = k_EItemUpdateStatusPreparingConfig;
    } else if (part < 0.75) {
      status = k_EItemUpdateStatusUploadingContent;
      done = static_cast<uint64_t>(static_cast<double>(total) * (part - 0.25) / 0.5);
    } else {
      status = k_EItemUpdateStatusCommittingChanges;
      done = total;
    }
  }
  if (punBytesProcessed)
    *punBytesProcessed = done;
  if (punBytesTotal)
    *punBytesTotal = total;
  return status;
}

uint32_t cLocalUgc::GetSubscribedItems(PublishedFileId_t* pvecPublishedFileID,
                                       uint32_t cMaxEntries) {
  std::vector<PublishedFileId_t> ids;
  if (!pvecPublishedFileID || !steam_->store().readSubscriptions(&ids))
    return 0;
  uint32_t count = static_cast<uint32_t>(std::min<size_t>(ids.size(), cMaxEntries));
  std::copy(ids.begin(), ids.begin() + count, pvecPublishedFileID);
  return count;
}

bool cLocalUgc::GetItemInstallInfo(PublishedFileId_t nPublishedFileID, uint64_t* punSizeOnDisk,
                                   char* pchFolder, uint32_t cchFolderSize,
                                   uint32_t* punTimeStamp) {
  uint32_t time;
  if (!steam_->store().isCached(nPublishedFileID, &time))
    return false;
  if (pchFolder)
    copyText(steam_->store().cacheFolder(nPublishedFileID), pchFolder, cchFolderSize);
  if (punSizeOnDisk)
    *punSizeOnDisk = 0;
  if (punTimeStamp)
    *punTimeStamp = time;
  return true;
}

bool cLocalUgc::DownloadItem(PublishedFileId_t nPublishedFileID, bool) {
  cStoreItem item;
  if (!steam_->store().readItem(nPublishedFileID, &item))
    return false;
  cStoreFault fault;
  bool faulted = steam_->takeFault("download", &fault);
  if (faulted && fault.kind == cStoreFault::kRefuse)
    return false;
  if (steam_->settings().noise)
    broadcastNoise(item.id, item.app);
  DownloadItemResult_t base = {};
  base.m_unAppID = item.app;
  base.m_nPublishedFileId = item.id;
  const cLocalStore* store = &steam_->store();
  steam_->broadcast<DownloadItemResult_t>(
      base, faulted ? &fault : nullptr,
      [store](DownloadItemResult_t* record) {
        cStoreLock lock(store->folder());
        cStoreItem current;  // the content as it is now, not at the request
        if (!lock.held() || !store->readItem(record->m_nPublishedFileId, &current))
          record->m_eResult = k_EResultFileNotFound;
        else
          record->m_eResult = store->cacheItem(current) ? k_EResultOK : k_EResultIOFailure;
      });
  return true;
}

void cLocalUgc::broadcastNoise(PublishedFileId_t item, AppId_t app) {
  // A failure for each, so that a tool that doesn't filter shows it.
  DownloadItemResult_t otherItem = {};
  otherItem.m_unAppID = app;
  otherItem.m_nPublishedFileId = item + 1;
  otherItem.m_eResult = k_EResultFail;
  DownloadItemResult_t otherApp = otherItem;
  otherApp.m_unAppID = app + 1;
  otherApp.m_nPublishedFileId = item;
  auto keep = [](DownloadItemResult_t*) {};
  steam_->broadcast<DownloadItemResult_t>(otherItem, nullptr, keep);
  steam_->broadcast<DownloadItemResult_t>(otherApp, nullptr, keep);
}
