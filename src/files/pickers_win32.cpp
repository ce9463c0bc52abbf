#include "files/pickers.h"

#include <windows.h>
#include <commdlg.h>
#include <ole2.h>
#include <shlobj.h>

#include <vector>

#include "console/console.h"
#include "files/pickers_internal.h"
#include "platform/files.h"

// The 32-bit tool hands the dialog the record size that Windows expects.
static_assert(sizeof(void*) != 4 || sizeof(OPENFILENAMEA) == 88,
              "OPENFILENAMEA must be 88 bytes on 32-bit Windows");

bool chooseFile(std::string* chosenPath, const std::string& initialFolder,
                const char* filter, const std::string& wanted) {
  // A script at standard input could not answer a dialog.
  if (!stdinIsTerminal())
    return chooseFileInConsole(chosenPath, initialFolder, filter, wanted);
  char file[MAX_PATH] = {};
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetConsoleWindow();
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = 0;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = initialFolder.c_str();
  dialog.lpstrTitle = kFileDialogTitle;
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
  if (GetOpenFileNameA(&dialog) == 1) {
    *chosenPath = file;
    return true;
  }
  chosenPath->clear();
  return false;
}

bool chooseFolder(std::string* folderPath) {
  if (!stdinIsTerminal())
    return chooseFolderInConsole(folderPath);
  OleInitialize(nullptr);
  BROWSEINFOA browse = {};
  browse.lpszTitle = kFolderDialogTitle;
  browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
  bool chosen = false;
  if (LPITEMIDLIST item = SHBrowseForFolderA(&browse)) {
    char folder[MAX_PATH] = {};
    if (SHGetPathFromIDListA(item, folder)) {
      *folderPath = folder;
      chosen = true;
    }
    CoTaskMemFree(item);
  }
  OleUninitialize();
  return chosen;
}

std::string makeFullPath(const std::string& path) {
  std::string full = absolutePath(path);
  // A drive's root ("C:\") keeps its separator.
  while (full.size() > 1 && (full.back() == '\\' || full.back() == '/') &&
         full[full.size() - 2] != ':')
    full.pop_back();
  return full;
}
