// The Workshop half of the local service: creating items, queries,
// subscriptions and downloads (item updates: local_ugc_update.cpp).
#include <string.h>

#include <algorithm>

#include "localsteam/local_steam.h"

namespace {

const UGCQueryHandle_t kInvalidQuery = ~0ULL;
const uint32_t kPageSize = 50;

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
  uint64_t contentBytes = item.contentVersion ? bytesBelow(steam_->store().contentFolder(item)) : 0;
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


uint32_t cLocalUgc::GetSubscribedItems(PublishedFileId_t* pvecPublishedFileID,
                                       uint32_t cMaxEntries) {
  std::vector<PublishedFileId_t> ids;
  if (!pvecPublishedFileID || !steam_->store().readSubscriptions(&ids))
    return 0;
  // As Steam does, only the subscriptions of the game's own app.
  uint32_t count = 0;
  for (PublishedFileId_t id : ids) {
    cStoreItem item;
    if (count < cMaxEntries && steam_->store().readItem(id, &item) && item.app == toolAppId())
      pvecPublishedFileID[count++] = id;
  }
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
  if (!steam_->store().readItem(nPublishedFileID, &item) || item.app != toolAppId())
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

SteamAPICall_t cLocalUgc::DeleteItem(PublishedFileId_t nPublishedFileID) {
  cStoreFault fault;
  bool faulted = steam_->takeFault("delete", &fault);
  if (faulted && fault.kind == cStoreFault::kRefuse)
    return k_uAPICallInvalid;
  DeleteItemResult_t base = {};
  base.m_nPublishedFileId = nPublishedFileID;
  uint32_t account = steam_->settings().account;
  const cLocalStore* store = &steam_->store();
  return steam_->answer<DeleteItemResult_t>(
      base, faulted ? &fault : nullptr, [store, account](DeleteItemResult_t* record) {
        cStoreLock lock(store->folder());
        cStoreItem item;
        if (!lock.held())
          record->m_eResult = k_EResultLockingFailed;
        else if (!store->readItem(record->m_nPublishedFileId, &item))
          record->m_eResult = k_EResultFileNotFound;
        else if (item.owner != account)
          record->m_eResult = k_EResultAccessDenied;
        else
          record->m_eResult = store->deleteItem(item) ? k_EResultOK : k_EResultIOFailure;
      });
}
