// Steam's result codes in the user's words.
#include <iostream>

#include "app/workshop.h"
#include "console/console.h"

namespace {

struct ResultMessage {
  EResult code;
  const char* message;
};

// Tested in this order; every other code gets the generic message.
const ResultMessage kResultMessages[] = {
    {k_EResultInsufficientPrivilege,
     "\nYou do not have privileges to access this workshop."},
    {k_EResultTimeout, "\nThe operation timed out. Try again?"},
    {k_EResultNotLoggedOn, "\nYou are currently not logged into Steam."},
    {k_EResultNoConnection,
     "\nA connection could not be established. Is your computer connected to the "
     "internet?"},
    {k_EResultFileNotFound, "\nThe files were not found!"},
    {k_EResultLimitExceeded,
     "\nThe thumbnail image is TOO LARGE!\n(Zoom out a bit and try again, the image "
     "must not exceed 1MB)"},
};

}  // namespace

bool cWorkshop::checkResult(EResult code) {
  if (code == k_EResultOK)
    return true;
  std::cout << red;
  bool known = false;
  for (const ResultMessage& entry : kResultMessages) {
    if (entry.code == code) {
      std::cout << entry.message;
      known = true;
      break;
    }
  }
  if (!known)
    std::cout << "\nSomething went wrong. Error: " << static_cast<int32_t>(code);
  std::cout << red << "\nOperation failed." << cyan;
  actionDone = true;
  return false;
}

// A null record ends the action; `name` is the type the record should have.
bool cWorkshop::checkRecord(const void* record, const char* name) {
  if (record)
    return true;
  std::cout << red << "\nAn invalid " << name << " pointer was returned... tell Zeb :( ";
  actionDone = true;
  return false;
}

// Not accepting the agreement does not by itself fail a result.
void cWorkshop::warnLegalAgreement(bool needsToAccept) {
  if (needsToAccept) {
    std::cout << red
              << "\nYou must accept the Steam Workshop Legal Agreement before using "
                 "workshop.";
  }
}

// A record that Steam could not deliver intact ends the action; otherwise
// the wait would go on for ever.
bool cWorkshop::checkDelivery(bool ioFailure) {
  if (!ioFailure)
    return true;
  std::cout << red << "\nSteam did not deliver the answer (I/O failure).\nOperation failed.";
  actionDone = true;
  return false;
}
