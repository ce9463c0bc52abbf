#include "app/open_folder.h"

#include <windows.h>
#include <shellapi.h>

void openFolder(const std::string& folder) {
  ShellExecuteA(nullptr, "open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
