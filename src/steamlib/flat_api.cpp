#include "steamlib/flat_api.h"

#include "platform/library.h"

namespace {

const cAccessorName kUserAccessors[] = {
    {"SteamAPI_SteamUser_v023", 23, "SteamUser023"},
};
const cAccessorName kFriendsAccessors[] = {
    {"SteamAPI_SteamFriends_v018", 18, "SteamFriends018"},
    {"SteamAPI_SteamFriends_v017", 17, "SteamFriends017"},
};
const cAccessorName kUtilsAccessors[] = {
    {"SteamAPI_SteamUtils_v011", 11, "SteamUtils011"},
    {"SteamAPI_SteamUtils_v010", 10, "SteamUtils010"},
};
const cAccessorName kUgcAccessors[] = {
    {"SteamAPI_SteamUGC_v021", 21, "STEAMUGC_INTERFACE_VERSION021"},
    {"SteamAPI_SteamUGC_v020", 20, "STEAMUGC_INTERFACE_VERSION020"},
    {"SteamAPI_SteamUGC_v018", 18, "STEAMUGC_INTERFACE_VERSION018"},
    {"SteamAPI_SteamUGC_v017", 17, "STEAMUGC_INTERFACE_VERSION017"},
};

/// Fills a cFlatApi from one open library and collects the names it lacks.
class cResolver {
 public:
  explicit cResolver(void* library) : library_(library) {}

  template <typename F>
  void need(const char* name, F* function) {
    void* address = findLibrarySymbol(library_, name);
    if (!address)
      addMissing(name);
    *function = reinterpret_cast<F>(address);
  }

  /// The newest of `names` that the library exports, or null (and the
  /// newest name reported missing).
  template <typename F, size_t N>
  const cAccessorName* needAccessor(const cAccessorName (&names)[N], F* function) {
    for (const cAccessorName& name : names) {
      void* address = findLibrarySymbol(library_, name.exportName);
      if (address) {
        *function = reinterpret_cast<F>(address);
        return &name;
      }
    }
    addMissing(names[0].exportName);
    *function = nullptr;
    return nullptr;
  }

  template <typename F>
  void optional(const char* name, F* function) {
    *function = reinterpret_cast<F>(findLibrarySymbol(library_, name));
  }

  void addMissing(const char* name) {
    if (!missing_.empty())
      missing_ += ' ';
    missing_ += name;
  }

  const std::string& missing() const { return missing_; }

 private:
  void* library_;
  std::string missing_;
};

}  // namespace

bool resolveFlatApi(void* library, cFlatApi* api, std::string* missing) {
  cResolver r(library);
  // Newest first: plain SteamAPI_Init is no longer exported since SDK 1.58.
  r.optional("SteamAPI_InitFlat", &api->initFlat);
  r.optional("SteamInternal_SteamAPI_Init", &api->internalInit);
  r.optional("SteamAPI_Init", &api->plainInit);
  if (!api->initFlat && !api->internalInit && !api->plainInit)
    r.addMissing("SteamAPI_InitFlat");
  r.need("SteamAPI_Shutdown", &api->shutdown);
  r.need("SteamAPI_RunCallbacks", &api->runCallbacks);
  r.need("SteamAPI_RegisterCallback", &api->registerCallback);
  r.need("SteamAPI_UnregisterCallback", &api->unregisterCallback);
  r.need("SteamAPI_RegisterCallResult", &api->registerCallResult);
  r.need("SteamAPI_UnregisterCallResult", &api->unregisterCallResult);

  api->userName = r.needAccessor(kUserAccessors, &api->steamUser);
  api->friendsName = r.needAccessor(kFriendsAccessors, &api->steamFriends);
  api->utilsName = r.needAccessor(kUtilsAccessors, &api->steamUtils);
  api->ugcName = r.needAccessor(kUgcAccessors, &api->steamUgc);

  r.need("SteamAPI_ISteamUser_GetSteamID", &api->getSteamID);
  r.need("SteamAPI_ISteamFriends_SetRichPresence", &api->setRichPresence);
  r.need("SteamAPI_ISteamUtils_GetAppID", &api->getAppID);

  r.need("SteamAPI_ISteamUGC_CreateItem", &api->createItem);
  r.need("SteamAPI_ISteamUGC_CreateQueryUserUGCRequest", &api->createQueryUserUGCRequest);
  r.need("SteamAPI_ISteamUGC_SetReturnMetadata", &api->setReturnMetadata);
  r.need("SteamAPI_ISteamUGC_SendQueryUGCRequest", &api->sendQueryUGCRequest);
  r.need("SteamAPI_ISteamUGC_GetQueryUGCResult", &api->getQueryUGCResult);
  r.need("SteamAPI_ISteamUGC_GetQueryUGCMetadata", &api->getQueryUGCMetadata);
  r.need("SteamAPI_ISteamUGC_ReleaseQueryUGCRequest", &api->releaseQueryUGCRequest);
  r.need("SteamAPI_ISteamUGC_StartItemUpdate", &api->startItemUpdate);
  r.need("SteamAPI_ISteamUGC_SetItemTitle", &api->setItemTitle);
  r.need("SteamAPI_ISteamUGC_SetItemDescription", &api->setItemDescription);
  r.need("SteamAPI_ISteamUGC_SetItemMetadata", &api->setItemMetadata);
  r.need("SteamAPI_ISteamUGC_SetItemVisibility", &api->setItemVisibility);
  r.need("SteamAPI_ISteamUGC_SetItemTags", &api->setItemTags);
  r.need("SteamAPI_ISteamUGC_SetItemContent", &api->setItemContent);
  r.need("SteamAPI_ISteamUGC_SetItemPreview", &api->setItemPreview);
  r.need("SteamAPI_ISteamUGC_SubmitItemUpdate", &api->submitItemUpdate);
  r.need("SteamAPI_ISteamUGC_GetItemUpdateProgress", &api->getItemUpdateProgress);
  r.need("SteamAPI_ISteamUGC_GetSubscribedItems", &api->getSubscribedItems);
  r.need("SteamAPI_ISteamUGC_GetItemInstallInfo", &api->getItemInstallInfo);
  r.need("SteamAPI_ISteamUGC_DownloadItem", &api->downloadItem);
  r.need("SteamAPI_ISteamUGC_DeleteItem", &api->deleteItem);

  if (missing)
    *missing = r.missing();
  return r.missing().empty();
}

namespace {

/// The run of NUL-terminated interface versions, ending with an extra NUL,
/// that SteamInternal_SteamAPI_Init checks the client against.
std::string interfaceVersions(const cFlatApi& api) {
  std::string versions;
  for (const cAccessorName* name : {api.utilsName, api.friendsName, api.ugcName, api.userName}) {
    versions += name->interfaceVersion;
    versions += '\0';
  }
  return versions;  // c_str() adds the final NUL
}

}  // namespace

bool initLibrary(const cFlatApi& api) {
  char error[1024] = "";
  if (api.initFlat)
    return api.initFlat(error) == 0;
  if (api.internalInit)
    return api.internalInit(interfaceVersions(api).c_str(), error) == 0;
  return api.plainInit();
}
