#include "steamlib/steam_library.h"

#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "files/paths.h"
#include "platform/files.h"
#include "platform/library.h"
#include "test_util.h"

namespace {

/// A callback object for the back end alone, outside any binding template.
class cProbe final : public CCallbackBase {
 public:
  void Run(void*) override {}
  void Run(void*, bool, uint64_t) override {}
  int GetCallbackSizeBytes() override { return 0; }
  bool registered() const { return m_nCallbackFlags & k_ECallbackFlagsRegistered; }
};

/// Every method that the tool calls, with the answers that the fake gives;
/// the fake logs the arguments. The first two changed their argument count.
void callEveryMethod(cSteamBackend* steam) {
  ISteamUGC* ugc = steam->ugc();
  const char* tag = "Map";
  SteamParamStringArray_t tags = {&tag, 1};
  PublishedFileId_t ids[1];
  EXPECT_TRUE(ugc->SetItemTags(9, &tags));
  EXPECT_EQ(1u, ugc->GetSubscribedItems(ids, 1));
  EXPECT_EQ(10000000001u, ids[0]);

  EXPECT_EQ(0x0110000100abcdefULL, steam->user()->GetSteamID().ConvertToUint64());
  EXPECT_TRUE(steam->friends()->SetRichPresence("status", "DRAV (Workshop)"));
  EXPECT_EQ(480u, steam->utils()->GetAppID());
  EXPECT_EQ(10000000001u, ugc->CreateItem(480, k_EWorkshopFileTypeCommunity));
  UGCQueryHandle_t query = ugc->CreateQueryUserUGCRequest(
      0xabcdef, k_EUserUGCList_Published, k_EUGCMatchingUGCType_Items_ReadyToUse,
      k_EUserUGCListSortOrder_CreationOrderDesc, 0, 480, 1);
  EXPECT_TRUE(ugc->SetReturnMetadata(query, true));
  EXPECT_EQ(30000000003u, ugc->SendQueryUGCRequest(query));
  SteamUGCDetails_t details = {};
  EXPECT_TRUE(ugc->GetQueryUGCResult(query, 0, &details));
  EXPECT_EQ(10000000001u, details.m_nPublishedFileId);
  char metadata[2] = "";
  EXPECT_TRUE(ugc->GetQueryUGCMetadata(query, 0, metadata, sizeof(metadata)));
  EXPECT_STREQ("7", metadata);
  EXPECT_TRUE(ugc->ReleaseQueryUGCRequest(query));

  UGCUpdateHandle_t update = ugc->StartItemUpdate(480, 40000000004);
  EXPECT_TRUE(ugc->SetItemVisibility(update, k_ERemoteStoragePublishedFileVisibilityPublic));
  EXPECT_TRUE(ugc->SetItemContent(update, "C:\\DRAV\\temp"));
  EXPECT_TRUE(ugc->SetItemMetadata(update, "1"));
  EXPECT_TRUE(ugc->SetItemDescription(update, "A long way down"));
  EXPECT_TRUE(ugc->SetItemTitle(update, "My map"));
  EXPECT_TRUE(ugc->SetItemPreview(update, "preview.png"));
  EXPECT_EQ(60000000006u, ugc->SubmitItemUpdate(update, "first"));
  uint64_t done = 0, total = 0, size = 0;
  EXPECT_EQ(k_EItemUpdateStatusUploadingContent, ugc->GetItemUpdateProgress(update, &done, &total));
  EXPECT_EQ(10000000001u, done);
  EXPECT_EQ(20000000002u, total);

  char folder[64] = "";
  uint32_t stamp = 0;
  EXPECT_TRUE(ugc->GetItemInstallInfo(70000000007, &size, folder, 64, &stamp));
  EXPECT_EQ(10000000001u, size);
  EXPECT_EQ(static_cast<uint32_t>(20000000002), stamp);
  EXPECT_STREQ("7", folder);
  EXPECT_TRUE(ugc->DownloadItem(70000000007, true));
  EXPECT_EQ(80000000008u, ugc->DeleteItem(40000000004));
}

/// Registers a callback and a call, pumps, starts Steam, makes every call
/// if the interfaces are there, pumps, unregisters, shuts down twice and
/// deletes `backend`. Says whether the library marked the callback as
/// registered (the flag after the table pointer and the id after it) and
/// whether Steam started. The fake's log shows that the interfaces are
/// there exactly while Steam runs; none may be left after the shutdown.
std::string exercise(cSteamBackend* backend) {
  std::unique_ptr<cSteamBackend> steam(backend);
  cProbe probe;
  steam->registerCallback(&probe, 3406);
  steam->registerCallResult(&probe, 9);
  const bool registered = probe.registered() && probe.m_iCallback == 3406;
  steam->runCallbacks();
  const bool started = steam->init();
  if (steam->user() && steam->friends() && steam->utils() && steam->ugc())
    callEveryMethod(steam.get());
  steam->runCallbacks();
  steam->unregisterCallResult(&probe, 9);
  steam->unregisterCallback(&probe);
  EXPECT_FALSE(probe.registered());
  steam->shutdown();
  steam->shutdown();
  EXPECT_FALSE(steam->user() || steam->friends() || steam->utils() || steam->ugc());
  return std::string(registered ? "registered" : "not registered") +
         (started ? ", started" : ", not started");
}

/// The calls that the stand-in library at `path` logged since the last
/// take; its next init answers `initResult` (0 = success). It stays loaded,
/// as the back end leaves it.
std::string takeLog(const std::string& path, int initResult = 0) {
  typedef const char* (*tTake)(int);
  void* library = openLibraryFile(path);
  return reinterpret_cast<tTake>(findLibrarySymbol(library, "fakeSteamTake"))(initResult);
}

TEST(SteamLibraryTest, MissingBrokenOrLackingLibraryFailsInitAndIsNeverCalled) {
  ScopedTempDir folder;
  writeFile(folder.file("broken"), "not a library");
  const std::string lacking = joinPath(getToolFolder(), FAKE_STEAM_LACKING);
  for (const std::string& path : {folder.file("absent"), folder.file("broken"), lacking}) {
    EXPECT_EQ("not registered, not started", exercise(newSteamLibraryAt(path))) << path;
    std::string missing;
    EXPECT_FALSE(steamLibraryResolvesAll(path, &missing));
    EXPECT_EQ(path == lacking ? "SteamAPI_ISteamUGC_DownloadItem" : path, missing);
  }
  EXPECT_EQ("", takeLog(lacking));
}

// The tool's own copy comes first, then (on Linux) the system's, never one
// in the current folder. Linux finds a library already loaded under the
// name by its recorded name (soname), as it would find the system's copy.
TEST(SteamLibrarySearchTest, ToolFolderThenTheSystemNeverTheCurrentFolder) {
  const std::string beside = joinPath(getToolFolder(), steamLibraryFileName());
  if (fileStatus(beside).kind != kMissing)
    GTEST_SKIP() << "a library already lies at " << beside;
#ifdef FAKE_STEAM_SYSTEM
  void* const fromSystem = openLibraryFile(joinPath(getToolFolder(), FAKE_STEAM_SYSTEM));
#else
  void* const fromSystem = nullptr;
#endif
  const std::string own = readFile(joinPath(getToolFolder(), FAKE_STEAM_165));
  ScopedTempDir folder;
  writeFile(folder.file(steamLibraryFileName()), own);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  void* withoutOwn = openSteamLibrary();
  writeFile(beside, own);
  void* withOwn = openSteamLibrary();
  void* expected = openLibraryFile(beside);
  std::filesystem::current_path(previous);
  EXPECT_EQ(fromSystem, withoutOwn);
  EXPECT_EQ(expected, withOwn);
  // Closed first: Windows keeps the file of a loaded library.
  for (void* library : {fromSystem, withoutOwn, withOwn, expected})
    if (library)
      closeLibrary(library);
  removeFile(beside);
}

/// Each version starts through its own entry point, with an app id unless
/// one is set, and gets every call, by the signatures of its version, with
/// its arguments. Registrations reach the library even before init; pumping
/// and every other call wait for it; shutting down twice reaches it once.
TEST(SteamLibraryFakeTest, EachVersionStartsAndGetsEveryCallByItsOwnSignatures) {
  const std::string otherCalls =
      "GetSteamID user\nSetRichPresence friends status DRAV (Workshop)\nGetAppID utils\n"
      "CreateItem ugc 480 0\nCreateQueryUserUGCRequest ugc 11259375 0 2 0 0 480 1\n"
      "SetReturnMetadata ugc 20000000002 1\nSendQueryUGCRequest ugc 20000000002\n"
      "GetQueryUGCResult ugc 20000000002 0\nGetQueryUGCMetadata ugc 20000000002 0 2\n"
      "ReleaseQueryUGCRequest ugc 20000000002\nStartItemUpdate ugc 480 40000000004\n"
      "SetItemVisibility ugc 50000000005 0\nSetItemContent ugc 50000000005 C:\\DRAV\\temp\n"
      "SetItemMetadata ugc 50000000005 1\nSetItemDescription ugc 50000000005 A long way down\n"
      "SetItemTitle ugc 50000000005 My map\nSetItemPreview ugc 50000000005 preview.png\n"
      "SubmitItemUpdate ugc 50000000005 first\nGetItemUpdateProgress ugc 50000000005\n"
      "GetItemInstallInfo ugc 70000000007 64\nDownloadItem ugc 70000000007 1\n"
      "DeleteItem ugc 40000000004\nRunCallbacks\nUnregisterCallResult 9\nUnregisterCallback\n"
      "Shutdown\n";
  const struct {
    const char* fileName;
    int initResult;
    const char* appId;
    std::string log;
  } cases[] = {
      {FAKE_STEAM_157, 0, nullptr,
       "Init app 480 480\nSetItemTags ugc 9 Map\nGetSubscribedItems ugc 1\n" + otherCalls},
      {FAKE_STEAM_158, 0, nullptr,
       "SteamInternal_SteamAPI_Init SteamUtils010 SteamFriends017 STEAMUGC_INTERFACE_VERSION018 "
       "SteamUser023 app 480 480\nSetItemTags ugc 9 Map 0\nGetSubscribedItems ugc 1\n" +
           otherCalls},
      {FAKE_STEAM_165, 0, "999",
       "InitFlat app 999 480\nSetItemTags ugc 9 Map 0\nGetSubscribedItems ugc 1 0\n" + otherCalls},
      // No Steam client running: nothing more reaches the library.
      {FAKE_STEAM_165, 2, nullptr,
       "InitFlat app 480 480\nUnregisterCallResult 9\nUnregisterCallback\n"},
  };
  for (const auto& c : cases) {
    const std::string path = joinPath(getToolFolder(), c.fileName);
    takeLog(path, c.initResult);
    cScopedVariable appId("SteamAppId", c.appId), gameId("SteamGameId", nullptr);
    EXPECT_EQ(c.initResult ? "registered, not started" : "registered, started",
              exercise(newSteamLibraryAt(path)));
    EXPECT_EQ("RegisterCallback 3406\nRegisterCallResult 9\n" + c.log, takeLog(path)) << path;
  }
}

// Over the real library, when a copy lies beside the test executable
// (real_library_test.sh puts one there).
TEST(SteamLibraryRealTest, ResolvesAllAndFailsInitWithoutAClient) {
  const std::string path = joinPath(getToolFolder(), steamLibraryFileName());
  if (fileStatus(path).kind == kMissing)
    GTEST_SKIP() << "no " << path;
  std::string missing;
  EXPECT_TRUE(steamLibraryResolvesAll(path, &missing)) << missing;
  EXPECT_EQ("registered, not started", exercise(newSteamLibrary()));
}

}  // namespace
