// Which files of a subscribed item an install may put into the game's
// folders. Items are made by strangers, so every name is judged as the
// most lenient file system would read it.
#ifndef DRAV_INSTALL_INSTALL_RULES_H_
#define DRAV_INSTALL_INSTALL_RULES_H_

#include <string>

/// The name of the lock file that marks a workshop path in use.
extern const char kWorkshopLockName[];

/// `name` as Windows compares it: any case, trailing dots and blanks
/// ignored.
std::string windowsComparableName(const std::string& name);

/// Why the file `name` of an item is never installed, as the end of its
/// "Skipped" line; "" when it may be. Covers program files (what a
/// player's system runs or loads), the tool's own files and the names of
/// the folders an install writes into.
std::string installRefusal(const std::string& name);

#endif  // DRAV_INSTALL_INSTALL_RULES_H_
