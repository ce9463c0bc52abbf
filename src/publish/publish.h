// Publishing: the cWorkshop members defined in this folder create an item
// (createItem), list the user's items to pick one (queryPublishedItems),
// stage and submit its content, preview, title and change note
// (uploadItem), and say in the tool's words what Steam answered
// (checkResult, checkRecord, checkDelivery, warnLegalAgreement). Each
// ends by setting the workshop's actionDone, so the menu loop goes on.
#ifndef DRAV_PUBLISH_PUBLISH_H_
#define DRAV_PUBLISH_PUBLISH_H_

#include <string>

#include "files/directory.h"
#include "steam/steam_api.h"

/// The number in decimal, as a string stream formats it; the metadata of
/// an item is its asset type so written.
std::string intToString(int number);

/// The image named like `contentPath` with its last four characters
/// replaced by ".png", where a map's preview is looked for.
std::string imageBeside(const std::string& contentPath);

/// The preview of new items that get no image of their own, beside the
/// tool.
std::string defaultPreviewPath();

/// Puts the file `contentPath` alone into the staging folder; whatever an
/// earlier, interrupted run left there is removed first.
bool stageFile(cFileSystem* fileSystem, const std::string& stagingPath,
               const std::string& contentPath);

/// Sets what every upload of an asset sets on the update `handle`: the
/// staged content, and the asset type as the metadata (in decimal) and as
/// the one tag (its display name), through `tags`, which has room for one.
void setUploadContent(ISteamUGC* ugc, UGCUpdateHandle_t handle, const std::string& stagingPath,
                      int assetType, SteamParamStringArray_t* tags);

/// Deletes the item and waits for Steam's answer; false, with the reason
/// in `why`, when it was not deleted.
bool deleteItemAndWait(ISteamUGC* ugc, PublishedFileId_t itemId, std::string* why);

#endif  // DRAV_PUBLISH_PUBLISH_H_
