// Deleting the item that action 1 created and then abandoned, so that no
// empty item, which the update list never shows, stays on the workshop.
#include <iostream>

#include "app/awaited_call.h"
#include "app/workshop.h"
#include "console/console.h"
#include "publish/publish.h"

bool deleteItemAndWait(ISteamUGC* ugc, PublishedFileId_t itemId, std::string* why) {
  cAwaitedCall<DeleteItemResult_t> answer;
  return answer.waitForSuccess(ugc->DeleteItem(itemId), why);
}

void cWorkshop::deleteUnfinishedItem() {
  PublishedFileId_t itemId = unfinishedItemId;
  unfinishedItemId = 0;
  std::string why;
  if (deleteItemAndWait(ugc, itemId, &why))
    std::cout << grey << "\nThe unfinished workshop item " << itemId << " was deleted again.";
  else
    std::cout << red << "\nThe unfinished workshop item " << itemId << " could not be deleted ("
              << why << "); remove it on its workshop page.";
  holdInterrupts(false);
}
