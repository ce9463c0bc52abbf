// Which files of a subscribed item an install may put into the game's
// folders. Items are made by strangers, so every name is judged as the
// most lenient file system would read it.
#ifndef DRAV_INSTALL_INSTALL_RULES_H_
#define DRAV_INSTALL_INSTALL_RULES_H_

#include <string>
#include <vector>

#include "steam/steam_api.h"

/// `name` as Windows compares it: any case, trailing dots and blanks
/// ignored.
std::string windowsComparableName(const std::string& name);

/// Why the file `name` of an item is never installed, as the end of its
/// "Skipped" line; "" when it may be. Covers program files (what a
/// player's system runs or loads), the tool's own files and the names of
/// the folders an install writes into.
std::string installRefusal(const std::string& name);

/// What an install does with one file of an item: where it goes, or why
/// it is skipped.
struct cInstallStep {
  std::string name;         // the file's name in the item folder
  std::string source;       // its path there
  int type;                 // its asset kind
  std::string folder;       // the folder it goes into
  bool subfolder;           // whether that folder is created when missing
  std::string destination;  // the full path it is written to
  std::string skipReason;   // why it is not installed; "" when it is
};

/// Decides, without changing anything, what an install into
/// `workshopPath` does with the file `name` of the item folder
/// `itemFolder`. Only regular files are installed, never over a folder or
/// a link, and unknown kinds only when installRefusal allows them.
cInstallStep planInstallStep(const std::string& workshopPath, const std::string& itemFolder,
                             const std::string& name);

/// Carries out a step that is not skipped: creates its folder when needed
/// and copies the file; false, with the copy's failure line in `why` when
/// given (else printed), when it could not be placed.
bool carryOutInstallStep(const cInstallStep& step, std::string* why = nullptr);

/// Removes the temporary files that killed copies of the tool left in the
/// workshop path and the folders installs write into; the workshop path's
/// lock keeps every other copy out of them.
void removeInstallTemporaries(const std::string& workshopPath);

/// The folder of the item `id` in the download cache, in `folder`; false
/// when the item is not on disk. A path that fills Steam's buffer gives ""
/// (no folder), as it may then be cut short and name another folder.
bool findItemFolder(ISteamUGC* ugc, PublishedFileId_t id, std::string* folder);

/// The items the player is subscribed to, at most the 10,000 that one
/// list of Steam holds.
std::vector<PublishedFileId_t> subscribedItems(ISteamUGC* ugc);

#endif  // DRAV_INSTALL_INSTALL_RULES_H_
