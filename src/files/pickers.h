// File and folder pickers: the platform's dialogs where there is a desktop,
// the console picker everywhere else and whenever a script drives the tool.
#ifndef DRAV_FILES_PICKERS_H_
#define DRAV_FILES_PICKERS_H_

#include <string>

/// Lets the user pick one existing file, starting in `initialFolder`.
/// `filter` is a list of NUL-terminated description and pattern pairs ended
/// by one more NUL; `wanted` says in a few words what the file is for (the
/// console picker shows it). True with the file's full path in
/// `chosenPath`; false with it empty.
bool chooseFile(std::string* chosenPath, const std::string& initialFolder,
                const char* filter, const std::string& wanted);

/// Lets the user pick a folder. True with its full path in `folderPath`;
/// false with `folderPath` unchanged.
bool chooseFolder(std::string* folderPath);

#endif  // DRAV_FILES_PICKERS_H_
