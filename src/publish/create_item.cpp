// Menu action 1: create a new workshop item, then upload its first content.
#include <iostream>

#include "app/workshop.h"
#include "console/console.h"

void cWorkshop::createItem() {
  std::cout << "Creating new workshop item...\n";
  SteamAPICall_t call =
      ugc->CreateItem(SteamUtils()->GetAppID(), k_EWorkshopFileTypeCommunity);
  if (call == k_uAPICallInvalid) {
    std::cout << red << "\nSomething went wrong creating the item on Steam.\n";
    actionDone = true;
    return;
  }
  createItemCall.Set(call, this, &cWorkshop::onCreateItemResult);
}

void cWorkshop::onCreateItemResult(CreateItemResult_t* result, bool ioFailure) {
  if (!checkRecord(result, "CreateItemResult_t"))
    return;
  warnLegalAgreement(result->m_bUserNeedsToAcceptWorkshopLegalAgreement);
  if (!checkResult(result->m_eResult) || !checkDelivery(ioFailure))
    return;

  std::cout << green << "\nWorkshop item successfully created!" << grey
            << "\n(workshop item: " << result->m_nPublishedFileId << ")";
  PublishedFileId_t itemId = result->m_nPublishedFileId;
  unfinishedItemId = itemId;
  // Ctrl-C from here until the upload is submitted ends the input, so the
  // item is deleted again before the tool ends.
  holdInterrupts(true);
  AssetType assetType = chooseAssetType();
  if (assetType == Unrecognised) {
    exitAction();
    return;
  }
  std::cout << green << "\n\nWhat is the name of your item?" << grey;
  std::string title = readLine();
  uploadItem(itemId, assetType, title);
}
