#include "steamlib/steam_library.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "files/paths.h"
#include "platform/files.h"
#include "platform/library.h"
#include "test_util.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

/// A callback object for the back end alone, outside any binding template.
class cProbe final : public CCallbackBase {
 public:
  void Run(void*) override {}
  void Run(void*, bool, uint64_t) override {}
  int GetCallbackSizeBytes() override { return 0; }
  bool registered() const { return m_nCallbackFlags & k_ECallbackFlagsRegistered; }
};

/// Registers a callback and a call, pumps, starts Steam, hands the running
/// back end to `use`, pumps, unregisters and shuts down twice. Says whether
/// the library marked the callback as registered (the flag after the table
/// pointer and the id after it) and whether Steam started. The interfaces
/// must be there exactly while Steam runs.
std::string exercise(cSteamBackend* steam, void (*use)(cSteamBackend*) = nullptr) {
  cProbe probe;
  steam->registerCallback(&probe, 3406);
  steam->registerCallResult(&probe, 9);
  const bool registered = probe.registered() && probe.m_iCallback == 3406;
  steam->runCallbacks();
  const bool started = steam->init();
  EXPECT_EQ(started, steam->user() && steam->friends() && steam->utils() && steam->ugc());
  if (started && use)
    use(steam);
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

/// The stand-in `fileName` built beside the test executable, opened by the
/// test too so that its call log can be read; it starts with an empty log
/// and an init that succeeds.
class cFakeLibrary {
 public:
  explicit cFakeLibrary(const char* fileName)
      : path(joinPath(getToolFolder(), fileName)), library(openLibraryFile(path)) {
    EXPECT_NE(nullptr, library) << path;
    take();
  }
  ~cFakeLibrary() { closeLibrary(library); }

  /// The calls since the last take; the library's next init answers
  /// `initResult` (0 = success).
  std::string take(int initResult = 0) {
    typedef const char* (*tTake)(int);
    return reinterpret_cast<tTake>(findLibrarySymbol(library, "fakeSteamTake"))(initResult);
  }

  const std::string path;
  void* const library;
};

TEST(SteamLibraryTest, MissingBrokenOrLackingLibraryFailsInitAndIsNeverCalled) {
  ScopedTempDir folder;
  writeFile(folder.file("broken"), "not a library");
  cFakeLibrary lacking(FAKE_STEAM_LACKING);
  const struct {
    std::string path, missing;
  } cases[] = {
      {folder.file("absent"), folder.file("absent")},
      {folder.file("broken"), folder.file("broken")},
      {lacking.path, "SteamAPI_ISteamUGC_DownloadItem"},
  };
  for (const auto& c : cases) {
    std::unique_ptr<cSteamBackend> steam(newSteamLibraryAt(c.path));
    EXPECT_EQ("not registered, not started", exercise(steam.get())) << c.path;
    std::string missing;
    EXPECT_FALSE(steamLibraryResolvesAll(c.path, &missing));
    EXPECT_EQ(c.missing, missing);
  }
  EXPECT_EQ("", lacking.take());
}

// The tool's own copy comes first, then (on Linux) the system's, never one
// in the current folder. Linux finds a library already loaded under the
// name by its recorded name (soname), as it would find the system's copy.
TEST(SteamLibrarySearchTest, ToolFolderThenTheSystemNeverTheCurrentFolder) {
  const std::string beside = joinPath(getToolFolder(), steamLibraryFileName());
  if (fileStatus(beside).kind != kMissing)
    GTEST_SKIP() << "a library already lies at " << beside;
#ifdef FAKE_STEAM_SYSTEM
  cFakeLibrary system(FAKE_STEAM_SYSTEM);
  void* const fromSystem = system.library;
#else
  void* const fromSystem = nullptr;
#endif
  cFakeLibrary own(FAKE_STEAM_165);
  ScopedTempDir folder;
  writeFile(folder.file(steamLibraryFileName()), readFile(own.path));
  void* planted = openLibraryFile(folder.file(steamLibraryFileName()));
  std::error_code error;
  const std::filesystem::path previous = std::filesystem::current_path(error);
  std::filesystem::current_path(folder.path(), error);
  ASSERT_FALSE(error);
  void* withoutOwn = openSteamLibrary();
  writeFile(beside, readFile(own.path));
  void* withOwn = openSteamLibrary();
  void* expected = openLibraryFile(beside);
  removeFile(beside);
  std::filesystem::current_path(previous, error);
  EXPECT_EQ(fromSystem, withoutOwn);
  EXPECT_EQ(expected, withOwn);
  for (void* library : {withoutOwn, withOwn, expected, planted})
    if (library)
      closeLibrary(library);
}

void setVariable(const char* name, const char* value) {
#ifdef _WIN32
  SetEnvironmentVariableA(name, value);
  _putenv((std::string(name) + "=" + (value ? value : "")).c_str());
#else
  value ? setenv(name, value, 1) : unsetenv(name);
#endif
}

/// Each version starts through its own entry point, with an app id unless
/// one is set, and gets the argument count that its version takes for the
/// two methods whose signature changed.
TEST(SteamLibraryFakeTest, EachVersionStartsAndIsCalledByItsOwnSignatures) {
  const struct {
    const char* fileName;
    int initResult;
    const char* appId;
    const char* log;
  } cases[] = {
      {FAKE_STEAM_157, 0, nullptr,
       "Init\nSteamAppId/SteamGameId 480 480\nISteamUGC_SetItemTags ugc 9 Map\n"
       "ISteamUGC_GetSubscribedItems ugc 1\n"},
      {FAKE_STEAM_158, 0, nullptr,
       "SteamInternal_SteamAPI_Init SteamUtils010 SteamFriends017 STEAMUGC_INTERFACE_VERSION018 "
       "SteamUser023\nSteamAppId/SteamGameId 480 480\nISteamUGC_SetItemTags ugc 9 Map 0\n"
       "ISteamUGC_GetSubscribedItems ugc 1\n"},
      {FAKE_STEAM_165, 0, "999",
       "InitFlat\nSteamAppId/SteamGameId 999 480\nISteamUGC_SetItemTags ugc 9 Map 0\n"
       "ISteamUGC_GetSubscribedItems ugc 1 0\n"},
      // No Steam client running: nothing more reaches the library.
      {FAKE_STEAM_165, 2, nullptr, "InitFlat\nSteamAppId/SteamGameId 480 480\n"},
  };
  for (const auto& c : cases) {
    cFakeLibrary fake(c.fileName);
    fake.take(c.initResult);
    setVariable("SteamAppId", c.appId);
    setVariable("SteamGameId", nullptr);
    std::unique_ptr<cSteamBackend> steam(newSteamLibraryAt(fake.path));
    EXPECT_EQ(c.initResult == 0, steam->init()) << c.fileName;
    if (ISteamUGC* ugc = steam->ugc()) {
      const char* tag = "Map";
      SteamParamStringArray_t tags = {&tag, 1};
      PublishedFileId_t ids[1];
      ugc->SetItemTags(9, &tags);
      EXPECT_EQ(1u, ugc->GetSubscribedItems(ids, 1));
      EXPECT_EQ(0x100000001u, ids[0]);
    }
    EXPECT_EQ(c.log, fake.take()) << c.fileName;
  }
  setVariable("SteamAppId", nullptr);
}

/// Every method the tool calls, with the answers the fake gives; its log
/// holds the arguments.
void callEveryMethod(cSteamBackend* steam) {
  const CSteamID id = steam->user()->GetSteamID();
  EXPECT_EQ(0x0110000100abcdefULL, id.ConvertToUint64());
  EXPECT_EQ(0x00abcdefu, id.GetAccountID());
  EXPECT_TRUE(steam->friends()->SetRichPresence("status", "DRAV (Workshop)"));
  EXPECT_EQ(480u, steam->utils()->GetAppID());

  ISteamUGC* ugc = steam->ugc();
  EXPECT_EQ(0x1000000000000001ULL, ugc->CreateItem(480, k_EWorkshopFileTypeCommunity));
  UGCQueryHandle_t query = ugc->CreateQueryUserUGCRequest(
      0xabcdef, k_EUserUGCList_Published, k_EUGCMatchingUGCType_Items_ReadyToUse,
      k_EUserUGCListSortOrder_CreationOrderDesc, 0, 480, 1);
  EXPECT_TRUE(ugc->SetReturnMetadata(query, true));
  EXPECT_EQ(0x3000000000000003ULL, ugc->SendQueryUGCRequest(query));
  SteamUGCDetails_t details = {};
  EXPECT_TRUE(ugc->GetQueryUGCResult(query, 0, &details));
  EXPECT_EQ(0x100000001u, details.m_nPublishedFileId);
  char metadata[2] = "";
  EXPECT_TRUE(ugc->GetQueryUGCMetadata(query, 0, metadata, sizeof(metadata)));
  EXPECT_STREQ("7", metadata);
  EXPECT_TRUE(ugc->ReleaseQueryUGCRequest(query));

  UGCUpdateHandle_t update = ugc->StartItemUpdate(480, 0x4000000000000004ULL);
  EXPECT_TRUE(ugc->SetItemVisibility(update, k_ERemoteStoragePublishedFileVisibilityPublic));
  EXPECT_TRUE(ugc->SetItemContent(update, "C:\\DRAV\\_DRAV_WORKSHOP_TEMP_"));
  EXPECT_TRUE(ugc->SetItemMetadata(update, "1"));
  EXPECT_TRUE(ugc->SetItemDescription(update, "A long way down"));
  EXPECT_TRUE(ugc->SetItemTitle(update, "My map"));
  EXPECT_TRUE(ugc->SetItemPreview(update, "preview.png"));
  EXPECT_EQ(0x6000000000000006ULL, ugc->SubmitItemUpdate(update, "first"));
  uint64_t done = 0, total = 0, size = 0;
  EXPECT_EQ(k_EItemUpdateStatusUploadingContent, ugc->GetItemUpdateProgress(update, &done, &total));
  EXPECT_EQ(0x100000001u, done);
  EXPECT_EQ(0x200000002u, total);

  char folder[64] = "";
  uint32_t stamp = 0;
  EXPECT_TRUE(ugc->GetItemInstallInfo(0x7000000000000007ULL, &size, folder, 64, &stamp));
  EXPECT_EQ(0x100000001u, size);
  EXPECT_EQ(2u, stamp);
  EXPECT_STREQ("/items/7000000000000007", folder);
  EXPECT_TRUE(ugc->DownloadItem(0x7000000000000007ULL, true));
  EXPECT_EQ(0x8000000000000008ULL, ugc->DeleteItem(0x4000000000000004ULL));
}

// Registrations go straight to the library, even before init; pumping and
// every other call wait for init; shutting down twice reaches it once.
TEST(SteamLibraryFakeTest, ForwardsEveryCallWithItsArgumentsAndAnswer) {
  cFakeLibrary fake(FAKE_STEAM_165);
  std::unique_ptr<cSteamBackend> steam(newSteamLibraryAt(fake.path));
  EXPECT_EQ("registered, started", exercise(steam.get(), callEveryMethod));
  EXPECT_EQ(
      "RegisterCallback 3406\nRegisterCallResult 9\nInitFlat\nSteamAppId/SteamGameId 480 480\n"
      "ISteamUser_GetSteamID user\nISteamFriends_SetRichPresence friends status DRAV (Workshop)\n"
      "ISteamUtils_GetAppID utils\nISteamUGC_CreateItem ugc 480 0\n"
      "ISteamUGC_CreateQueryUserUGCRequest ugc 11259375 0 2 0 0 480 1\n"
      "ISteamUGC_SetReturnMetadata ugc 2000000000000002 1\n"
      "ISteamUGC_SendQueryUGCRequest ugc 2000000000000002\n"
      "ISteamUGC_GetQueryUGCResult ugc 2000000000000002 0\n"
      "ISteamUGC_GetQueryUGCMetadata ugc 2000000000000002 0 2\n"
      "ISteamUGC_ReleaseQueryUGCRequest ugc 2000000000000002\n"
      "ISteamUGC_StartItemUpdate ugc 480 4000000000000004\n"
      "ISteamUGC_SetItemVisibility ugc 5000000000000005 0\n"
      "ISteamUGC_SetItemContent ugc 5000000000000005 C:\\DRAV\\_DRAV_WORKSHOP_TEMP_\n"
      "ISteamUGC_SetItemMetadata ugc 5000000000000005 1\n"
      "ISteamUGC_SetItemDescription ugc 5000000000000005 A long way down\n"
      "ISteamUGC_SetItemTitle ugc 5000000000000005 My map\n"
      "ISteamUGC_SetItemPreview ugc 5000000000000005 preview.png\n"
      "ISteamUGC_SubmitItemUpdate ugc 5000000000000005 first\n"
      "ISteamUGC_GetItemUpdateProgress ugc 5000000000000005\n"
      "ISteamUGC_GetItemInstallInfo ugc 7000000000000007 64\n"
      "ISteamUGC_DownloadItem ugc 7000000000000007 1\nISteamUGC_DeleteItem ugc 4000000000000004\n"
      "RunCallbacks\nUnregisterCallResult 9\nUnregisterCallback\nShutdown\n",
      fake.take());
}

// Over the real library, when a copy lies beside the test executable
// (real_library_test.sh puts one there).
TEST(SteamLibraryRealTest, ResolvesAllAndFailsInitWithoutAClient) {
  const std::string path = joinPath(getToolFolder(), steamLibraryFileName());
  if (fileStatus(path).kind == kMissing)
    GTEST_SKIP() << "no " << path;
  std::string missing;
  EXPECT_TRUE(steamLibraryResolvesAll(path, &missing)) << missing;
  std::unique_ptr<cSteamBackend> steam(newSteamLibrary());
  EXPECT_EQ("registered, not started", exercise(steam.get()));
}

}  // namespace
