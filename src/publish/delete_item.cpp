// Deleting the item that action 1 created and then abandoned, so that no
// empty item, which the update list never shows, stays on the workshop.
#include <iostream>

#include "app/workshop.h"
#include "console/console.h"

namespace {

void sayNotDeleted(PublishedFileId_t itemId, const char* reason) {
  std::cout << red << "\nThe unfinished workshop item " << itemId << " could not be deleted ("
            << reason << "); remove it on its workshop page.";
}

}  // namespace

void cWorkshop::deleteUnfinishedItem() {
  PublishedFileId_t itemId = unfinishedItemId;
  unfinishedItemId = 0;
  SteamAPICall_t call = ugc->DeleteItem(itemId);
  if (call == k_uAPICallInvalid) {
    sayNotDeleted(itemId, "Steam refused the request");
    return;
  }
  // The deletion is an action of its own, waited for like the others.
  actionDone = false;
  deleteItemId = itemId;
  deleteCall.Set(call, this, &cWorkshop::onDeleteItemResult);
  waitForAction();
}

void cWorkshop::onDeleteItemResult(DeleteItemResult_t* result, bool ioFailure) {
  actionDone = true;
  if (!result) {
    sayNotDeleted(deleteItemId, "no answer from Steam");
  } else if (ioFailure) {
    sayNotDeleted(deleteItemId, "I/O failure");
  } else if (result->m_eResult != k_EResultOK) {
    std::string code = "error " + std::to_string(static_cast<int32_t>(result->m_eResult));
    sayNotDeleted(deleteItemId, code.c_str());
  } else {
    std::cout << grey << "\nThe unfinished workshop item " << deleteItemId
              << " was deleted again.";
  }
}
