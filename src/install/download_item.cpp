// Downloading one item: the download wait and the broadcast that ends it.
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "app/workshop.h"
#include "console/console.h"

namespace {

// On a terminal a spinner after "Downloading..." shows that the wait goes
// on; it is erased before the result is printed.
cProgressText downloadProgress;

// The spinner's frame for the time waited so far: a new one four times a
// second.
std::vector<std::string> spinnerForms(std::chrono::steady_clock::duration waited) {
  static const char kFrames[] = "|/-\\";
  long long quarter = std::chrono::duration_cast<std::chrono::milliseconds>(waited).count() / 250;
  char frame = kFrames[quarter % 4];
  return {std::string("(downloading ") + frame + ")", std::string(1, frame)};
}

}  // namespace

bool cWorkshop::downloadItem(PublishedFileId_t itemId) {
  if (!ugc->DownloadItem(itemId, true)) {
    std::cout << red << "FAILED!\nSuggestion:" << yellow
              << " Log out of your Steam account on all machines, then log back in "
                 "and try again.";
    return false;
  }
  downloadItemId = itemId;
  downloadPending = true;
  downloadProgress.start(sizeof "Downloading..." - 1);
  std::chrono::steady_clock::time_point begun = std::chrono::steady_clock::now();
  do {
    SteamAPI_RunCallbacks();
    if (downloadPending)
      downloadProgress.show(spinnerForms(std::chrono::steady_clock::now() - begun));
  } while (downloadPending);
  return downloadSucceeded;
}

void cWorkshop::onDownloadItemResult(DownloadItemResult_t* result) {
  downloadProgress.clear();
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
