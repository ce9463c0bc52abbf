#include "steam/local_store.h"

#include <time.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include <nlohmann/json.hpp>

#include "files/file_copy.h"
#include "steam/local_store_platform.h"

namespace fs = std::filesystem;
using nlohmann::json;

const char* const kFaultOps[4] = {"create", "query", "submit", "download"};

namespace {

const char kSeparator = static_cast<char>(fs::path::preferred_separator);

// Non-throwing field readers: a missing or mistyped field gives the
// fallback, so a hand-edited store never stops the service.
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

bool readJson(const std::string& path, json* value) {
  std::string text;
  if (!readStoreFile(path, &text))
    return false;
  *value = json::parse(text, nullptr, false);
  return !value->is_discarded();
}

/// Writes beside `path` and renames over it. Texts that aren't UTF-8 get
/// U+FFFD for their bad bytes rather than stopping the write.
bool writeJson(const std::string& path, const json& value) {
  std::string temporary = path + ".tmp" + std::to_string(storeProcessId());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << value.dump(1, ' ', false, json::error_handler_t::replace) << '\n';
    out.flush();
    if (!out)
      return false;
  }
  if (replaceFile(temporary, path))
    return true;
  std::error_code error;
  fs::remove(temporary, error);
  return false;
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

namespace {

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

bool readIdList(const std::string& path, std::vector<PublishedFileId_t>* ids) {
  ids->clear();
  json list;
  if (!readJson(path, &list))
    return false;
  if (!list.is_array())
    return false;
  for (const json& id : list)
    if (id.is_number_unsigned())
      ids->push_back(id.get<uint64_t>());
  return true;
}

bool writeIdList(const std::string& path, const std::vector<PublishedFileId_t>& ids) {
  return writeJson(path, json(ids));
}

/// Creates an empty marker file; its existence is all it says.
bool touch(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  return static_cast<bool>(out);
}

}  // namespace

bool parseUnsigned(const std::string& text, uint64_t max, uint64_t* value) {
  if (text.empty())
    return false;
  uint64_t result = 0;
  for (char digit : text) {
    if (digit < '0' || digit > '9')
      return false;
    unsigned next = static_cast<unsigned>(digit - '0');
    if (result > (max - next) / 10)
      return false;
    result = result * 10 + next;
  }
  *value = result;
  return true;
}

uint32_t storeTime() {
  return static_cast<uint32_t>(time(nullptr));
}

cStoreLock::cStoreLock(const std::string& storeFolder) : handle_(0), held_(false) {
  held_ = lockStoreFile(storeFolder + kSeparator + "lock", &handle_);
}

cStoreLock::~cStoreLock() {
  if (held_)
    unlockStoreFile(handle_);
}

cLocalStore::cLocalStore(const std::string& folder) {
  std::error_code error;
  fs::path absolute = fs::absolute(fs::path(folder), error);
  if (error)
    absolute = fs::path(folder);
  absolute.make_preferred();
  if (!absolute.has_filename() && absolute.has_relative_path())
    absolute = absolute.parent_path();
  folder_ = absolute.string();
}

std::string cLocalStore::path(const std::string& relative) const {
  return folder_ + kSeparator + relative;
}

std::string cLocalStore::itemFolder(PublishedFileId_t id) const {
  return path("items") + kSeparator + std::to_string(id);
}

bool cLocalStore::exists() const {
  return statPath(path("settings.json"), nullptr);
}

bool cLocalStore::create(uint32_t account) const {
  std::error_code error;
  fs::create_directories(folder_, error);
  if (error || exists())
    return false;
  for (const char* sub : {"items", "owners", "subscribed", "cache"}) {
    fs::create_directory(path(sub), error);
    if (error)
      return false;
  }
  if (!writeIdList(path("subscriptions.json"), {}))
    return false;
  cStoreSettings settings;
  settings.account = account;
  return writeSettings(settings);
}

bool cLocalStore::readSettings(cStoreSettings* settings) const {
  json value;
  if (!readJson(path("settings.json"), &value) || !value.is_object())
    return false;
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
  return true;
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

bool cLocalStore::writeSettings(const cStoreSettings& settings) const {
  return writeJson(path("settings.json"), settingsToJson(settings));
}

bool cLocalStore::itemExists(PublishedFileId_t id) const {
  return statPath(itemFolder(id) + kSeparator + "item.json", nullptr);
}

bool cLocalStore::readItem(PublishedFileId_t id, cStoreItem* item) const {
  json value;
  if (!readJson(itemFolder(id) + kSeparator + "item.json", &value) || !value.is_object())
    return false;
  itemFromJson(value, item);
  item->id = id;
  return true;
}

bool cLocalStore::writeItem(const cStoreItem& item) const {
  std::error_code error;
  fs::create_directories(itemFolder(item.id), error);
  return !error && writeJson(itemFolder(item.id) + kSeparator + "item.json", itemToJson(item)) &&
         writeOwnerEntry(item);
}

bool cLocalStore::writeOwnerEntry(const cStoreItem& item) const {
  std::vector<cOwnerEntry> entries;
  ownerItems(item.owner, &entries);
  cOwnerEntry entry{item.id, item.created, item.app, item.contentVersion > 0};
  auto same = std::find_if(entries.begin(), entries.end(),
                           [&](const cOwnerEntry& e) { return e.id == item.id; });
  if (same != entries.end())
    *same = entry;
  else
    entries.push_back(entry);
  json list = json::array();
  for (const cOwnerEntry& e : entries)
    list.push_back(json{{"id", e.id}, {"created", e.created}, {"app", e.app}, {"content", e.hasContent}});
  return writeJson(path("owners") + kSeparator + std::to_string(item.owner) + ".json", list);
}

bool cLocalStore::ownerItems(uint32_t owner, std::vector<cOwnerEntry>* entries) const {
  entries->clear();
  json list;
  if (!readJson(path("owners") + kSeparator + std::to_string(owner) + ".json", &list))
    return !statPath(path("owners") + kSeparator + std::to_string(owner) + ".json", nullptr);
  if (!list.is_array())
    return false;
  for (const json& e : list) {
    if (!e.is_object())
      continue;
    auto hasContent = e.find("content");
    entries->push_back(cOwnerEntry{getUnsigned(e, "id", 0), getU32(e, "created", 0), getU32(e, "app", 0),
                                   hasContent != e.end() && hasContent->is_boolean() && hasContent->get<bool>()});
  }
  return true;
}

bool cLocalStore::allocateId(PublishedFileId_t* id) const {
  cStoreSettings settings;
  if (!readSettings(&settings))
    return false;
  // An id set back by hand must not take over an existing item.
  while (settings.nextId == 0 || itemExists(settings.nextId))
    ++settings.nextId;
  *id = settings.nextId++;
  return writeSettings(settings);
}

bool cLocalStore::allItemIds(std::vector<PublishedFileId_t>* ids) const {
  ids->clear();
  std::error_code error;
  for (fs::directory_iterator entry(path("items"), error), end; !error && entry != end;
       entry.increment(error)) {
    uint64_t id;
    if (parseUnsigned(entry->path().filename().string(), UINT64_MAX, &id) && itemExists(id))
      ids->push_back(id);
  }
  std::sort(ids->begin(), ids->end());
  return !error;
}

std::string cLocalStore::contentFolder(const cStoreItem& item) const {
  return itemFolder(item.id) + kSeparator + "content-" + std::to_string(item.contentVersion);
}

std::string cLocalStore::nextContentFolder(const cStoreItem& item) const {
  cStoreItem next = item;
  ++next.contentVersion;
  std::string folder = contentFolder(next);
  std::error_code error;
  fs::remove_all(folder, error);  // left by a process killed halfway
  fs::create_directories(itemFolder(item.id), error);
  return folder;
}

bool cLocalStore::copyContentFolder(cStoreItem* item, const std::string& sourceFolder) const {
  std::error_code error;
  fs::copy(sourceFolder, nextContentFolder(*item), fs::copy_options::recursive, error);
  if (error)
    return false;
  ++item->contentVersion;
  return true;
}

bool cLocalStore::copyContentFiles(cStoreItem* item, const std::vector<std::string>& files) const {
  fs::path target = nextContentFolder(*item);
  std::error_code error;
  fs::create_directory(target, error);
  for (const std::string& file : files) {
    if (error)
      return false;
    fs::copy_file(file, target / fs::path(file).filename(), fs::copy_options::overwrite_existing,
                  error);
  }
  if (error)
    return false;
  ++item->contentVersion;
  return true;
}

void cLocalStore::dropOldContent(const cStoreItem& item) const {
  std::string current = "content-" + std::to_string(item.contentVersion);
  std::error_code error;
  std::vector<fs::path> old;
  for (fs::directory_iterator entry(itemFolder(item.id), error), end; !error && entry != end;
       entry.increment(error)) {
    std::string name = entry->path().filename().string();
    if (name.compare(0, 8, "content-") == 0 && name != current)
      old.push_back(entry->path());
  }
  for (const fs::path& folder : old)
    fs::remove_all(folder, error);
}

bool cLocalStore::setPreview(cStoreItem* item, const std::string& file) const {
  std::string target = itemFolder(item->id) + kSeparator + "preview";
  std::string temporary = target + ".tmp" + std::to_string(storeProcessId());
  std::error_code error;
  fs::create_directories(itemFolder(item->id), error);
  fs::copy_file(file, temporary, fs::copy_options::overwrite_existing, error);
  if (error || !replaceFile(temporary, target))
    return false;
  item->previewName = fs::path(file).filename().string();
  return true;
}

uint64_t cLocalStore::previewSize(const cStoreItem& item) const {
  if (item.previewName.empty())
    return 0;
  std::error_code error;
  uint64_t size = fs::file_size(itemFolder(item.id) + kSeparator + "preview", error);
  return error ? 0 : size;
}

void cLocalStore::listContent(const cStoreItem& item, std::vector<cContentFile>* files) const {
  files->clear();
  if (item.contentVersion == 0)
    return;
  fs::path root = contentFolder(item);
  std::error_code error;
  for (fs::recursive_directory_iterator entry(root, error), end; !error && entry != end;
       entry.increment(error)) {
    if (!entry->is_regular_file(error))
      continue;
    uint64_t size = entry->file_size(error);
    files->push_back(cContentFile{entry->path().lexically_relative(root).generic_string(),
                                  error ? 0 : size});
  }
  std::sort(files->begin(), files->end(),
            [](const cContentFile& a, const cContentFile& b) { return a.name < b.name; });
}

bool cLocalStore::readSubscriptions(std::vector<PublishedFileId_t>* ids) const {
  return readIdList(path("subscriptions.json"), ids);
}

bool cLocalStore::subscribe(const std::vector<PublishedFileId_t>& ids) const {
  std::vector<PublishedFileId_t> list;
  readSubscriptions(&list);
  std::set<PublishedFileId_t> present(list.begin(), list.end());
  for (PublishedFileId_t id : ids)
    if (present.insert(id).second)
      list.push_back(id);
  if (!writeIdList(path("subscriptions.json"), list))
    return false;
  // Markers after the list: a process killed between the two leaves an
  // item listed but reported unsubscribed, never the reverse.
  for (PublishedFileId_t id : ids)
    if (!touch(path("subscribed") + kSeparator + std::to_string(id)))
      return false;
  return true;
}

bool cLocalStore::unsubscribe(const std::vector<PublishedFileId_t>& ids) const {
  std::set<PublishedFileId_t> dropped(ids.begin(), ids.end());
  std::error_code error;
  for (PublishedFileId_t id : ids)
    fs::remove(path("subscribed") + kSeparator + std::to_string(id), error);
  std::vector<PublishedFileId_t> list;
  readSubscriptions(&list);
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](PublishedFileId_t id) { return dropped.count(id) > 0; }),
             list.end());
  return writeIdList(path("subscriptions.json"), list);
}

bool cLocalStore::isSubscribed(PublishedFileId_t id) const {
  return statPath(path("subscribed") + kSeparator + std::to_string(id), nullptr);
}

std::string cLocalStore::cacheFolder(PublishedFileId_t id) const {
  return path("cache") + kSeparator + std::to_string(id);
}

bool cLocalStore::isCached(PublishedFileId_t id, uint32_t* time) const {
  std::string folder = cacheFolder(id);
  if (statFolder(folder, time))
    return true;
  *time = 0;
  return statPath(folder + ".broken", nullptr);
}

bool cLocalStore::cacheItem(const cStoreItem& item) const {
  std::string folder = cacheFolder(item.id);
  std::string suffix = std::to_string(storeProcessId());
  std::string fresh = folder + ".tmp" + suffix;
  std::string old = folder + ".old" + suffix;
  std::error_code error;
  fs::remove_all(fresh, error);
  if (item.contentVersion > 0)
    fs::copy(contentFolder(item), fresh, fs::copy_options::recursive, error);
  else
    fs::create_directories(fresh, error);
  if (error) {
    // A copy cut short (a full disk, a file-size limit) must not linger.
    std::error_code ignored;
    fs::remove_all(fresh, ignored);
    return false;
  }
  // The entry is briefly missing between the renames, never half-copied.
  fs::remove_all(old, error);
  fs::rename(folder, old, error);
  error.clear();
  fs::rename(fresh, folder, error);
  if (error)
    return false;
  fs::remove_all(old, error);
  fs::remove(folder + ".broken", error);
  return true;
}

bool cLocalStore::uncacheItem(PublishedFileId_t id) const {
  std::error_code error;
  fs::remove(cacheFolder(id) + ".broken", error);
  fs::remove_all(cacheFolder(id), error);
  return !error;
}

bool cLocalStore::breakCacheEntry(PublishedFileId_t id) const {
  std::error_code error;
  if (!touch(cacheFolder(id) + ".broken"))
    return false;
  fs::remove_all(cacheFolder(id), error);
  return !error;
}
