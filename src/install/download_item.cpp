// Downloading one item: the download wait and the broadcast that ends it.
#include <iostream>

#include "app/workshop.h"
#include "console/console.h"

bool cWorkshop::downloadItem(PublishedFileId_t itemId) {
  if (!ugc->DownloadItem(itemId, true)) {
    std::cout << red << "FAILED!\nSuggestion:" << yellow
              << " Log out of your Steam account on all machines, then log back in "
                 "and try again.";
    return false;
  }
  downloadItemId = itemId;
  downloadPending = true;
  do {
    SteamAPI_RunCallbacks();
  } while (downloadPending);
  return downloadSucceeded;
}

void cWorkshop::onDownloadItemResult(DownloadItemResult_t* result) {
  if (!result) {
    std::cout << red << "STEAM FAILURE!";
    downloadPending = false;
    downloadSucceeded = false;
    return;
  }
  if (result->m_unAppID != SteamUtils()->GetAppID())
    return;
  if (result->m_nPublishedFileId != downloadItemId)
    return;
  downloadSucceeded = checkResult(result->m_eResult);
  if (downloadSucceeded)
    std::cout << green << "SUCCESS!";
  downloadPending = false;
}
