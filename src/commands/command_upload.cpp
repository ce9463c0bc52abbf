// What publish and update share: the checks of the file and its kind, the
// options that set an item's fields, and the staged submission.
#include <iostream>

#include "app/awaited_call.h"
#include "commands/commands.h"
#include "assets/asset_types.h"
#include "assets/stock_files.h"
#include "console/console.h"
#include "files/paths.h"
#include "platform/files.h"
#include "publish/publish.h"

namespace {

const char* const kVisibilities[] = {"public", "friends", "private", "unlisted"};

std::string option(const cCommandArgs& args, const char* name) {
  auto found = args.options.find(name);
  return found == args.options.end() ? "" : found->second;
}

}  // namespace

bool readUploadOptions(const cCommandArgs& args, const std::string& file, cUpload* upload,
                       std::string* why) {
  upload->file = file;
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

bool parseKind(const std::string& text, int* kind) {
  for (int type = Map; type <= Recording; ++type) {
    if (text == std::to_string(type) || text == assetTypeName(type)) {
      *kind = type;
      return true;
    }
  }
  return false;
}

const char* visibilityName(int visibility) {
  return visibility >= 0 && visibility < 4 ? kVisibilities[visibility] : "unknown";
}

bool parseVisibility(const std::string& text, int* visibility) {
  for (int value = 0; value < 4; ++value) {
    if (text == kVisibilities[value]) {
      *visibility = value;
      return true;
    }
  }
  return false;
}

bool checkUploadFile(const cCommandContext& context, const std::string& file, int kind) {
  std::string shown = printableText(file);
  if (fileStatus(file).kind != kRegularFile || !isReadableFile(file)) {
    context.fail("cannot read \"" + shown + "\": not a readable file");
    return false;
  }
  if (detectAssetType(getFileName(file)) != kind) {
    context.fail("\"" + shown + "\" is not named as " + assetTypeName(kind) + " files must be");
    return false;
  }
  if (isStockFile(file)) {
    context.fail("\"" + shown + "\" is one of the game's own files");
    return false;
  }
  return true;
}

bool checkPreviewFile(const cCommandContext& context, const std::string& preview) {
  if (fileStatus(preview).kind == kRegularFile)
    return true;
  context.fail("cannot read the preview \"" + printableText(preview) + "\"");
  return false;
}

bool submitUpload(const cCommandContext& context, const cUpload& upload) {
  std::string staging = joinPath(context.workshopPath, "_DRAV_WORKSHOP_TEMP_");
  cFileSystem fileSystem;
  if (!stageFile(&fileSystem, staging, upload.file)) {
    context.fail("could not stage \"" + printableText(upload.file) + "\" for the upload");
    fileSystem.deleteFolder(staging, true);
    return false;
  }
  ISteamUGC* ugc = context.ugc;
  UGCUpdateHandle_t handle = ugc->StartItemUpdate(context.app, upload.itemId);
  if (upload.visibility >= 0)
    ugc->SetItemVisibility(handle,
                           static_cast<ERemoteStoragePublishedFileVisibility>(upload.visibility));
  const char* tag[1];
  SteamParamStringArray_t tags = {tag, 1};
  setUploadContent(ugc, handle, staging, upload.kind, &tags);
  if (upload.setTitle)
    ugc->SetItemTitle(handle, upload.title.c_str());
  if (upload.setDescription)
    ugc->SetItemDescription(handle, upload.description.c_str());
  if (!upload.preview.empty())
    ugc->SetItemPreview(handle, upload.preview.c_str());
  cAwaitedCall<SubmitItemUpdateResult_t> answer;
  std::string why;
  bool done = answer.waitForSuccess(ugc->SubmitItemUpdate(handle, upload.note.c_str()), &why);
  fileSystem.deleteFolder(staging, true);
  context.warnLegalAgreement(answer.record.m_bUserNeedsToAcceptWorkshopLegalAgreement);
  if (!done)
    context.fail("the upload to item " + std::to_string(upload.itemId) + " failed: " + why);
  return done;
}
