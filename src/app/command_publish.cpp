// The publish command: creates an item and uploads a file as its first
// content, with the menu's checks; an item left unfinished is deleted.
#include "app/awaited_call.h"
#include "app/commands.h"
#include "assets/asset_types.h"
#include "console/console.h"
#include "files/file_copy.h"
#include "files/paths.h"
#include "platform/files.h"
#include "publish/publish.h"

namespace {

std::string option(const cCommandArgs& args, const char* name) {
  auto found = args.options.find(name);
  return found == args.options.end() ? "" : found->second;
}

/// Fills the upload's fields from the options; false, with the reason,
/// when a value is malformed.
bool readOptions(const cCommandArgs& args, cUpload* upload, std::string* why) {
  upload->file = args.operands[0];
  upload->setTitle = args.options.count("--title") > 0;
  upload->title = option(args, "--title");
  upload->setDescription = args.options.count("--description") > 0;
  upload->description = option(args, "--description");
  upload->note = option(args, "--note");
  upload->preview = option(args, "--preview");
  if (args.options.count("--kind") && !parseKind(option(args, "--kind"), &upload->kind)) {
    *why = "--kind takes a number from 1 to 8 or a kind's name";
    return false;
  }
  if (args.options.count("--visibility") &&
      !parseVisibility(option(args, "--visibility"), &upload->visibility)) {
    *why = "--visibility takes public, friends, private or unlisted";
    return false;
  }
  return true;
}

/// The preview of a new item: the one given, else for a map the image
/// beside it (required), else the default image when it exists.
bool settlePreview(const cCommandContext& context, cUpload* upload) {
  if (!upload->preview.empty()) {
    if (fileStatus(upload->preview).kind == kRegularFile)
      return true;
    context.fail("cannot read the preview \"" + printableText(upload->preview) + "\"");
    return false;
  }
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

int runPublish(cCommandContext& context, const cCommandArgs& args) {
  cUpload upload;
  std::string why;
  if (!args.options.count("--title"))
    return context.misuse("--title is required");
  if (!readOptions(args, &upload, &why))
    return context.misuse(why);
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
