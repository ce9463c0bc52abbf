#include "localsteam/local_store_json.h"

#include "platform/files.h"

using nlohmann::json;

namespace {

// Non-throwing field readers: a missing or mistyped field gives the
// fallback.
uint64_t getUnsigned(const json& object, const char* key, uint64_t fallback) {
  auto field = object.find(key);
  if (field == object.end() || !field->is_number_integer())
    return fallback;
  if (field->is_number_unsigned())
    return field->get<uint64_t>();
  int64_t value = field->get<int64_t>();
  return value < 0 ? fallback : static_cast<uint64_t>(value);
}

uint32_t getU32(const json& object, const char* key, uint32_t fallback) {
  uint64_t value = getUnsigned(object, key, fallback);
  return value > UINT32_MAX ? fallback : static_cast<uint32_t>(value);
}

std::string getString(const json& object, const char* key) {
  auto field = object.find(key);
  return field != object.end() && field->is_string() ? field->get<std::string>() : "";
}

/// A two-word setting such as "on"/"off": true for `yes`.
bool getChoice(const json& object, const char* key, const char* yes, bool fallback) {
  auto field = object.find(key);
  if (field == object.end() || !field->is_string())
    return fallback;
  return field->get<std::string>() == yes;
}

json faultToJson(const cStoreFault& fault) {
  json outcome;
  switch (fault.kind) {
    case cStoreFault::kRefuse: outcome = "refuse"; break;
    case cStoreFault::kNull: outcome = "null"; break;
    case cStoreFault::kIoFail: outcome = "iofail"; break;
    case cStoreFault::kCode: outcome = fault.code; break;
  }
  return json{{"outcome", outcome}, {"count", fault.count}};
}

bool faultFromJson(const json& value, cStoreFault* fault) {
  if (!value.is_object())
    return false;
  fault->count = getU32(value, "count", 0);
  auto outcome = value.find("outcome");
  if (outcome == value.end())
    return false;
  if (outcome->is_number_integer()) {
    fault->kind = cStoreFault::kCode;
    fault->code = outcome->get<int32_t>();
    return true;
  }
  std::string name = outcome->is_string() ? outcome->get<std::string>() : "";
  if (name == "refuse")
    fault->kind = cStoreFault::kRefuse;
  else if (name == "null")
    fault->kind = cStoreFault::kNull;
  else if (name == "iofail")
    fault->kind = cStoreFault::kIoFail;
  else
    return false;
  return true;
}

}  // namespace

bool readJson(const std::string& path, json* value) {
  std::string text;
  if (!readWholeFile(path, &text))
    return false;
  *value = json::parse(text, nullptr, false);
  return !value->is_discarded();
}

bool writeJson(const std::string& path, const json& value) {
  return writeFileAtomically(
      path, value.dump(1, ' ', false, json::error_handler_t::replace) + '\n');
}

json itemToJson(const cStoreItem& item) {
  json notes = json::array();
  for (const cChangeNote& note : item.changeNotes)
    notes.push_back(json{{"time", note.time}, {"text", note.text}});
  return json{{"id", item.id},
              {"owner", item.owner},
              {"app", item.app},
              {"title", item.title},
              {"description", item.description},
              {"metadata", item.metadata},
              {"tags", item.tags},
              {"visibility", item.visibility},
              {"preview", item.previewName},
              {"contentVersion", item.contentVersion},
              {"changeNotes", notes},
              {"created", item.created},
              {"updated", item.updated}};
}

void itemFromJson(const json& value, cStoreItem* item) {
  item->id = getUnsigned(value, "id", 0);
  item->owner = getU32(value, "owner", 0);
  item->app = getU32(value, "app", 0);
  item->title = getString(value, "title");
  item->description = getString(value, "description");
  item->metadata = getString(value, "metadata");
  item->tags.clear();
  auto tags = value.find("tags");
  if (tags != value.end() && tags->is_array()) {
    for (const json& tag : *tags)
      if (tag.is_string())
        item->tags.push_back(tag.get<std::string>());
  }
  item->visibility = static_cast<int32_t>(getU32(value, "visibility", 2));
  item->previewName = getString(value, "preview");
  item->contentVersion = getU32(value, "contentVersion", 0);
  item->changeNotes.clear();
  auto notes = value.find("changeNotes");
  if (notes != value.end() && notes->is_array()) {
    for (const json& note : *notes) {
      if (note.is_object())
        item->changeNotes.push_back(cChangeNote{getU32(note, "time", 0), getString(note, "text")});
    }
  }
  item->created = getU32(value, "created", 0);
  item->updated = getU32(value, "updated", 0);
}

void settingsFromJson(const json& value, cStoreSettings* settings) {
  cStoreSettings defaults;
  settings->clientRunning = getChoice(value, "client", "running", defaults.clientRunning);
  settings->userOn = getChoice(value, "user", "on", defaults.userOn);
  settings->workshopOn = getChoice(value, "workshop", "on", defaults.workshopOn);
  settings->account = getU32(value, "account", defaults.account);
  settings->latencyMs = getU32(value, "latency", defaults.latencyMs);
  settings->legalAccepted = getChoice(value, "legal", "accepted", defaults.legalAccepted);
  settings->noise = getChoice(value, "noise", "on", defaults.noise);
  settings->nextId = getUnsigned(value, "nextId", defaults.nextId);
  settings->richPresence.clear();
  auto presence = value.find("richPresence");
  if (presence != value.end() && presence->is_object()) {
    for (auto entry = presence->begin(); entry != presence->end(); ++entry)
      if (entry.value().is_string())
        settings->richPresence[entry.key()] = entry.value().get<std::string>();
  }
  settings->faults.clear();
  auto faults = value.find("faults");
  if (faults != value.end() && faults->is_object()) {
    for (auto entry = faults->begin(); entry != faults->end(); ++entry) {
      cStoreFault fault;
      if (faultFromJson(entry.value(), &fault) && fault.count > 0)
        settings->faults[entry.key()] = fault;
    }
  }
}

json settingsToJson(const cStoreSettings& settings) {
  json faults = json::object();
  for (const auto& entry : settings.faults)
    if (entry.second.count > 0)
      faults[entry.first] = faultToJson(entry.second);
  return json{{"client", settings.clientRunning ? "running" : "stopped"},
              {"user", settings.userOn ? "on" : "off"},
              {"workshop", settings.workshopOn ? "on" : "off"},
              {"account", settings.account},
              {"latency", settings.latencyMs},
              {"legal", settings.legalAccepted ? "accepted" : "pending"},
              {"noise", settings.noise ? "on" : "off"},
              {"nextId", settings.nextId},
              {"richPresence", settings.richPresence},
              {"faults", faults}};
}

json ownerEntriesToJson(const std::vector<cOwnerEntry>& entries) {
  json list = json::array();
  for (const cOwnerEntry& e : entries)
    list.push_back(json{{"id", e.id}, {"created", e.created}, {"app", e.app}, {"content", e.hasContent}});
  return list;
}

void ownerEntriesFromJson(const json& list, std::vector<cOwnerEntry>* entries) {
  for (const json& e : list) {
    if (!e.is_object())
      continue;
    auto hasContent = e.find("content");
    entries->push_back(cOwnerEntry{getUnsigned(e, "id", 0), getU32(e, "created", 0), getU32(e, "app", 0),
                                   hasContent != e.end() && hasContent->is_boolean() && hasContent->get<bool>()});
  }
}
