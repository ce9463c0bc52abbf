// The publish command: creates an item and uploads a file as its first
// content, with the menu's checks; an item left unfinished is deleted.
#include "app/awaited_call.h"
#include "commands/commands.h"
#include "assets/asset_types.h"
#include "console/console.h"
#include "files/file_copy.h"
#include "files/paths.h"
#include "publish/publish.h"

namespace {

/// The preview of a new item: the one given, else for a map the image
/// beside it (required), else the default image when it exists.
bool settlePreview(const cCommandContext& context, cUpload* upload) {
  if (!upload->preview.empty())
    return checkPreviewFile(context, upload->preview);
  if (upload->kind == Map) {
    upload->preview = imageBeside(upload->file);
    if (fileExists(upload->preview))
      return true;
    context.fail("a map needs a preview: give --preview IMAGE or put \"" +
                 printableText(getFileName(upload->preview)) + "\" beside it");
    return false;
  }
  upload->preview = fileExists(defaultPreviewPath()) ? defaultPreviewPath() : "";
  return true;
}

/// Creates the item; false, with the reason printed, when none was made.
bool createItem(const cCommandContext& context, PublishedFileId_t* itemId) {
  cAwaitedCall<CreateItemResult_t> answer;
  std::string why;
  SteamAPICall_t call = context.ugc->CreateItem(context.app, k_EWorkshopFileTypeCommunity);
  bool done = answer.waitForSuccess(call, &why);
  context.warnLegalAgreement(answer.record.m_bUserNeedsToAcceptWorkshopLegalAgreement);
  if (!done)
    context.fail("creating the item failed: " + why);
  *itemId = answer.record.m_nPublishedFileId;
  return done;
}

}  // namespace

bool readPublishArgs(cCommandArgs* args, std::string* why) {
  if (!args->options.count("--title")) {
    *why = "--title is required";
    return false;
  }
  return readUploadOptions(*args, args->operands[0], &args->upload, why);
}

int runPublish(cCommandContext& context, const cCommandArgs& args) {
  cUpload upload = args.upload;
  std::string why;
  if (upload.kind == Unrecognised)
    upload.kind = detectAssetType(getFileName(upload.file));
  if (upload.kind == Unrecognised)
    return context.fail("\"" + printableText(upload.file) +
                        "\" is named as no kind of asset; give --kind");
  if (!checkUploadFile(context, upload.file, upload.kind) || !settlePreview(context, &upload))
    return kCommandFailed;
  if (upload.visibility < 0)
    upload.visibility = k_ERemoteStoragePublishedFileVisibilityPublic;
  if (!createItem(context, &upload.itemId))
    return kCommandFailed;
  if (!submitUpload(context, upload)) {
    if (deleteItemAndWait(context.ugc, upload.itemId, &why))
      return context.fail("the new item " + std::to_string(upload.itemId) + " was deleted again");
    return context.fail("the new item " + std::to_string(upload.itemId) +
                        " could not be deleted (" + why + "); remove it on its workshop page");
  }
  *context.out << upload.itemId << "\n";
  return kCommandDone;
}
