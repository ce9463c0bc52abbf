// The workshop object's frame: construction, teardown and the menu loop.
#include "app/path_file.h"
#include "app/workshop.h"

#include <iostream>

#include "console/console.h"
#include "files/paths.h"
#include "platform/files.h"

cWorkshop::cWorkshop(cFileSystem* fileSystem)
    : fileSystem(fileSystem),
      ugc(nullptr),
      itemDetails(nullptr),
      itemTags(nullptr),
      workshopPath(""),
      pathFileName("workshopPath.txt"),
      stagingPath("_DRAV_WORKSHOP_TEMP_"),
      actionDone(false),
      exitRequested(false),
      downloadPending(false),
      downloadSucceeded(false),
      downloadItemId(0),
      unfinishedItemId(0),
      downloadCallback(this, &cWorkshop::onDownloadItemResult),
      updateHandle(0) {
  itemDetails = new SteamUGCDetails_t;
  itemTags = new SteamParamStringArray_t;
  itemTags->m_ppStrings = new const char*[1];

  if (!readPathFile(pathFileName, &workshopPath) || fileStatus(workshopPath).kind != kFolder)
    workshopPath = "";
}

cWorkshop::~cWorkshop() {
  delete itemDetails;
  itemDetails = nullptr;
  SteamAPI_Shutdown();
  delete[] itemTags->m_ppStrings;
  delete itemTags;
  itemTags = nullptr;
}

void cWorkshop::run() {
  if (!SteamAPI_Init()) {
    std::cout << red
              << "\n\nSteam API could not be initialized!\nYou must open and be "
                 "logged into Steam while using this tool.";
    return;
  }
  if (!SteamUser()) {
    std::cout << red
              << "\n\nSteam user not initialized!\nMake sure you are logged into "
                 "Steam when using this tool.";
    return;
  }
  ugc = SteamUGC();
  if (!ugc) {
    std::cout << red
              << "\n\nSteamUGC could not be initialized!\nWe could not connect to "
                 "the workshop :(";
    return;
  }
  if (workshopPath.empty()) {
    std::cout << red << "\n\nThere appears to be no default workshop path configured.";
    if (!changeWorkshopPath())
      return;
  } else if (!lockWorkshopPath(workshopPath)) {
    return;
  }
  SteamFriends()->SetRichPresence("status", "DRAV (Workshop)");

  exitRequested = false;
  stagingPath = joinPath(workshopPath, stagingPath);
  do {
    actionDone = false;
    mainMenu();
    waitForAction();
    if (unfinishedItemId != 0)
      deleteUnfinishedItem();
    if (fileStatus(stagingPath).kind == kFolder) {
      std::cout << grey << "\n\ncleaning up...";
      fileSystem->deleteFolder(stagingPath, true);
      std::cout << "done!\n";
    }
  } while (!exitRequested);
}

// Pumps Steam until the current action has ended; its result members run
// inside SteamAPI_RunCallbacks.
void cWorkshop::waitForAction() {
  while (!actionDone) {
    SteamAPI_RunCallbacks();
    if (submitCall.IsActive())
      showUpdateProgress();
  }
}
