// The update command: uploads a file as new content of any of the user's
// items, with the menu's checks; fields not given keep their values.
#include <errno.h>
#include <stdlib.h>

#include <vector>

#include "commands/commands.h"
#include "assets/asset_types.h"
#include "console/console.h"
#include "files/paths.h"

namespace {

/// A decimal item id, digits only; false for anything else.
bool parseItemId(const std::string& text, PublishedFileId_t* id) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  errno = 0;
  *id = strtoull(text.c_str(), nullptr, 10);
  return errno != ERANGE && *id != 0;
}

/// The user's item `id` among all their items; false, with the reason
/// printed, when it is not one of them.
bool findItem(const cCommandContext& context, PublishedFileId_t id, cListedItem* found) {
  std::vector<cListedItem> items;
  if (!readPublishedItems(context, &items))
    return false;
  for (const cListedItem& item : items) {
    if (item.id == id) {
      *found = item;
      return true;
    }
  }
  context.fail("item " + std::to_string(id) + " is not one of your items for this game");
  return false;
}

}  // namespace

bool readUpdateArgs(cCommandArgs* args, std::string* why) {
  if (!parseItemId(args->operands[0], &args->upload.itemId)) {
    *why = "\"" + printableText(args->operands[0]) + "\" is not an item id";
    return false;
  }
  return readUploadOptions(*args, args->operands[1], &args->upload, why);
}

int runUpdate(cCommandContext& context, const cCommandArgs& args) {
  cUpload upload = args.upload;
  cListedItem item;
  if (!findItem(context, upload.itemId, &item))
    return kCommandFailed;
  if (upload.kind == Unrecognised)
    upload.kind = item.kind;
  if (upload.kind == Unrecognised)
    upload.kind = detectAssetType(getFileName(upload.file));
  if (upload.kind == Unrecognised)
    return context.fail("\"" + printableText(upload.file) +
                        "\" is named as no kind of asset; give --kind");
  if (!checkUploadFile(context, upload.file, upload.kind))
    return kCommandFailed;
  if (!upload.preview.empty() && !checkPreviewFile(context, upload.preview))
    return kCommandFailed;
  return submitUpload(context, upload) ? kCommandDone : kCommandFailed;
}
