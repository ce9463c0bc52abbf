#include "files/paths.h"

#include "platform/files.h"
#include "platform/process.h"

std::vector<std::string> tokenize(const std::string& text,
                                  const std::string& delimiters) {
  std::vector<std::string> tokens;
  std::string::size_type start = text.find_first_not_of(delimiters);
  while (start != std::string::npos) {
    std::string::size_type end = text.find_first_of(delimiters, start);
    tokens.push_back(text.substr(start, end - start));
    start = text.find_first_not_of(delimiters, end);
  }
  return tokens;
}

std::string getFileName(const std::string& path) {
  std::vector<std::string> components = tokenize(path, kPathSeparators);
  return components.empty() ? std::string() : components.back();
}

std::string getFolderPath(const std::string& path) {
  // Cut the last component with the separators after it and the one
  // before it; a bare name has no folder.
  std::string::size_type end = path.find_last_not_of(kPathSeparators);
  if (end == std::string::npos)
    return std::string();
  std::string::size_type cut = path.find_last_of(kPathSeparators, end);
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string getToolFolder() {
  return getFolderPath(executablePath());
}

std::string joinPath(const std::string& folder, const std::string& name) {
  return folder + kPathSeparator + name;
}

bool isInsideFolder(const std::string& path, const std::string& folder) {
  std::string above = getFolderPath(absolutePath(path));
  while (!above.empty()) {
    if (isSameFile(above, folder))
      return true;
    std::string next = getFolderPath(above);
    if (next == above)
      break;
    above = next;
  }
  return false;
}
