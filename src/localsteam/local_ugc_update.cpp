// The Workshop half of the local service: item updates, from their start
// through the checks of their submission to their progress.
#include <algorithm>

#include "files/directory.h"
#include "localsteam/local_steam.h"
#include "platform/files.h"

namespace {

const UGCUpdateHandle_t kInvalidUpdate = ~0ULL;

// Steam's field limits.
const size_t kMaxTitle = 128;
const size_t kMaxDescription = 8000;
const size_t kMaxMetadata = 5000;
const size_t kMaxTag = 255;
const uint64_t kMaxPreview = 1024 * 1024;
const uint64_t kMinPreview = 16;

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

}  // namespace

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

bool cLocalUgc::SetItemDescription(UGCUpdateHandle_t handle, const char* pchDescription) {
  cUpdate* update = openUpdate(handle);
  if (!update || !pchDescription)
    return false;
  update->hasDescription = true;
  update->description = pchDescription;
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
      (update.hasDescription && update.description.size() > kMaxDescription) ||
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
  if (update.hasDescription)
    item.description = update.description;
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
      update.bytesTotal = update.contentFolder.empty() ? 0 : bytesBelow(update.contentFolder);
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
