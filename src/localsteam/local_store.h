// The store of the local workshop service: one folder on disk, shared by
// the service inside the tool and by the control tool drav-localsteam,
// possibly in several processes at once.
//
// Layout:
//   settings.json          client, user, workshop, account, latency, legal,
//                          noise, next item id, rich presence, faults
//   lock                   locked around every change
//   items/ID/item.json     one item; its content in items/ID/content-N/,
//                          its preview image in items/ID/preview
//   owners/ACCOUNT.json    the ids (with creation time, app and whether
//                          they have content) of one account's items, so
//                          that a user's query never scans other users'
//   subscriptions.json     the subscribed ids in subscription order
//   subscribed/ID          membership marker, so one item's state is a stat
//   cache/ID/              the download cache: the item's installed files
//   cache/ID.broken        marker: installed, but its folder is gone
// Every file is written beside its place and renamed over it, so a killed
// process leaves either the old or the new version.
#ifndef DRAV_LOCALSTEAM_LOCAL_STORE_H_
#define DRAV_LOCALSTEAM_LOCAL_STORE_H_

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/files.h"

typedef uint64_t PublishedFileId_t;

/// A failure the next calls of one kind answer with.
struct cStoreFault {
  enum Kind { kCode, kRefuse, kNull, kIoFail };
  Kind kind = kCode;
  int32_t code = 0;  // the result code, for kCode
  uint32_t count = 0;
};

/// The fault kinds: the calls that can be told to fail.
extern const char* const kFaultOps[5];  // "create", "query", "submit", "download", "delete"

struct cStoreSettings {
  bool clientRunning = true;
  bool userOn = true;
  bool workshopOn = true;
  uint32_t account = 1001;
  uint32_t latencyMs = 20;
  bool legalAccepted = true;
  bool noise = false;
  PublishedFileId_t nextId = 1000000;
  std::map<std::string, std::string> richPresence;
  std::map<std::string, cStoreFault> faults;  // by op
};

struct cChangeNote {
  uint32_t time = 0;
  std::string text;
};

struct cStoreItem {
  PublishedFileId_t id = 0;
  uint32_t owner = 0;
  uint32_t app = 0;
  std::string title;
  std::string description;
  std::string metadata;
  std::vector<std::string> tags;
  int32_t visibility = 2;  // private
  std::string previewName;  // the file name it was set from; "" = none
  uint32_t contentVersion = 0;  // 0 = no content yet
  std::vector<cChangeNote> changeNotes;
  uint32_t created = 0;
  uint32_t updated = 0;
};

/// One line of an account's item index.
struct cOwnerEntry {
  PublishedFileId_t id = 0;
  uint32_t created = 0;
  uint32_t app = 0;
  bool hasContent = false;
};

struct cContentFile {
  std::string name;  // relative to the content folder, "/"-separated
  uint64_t size = 0;
};

/// Holds the store's lock for its lifetime (released too when the process
/// dies).
class cStoreLock {
 public:
  explicit cStoreLock(const std::string& storeFolder);
  bool held() const { return lock_.held(); }

 private:
  cFileLock lock_;
};

/// Reads and writes one store. Callers take a cStoreLock around every
/// read-modify-write; single reads need none, as files are only ever
/// replaced whole.
class cLocalStore {
 public:
  /// `folder` is made absolute, with the platform's separators.
  explicit cLocalStore(const std::string& folder);

  const std::string& folder() const { return folder_; }
  /// True when the folder holds a store (its settings file).
  bool exists() const;
  /// Makes a new store with default settings for `account`; false when one
  /// exists there already or the folder can't be written.
  bool create(uint32_t account) const;

  bool readSettings(cStoreSettings* settings) const;
  bool writeSettings(const cStoreSettings& settings) const;

  bool itemExists(PublishedFileId_t id) const;
  bool readItem(PublishedFileId_t id, cStoreItem* item) const;
  /// Writes the item and then its owner's index entry.
  bool writeItem(const cStoreItem& item) const;
  /// Removes the item, its index entry, subscription and cache entry; the
  /// caller holds the lock.
  bool deleteItem(const cStoreItem& item) const;
  /// Takes the next id from the settings; the caller holds the lock.
  bool allocateId(PublishedFileId_t* id) const;
  /// The ids of all items, ascending.
  bool allItemIds(std::vector<PublishedFileId_t>* ids) const;
  bool ownerItems(uint32_t owner, std::vector<cOwnerEntry>* entries) const;

  /// Replaces the item's content by a copy of `sourceFolder` (recursively)
  /// or of the `files`, and bumps its content version; the item is then to
  /// be written by the caller, after which `dropOldContent` frees the old.
  bool copyContentFolder(cStoreItem* item, const std::string& sourceFolder) const;
  bool copyContentFiles(cStoreItem* item, const std::vector<std::string>& files) const;
  void dropOldContent(const cStoreItem& item) const;
  bool setPreview(cStoreItem* item, const std::string& file) const;
  std::string contentFolder(const cStoreItem& item) const;
  /// Every file below the item's content folder, sorted by name.
  void listContent(const cStoreItem& item, std::vector<cContentFile>* files) const;
  uint64_t previewSize(const cStoreItem& item) const;

  bool readSubscriptions(std::vector<PublishedFileId_t>* ids) const;
  /// Adds the ids not yet subscribed, at the end, or removes them.
  bool subscribe(const std::vector<PublishedFileId_t>& ids) const;
  bool unsubscribe(const std::vector<PublishedFileId_t>& ids) const;
  bool isSubscribed(PublishedFileId_t id) const;

  /// The cache folder of an item (whether or not it exists).
  std::string cacheFolder(PublishedFileId_t id) const;
  /// True when the item is in the cache (its folder exists, or it is marked
  /// broken); `time` gets the folder's modification time.
  bool isCached(PublishedFileId_t id, uint32_t* time) const;
  /// Copies the item's current content into its cache folder, replacing it.
  bool cacheItem(const cStoreItem& item) const;
  bool uncacheItem(PublishedFileId_t id) const;
  /// Drops the cache folder but keeps the entry (reported installed).
  bool breakCacheEntry(PublishedFileId_t id) const;

 private:
  std::string path(const std::string& relative) const;
  std::string itemFolder(PublishedFileId_t id) const;
  /// The empty place of the item's next content version.
  std::string nextContentFolder(const cStoreItem& item) const;
  bool writeOwnerEntry(const cStoreItem& item) const;
  std::string ownerFile(uint32_t owner) const;
  std::string subscribedMarker(PublishedFileId_t id) const;

  std::string folder_;
};

/// The settings and an item as the store writes them, for showing.
nlohmann::json settingsToJson(const cStoreSettings& settings);
nlohmann::json itemToJson(const cStoreItem& item);

/// Every regular file below `folder` (links to folders are not entered),
/// named relative to it with "/" between components, in no order.
void listFilesBelow(const std::string& folder, std::vector<cContentFile>* files);

/// The total size of the files that listFilesBelow gives.
uint64_t bytesBelow(const std::string& folder);

/// Parses an unsigned decimal number that fits `max`; no sign, no blanks.
bool parseUnsigned(const std::string& text, uint64_t max, uint64_t* value);

/// Seconds since 1970, as Steam's 32-bit times.
uint32_t storeTime();

#endif  // DRAV_LOCALSTEAM_LOCAL_STORE_H_
