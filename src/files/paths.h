// Path utilities. Both "/" and "\" separate components everywhere; joinPath
// writes the platform's own separator.
#ifndef DRAV_FILES_PATHS_H_
#define DRAV_FILES_PATHS_H_

#include <string>
#include <vector>

/// The maximal runs of characters of `text` that are not in `delimiters`.
std::vector<std::string> tokenize(const std::string& text,
                                  const std::string& delimiters);

/// The last component of `path`; "" when it has none.
std::string getFileName(const std::string& path);

/// `path` without its last component, the separators after it and the one
/// in front of it.
std::string getFolderPath(const std::string& path);

/// The folder of the running executable, without a trailing separator.
std::string getToolFolder();

/// `folder` + the platform's separator ("\" on Windows, "/" elsewhere) + `name`.
std::string joinPath(const std::string& folder, const std::string& name);

/// True when one of the folders above `path` is the existing folder
/// `folder`, under whatever spelling or link.
bool isInsideFolder(const std::string& path, const std::string& folder);

#endif  // DRAV_FILES_PATHS_H_
