#include "app/backend_choice.h"

#include "localsteam/local_steam.h"
#include "platform/process.h"
#include "steamlib/steam_library.h"

bool localStoreFolder(std::string* store) {
  return environmentValue("DRAV_LOCAL_STEAM", store);
}

cSteamBackend* chooseSteamBackend() {
  std::string store;
  if (localStoreFolder(&store))
    return newLocalSteam(store);
  return newSteamLibrary();
}
