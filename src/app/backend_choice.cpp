#include "app/backend_choice.h"

#include "localsteam/local_steam.h"
#include "platform/process.h"
#include "steamlib/steam_library.h"

cSteamBackend* chooseSteamBackend() {
  std::string store;
  if (environmentValue("DRAV_LOCAL_STEAM", &store))
    return newLocalSteam(store);
  return newSteamLibrary();
}
