// Opening a folder in the platform's file browser.
#ifndef DRAV_APP_OPEN_FOLDER_H_
#define DRAV_APP_OPEN_FOLDER_H_

#include <string>

/// Asks the desktop to show `folder`; returns at once, reports nothing.
void openFolder(const std::string& folder);

#endif  // DRAV_APP_OPEN_FOLDER_H_
