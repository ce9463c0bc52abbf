// Publishing: the cWorkshop members defined in this folder create an item
// (createItem), list the user's items to pick one (queryPublishedItems),
// stage and submit its content, preview, title and change note
// (uploadItem), and say in the tool's words what Steam answered
// (checkResult, checkRecord, checkDelivery, warnLegalAgreement). Each
// ends by setting the workshop's actionDone, so the menu loop goes on.
#ifndef DRAV_PUBLISH_PUBLISH_H_
#define DRAV_PUBLISH_PUBLISH_H_

#include <string>

/// The number in decimal, as a string stream formats it; the metadata of
/// an item is its asset type so written.
std::string intToString(int number);

#endif  // DRAV_PUBLISH_PUBLISH_H_
