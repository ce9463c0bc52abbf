#include "localsteam/local_store.h"

#include <time.h>

#include <algorithm>
#include <set>

#include "files/directory.h"
#include "files/paths.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/strings.h"
#include "localsteam/local_store_json.h"

using nlohmann::json;

const char* const kFaultOps[5] = {"create", "query", "submit", "download", "delete"};

namespace {

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
  return writeFileAtomically(path, "");
}

bool removeFolder(const std::string& folder) {
  return cFileSystem().deleteFolder(folder, true) == 0;
}

/// Copies the folder `source` with everything below it to the new folder
/// `target`. Links to folders are not entered.
bool copyFolder(const std::string& source, const std::string& target) {
  std::vector<std::string> files, folders;
  if (!createFolder(target) || !listFiles(source, &files) || !listFolders(source, &folders))
    return false;
  for (const std::string& name : files) {
    if (copyFileAtomically(joinPath(source, name), joinPath(target, name)) != kCopied)
      return false;
  }
  for (const std::string& name : folders) {
    if (!copyFolder(joinPath(source, name), joinPath(target, name)))
      return false;
  }
  return true;
}

/// Appends the files below `folder` to `files`, their names behind `prefix`.
void addFilesBelow(const std::string& folder, const std::string& prefix,
                   std::vector<cContentFile>* files) {
  std::vector<std::string> names;
  listFiles(folder, &names);
  for (const std::string& name : names) {
    FileStatus status = fileStatus(joinPath(folder, name));
    if (status.kind == kRegularFile)
      files->push_back(cContentFile{prefix + name, status.size});
  }
  listFolders(folder, &names);
  for (const std::string& name : names)
    addFilesBelow(joinPath(folder, name), prefix + name + "/", files);
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

cStoreLock::cStoreLock(const std::string& storeFolder)
    : lock_(joinPath(storeFolder, "lock")) {}

cLocalStore::cLocalStore(const std::string& folder) {
  folder_ = absolutePath(folder);
  std::replace(folder_.begin(), folder_.end(), kPathSeparators[0], kPathSeparator);
  // A trailing separator goes, unless it is all of a root.
  std::string::size_type last = folder_.find_last_not_of(kPathSeparators);
  if (last != std::string::npos && last + 2 == folder_.size() && folder_[last] != ':')
    folder_.erase(last + 1);
}

std::string cLocalStore::path(const std::string& relative) const {
  return joinPath(folder_, relative);
}

std::string cLocalStore::itemFolder(PublishedFileId_t id) const {
  return joinPath(path("items"), std::to_string(id));
}

bool cLocalStore::exists() const {
  return fileStatus(path("settings.json")).kind != kMissing;
}

bool cLocalStore::create(uint32_t account) const {
  if (!createFolders(folder_) || exists())
    return false;
  for (const char* sub : {"items", "owners", "subscribed", "cache"}) {
    if (!createFolder(path(sub)))
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
  settingsFromJson(value, settings);
  return true;
}

bool cLocalStore::writeSettings(const cStoreSettings& settings) const {
  return writeJson(path("settings.json"), settingsToJson(settings));
}

bool cLocalStore::itemExists(PublishedFileId_t id) const {
  return fileStatus(joinPath(itemFolder(id), "item.json")).kind != kMissing;
}

bool cLocalStore::readItem(PublishedFileId_t id, cStoreItem* item) const {
  json value;
  if (!readJson(joinPath(itemFolder(id), "item.json"), &value) || !value.is_object())
    return false;
  itemFromJson(value, item);
  item->id = id;
  return true;
}

bool cLocalStore::writeItem(const cStoreItem& item) const {
  return createFolder(itemFolder(item.id)) &&
         writeJson(joinPath(itemFolder(item.id), "item.json"), itemToJson(item)) &&
         writeOwnerEntry(item);
}

bool cLocalStore::deleteItem(const cStoreItem& item) const {
  // Out of its owner's index first, so that no query lists it half gone.
  std::vector<cOwnerEntry> entries;
  if (!ownerItems(item.owner, &entries))
    return false;
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&](const cOwnerEntry& e) { return e.id == item.id; }),
                entries.end());
  return writeJson(ownerFile(item.owner), ownerEntriesToJson(entries)) &&
         unsubscribe({item.id}) && uncacheItem(item.id) && removeFolder(itemFolder(item.id));
}

std::string cLocalStore::ownerFile(uint32_t owner) const {
  return joinPath(path("owners"), std::to_string(owner) + ".json");
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
  return writeJson(ownerFile(item.owner), ownerEntriesToJson(entries));
}

bool cLocalStore::ownerItems(uint32_t owner, std::vector<cOwnerEntry>* entries) const {
  entries->clear();
  json list;
  if (!readJson(ownerFile(owner), &list))
    return fileStatus(ownerFile(owner)).kind == kMissing;
  if (!list.is_array())
    return false;
  ownerEntriesFromJson(list, entries);
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
  std::vector<std::string> names;
  bool listed = listFolders(path("items"), &names);
  for (const std::string& name : names) {
    uint64_t id;
    if (parseUnsigned(name, UINT64_MAX, &id) && itemExists(id))
      ids->push_back(id);
  }
  std::sort(ids->begin(), ids->end());
  return listed;
}

std::string cLocalStore::contentFolder(const cStoreItem& item) const {
  return joinPath(itemFolder(item.id), "content-" + std::to_string(item.contentVersion));
}

std::string cLocalStore::nextContentFolder(const cStoreItem& item) const {
  cStoreItem next = item;
  ++next.contentVersion;
  std::string folder = contentFolder(next);
  removeFolder(folder);  // left by a process killed halfway
  createFolder(itemFolder(item.id));
  return folder;
}

bool cLocalStore::copyContentFolder(cStoreItem* item, const std::string& sourceFolder) const {
  if (!copyFolder(sourceFolder, nextContentFolder(*item)))
    return false;
  ++item->contentVersion;
  return true;
}

bool cLocalStore::copyContentFiles(cStoreItem* item, const std::vector<std::string>& files) const {
  std::string target = nextContentFolder(*item);
  if (!createFolder(target))
    return false;
  for (const std::string& file : files) {
    if (copyFileAtomically(file, joinPath(target, getFileName(file))) != kCopied)
      return false;
  }
  ++item->contentVersion;
  return true;
}

void cLocalStore::dropOldContent(const cStoreItem& item) const {
  std::string current = "content-" + std::to_string(item.contentVersion);
  std::vector<std::string> names;
  listFolders(itemFolder(item.id), &names);
  for (const std::string& name : names) {
    if (startsWith(name, "content-") && name != current)
      removeFolder(joinPath(itemFolder(item.id), name));
  }
}

bool cLocalStore::setPreview(cStoreItem* item, const std::string& file) const {
  if (!createFolder(itemFolder(item->id)) ||
      copyFileAtomically(file, joinPath(itemFolder(item->id), "preview")) != kCopied)
    return false;
  item->previewName = getFileName(file);
  return true;
}

uint64_t cLocalStore::previewSize(const cStoreItem& item) const {
  if (item.previewName.empty())
    return 0;
  FileStatus status = fileStatus(joinPath(itemFolder(item.id), "preview"));
  return status.kind == kRegularFile ? status.size : 0;
}

void listFilesBelow(const std::string& folder, std::vector<cContentFile>* files) {
  files->clear();
  addFilesBelow(folder, "", files);
}

uint64_t bytesBelow(const std::string& folder) {
  std::vector<cContentFile> files;
  listFilesBelow(folder, &files);
  uint64_t total = 0;
  for (const cContentFile& file : files)
    total += file.size;
  return total;
}

void cLocalStore::listContent(const cStoreItem& item, std::vector<cContentFile>* files) const {
  files->clear();
  if (item.contentVersion == 0)
    return;
  listFilesBelow(contentFolder(item), files);
  std::sort(files->begin(), files->end(),
            [](const cContentFile& a, const cContentFile& b) { return a.name < b.name; });
}

bool cLocalStore::readSubscriptions(std::vector<PublishedFileId_t>* ids) const {
  return readIdList(path("subscriptions.json"), ids);
}

std::string cLocalStore::subscribedMarker(PublishedFileId_t id) const {
  return joinPath(path("subscribed"), std::to_string(id));
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
    if (!touch(subscribedMarker(id)))
      return false;
  return true;
}

bool cLocalStore::unsubscribe(const std::vector<PublishedFileId_t>& ids) const {
  std::set<PublishedFileId_t> dropped(ids.begin(), ids.end());
  for (PublishedFileId_t id : ids)
    removeFile(subscribedMarker(id));
  std::vector<PublishedFileId_t> list;
  readSubscriptions(&list);
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](PublishedFileId_t id) { return dropped.count(id) > 0; }),
             list.end());
  return writeIdList(path("subscriptions.json"), list);
}

bool cLocalStore::isSubscribed(PublishedFileId_t id) const {
  return fileStatus(subscribedMarker(id)).kind != kMissing;
}

std::string cLocalStore::cacheFolder(PublishedFileId_t id) const {
  return joinPath(path("cache"), std::to_string(id));
}

bool cLocalStore::isCached(PublishedFileId_t id, uint32_t* time) const {
  FileStatus folder = fileStatus(cacheFolder(id));
  if (folder.kind == kFolder) {
    *time = folder.modified;
    return true;
  }
  *time = 0;
  return fileStatus(cacheFolder(id) + ".broken").kind != kMissing;
}

bool cLocalStore::cacheItem(const cStoreItem& item) const {
  std::string folder = cacheFolder(item.id);
  std::string suffix = std::to_string(currentProcessId());
  std::string fresh = folder + ".tmp" + suffix;
  std::string old = folder + ".old" + suffix;
  removeFolder(fresh);
  bool made = item.contentVersion > 0 ? copyFolder(contentFolder(item), fresh)
                                      : createFolder(fresh);
  if (!made) {
    // A copy cut short (a full disk, a file-size limit) must not linger.
    removeFolder(fresh);
    return false;
  }
  // The entry is briefly missing between the renames, never half-copied.
  removeFolder(old);
  replaceFile(folder, old);
  if (!replaceFile(fresh, folder))
    return false;
  removeFolder(old);
  removeFile(folder + ".broken");
  return true;
}

bool cLocalStore::uncacheItem(PublishedFileId_t id) const {
  removeFile(cacheFolder(id) + ".broken");
  return removeFolder(cacheFolder(id));
}

bool cLocalStore::breakCacheEntry(PublishedFileId_t id) const {
  if (!touch(cacheFolder(id) + ".broken"))
    return false;
  return removeFolder(cacheFolder(id));
}
