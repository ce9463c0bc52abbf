// The workshop path: its file and the dialogue that changes it.
#include <fstream>
#include <iostream>

#include "app/path_file.h"
#include "app/workshop.h"
#include "console/console.h"
#include "files/pickers.h"
#include "platform/files.h"

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

  while (!chooseFolder(&workshopPath)) {
    std::cout << red << "\n\nInvalid choice. Retry? (y/n)";
    if (readLine() != "y") {
      actionDone = true;
      return false;
    }
  }
  std::cout << green << "\n\nThe current workshop path is now: " << workshopPath;
  if (!writePathFile(pathFileName, workshopPath)) {
    std::cout << red
              << "\nThe workshop path could not be saved; it holds for this run only.\n";
  }
  return true;
}
