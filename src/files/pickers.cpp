// The console picker, used wherever no dialog can be shown and always when
// a script drives the tool. Its text, byte for byte (colours in brackets):
//
//   file:   [green] "\n" + title  [grey] " (" + patterns + ")"
//           [grey] "\nFolder: " + folder + "\nWanted: " + wanted
//           [cyan] "\n  1) " + name ... for each matching file
//           [grey] "\nType a number, ..."  then readLine;
//           an empty line: [grey] "\nCancelled: no file chosen."
//   folder: [green] "\n" + title  then readLine
//
// The patterns are those of every filter pair, joined by ";", for example
// "\nChoose workshop asset: (*.php;*.htm;*html)"; with an empty filter the
// grey part is left out and every file is listed. readLine adds its own
// "\n/>" prompt.
#include "files/pickers_internal.h"

#include <ctype.h>
#include <stdlib.h>

#include <algorithm>
#include <iostream>

#include "console/console.h"
#include "files/directory.h"
#include "files/file_copy.h"
#include "files/paths.h"
#include "platform/files.h"

const char kFileDialogTitle[] = "Choose workshop asset:";
const char kFolderDialogTitle[] = "Choose folder containing workshop assets:";

namespace {

// More would scroll the folder and the question off the screen.
const size_t kMaxListed = 40;

bool matchesPattern(const char* name, const char* pattern) {
  for (; *pattern; ++pattern, ++name) {
    if (*pattern == '*') {
      for (const char* rest = name;; ++rest) {
        if (matchesPattern(rest, pattern + 1))
          return true;
        if (!*rest)
          return false;
      }
    }
    if (!*name || (*pattern != '?' && tolower(static_cast<unsigned char>(*pattern)) !=
                                          tolower(static_cast<unsigned char>(*name))))
      return false;
  }
  return !*name;
}

// The files of `folder` that the filter lets through, sorted by name.
std::vector<std::string> matchingFiles(const std::string& folder, const char* filter) {
  std::vector<std::string> names;
  std::vector<std::string> matching;
  if (folder.empty() || !listFiles(folder, &names))
    return matching;
  // A catch-all pair ("ALL", "*.*") beside others would list everything;
  // the list shows what the other pairs name, as a dialog opens on them.
  std::vector<FilterPair> pairs = parseFilter(filter);
  if (pairs.size() > 1)
    pairs.erase(std::remove_if(pairs.begin(), pairs.end(),
                               [](const FilterPair& pair) { return pair.patterns == "*.*"; }),
                pairs.end());
  for (const std::string& name : names) {
    bool fits = pairs.empty();
    for (const FilterPair& pair : pairs)
      fits = fits || matchesPatterns(name, pair.patterns);
    if (fits)
      matching.push_back(name);
  }
  std::sort(matching.begin(), matching.end());
  return matching;
}

void showChoices(const std::string& folder, const std::string& wanted,
                 const std::vector<std::string>& files) {
  std::cout << grey << "\nFolder: " << printableText(folder) << "\nWanted: " << wanted
            << cyan;
  for (size_t i = 0; i < files.size() && i < kMaxListed; ++i)
    std::cout << "\n  " << i + 1 << ") " << printableText(files[i]);
  if (files.size() > kMaxListed)
    std::cout << "\n  ... and " << files.size() - kMaxListed << " more";
  if (files.empty())
    std::cout << "\n  (no matching file in this folder)";
  std::cout << grey
            << "\nType a number, a path in this folder or a full path; an empty line "
               "cancels.";
}

// The path that a typed line stands for: a listed file by its number, else
// the line itself, taken from the folder when it is relative.
std::string typedPath(const std::string& line, const std::string& folder,
                      const std::vector<std::string>& files) {
  bool digits = !line.empty() && line.size() < 4 &&
                std::all_of(line.begin(), line.end(),
                            [](char c) { return c >= '0' && c <= '9'; });
  size_t number = digits ? static_cast<size_t>(atoi(line.c_str())) : 0;
  if (number >= 1 && number <= files.size() && number <= kMaxListed)
    return joinPath(folder, files[number - 1]);
  if (folder.empty() || isAbsolutePath(line))
    return line;
  return joinPath(folder, line);
}

std::string joinedPatterns(const char* filter) {
  std::string joined;
  for (const FilterPair& pair : parseFilter(filter))
    joined += (joined.empty() ? "" : ";") + pair.patterns;
  return joined;
}

// A typed path is used only when it can name a file at all.
bool isPathText(const std::string& line) {
  return !line.empty() && line.find('\0') == std::string::npos;
}

}  // namespace

std::vector<FilterPair> parseFilter(const char* filter) {
  std::vector<FilterPair> pairs;
  while (*filter) {
    FilterPair pair;
    pair.description = filter;
    filter += pair.description.size() + 1;
    pair.patterns = filter;
    filter += pair.patterns.size() + 1;
    pairs.push_back(pair);
    if (pair.patterns.empty())
      break;  // a malformed list: never read past its end
  }
  return pairs;
}

bool acceptFile(const std::string& path, std::string* fullPath) {
  if (!isPathText(path))
    return false;
  std::string full = makeFullPath(path);
  // A folder can be opened for reading on some systems; it is no file.
  if (!fileExists(full) || fileStatus(full).kind == kFolder)
    return false;
  *fullPath = full;
  return true;
}

bool acceptFolder(const std::string& path, std::string* fullPath) {
  if (!isPathText(path))
    return false;
  std::string full = makeFullPath(path);
  if (fileStatus(full).kind != kFolder)
    return false;
  *fullPath = full;
  return true;
}

bool matchesPatterns(const std::string& name, const std::string& patterns) {
  for (const std::string& pattern : tokenize(patterns, ";")) {
    if (pattern == "*.*" || matchesPattern(name.c_str(), pattern.c_str()))
      return true;
  }
  return false;
}

bool chooseFileInConsole(std::string* chosenPath, const std::string& initialFolder,
                         const char* filter, const std::string& wanted) {
  std::cout << green << "\n" << kFileDialogTitle;
  std::string patterns = joinedPatterns(filter);
  if (!patterns.empty())
    std::cout << grey << " (" << patterns << ")";
  std::vector<std::string> files = matchingFiles(initialFolder, filter);
  showChoices(initialFolder, wanted, files);
  std::string line = readLine();
  chosenPath->clear();
  if (line.empty()) {
    std::cout << grey << "\nCancelled: no file chosen.";
    return false;
  }
  return acceptFile(typedPath(line, initialFolder, files), chosenPath);
}

bool chooseFolderInConsole(std::string* folderPath) {
  std::cout << green << "\n" << kFolderDialogTitle;
  return acceptFolder(readLine(), folderPath);
}
