#include "steamlib/steam_library.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "files/paths.h"
#include "platform/files.h"
#include "platform/library.h"
#include "steam/steam_callback.h"
#include "test_util.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// --- The back end

/// A callback object for the back end alone, outside any binding template.
class cProbe final : public CCallbackBase {
 public:
  void Run(void*) override {}
  void Run(void*, bool, uint64_t) override {}
  int GetCallbackSizeBytes() override { return 0; }
  bool registered() const { return m_nCallbackFlags & k_ECallbackFlagsRegistered; }
};

void expectNoInterfaces(cSteamBackend* steam) {
  EXPECT_EQ(nullptr, steam->user());
  EXPECT_EQ(nullptr, steam->friends());
  EXPECT_EQ(nullptr, steam->utils());
  EXPECT_EQ(nullptr, steam->ugc());
}

TEST(SteamLibraryTest, WithoutALibraryInitFailsAndEveryCallIsSafe) {
  ScopedTempDir folder;
  std::unique_ptr<cSteamBackend> steam(newSteamLibraryAt(folder.file(steamLibraryFileName())));
  cProbe probe;
  steam->registerCallback(&probe, 3406);
  steam->registerCallResult(&probe, 9);
  steam->runCallbacks();
  EXPECT_FALSE(steam->init());
  expectNoInterfaces(steam.get());
  steam->unregisterCallResult(&probe, 9);
  steam->unregisterCallback(&probe);
  steam->shutdown();
  steam->shutdown();
  EXPECT_FALSE(probe.registered());
}

TEST(SteamLibraryTest, NotALibraryFailsInit) {
  ScopedTempDir folder;
  const std::string path = folder.file(steamLibraryFileName());
  writeFile(path, "not a library");
  std::unique_ptr<cSteamBackend> steam(newSteamLibraryAt(path));
  EXPECT_FALSE(steam->init());
  std::string missing;
  EXPECT_FALSE(steamLibraryResolvesAll(path, &missing));
  EXPECT_EQ(path, missing);
}

// --- Over stand-ins for the library, built beside the tests

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

  bool opened() const { return library_ != nullptr; }
  const std::string& path() const { return path_; }

  /// Clears the log; the library's next init answers `initResult`.
  void reset(int initResult) {
    typedef void (*resetFunction)(int);
    reinterpret_cast<resetFunction>(findLibrarySymbol(library_, "fakeSteamReset"))(initResult);
  }
  std::string log() const {
    typedef const char* (*logFunction)();
    return reinterpret_cast<logFunction>(findLibrarySymbol(library_, "fakeSteamLog"))();
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
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

class SteamLibraryFakeTest : public testing::Test {
 protected:
  /// A back end over the stand-in `fileName` whose init answers
  /// `initResult`.
  cSteamBackend* open(cFakeLibrary* fake, int initResult) {
    EXPECT_TRUE(fake->opened()) << fake->path();
    fake->reset(initResult);
    steam_.reset(newSteamLibraryAt(fake->path()));
    return steam_.get();
  }

  std::unique_ptr<cSteamBackend> steam_;
};

TEST(SteamLibrarySearchTest, LibraryInTheCurrentFolderIsNeverLoaded) {
  cFakeLibrary fake(FAKE_STEAM_165);
  ScopedTempDir folder;
  const std::string planted = folder.file(steamLibraryFileName());
  writeFile(planted, readFile(fake.path()));
  void* plantedLibrary = openLibraryFile(planted);
  ASSERT_NE(nullptr, plantedLibrary);

  std::error_code error;
  const std::filesystem::path previous = std::filesystem::current_path(error);
  std::filesystem::current_path(folder.path(), error);
  ASSERT_FALSE(error);
  void* found = openSteamLibrary();
  std::filesystem::current_path(previous, error);

  EXPECT_NE(plantedLibrary, found);
  if (found)
    closeLibrary(found);
  closeLibrary(plantedLibrary);
}

#ifdef FAKE_STEAM_SYSTEM
// The loader's search finds a library already loaded under the name by
// its recorded name (soname), as it would find the system's copy; the
// tool's own folder must still come first.
TEST(SteamLibrarySearchTest, ToolFolderComesBeforeTheSystem) {
  const std::string beside = joinPath(getToolFolder(), steamLibraryFileName());
  if (fileStatus(beside).kind != kMissing)
    GTEST_SKIP() << "a library already lies at " << beside;
  void* system = openLibraryFile(joinPath(getToolFolder(), FAKE_STEAM_SYSTEM));
  ASSERT_NE(nullptr, system);
  cFakeLibrary own(FAKE_STEAM_165);
  writeFile(beside, readFile(own.path()));
  void* found = openSteamLibrary();
  void* expected = openLibraryFile(beside);
  removeFile(beside);
  EXPECT_NE(nullptr, found);
  EXPECT_NE(system, found);
  EXPECT_EQ(expected, found);
  for (void* library : {found, expected, system}) {
    if (library)
      closeLibrary(library);
  }
}
#endif

TEST_F(SteamLibraryFakeTest, RegistrationBeforeInitReachesTheLibrary) {
  cFakeLibrary fake(FAKE_STEAM_165);
  cSteamBackend* steam = open(&fake, 0);
  cProbe probe;
  steam->registerCallback(&probe, 3406);
  EXPECT_TRUE(probe.registered()) << "the library sets the flag";
  steam->runCallbacks();
  EXPECT_EQ("RegisterCallback 3406\n", fake.log()) << "no pumping before init";

  ASSERT_TRUE(steam->init());
  steam->runCallbacks();
  steam->unregisterCallback(&probe);
  EXPECT_FALSE(probe.registered());
  steam->shutdown();
  steam->shutdown();
  expectNoInterfaces(steam);
  EXPECT_EQ(
      "RegisterCallback 3406\nInitFlat\nSteamAppId=480 SteamGameId=480\nRunCallbacks\n"
      "UnregisterCallback\nShutdown\n",
      fake.log());
}

TEST_F(SteamLibraryFakeTest, InitKeepsAnAppIdAlreadySet) {
  cFakeLibrary fake(FAKE_STEAM_165);
  cSteamBackend* steam = open(&fake, 0);
  setVariable("SteamAppId", "999");
  setVariable("SteamGameId", nullptr);
  EXPECT_TRUE(steam->init());
  EXPECT_EQ("InitFlat\nSteamAppId=999 SteamGameId=480\n", fake.log());
  setVariable("SteamAppId", nullptr);
  setVariable("SteamGameId", nullptr);
}

TEST_F(SteamLibraryFakeTest, FailedInitLeavesTheLibraryAlone) {
  cFakeLibrary fake(FAKE_STEAM_165);
  cSteamBackend* steam = open(&fake, 2);  // no Steam client running
  EXPECT_FALSE(steam->init());
  expectNoInterfaces(steam);
  steam->runCallbacks();
  steam->shutdown();
  EXPECT_EQ("InitFlat\nSteamAppId=480 SteamGameId=480\n", fake.log());
}

TEST_F(SteamLibraryFakeTest, OlderLibrariesStartThroughTheirOwnEntryPoint) {
  cFakeLibrary sdk158(FAKE_STEAM_158);
  EXPECT_TRUE(open(&sdk158, 0)->init());
  EXPECT_EQ(
      "SteamInternal_SteamAPI_Init "
      "SteamUtils010|SteamFriends017|STEAMUGC_INTERFACE_VERSION018|SteamUser023|\n"
      "SteamAppId=480 SteamGameId=480\n",
      sdk158.log());

  cFakeLibrary sdk157(FAKE_STEAM_157);
  EXPECT_TRUE(open(&sdk157, 0)->init());
  EXPECT_EQ("SteamAPI_Init\nSteamAppId=480 SteamGameId=480\n", sdk157.log());
  EXPECT_NE(nullptr, steam_->ugc());
}

TEST_F(SteamLibraryFakeTest, LibraryLackingAFunctionIsNeverCalled) {
  cFakeLibrary fake(FAKE_STEAM_LACKING);
  cSteamBackend* steam = open(&fake, 0);
  cProbe probe;
  steam->registerCallback(&probe, 3406);
  EXPECT_FALSE(steam->init());
  steam->runCallbacks();
  steam->shutdown();
  EXPECT_FALSE(probe.registered());
  EXPECT_EQ("", fake.log());

  std::string missing;
  EXPECT_FALSE(steamLibraryResolvesAll(fake.path(), &missing));
  EXPECT_EQ("SteamAPI_ISteamUGC_DownloadItem", missing);
}

TEST_F(SteamLibraryFakeTest, InterfacesForwardEveryCallWithItsArguments) {
  cFakeLibrary fake(FAKE_STEAM_165);
  cSteamBackend* steam = open(&fake, 0);
  ASSERT_TRUE(steam->init());
  fake.reset(0);

  CSteamID id = steam->user()->GetSteamID();
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
  EXPECT_EQ(0x4000000000000004ULL, details.m_nPublishedFileId);
  EXPECT_STREQ("fake title", details.m_rgchTitle);
  EXPECT_EQ(k_ERemoteStoragePublishedFileVisibilityUnlisted, details.m_eVisibility);
  char metadata[2] = "";
  EXPECT_TRUE(ugc->GetQueryUGCMetadata(query, 0, metadata, sizeof(metadata)));
  EXPECT_STREQ("7", metadata);
  EXPECT_TRUE(ugc->ReleaseQueryUGCRequest(query));

  UGCUpdateHandle_t update = ugc->StartItemUpdate(480, 0x4000000000000004ULL);
  EXPECT_TRUE(ugc->SetItemVisibility(update, k_ERemoteStoragePublishedFileVisibilityPublic));
  EXPECT_TRUE(ugc->SetItemContent(update, "C:\\DRAV\\_DRAV_WORKSHOP_TEMP_"));
  EXPECT_TRUE(ugc->SetItemMetadata(update, "1"));
  EXPECT_TRUE(ugc->SetItemDescription(update, "A long way down"));
  const char* tag = "Map";
  SteamParamStringArray_t tags = {&tag, 1};
  EXPECT_TRUE(ugc->SetItemTags(update, &tags));
  EXPECT_TRUE(ugc->SetItemTitle(update, "My map"));
  EXPECT_TRUE(ugc->SetItemPreview(update, "preview.png"));
  EXPECT_EQ(0x6000000000000006ULL, ugc->SubmitItemUpdate(update, "first"));
  uint64_t done = 0, total = 0;
  EXPECT_EQ(k_EItemUpdateStatusUploadingContent, ugc->GetItemUpdateProgress(update, &done, &total));
  EXPECT_EQ(0x100000000ULL, done);
  EXPECT_EQ(0x300000000ULL, total);

  PublishedFileId_t ids[10000] = {};
  EXPECT_EQ(2u, ugc->GetSubscribedItems(ids, 10000));
  EXPECT_EQ(0x7000000000000007ULL, ids[0]);
  uint64_t size = 0;
  char folder[1024] = "";
  uint32_t stamp = 0;
  EXPECT_TRUE(ugc->GetItemInstallInfo(ids[0], &size, folder, sizeof(folder), &stamp));
  EXPECT_EQ(0x200000000ULL, size);
  EXPECT_STREQ("/items/7000000000000007", folder);
  EXPECT_EQ(1234u, stamp);
  EXPECT_TRUE(ugc->DownloadItem(ids[0], true));
  EXPECT_EQ(0x8000000000000008ULL, ugc->DeleteItem(0x4000000000000004ULL));

  EXPECT_EQ(
      "user GetSteamID\n"
      "friends SetRichPresence status=DRAV (Workshop)\n"
      "utils GetAppID\n"
      "ugc CreateItem 480 0\n"
      "ugc CreateQueryUserUGCRequest 11259375 0 2 0 0 480 1\n"
      "ugc SetReturnMetadata 2000000000000002 1\n"
      "ugc SendQueryUGCRequest 2000000000000002\n"
      "ugc GetQueryUGCResult 2000000000000002 0\n"
      "ugc GetQueryUGCMetadata 2000000000000002 0 2\n"
      "ugc ReleaseQueryUGCRequest 2000000000000002\n"
      "ugc StartItemUpdate 480 4000000000000004\n"
      "ugc SetItemVisibility 5000000000000005 0\n"
      "ugc SetItemContent 5000000000000005 C:\\DRAV\\_DRAV_WORKSHOP_TEMP_\n"
      "ugc SetItemMetadata 5000000000000005 1\n"
      "ugc SetItemDescription 5000000000000005 A long way down\n"
      "ugc SetItemTags 5000000000000005 [Map] admin=0\n"
      "ugc SetItemTitle 5000000000000005 My map\n"
      "ugc SetItemPreview 5000000000000005 preview.png\n"
      "ugc SubmitItemUpdate 5000000000000005 first\n"
      "ugc GetItemUpdateProgress 5000000000000005\n"
      "ugc GetSubscribedItems 10000 disabled=0\n"
      "ugc GetItemInstallInfo 7000000000000007 1024\n"
      "ugc DownloadItem 7000000000000007 1\n"
      "ugc DeleteItem 4000000000000004\n",
      fake.log());
}

/// SetItemTags and GetSubscribedItems gained an argument in later versions;
/// each library gets the count its version takes.
TEST_F(SteamLibraryFakeTest, ChangedSignaturesFollowTheLibrarysVersion) {
  const char* tag = "Map";
  SteamParamStringArray_t tags = {&tag, 1};
  PublishedFileId_t ids[10000];
  struct {
    const char* fileName;
    const char* expected;
  } versions[] = {
      {FAKE_STEAM_157, "ugc SetItemTags 9 [Map]\nugc GetSubscribedItems 10000\n"},
      {FAKE_STEAM_158, "ugc SetItemTags 9 [Map] admin=0\nugc GetSubscribedItems 10000\n"},
      {FAKE_STEAM_165, "ugc SetItemTags 9 [Map] admin=0\nugc GetSubscribedItems 10000 disabled=0\n"},
  };
  for (const auto& version : versions) {
    cFakeLibrary fake(version.fileName);
    ASSERT_TRUE(open(&fake, 0)->init()) << version.fileName;
    fake.reset(0);
    steam_->ugc()->SetItemTags(9, &tags);
    steam_->ugc()->GetSubscribedItems(ids, 10000);
    EXPECT_EQ(version.expected, fake.log()) << version.fileName;
  }
}

// --- Over the real library, when a copy lies beside the test executable
// (tests/steam/real_library_test.sh puts one there)

class SteamLibraryRealTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = joinPath(getToolFolder(), steamLibraryFileName());
    std::error_code error;
    if (!std::filesystem::exists(path_, error))
      GTEST_SKIP() << "no " << path_;
  }

  std::string path_;
};

TEST_F(SteamLibraryRealTest, ExportsEveryFunctionTheToolCalls) {
  std::string missing;
  EXPECT_TRUE(steamLibraryResolvesAll(path_, &missing)) << missing;
  EXPECT_EQ("", missing);
}

TEST_F(SteamLibraryRealTest, WithoutASteamClientInitFails) {
  std::unique_ptr<cSteamBackend> steam(newSteamLibrary());
  cProbe probe;
  steam->registerCallback(&probe, 3406);
  EXPECT_TRUE(probe.registered()) << "the library sets the flag beside the table pointer";
  EXPECT_EQ(3406, probe.m_iCallback) << "and the id after it";
  EXPECT_FALSE(steam->init());
  expectNoInterfaces(steam.get());
  steam->runCallbacks();
  steam->unregisterCallback(&probe);
  EXPECT_FALSE(probe.registered());
  steam->shutdown();
  steam->shutdown();
}

}  // namespace
