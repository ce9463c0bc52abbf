// Menu action 2: list the user's published items and update the chosen one.
#include <errno.h>
#include <stdlib.h>

#include <iostream>

#include "app/workshop.h"
#include "console/console.h"

namespace {

// The number at the start of `text` by the rule of atoi (blanks skipped,
// an optional sign, the digits up to the first other character, 0 when
// there are none), except that a number outside int's range gives -1,
// which no list holds.
int listNumber(const std::string& text) {
  errno = 0;
  long long number = strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || number > 2147483647LL || number < -2147483647LL - 1)
    return -1;
  return static_cast<int>(number);
}

}  // namespace

void cWorkshop::queryPublishedItems() {
  std::cout << green << "\nTalking to Steam Workshop...\n";
  AccountID_t account = SteamUser()->GetSteamID().GetAccountID();
  AppId_t app = SteamUtils()->GetAppID();
  UGCQueryHandle_t query = ugc->CreateQueryUserUGCRequest(
      account, k_EUserUGCList_Published, k_EUGCMatchingUGCType_Items_ReadyToUse,
      k_EUserUGCListSortOrder_CreationOrderDesc, 0, app, 1);
  ugc->SetReturnMetadata(query, true);
  SteamAPICall_t call = ugc->SendQueryUGCRequest(query);
  if (call == k_uAPICallInvalid) {
    ugc->ReleaseQueryUGCRequest(query);
    std::cout << red << "\nSomething went wrong in sending the query to Steam.\n";
    actionDone = true;
    return;
  }
  queryCall.Set(call, this, &cWorkshop::onQueryCompleted);
}

void cWorkshop::onQueryCompleted(SteamUGCQueryCompleted_t* result, bool ioFailure) {
  // No query handle arrived, so there is none to release.
  if (!checkRecord(result, "UGCQueryHandle_t"))
    return;
  UGCQueryHandle_t query = result->m_handle;
  if (!checkResult(result->m_eResult) || !checkDelivery(ioFailure)) {
    ugc->ReleaseQueryUGCRequest(query);
    return;
  }

  std::cout << green << "\n\nChoose which item to update:" << cyan;
  uint32_t count = 0;
  while (ugc->GetQueryUGCResult(query, count, itemDetails)) {
    std::cout << "\n" << count << ")" << printableText(itemDetails->m_rgchTitle);
    ++count;
  }
  int choice = listNumber(readLine());
  if (choice < 0 || static_cast<uint32_t>(choice) >= count) {
    std::cout << red << "\nInvalid choice!\nThat was not on the list.";
    ugc->ReleaseQueryUGCRequest(query);
    actionDone = true;
    return;
  }

  ugc->GetQueryUGCResult(query, choice, itemDetails);
  std::cout << green << "\nYou chose to update \"" << printableText(itemDetails->m_rgchTitle) << "\".";
  char metadata[2] = {0, 0};
  ugc->GetQueryUGCMetadata(query, choice, metadata, sizeof(metadata));
  int assetType = 0;
  if (metadata[0] != '\0') {
    // Metadata that is not a number leaves the type to the user.
    assetType = atoi(metadata);
    std::cout << grey << "\nWorkshop ID: " << itemDetails->m_nPublishedFileId
              << " -- Type: " << assetTypeName(assetType) << "\n";
  }
  uploadItem(itemDetails->m_nPublishedFileId, assetType, "");
  ugc->ReleaseQueryUGCRequest(query);
}
