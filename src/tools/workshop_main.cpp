// The tool's entry: answers the command line's options, or creates the two
// objects of the run, prints the banner, hands over to the workshop object
// and tears everything down in order.
#include <iostream>
#include <string>
#include <vector>

#include "app/backend_choice.h"
#include "app/workshop.h"
#include "commands/options.h"
#include "console/console.h"
#include "files/directory.h"

int main(int argc, char** argv) {
  int status = 0;
  if (runCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                     std::cerr, &status))
    return status;
  replaceSteamBackend(chooseSteamBackend());
  cFileSystem* fileSystem = new cFileSystem;
  cWorkshop* workshop = new cWorkshop(fileSystem);

  std::cout << "-DRAV-\n " << cyan << "https://drav.example\n\n"
            << green << "Steam workshop uploader v1.2" << grey << "\n\n\n";
  workshop->run();

  delete workshop;
  delete fileSystem;
  endIfInterrupted();

  std::cout << green << "\n\nDRAV Workshop tool has completed.\n";
  pauseConsole();
  return 0;
}
