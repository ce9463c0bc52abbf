// The store's files as JSON: reading and writing them whole, and the
// records they hold. Every reader is lenient: a missing or mistyped field
// gives its default, so a hand-edited store never stops the service.
#ifndef DRAV_LOCALSTEAM_LOCAL_STORE_JSON_H_
#define DRAV_LOCALSTEAM_LOCAL_STORE_JSON_H_

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "localsteam/local_store.h"

bool readJson(const std::string& path, nlohmann::json* value);
/// Writes beside `path` and renames over it. Texts that aren't UTF-8 get
/// U+FFFD for their bad bytes rather than stopping the write.
bool writeJson(const std::string& path, const nlohmann::json& value);

void settingsFromJson(const nlohmann::json& value, cStoreSettings* settings);
void itemFromJson(const nlohmann::json& value, cStoreItem* item);

nlohmann::json ownerEntriesToJson(const std::vector<cOwnerEntry>& entries);
void ownerEntriesFromJson(const nlohmann::json& list, std::vector<cOwnerEntry>* entries);

#endif  // DRAV_LOCALSTEAM_LOCAL_STORE_JSON_H_
