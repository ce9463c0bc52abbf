// The local workshop service, driven through its ISteam* interfaces as the
// tool drives Steam, over a fresh store per test. What the tool shows of
// it is checked end to end by the scenarios; here the answers themselves.
#include <chrono>
#include <memory>

#include <gtest/gtest.h>

#include "files/directory.h"
#include "files/paths.h"
#include "localsteam/local_steam.h"
#include "platform/process.h"
#include "test_util.h"

namespace {

const uint32_t kAccount = 1001;

/// Keeps every record delivered to it (none: a zeroed one). Steam's records
/// are packed, so a check copies a 64-bit field out instead of binding it.
template <class R>
class cCatcher : public CCallbackBase {
 public:
  void Run(void* record) override { Run(record, false, 0); }
  void Run(void* record, bool ioFailure, uint64_t) override {
    heard.push_back(record ? *static_cast<R*>(record) : R());
    ioFailures += ioFailure;
  }
  int GetCallbackSizeBytes() override { return sizeof(R); }

  std::vector<R> heard;
  int ioFailures = 0;
};

class LocalSteamTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(store_.create(kAccount) && store_.readSettings(&settings_)); }

  /// Starts the service with `settings_`.
  void start() {
    ASSERT_TRUE(store_.writeSettings(settings_));
    steam_.reset(newLocalSteam(store_.folder()));
    ASSERT_TRUE(steam_->init());
    ugc_ = steam_->ugc();
  }

  /// A folder of the scratch space holding the file `name` with `content`;
  /// one folder per name, so a name comes back with its last content.
  std::string folderWith(const std::string& name, const std::string& content) {
    std::string folder = temp_.file("in-" + name);
    createFolder(folder);
    writeFile(joinPath(folder, name), content);
    return folder;
  }

  /// An item of the tool's app made directly in the store, as the control
  /// tool makes it.
  PublishedFileId_t publish(uint32_t owner) {
    cStoreItem item;
    item.owner = owner;
    item.app = toolAppId();
    EXPECT_TRUE(store_.allocateId(&item.id) &&
                store_.copyContentFolder(&item, folderWith("map_x.txt", "x")) &&
                store_.writeItem(item));
    return item.id;
  }

  bool pumpUntil(const std::function<bool()>& done) {
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < giveUp)
      steam_->runCallbacks();
    return done();
  }

  template <class R>
  R await(SteamAPICall_t call) {
    cCatcher<R> catcher;
    steam_->registerCallResult(&catcher, call);
    pumpUntil([&] { return !catcher.heard.empty(); });
    return catcher.heard.empty() ? R() : catcher.heard[0];
  }

  SteamAPICall_t create() { return ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity); }

  EResult submit(PublishedFileId_t item, const std::string& content,
                 const std::string& preview = "", const std::string& title = "") {
    UGCUpdateHandle_t update = ugc_->StartItemUpdate(toolAppId(), item);
    EXPECT_TRUE(ugc_->SetItemContent(update, content.c_str()));
    EXPECT_TRUE(preview.empty() || ugc_->SetItemPreview(update, preview.c_str()));
    EXPECT_TRUE(title.empty() || ugc_->SetItemTitle(update, title.c_str()));
    return await<SubmitItemUpdateResult_t>(ugc_->SubmitItemUpdate(update, "note")).m_eResult;
  }

  ScopedTempDir temp_;
  cLocalStore store_{temp_.file("store")};
  cStoreSettings settings_;
  std::unique_ptr<cSteamBackend> steam_;
  ISteamUGC* ugc_ = nullptr;
};

// Three calls bound, one binding dropped again, then a submission: each
// answer comes inside a pump once the latency has passed, and only to the
// binding of its call.
TEST_F(LocalSteamTest, AnswersComeFromThePumpAfterTheLatencyToTheirBinding) {
  PublishedFileId_t id = publish(kAccount);
  settings_.latencyMs = 200;
  start();
  SteamAPICall_t calls[3];
  cCatcher<CreateItemResult_t> catchers[3];
  for (int i = 0; i < 3; ++i) {
    calls[i] = create();
    steam_->registerCallResult(&catchers[i], calls[i]);
  }
  steam_->unregisterCallResult(&catchers[2], calls[2]);
  steam_->runCallbacks();
  sleepMilliseconds(250);
  EXPECT_TRUE(catchers[0].heard.empty());  // past the latency, still nothing until the next pump
  ASSERT_TRUE(pumpUntil([&] { return !catchers[0].heard.empty(); }));

  // While the submission waits, its progress goes through the stages, the
  // last only in the final quarter of the latency; a pump waits for the
  // next answer (at most 10 ms at a time) instead of returning at once, so
  // the loop does not spin.
  std::string content = folderWith("a.txt", std::string(1000, 'a'));
  writeFile(joinPath(content, "b.txt"), std::string(500, 'b'));
  UGCUpdateHandle_t update = ugc_->StartItemUpdate(toolAppId(), id);
  ugc_->SetItemContent(update, content.c_str());
  cCatcher<SubmitItemUpdateResult_t> submitted;
  steam_->registerCallResult(&submitted, ugc_->SubmitItemUpdate(update, "note"));
  uint64_t done = 7, total = 7;
  std::vector<EItemUpdateStatus> stages;
  int pumps = 0;
  for (; submitted.heard.empty() && pumps < 1000; ++pumps) {
    EItemUpdateStatus status = ugc_->GetItemUpdateProgress(update, &done, &total);
    if (stages.empty() || stages.back() != status)
      stages.push_back(status);
    EXPECT_EQ(1500u, total);
    EXPECT_LE(done, total);
    steam_->runCallbacks();
  }
  EXPECT_LE(pumps, 40);
  EXPECT_EQ(std::vector<EItemUpdateStatus>({k_EItemUpdateStatusPreparingConfig,
                                            k_EItemUpdateStatusUploadingContent,
                                            k_EItemUpdateStatusCommittingChanges}),
            stages);
  EXPECT_EQ(k_EItemUpdateStatusInvalid, ugc_->GetItemUpdateProgress(update, &done, &total));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(i < 2 ? 1u : 0u, catchers[i].heard.size()) << i;
}

// The tool reads every page alike, so only here would another page size
// show: of 51 items, the second page holds one (a page of 49 would leave
// two there, one of 51 none).
TEST_F(LocalSteamTest, QueryPagesHoldFiftyItems) {
  for (int i = 0; i < 51; ++i)
    publish(kAccount);
  start();
  UGCQueryHandle_t handle = ugc_->CreateQueryUserUGCRequest(
      kAccount, k_EUserUGCList_Published, k_EUGCMatchingUGCType_Items_ReadyToUse,
      k_EUserUGCListSortOrder_CreationOrderDesc, 0, toolAppId(), 2);
  auto completed = await<SteamUGCQueryCompleted_t>(ugc_->SendQueryUGCRequest(handle));
  EXPECT_EQ(1u, uint32_t(completed.m_unNumResultsReturned));
  EXPECT_EQ(51u, uint32_t(completed.m_unTotalMatchingResults));
}

TEST_F(LocalSteamTest, FailedCallsLeaveTheStoreAsItWas) {
  PublishedFileId_t mine = publish(kAccount);
  PublishedFileId_t theirs = publish(kAccount + 1);
  start();
  std::string content = folderWith("map_a.txt", "level");
  createFolder(temp_.file("empty"));
  // Images of 15 and 16 bytes, and of 1 MiB: the bounds of a preview's size.
  for (size_t size : {15, 16, 1024 * 1024})
    writeFile(temp_.file(std::to_string(size)), std::string(size, 'p'));
  const struct {
    PublishedFileId_t item;
    std::string content, preview, title;
    EResult expected;
  } cases[] = {
      {mine, temp_.file("missing"), "", "", k_EResultFileNotFound},
      {mine, temp_.file("empty"), "", "", k_EResultFileNotFound},
      {mine, content, temp_.file("missing.png"), "", k_EResultFileNotFound},
      {mine, content, temp_.file("15"), "", k_EResultInvalidParam},
      {mine, content, temp_.file("16"), std::string(129, 'x'), k_EResultInvalidParam},
      {theirs, content, temp_.file("16"), "ok", k_EResultAccessDenied},
      {mine, content, temp_.file("1048576"), std::string(128, 'y'), k_EResultOK},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content + " " + c.preview);
    EXPECT_EQ(c.expected, submit(c.item, c.content, c.preview, c.title));
    cStoreItem item;
    ASSERT_TRUE(store_.readItem(c.item, &item));
    EXPECT_EQ(c.expected == k_EResultOK ? 2u : 1u, item.contentVersion);
  }
  UGCUpdateHandle_t tooLong = ugc_->StartItemUpdate(toolAppId(), mine);
  ugc_->SetItemDescription(tooLong, std::string(8001, 'd').c_str());
  EXPECT_EQ(k_EResultInvalidParam,
            await<SubmitItemUpdateResult_t>(ugc_->SubmitItemUpdate(tooLong, "")).m_eResult);

  // Only the owner deletes, and the subscription goes with the item.
  ASSERT_TRUE(store_.subscribe({mine, theirs}));
  EXPECT_EQ(k_EResultAccessDenied, await<DeleteItemResult_t>(ugc_->DeleteItem(theirs)).m_eResult);
  PublishedFileId_t last = publish(kAccount);
  EXPECT_EQ(k_EResultOK, await<DeleteItemResult_t>(ugc_->DeleteItem(mine)).m_eResult);
  EXPECT_FALSE(store_.itemExists(mine) || store_.isSubscribed(mine));
  EXPECT_TRUE(store_.itemExists(theirs) && store_.isSubscribed(theirs));
  EXPECT_EQ(k_EResultFileNotFound, await<DeleteItemResult_t>(ugc_->DeleteItem(mine)).m_eResult);

  // A store file that can't be replaced (a folder with something in it
  // stands at the user's index) fails the call instead of passing unseen.
  std::string index = joinPath(joinPath(store_.folder(), "owners"), "1001.json");
  removeFile(index);
  ASSERT_TRUE(createFolder(index));
  writeFile(joinPath(index, "in the way"), "x");
  EXPECT_EQ(k_EResultFail, await<CreateItemResult_t>(create()).m_eResult);
  EXPECT_EQ(k_EResultIOFailure, submit(last, content));
}

// (The order of the subscribed items shows in the install scenarios.)
TEST_F(LocalSteamTest, DownloadReplacesTheCacheAndTellsEveryListener) {
  PublishedFileId_t id = publish(kAccount);
  ASSERT_TRUE(store_.subscribe({publish(kAccount + 1), id}));
  settings_.noise = true;
  settings_.faults["download"] = {cStoreFault::kIoFail, 0, 1};
  start();
  PublishedFileId_t ids[2];
  EXPECT_EQ(1u, ugc_->GetSubscribedItems(ids, 1));
  EXPECT_EQ(2u, ugc_->GetSubscribedItems(ids, 2));
  cCatcher<DownloadItemResult_t> seen;
  steam_->registerCallback(&seen, DownloadItemResult_t::k_iCallback);
  auto download = [&] {
    seen.heard.clear();
    EXPECT_TRUE(ugc_->DownloadItem(id, true));
    pumpUntil([&] {
      return !seen.heard.empty() && PublishedFileId_t(seen.heard.back().m_nPublishedFileId) == id;
    });
  };
  // A faulted download leaves the cache alone; a failed broadcast says so.
  download();
  EXPECT_EQ(1, seen.ioFailures);
  char folder[1024];
  EXPECT_FALSE(ugc_->GetItemInstallInfo(id, nullptr, folder, sizeof(folder), nullptr));

  // Every listener hears it, after noise: another item of the app, then
  // this item of another app.
  download();
  ASSERT_EQ(3u, seen.heard.size());
  EXPECT_EQ(k_EResultOK, seen.heard[2].m_eResult);
  EXPECT_NE(id, PublishedFileId_t(seen.heard[0].m_nPublishedFileId));
  EXPECT_NE(toolAppId(), AppId_t(seen.heard[1].m_unAppID));
  EXPECT_EQ(toolAppId(), AppId_t(seen.heard[2].m_unAppID));

  uint32_t time = 0;
  ASSERT_TRUE(ugc_->GetItemInstallInfo(id, nullptr, folder, sizeof(folder), &time));
  EXPECT_NE(0u, time);
  char small[6];
  ASSERT_TRUE(ugc_->GetItemInstallInfo(id, nullptr, small, sizeof(small), nullptr));
  EXPECT_EQ(std::string(folder).substr(0, 5), std::string(small));

  // A new download replaces the cache with the item as it is now, and the
  // submission leaves no old content. (That a replaced cache entry leaves
  // no temporary folder shows in the control tool's verbs scenario.)
  ASSERT_EQ(k_EResultOK, submit(id, folderWith("map_y.txt", "two")));
  download();
  ASSERT_EQ(k_EResultOK, seen.heard.back().m_eResult);
  EXPECT_EQ(std::vector<std::string>({"map_y.txt"}), sortedFiles(folder));
  EXPECT_EQ("two", readFile(joinPath(folder, "map_y.txt")));
  std::vector<std::string> contents;
  listFolders(joinPath(joinPath(store_.folder(), "items"), std::to_string(id)), &contents);
  EXPECT_EQ(std::vector<std::string>({"content-2"}), contents);
}

}  // namespace
