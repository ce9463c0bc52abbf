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

/// Registers and unregisters a callback and a call around init, runs and
/// shuts down twice; true when init succeeded. The interfaces must be there
/// exactly while Steam runs.
bool exercise(cSteamBackend* steam) {
  cProbe probe;
  steam->registerCallback(&probe, 3406);
  steam->registerCallResult(&probe, 9);
  steam->runCallbacks();
  const bool started = steam->init();
  EXPECT_EQ(started, steam->ugc() != nullptr);
  EXPECT_EQ(started, steam->user() && steam->friends() && steam->utils());
  steam->runCallbacks();
  steam->unregisterCallResult(&probe, 9);
  steam->unregisterCallback(&probe);
  EXPECT_FALSE(probe.registered());
  steam->shutdown();
  steam->shutdown();
  EXPECT_TRUE(!steam->user() && !steam->friends() && !steam->utils() && !steam->ugc());
  return started;
}

TEST(SteamLibraryTest, MissingOrBrokenLibraryFailsInitAndEveryCallIsSafe) {
  ScopedTempDir folder;
  const std::string path = folder.file(steamLibraryFileName());
  for (const char* content : {"", "not a library"}) {
    if (*content)
      writeFile(path, content);
    std::unique_ptr<cSteamBackend> steam(newSteamLibraryAt(path));
    EXPECT_FALSE(exercise(steam.get())) << content;
    std::string missing;
    EXPECT_FALSE(steamLibraryResolvesAll(path, &missing));
    EXPECT_EQ(path, missing);
  }
}

/// The stand-in `fileName` beside the test executable, opened by the test
/// too so that its call log can be read.
class cFakeLibrary {
 public:
  explicit cFakeLibrary(const char* fileName)
      : path_(joinPath(getToolFolder(), fileName)), library_(openLibraryFile(path_)) {}
  ~cFakeLibrary() {
    if (library_)
      closeLibrary(library_);
  }

  const std::string& path() const { return path_; }
  void* library() const { return library_; }

  /// Clears the log; the library's next init answers `initResult`.
  void reset(int initResult) {
    typedef void (*tReset)(int);
    reinterpret_cast<tReset>(findLibrarySymbol(library_, "fakeSteamReset"))(initResult);
  }
  std::string log() const {
    typedef const char* (*tLog)();
    return reinterpret_cast<tLog>(findLibrarySymbol(library_, "fakeSteamLog"))();
  }

 private:
  std::string path_;
  void* library_;
};

void setVariable(const char* name, const char* value) {
#ifdef _WIN32
  SetEnvironmentVariableA(name, value);
  _putenv((std::string(name) + "=" + (value ? value : "")).c_str());
#else
  value ? setenv(name, value, 1) : unsetenv(name);
#endif
}

/// Loads the library as the tool does, from inside `folder`.
void* openSteamLibraryFrom(const std::string& folder) {
  std::error_code error;
  const std::filesystem::path previous = std::filesystem::current_path(error);
  std::filesystem::current_path(folder, error);
  EXPECT_FALSE(error);
  void* found = openSteamLibrary();
  std::filesystem::current_path(previous, error);
  return found;
}

TEST(SteamLibrarySearchTest, LibraryInTheCurrentFolderIsNeverLoaded) {
  cFakeLibrary fake(FAKE_STEAM_165);
  ScopedTempDir folder;
  writeFile(folder.file(steamLibraryFileName()), readFile(fake.path()));
  void* planted = openLibraryFile(folder.file(steamLibraryFileName()));
  ASSERT_NE(nullptr, planted);
  void* found = openSteamLibraryFrom(folder.path());
  EXPECT_NE(planted, found);
  if (found)
    closeLibrary(found);
  closeLibrary(planted);
}

#ifdef FAKE_STEAM_SYSTEM
// The loader finds a library already loaded under the name by its recorded
// name (soname), as it would find the system's copy; the tool's own folder
// must still come first.
TEST(SteamLibrarySearchTest, ToolFolderComesBeforeTheSystem) {
  const std::string beside = joinPath(getToolFolder(), steamLibraryFileName());
  if (fileStatus(beside).kind != kMissing)
    GTEST_SKIP() << "a library already lies at " << beside;
  cFakeLibrary system(FAKE_STEAM_SYSTEM), own(FAKE_STEAM_165);
  EXPECT_EQ(system.library(), openSteamLibrary()) << "the system's copy without our own";
  writeFile(beside, readFile(own.path()));
  void* found = openSteamLibrary();
  void* expected = openLibraryFile(beside);
  removeFile(beside);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(expected, found);
  closeLibrary(found);
  closeLibrary(expected);
}
#endif

TEST(SteamLibraryFakeTest, EachVersionStartsAndCallsByItsOwnSignatures) {
  const char* tag = "Map";
  SteamParamStringArray_t tags = {&tag, 1};
  PublishedFileId_t ids[1];
  struct {
    const char* fileName;
    int initResult;
    const char* appId;
    const char* log;
  } cases[] = {
      {FAKE_STEAM_157, 0, nullptr,
       "SteamAPI_Init\nSteamAppId 480\nSteamGameId 480\nISteamUGC_SetItemTags ugc 9 Map\n"
       "ISteamUGC_GetSubscribedItems ugc 1\n"},
      {FAKE_STEAM_158, 0, nullptr,
       "SteamInternal_SteamAPI_Init\nversion SteamUtils010\nversion SteamFriends017\n"
       "version STEAMUGC_INTERFACE_VERSION018\nversion SteamUser023\n"
       "SteamAppId 480\nSteamGameId 480\nISteamUGC_SetItemTags ugc 9 Map 0\n"
       "ISteamUGC_GetSubscribedItems ugc 1\n"},
      {FAKE_STEAM_165, 0, "999",
       "SteamAPI_InitFlat\nSteamAppId 999\nSteamGameId 480\nISteamUGC_SetItemTags ugc 9 Map 0\n"
       "ISteamUGC_GetSubscribedItems ugc 1 0\n"},
      // No Steam client running: nothing more reaches the library.
      {FAKE_STEAM_165, 2, nullptr, "SteamAPI_InitFlat\nSteamAppId 480\nSteamGameId 480\n"},
  };
  for (const auto& c : cases) {
    cFakeLibrary fake(c.fileName);
    fake.reset(c.initResult);
    setVariable("SteamAppId", c.appId);
    setVariable("SteamGameId", nullptr);
    std::unique_ptr<cSteamBackend> steam(newSteamLibraryAt(fake.path()));
    EXPECT_EQ(c.initResult == 0, steam->init()) << c.fileName;
    if (ISteamUGC* ugc = steam->ugc()) {
      ugc->SetItemTags(9, &tags);
      EXPECT_EQ(1u, ugc->GetSubscribedItems(ids, 1));
      EXPECT_EQ(0x7000000000000007ULL, ids[0]);
    }
    EXPECT_EQ(c.log, fake.log()) << c.fileName;
  }
  setVariable("SteamAppId", nullptr);
}

TEST(SteamLibraryFakeTest, CallbacksGoStraightToTheLibraryAndPumpingWaitsForInit) {
  cFakeLibrary fake(FAKE_STEAM_165);
  fake.reset(0);
  std::unique_ptr<cSteamBackend> steam(newSteamLibraryAt(fake.path()));
  cProbe probe;
  steam->registerCallback(&probe, 3406);
  EXPECT_TRUE(probe.registered()) << "the library sets the flag beside the table pointer";
  EXPECT_EQ(3406, probe.m_iCallback) << "and the id after it";
  fake.reset(0);
  EXPECT_TRUE(exercise(steam.get()));
  EXPECT_EQ(
      "SteamAPI_RegisterCallback 3406\nSteamAPI_RegisterCallResult 9\nSteamAPI_InitFlat\n"
      "SteamAppId 480\nSteamGameId 480\nSteamAPI_RunCallbacks\nSteamAPI_UnregisterCallResult 9\n"
      "SteamAPI_UnregisterCallback\nSteamAPI_Shutdown\n",
      fake.log());
}

TEST(SteamLibraryFakeTest, LibraryLackingAFunctionIsNeverCalled) {
  cFakeLibrary fake(FAKE_STEAM_LACKING);
  fake.reset(0);
  std::unique_ptr<cSteamBackend> steam(newSteamLibraryAt(fake.path()));
  EXPECT_FALSE(exercise(steam.get()));
  EXPECT_EQ("", fake.log());
  std::string missing;
  EXPECT_FALSE(steamLibraryResolvesAll(fake.path(), &missing));
  EXPECT_EQ("SteamAPI_ISteamUGC_DownloadItem", missing);
}

TEST(SteamLibraryFakeTest, InterfacesForwardEveryCallWithItsArgumentsAndAnswer) {
  cFakeLibrary fake(FAKE_STEAM_165);
  fake.reset(0);
  std::unique_ptr<cSteamBackend> steam(newSteamLibraryAt(fake.path()));
  ASSERT_TRUE(steam->init());
  fake.reset(0);
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
  EXPECT_EQ(0x2000000000000002ULL, query);
  EXPECT_TRUE(ugc->SetReturnMetadata(query, true));
  EXPECT_EQ(0x3000000000000003ULL, ugc->SendQueryUGCRequest(query));
  SteamUGCDetails_t details = {};
  EXPECT_TRUE(ugc->GetQueryUGCResult(query, 0, &details));
  EXPECT_EQ(0x4000000000000004ULL, details.m_nPublishedFileId);
  char metadata[2] = "";
  EXPECT_TRUE(ugc->GetQueryUGCMetadata(query, 0, metadata, sizeof(metadata)));
  EXPECT_STREQ("7", metadata);
  EXPECT_TRUE(ugc->ReleaseQueryUGCRequest(query));

  UGCUpdateHandle_t update = ugc->StartItemUpdate(480, 0x4000000000000004ULL);
  EXPECT_EQ(0x5000000000000005ULL, update);
  EXPECT_TRUE(ugc->SetItemVisibility(update, k_ERemoteStoragePublishedFileVisibilityPublic));
  EXPECT_TRUE(ugc->SetItemContent(update, "C:\\DRAV\\_DRAV_WORKSHOP_TEMP_"));
  EXPECT_TRUE(ugc->SetItemMetadata(update, "1"));
  EXPECT_TRUE(ugc->SetItemDescription(update, "A long way down"));
  EXPECT_TRUE(ugc->SetItemTitle(update, "My map"));
  EXPECT_TRUE(ugc->SetItemPreview(update, "preview.png"));
  EXPECT_EQ(0x6000000000000006ULL, ugc->SubmitItemUpdate(update, "first"));
  uint64_t progress[2] = {};
  EXPECT_EQ(k_EItemUpdateStatusUploadingContent,
            ugc->GetItemUpdateProgress(update, &progress[0], &progress[1]));
  EXPECT_EQ(0x100000000ULL, progress[0]);
  EXPECT_EQ(0x300000000ULL, progress[1]);

  uint64_t size = 0;
  char folder[1024] = "";
  uint32_t stamp = 0;
  EXPECT_TRUE(ugc->GetItemInstallInfo(0x7000000000000007ULL, &size, folder, 1024, &stamp));
  EXPECT_EQ(0x200000000ULL, size);
  EXPECT_STREQ("/items/7000000000000007", folder);
  EXPECT_EQ(1234u, stamp);
  EXPECT_TRUE(ugc->DownloadItem(0x7000000000000007ULL, true));
  EXPECT_EQ(0x8000000000000008ULL, ugc->DeleteItem(0x4000000000000004ULL));
  EXPECT_EQ(
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
      "ISteamUGC_GetItemInstallInfo ugc 7000000000000007 1024\n"
      "ISteamUGC_DownloadItem ugc 7000000000000007 1\nISteamUGC_DeleteItem ugc 4000000000000004\n",
      fake.log());
}

// Over the real library, when a copy lies beside the test executable
// (real_library_test.sh puts one there): it exports everything the tool
// calls, and without a Steam client init fails safely.
TEST(SteamLibraryRealTest, ResolvesAllAndFailsInitWithoutAClient) {
  const std::string path = joinPath(getToolFolder(), steamLibraryFileName());
  if (fileStatus(path).kind == kMissing)
    GTEST_SKIP() << "no " << path;
  std::string missing;
  EXPECT_TRUE(steamLibraryResolvesAll(path, &missing)) << missing;
  std::unique_ptr<cSteamBackend> steam(newSteamLibrary());
  cProbe probe;
  steam->registerCallback(&probe, 3406);
  EXPECT_TRUE(probe.registered()) << "the library sets the flag beside the table pointer";
  EXPECT_EQ(3406, probe.m_iCallback) << "and the id after it";
  steam->unregisterCallback(&probe);
  EXPECT_FALSE(exercise(steam.get()));
}

}  // namespace
