// The main menu: one cycle of the tool's dialogue.
#include <iostream>

#include "app/workshop.h"
#include "console/console.h"
#include "platform/process.h"

void cWorkshop::mainMenu() {
  std::cout << grey << "\n\nUsing workshop item path:\n" << workshopPath;
  std::cout << green << "\n\nCHOOSE ACTION:" << cyan
            << "\n1) Create a NEW workshop item."
               "\n2) UPDATE an existing workshop item."
               "\n3) INSTALL your subscriptions."
               "\n4) OPEN workshop path."
               "\n5) CHANGE workshop path."
               "\n\nx) Exit Tool.\n";
  std::string choice = readLine();

  if (choice == "1") {
    createItem();
  } else if (choice == "2") {
    queryPublishedItems();
  } else if (choice == "3") {
    installSubscriptions();
  } else if (choice == "4") {
    openFolder(workshopPath);
    actionDone = true;
  } else if (choice == "5") {
    changeWorkshopPath();
    // The nested menu starts a fresh action, so that a create or update
    // chosen there is waited for in this cycle.
    actionDone = false;
    mainMenu();
  } else if (choice == "x" || (choice.empty() && inputEnded())) {
    // Input that has ended for good can never choose anything else.
    actionDone = true;
    exitRequested = true;
  } else {
    std::cout << red << "\nI didn't understand your command.\n";
    actionDone = true;
  }
}
