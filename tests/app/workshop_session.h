// The whole tool run in-process over the local workshop service: a store of
// account 1001 and a game folder named by the path file, in a scratch
// folder that is the current folder while the tool runs.
#ifndef DRAV_TESTS_APP_WORKSHOP_SESSION_H_
#define DRAV_TESTS_APP_WORKSHOP_SESSION_H_

#include <filesystem>
#include <string>

#include "app/workshop.h"
#include "files/directory.h"
#include "localsteam/local_store.h"
#include "steam/app_id.h"
#include "steam/recording_backend.h"
#include "test_util.h"

class cWorkshopSession {
 public:
  cWorkshopSession() : store(temp.file("store")) {
    store.create(1001);
    createFolder(game());
    writeFile(temp.file("workshopPath.txt"), game());
  }
  std::string game() const { return temp.file("game"); }

  /// An item of the user holding one file `name`.
  PublishedFileId_t publish(const std::string& name, const std::string& content) {
    cStoreItem item;
    item.owner = 1001;
    item.app = toolAppId();
    item.title = name;
    store.allocateId(&item.id);
    writeFile(temp.file(name), content);
    store.copyContentFiles(&item, {temp.file(name)});
    store.writeItem(item);
    return item.id;
  }

  /// Runs the tool over `steam` with `script` typed; gives what it printed.
  /// `check` runs before the tool shuts Steam down.
  template <class F>
  std::string run(cSteamBackend* steam, const std::string& script, F check) {
    std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(temp.path());
    cScopedBackend backend(steam);
    cConsoleCapture console;
    console.script << script;
    {
      cFileSystem fileSystem;
      cWorkshop workshop(&fileSystem);
      workshop.run();
      check();
    }
    std::filesystem::current_path(saved);
    return console.take();
  }

  ScopedTempDir temp;
  cLocalStore store;
};

#endif  // DRAV_TESTS_APP_WORKSHOP_SESSION_H_
