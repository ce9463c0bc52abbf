// The workshop path: its file and the dialogue that changes it.
#include <fstream>
#include <iostream>

#include "app/path_file.h"
#include "app/workshop.h"
#include "console/console.h"
#include "files/paths.h"
#include "files/pickers.h"
#include "platform/files.h"

const char kWorkshopLockName[] = ".drav-workshop.lock";

bool readPathFile(const std::string& fileName, std::string* path) {
  std::ifstream file(fileName.c_str());
  if (!file.is_open())
    return false;
  path->clear();
  std::string line;
  while (std::getline(file, line)) {
    // Text mode on Windows drops the carriage return; do the same here.
    if (!line.empty() && line[line.size() - 1] == '\r')
      line.erase(line.size() - 1);
    *path += line;
  }
  return true;
}

bool writePathFile(const std::string& fileName, const std::string& path) {
  return writeFileAtomically(fileName, path);
}

bool cWorkshop::changeWorkshopPath() {
  std::cout << grey
            << "\nThe workshop path is the directory where your \nworkshop items "
               "are (typically your DRAV install dir).\n\n"
            << magenta << "YOU WILL CHOOSE ONE NOW.\n\n" << green;
  pauseConsole();

  std::string oldPath = workshopPath;
  while (!chooseFolder(&workshopPath)) {
    std::cout << red << "\n\nInvalid choice. Retry? (y/n)";
    if (readLine() != "y") {
      actionDone = true;
      return false;
    }
  }
  if (!lockWorkshopPath(workshopPath)) {
    workshopPath = oldPath;
    actionDone = true;
    return false;
  }
  std::cout << green << "\n\nThe current workshop path is now: " << workshopPath;
  if (!writePathFile(pathFileName, workshopPath)) {
    std::cout << red
              << "\nThe workshop path could not be saved; it holds for this run only.\n";
  }
  return true;
}

// Holds the lock of `path` until the tool ends (the system drops it when
// the process dies). False, said in red, when another copy of the tool
// holds it; a path where no lock file can be made has nothing to guard.
bool cWorkshop::lockWorkshopPath(const std::string& path) {
  for (const std::unique_ptr<cFileLock>& held : pathLocks) {
    if (isSameFile(held->path(), joinPath(path, kWorkshopLockName)))
      return true;
  }
  std::unique_ptr<cFileLock> lock(new cFileLock(joinPath(path, kWorkshopLockName), false));
  if (lock->busy()) {
    std::cout << red << "\n\nAnother copy of the tool is using the workshop path:\n"
              << printableText(path);
    return false;
  }
  if (lock->held())
    pathLocks.push_back(std::move(lock));
  return true;
}
