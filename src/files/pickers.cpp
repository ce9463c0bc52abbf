// The console picker, used wherever no dialog can be shown and always when
// a script drives the tool. Its text, byte for byte (colours in brackets):
//
//   file:   [green] "\n" + title  [grey] " (" + patterns + ")"  then readLine
//   folder: [green] "\n" + title  then readLine
//
// The patterns are those of every filter pair, joined by ";", for example
// "\nChoose workshop asset: (*.php;*.htm;*html)"; with an empty filter the
// grey part is left out. readLine adds its own "\n/>" prompt.
#include "files/pickers_internal.h"

#include <iostream>

#include "console/console.h"
#include "files/directory.h"
#include "files/file_copy.h"
#include "platform/files.h"

const char kFileDialogTitle[] = "Choose workshop asset:";
const char kFolderDialogTitle[] = "Choose folder containing workshop assets:";

namespace {

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

bool chooseFileInConsole(std::string* chosenPath, const char* filter) {
  std::cout << green << "\n" << kFileDialogTitle;
  std::string patterns = joinedPatterns(filter);
  if (!patterns.empty())
    std::cout << grey << " (" << patterns << ")";
  if (acceptFile(readLine(), chosenPath))
    return true;
  chosenPath->clear();
  return false;
}

bool chooseFolderInConsole(std::string* folderPath) {
  std::cout << green << "\n" << kFolderDialogTitle;
  return acceptFolder(readLine(), folderPath);
}
