// Pieces shared by the platform pickers: the filter list, the acceptance
// rules, and the console picker that stands in for every dialog.
#ifndef DRAV_FILES_PICKERS_INTERNAL_H_
#define DRAV_FILES_PICKERS_INTERNAL_H_

#include <string>
#include <vector>

extern const char kFileDialogTitle[];
extern const char kFolderDialogTitle[];

struct FilterPair {
  std::string description;
  std::string patterns;  // one or more, separated by ";"
};

/// The pairs of a NUL-separated filter list, in their order.
std::vector<FilterPair> parseFilter(const char* filter);

/// True when `name` matches one of the ";"-separated `patterns` ("*" any
/// run of characters, "?" one, "*.*" every name), ignoring ASCII case as
/// the desktop dialogs do.
bool matchesPatterns(const std::string& name, const std::string& patterns);

/// The console picker; same results as the dialogs. The file picker lists
/// the files of `initialFolder` that match the filter and takes a number
/// from that list, a path relative to the folder, or a full path.
bool chooseFileInConsole(std::string* chosenPath, const std::string& initialFolder,
                         const char* filter, const std::string& wanted);
bool chooseFolderInConsole(std::string* folderPath);

/// True when `path` (as a dialog or the user gave it) names an existing
/// file or folder; the full path, without a trailing separator, then goes
/// into `fullPath`.
bool acceptFile(const std::string& path, std::string* fullPath);
bool acceptFolder(const std::string& path, std::string* fullPath);

/// `path` made absolute against the current folder, without a trailing
/// separator (a root keeps its own). Platform half.
std::string makeFullPath(const std::string& path);

#endif  // DRAV_FILES_PICKERS_INTERNAL_H_
