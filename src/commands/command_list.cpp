// The list command: every item the user has published for the game, all
// pages of the query, newest first, as lines of tab-separated fields or as
// one JSON array.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "app/awaited_call.h"
#include "commands/commands.h"
#include "assets/asset_types.h"
#include "console/console.h"

namespace {

/// The asset kind that an item's metadata names; 0 for none or any other
/// text.
int kindFromMetadata(const char* metadata) {
  char* end = nullptr;
  long kind = strtol(metadata, &end, 10);
  bool known = end != metadata && *end == '\0' && kind > 0 && kind <= Recording;
  return known ? static_cast<int>(kind) : 0;
}

/// `text` as a JSON string; control characters escaped, other bytes kept.
std::string jsonString(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20 || byte == 0x7f) {
      char escaped[8];
      snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

/// Reads one page of the query into `items`; false on a failure, with the
/// reason printed. `more` tells whether pages follow.
bool readPage(const cCommandContext& context, uint32_t page, std::vector<cListedItem>* items,
              bool* more) {
  UGCQueryHandle_t query = context.ugc->CreateQueryUserUGCRequest(
      context.account, k_EUserUGCList_Published, k_EUGCMatchingUGCType_Items_ReadyToUse,
      k_EUserUGCListSortOrder_CreationOrderDesc, 0, context.app, page);
  context.ugc->SetReturnMetadata(query, true);
  cAwaitedCall<SteamUGCQueryCompleted_t> answer;
  std::string why;
  bool ok = answer.waitForSuccess(context.ugc->SendQueryUGCRequest(query), &why);
  uint32_t returned = ok ? answer.record.m_unNumResultsReturned : 0;
  SteamUGCDetails_t details;
  char metadata[5001];
  for (uint32_t i = 0; i < returned && context.ugc->GetQueryUGCResult(query, i, &details); ++i) {
    if (!context.ugc->GetQueryUGCMetadata(query, i, metadata, sizeof(metadata)))
      metadata[0] = '\0';
    std::string title(details.m_rgchTitle,
                      strnlen(details.m_rgchTitle, sizeof(details.m_rgchTitle)));
    items->push_back(cListedItem{details.m_nPublishedFileId, title,
                                 kindFromMetadata(metadata), details.m_eVisibility,
                                 details.m_rtimeUpdated});
  }
  context.ugc->ReleaseQueryUGCRequest(query);
  if (!ok)
    context.fail("listing your items failed: " + why);
  *more = returned > 0 && items->size() < answer.record.m_unTotalMatchingResults;
  return ok;
}

void printLines(std::ostream& out, const std::vector<cListedItem>& items) {
  for (const cListedItem& item : items)
    out << item.id << "\t" << assetTypeName(item.kind) << "\t" << visibilityName(item.visibility)
        << "\t" << printableText(item.title) << "\n";
}

void printJson(std::ostream& out, const std::vector<cListedItem>& items) {
  out << "[";
  for (size_t i = 0; i < items.size(); ++i) {
    const cListedItem& item = items[i];
    out << (i ? ",\n " : "\n ") << "{\"id\": \"" << item.id << "\", \"title\": "
        << jsonString(item.title) << ", \"kind\": " << item.kind << ", \"visibility\": \""
        << visibilityName(item.visibility) << "\", \"updated\": " << item.updated << "}";
  }
  out << (items.empty() ? "]\n" : "\n]\n");
}

}  // namespace

bool readPublishedItems(const cCommandContext& context, std::vector<cListedItem>* items) {
  bool more = true;
  for (uint32_t page = 1; more; ++page) {
    if (!readPage(context, page, items, &more))
      return false;
  }
  return true;
}

int runList(cCommandContext& context, const cCommandArgs& args) {
  std::vector<cListedItem> items;
  if (!readPublishedItems(context, &items))
    return kCommandFailed;
  if (args.options.count("--json"))
    printJson(*context.out, items);
  else
    printLines(*context.out, items);
  return kCommandDone;
}
