// The tool's entry: creates the two objects of the run, prints the banner,
// hands over to the workshop object and tears everything down in order.
#include <iostream>

#include "app/backend_choice.h"
#include "app/workshop.h"
#include "console/console.h"
#include "files/directory.h"

int main() {
  replaceSteamBackend(chooseSteamBackend());
  cFileSystem* fileSystem = new cFileSystem;
  cWorkshop* workshop = new cWorkshop(fileSystem);

  std::cout << "-DRAV-\n " << cyan << "https://drav.example\n\n"
            << green << "Steam workshop uploader v1.2" << grey << "\n\n\n";
  workshop->run();

  delete workshop;
  delete fileSystem;

  std::cout << green << "\n\nDRAV Workshop tool has completed.\n";
  pauseConsole();
  return 0;
}
