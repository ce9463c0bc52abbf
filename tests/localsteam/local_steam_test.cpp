// The local workshop service, driven through its ISteam* interfaces as the
// tool drives Steam, over a fresh store per test.
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "files/directory.h"
#include "files/paths.h"
#include "localsteam/local_steam.h"
#include "localsteam/local_store.h"
#include "platform/files.h"
#include "test_util.h"

namespace {

const uint32_t kAccount = 1001;
const uint64_t kSteamIdBase = 76561197960265728ULL;

/// Keeps a copy of every record delivered to it.
template <class R>
class cCatcher : public CCallbackBase {
 public:
  void Run(void* record) override { take(record, false); }
  void Run(void* record, bool ioFailure, uint64_t) override { take(record, ioFailure); }
  int GetCallbackSizeBytes() override { return sizeof(R); }

  size_t runs() const { return nulls.size(); }

  std::vector<R> records;
  std::vector<bool> nulls;
  std::vector<bool> failures;

 private:
  void take(void* record, bool ioFailure) {
    nulls.push_back(record == nullptr);
    failures.push_back(ioFailure);
    R copy = {};
    if (record)
      copy = *static_cast<R*>(record);
    records.push_back(copy);
  }
};

/// What became of one call.
struct cOutcome {
  bool accepted = false;
  bool delivered = false;
  bool null = false;
  bool ioFailure = false;
  EResult result = k_EResultNone;
};

class LocalSteamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_.reset(new cLocalStore(temp_.file("store")));
    ASSERT_TRUE(store_->create(kAccount));
  }

  void TearDown() override {
    if (steam_)
      steam_->shutdown();
  }

  /// Starts the service over the store as it stands.
  void start() {
    steam_.reset(newLocalSteam(store_->folder()));
    ASSERT_TRUE(steam_->init());
    ugc_ = steam_->ugc();
    ASSERT_NE(nullptr, ugc_);
  }

  void change(const std::function<void(cStoreSettings*)>& edit) {
    cStoreSettings settings;
    ASSERT_TRUE(store_->readSettings(&settings));
    edit(&settings);
    ASSERT_TRUE(store_->writeSettings(settings));
  }

  void setFault(const std::string& op, cStoreFault::Kind kind, int32_t code, uint32_t count) {
    change([&](cStoreSettings* settings) {
      cStoreFault fault;
      fault.kind = kind;
      fault.code = code;
      fault.count = count;
      settings->faults[op] = fault;
    });
  }

  /// A folder of the scratch space holding `files` (name → content).
  std::string makeFolder(const std::string& name, const std::map<std::string, std::string>& files) {
    std::string folder = temp_.file(name);
    createFolder(folder);
    for (const auto& file : files)
      writeFile(joinPath(folder, file.first), file.second);
    return folder;
  }

  /// An item made directly in the store, as the control tool makes it.
  PublishedFileId_t publish(uint32_t owner, uint32_t app, const std::string& title,
                            uint32_t created, bool withContent = true,
                            const std::string& metadata = "") {
    cStoreItem item;
    item.owner = owner;
    item.app = app;
    item.title = title;
    item.metadata = metadata;
    item.visibility = 0;
    item.created = item.updated = created;
    EXPECT_TRUE(store_->allocateId(&item.id));
    if (withContent) {
      std::string source = makeFolder("source" + std::to_string(item.id), {{"map_x.txt", title}});
      EXPECT_TRUE(store_->copyContentFiles(&item, {joinPath(source, "map_x.txt")}));
    }
    EXPECT_TRUE(store_->writeItem(item));
    return item.id;
  }

  /// Puts `id` into the download cache, as the control tool's install does.
  void cache(PublishedFileId_t id) {
    cStoreItem item;
    ASSERT_TRUE(store_->readItem(id, &item));
    ASSERT_TRUE(store_->cacheItem(item));
  }

  bool pumpUntil(const std::function<bool()>& done) {
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < giveUp)
      steam_->runCallbacks();
    return done();
  }

  /// Waits for the answer to `call` and returns its record.
  template <class R>
  cOutcome await(SteamAPICall_t call, R* record = nullptr) {
    cOutcome outcome;
    outcome.accepted = call != k_uAPICallInvalid;
    if (!outcome.accepted)
      return outcome;
    cCatcher<R> catcher;
    steam_->registerCallResult(&catcher, call);
    outcome.delivered = pumpUntil([&] { return catcher.runs() > 0; });
    steam_->unregisterCallResult(&catcher, call);
    if (!outcome.delivered)
      return outcome;
    outcome.null = catcher.nulls[0];
    outcome.ioFailure = catcher.failures[0];
    outcome.result = catcher.records[0].m_eResult;
    if (record)
      *record = catcher.records[0];
    return outcome;
  }

  /// Downloads `item` and returns every broadcast up to its own.
  cOutcome download(PublishedFileId_t item, std::vector<DownloadItemResult_t>* seen = nullptr) {
    cOutcome outcome;
    cCatcher<DownloadItemResult_t> catcher;
    steam_->registerCallback(&catcher, DownloadItemResult_t::k_iCallback);
    outcome.accepted = ugc_->DownloadItem(item, true);
    if (outcome.accepted) {
      outcome.delivered = pumpUntil([&] {
        for (size_t i = 0; i < catcher.runs(); ++i) {
          if (catcher.nulls[i] || catcher.records[i].m_nPublishedFileId == item)
            return true;
        }
        return false;
      });
    }
    steam_->unregisterCallback(&catcher);
    if (outcome.delivered) {
      outcome.null = catcher.nulls.back();
      outcome.ioFailure = catcher.failures.back();
      outcome.result = catcher.records.back().m_eResult;
    }
    if (seen)
      *seen = catcher.records;
    return outcome;
  }

  SteamAPICall_t startUpdate(PublishedFileId_t item, const std::string& contentFolder,
                             const std::string& preview = "", const char* title = nullptr) {
    UGCUpdateHandle_t update = ugc_->StartItemUpdate(toolAppId(), item);
    EXPECT_TRUE(ugc_->SetItemContent(update, contentFolder.c_str()));
    if (!preview.empty()) {
      EXPECT_TRUE(ugc_->SetItemPreview(update, preview.c_str()));
    }
    if (title) {
      EXPECT_TRUE(ugc_->SetItemTitle(update, title));
    }
    return ugc_->SubmitItemUpdate(update, "note");
  }

  SteamAPICall_t sendQuery(UGCQueryHandle_t* query, uint32_t page = 1) {
    *query = ugc_->CreateQueryUserUGCRequest(
        kAccount, k_EUserUGCList_Published, k_EUGCMatchingUGCType_Items_ReadyToUse,
        k_EUserUGCListSortOrder_CreationOrderDesc, 0, toolAppId(), page);
    ugc_->SetReturnMetadata(*query, true);
    return ugc_->SendQueryUGCRequest(*query);
  }

  ScopedTempDir temp_;
  std::unique_ptr<cLocalStore> store_;
  std::unique_ptr<cSteamBackend> steam_;
  ISteamUGC* ugc_ = nullptr;
};

TEST_F(LocalSteamTest, InitFailsSilentlyWithoutStoreOrClient) {
  std::unique_ptr<cSteamBackend> missing(newLocalSteam(temp_.file("nothing")));
  change([](cStoreSettings* settings) { settings->clientRunning = false; });
  std::unique_ptr<cSteamBackend> stopped(newLocalSteam(store_->folder()));
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(missing->init());
  EXPECT_FALSE(stopped->init());
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
  EXPECT_EQ("", testing::internal::GetCapturedStderr());
  EXPECT_EQ(nullptr, stopped->ugc());
  EXPECT_EQ(nullptr, stopped->user());
  stopped->shutdown();  // safe after a failed init
}

TEST_F(LocalSteamTest, InterfacesFollowTheSettings) {
  change([](cStoreSettings* settings) { settings->account = 77; });
  start();
  ASSERT_NE(nullptr, steam_->user());
  EXPECT_EQ(kSteamIdBase + 77, steam_->user()->GetSteamID().ConvertToUint64());
  EXPECT_EQ(toolAppId(), steam_->utils()->GetAppID());

  change([](cStoreSettings* settings) { settings->userOn = false; });
  start();
  EXPECT_EQ(nullptr, steam_->user());
  change([](cStoreSettings* settings) {
    settings->userOn = true;
    settings->workshopOn = false;
  });
  steam_.reset(newLocalSteam(store_->folder()));
  ASSERT_TRUE(steam_->init());
  EXPECT_NE(nullptr, steam_->user());
  EXPECT_EQ(nullptr, steam_->ugc());
  steam_->shutdown();
  EXPECT_EQ(nullptr, steam_->user());
}

TEST_F(LocalSteamTest, AnswersComeOnlyFromRunCallbacksAfterTheLatency) {
  change([](cStoreSettings* settings) { settings->latencyMs = 150; });
  start();
  auto started = std::chrono::steady_clock::now();
  SteamAPICall_t call = ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity);
  ASSERT_NE(k_uAPICallInvalid, call);
  cCatcher<CreateItemResult_t> catcher;
  steam_->registerCallResult(&catcher, call);
  steam_->runCallbacks();
  EXPECT_EQ(0u, catcher.runs());
  // Past the latency, still nothing until the next pump.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(0u, catcher.runs());
  ASSERT_TRUE(pumpUntil([&] { return catcher.runs() > 0; }));
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(150));
  EXPECT_EQ(k_EResultOK, catcher.records[0].m_eResult);

  // A pump waits for the next answer (at most 10 ms at a time) instead of
  // returning at once, so a pump loop does not spin.
  cCatcher<CreateItemResult_t> next;
  steam_->registerCallResult(&next, ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity));
  int pumps = 0;
  for (; next.runs() == 0 && pumps < 1000; ++pumps)
    steam_->runCallbacks();
  EXPECT_EQ(1u, next.runs());
  EXPECT_LE(pumps, 40);
}

TEST_F(LocalSteamTest, AnswerGoesOnlyToTheBindingOfItsCall) {
  start();
  SteamAPICall_t first = ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity);
  SteamAPICall_t second = ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity);
  EXPECT_NE(first, second);
  cCatcher<CreateItemResult_t> forFirst, forSecond, unbound;
  steam_->registerCallResult(&forFirst, first);
  steam_->registerCallResult(&forSecond, second);
  ASSERT_TRUE(pumpUntil([&] { return forFirst.runs() > 0 && forSecond.runs() > 0; }));
  EXPECT_EQ(1u, forFirst.runs());
  EXPECT_EQ(1u, forSecond.runs());
  EXPECT_NE(PublishedFileId_t(forFirst.records[0].m_nPublishedFileId),
            PublishedFileId_t(forSecond.records[0].m_nPublishedFileId));

  // An unregistered binding hears nothing; its answer is dropped.
  SteamAPICall_t third = ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity);
  steam_->registerCallResult(&unbound, third);
  steam_->unregisterCallResult(&unbound, third);
  SteamAPICall_t fourth = ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity);
  EXPECT_EQ(k_EResultOK, await<CreateItemResult_t>(fourth).result);
  EXPECT_EQ(0u, unbound.runs());
}

TEST_F(LocalSteamTest, CreateItemMakesAnEmptyPrivateItemOfTheUser) {
  start();
  CreateItemResult_t record;
  cOutcome outcome =
      await(ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity), &record);
  ASSERT_TRUE(outcome.delivered);
  EXPECT_EQ(k_EResultOK, outcome.result);
  EXPECT_FALSE(outcome.ioFailure);
  EXPECT_FALSE(record.m_bUserNeedsToAcceptWorkshopLegalAgreement);

  cStoreItem item;
  ASSERT_TRUE(store_->readItem(record.m_nPublishedFileId, &item));
  EXPECT_EQ(kAccount, item.owner);
  EXPECT_EQ(toolAppId(), item.app);
  EXPECT_EQ(k_ERemoteStoragePublishedFileVisibilityPrivate, item.visibility);
  EXPECT_EQ(0u, item.contentVersion);
  EXPECT_NE(0u, item.created);

  EXPECT_EQ(k_EResultInvalidParam,
            await<CreateItemResult_t>(ugc_->CreateItem(toolAppId() + 1, k_EWorkshopFileTypeCommunity)).result);
}

TEST_F(LocalSteamTest, PendingLegalAgreementIsFlaggedOnCreateAndSubmit) {
  change([](cStoreSettings* settings) { settings->legalAccepted = false; });
  start();
  CreateItemResult_t created;
  EXPECT_EQ(k_EResultOK,
            await(ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity), &created).result);
  EXPECT_TRUE(created.m_bUserNeedsToAcceptWorkshopLegalAgreement);

  SubmitItemUpdateResult_t submitted;
  std::string content = makeFolder("content", {{"map_a.txt", "level"}});
  EXPECT_EQ(k_EResultOK, await(startUpdate(created.m_nPublishedFileId, content), &submitted).result);
  EXPECT_TRUE(submitted.m_bUserNeedsToAcceptWorkshopLegalAgreement);
  EXPECT_EQ(PublishedFileId_t(created.m_nPublishedFileId),
            PublishedFileId_t(submitted.m_nPublishedFileId));

  // The flag rides on failures too.
  EXPECT_EQ(k_EResultFileNotFound,
            await(startUpdate(created.m_nPublishedFileId, temp_.file("missing")), &submitted).result);
  EXPECT_TRUE(submitted.m_bUserNeedsToAcceptWorkshopLegalAgreement);
}

TEST_F(LocalSteamTest, QueryListsTheUsersItemsWithContentNewestFirst) {
  PublishedFileId_t older = publish(kAccount, toolAppId(), "older", 100, true, "1");
  PublishedFileId_t tieLow = publish(kAccount, toolAppId(), "tie low", 200, true, "27");
  PublishedFileId_t tieHigh = publish(kAccount, toolAppId(), "tie high", 200, true, "3");
  publish(kAccount, toolAppId(), "no content", 300, false);
  publish(kAccount, toolAppId() + 1, "other app", 300);
  publish(kAccount + 1, toolAppId(), "other owner", 300);
  start();

  UGCQueryHandle_t query;
  SteamUGCQueryCompleted_t record;
  cOutcome outcome = await(sendQuery(&query), &record);
  ASSERT_TRUE(outcome.delivered);
  EXPECT_EQ(k_EResultOK, outcome.result);
  EXPECT_EQ(query, record.m_handle);
  EXPECT_EQ(3u, record.m_unNumResultsReturned);
  EXPECT_EQ(3u, record.m_unTotalMatchingResults);

  std::vector<PublishedFileId_t> ids;
  std::vector<std::string> titles;
  SteamUGCDetails_t details;
  for (uint32_t i = 0; ugc_->GetQueryUGCResult(query, i, &details); ++i) {
    ids.push_back(details.m_nPublishedFileId);
    titles.push_back(details.m_rgchTitle);
    EXPECT_EQ(k_EResultOK, details.m_eResult);
    EXPECT_EQ(kSteamIdBase + kAccount, uint64_t(details.m_ulSteamIDOwner));
    EXPECT_EQ(toolAppId(), details.m_nConsumerAppID);
  }
  EXPECT_EQ(std::vector<PublishedFileId_t>({tieHigh, tieLow, older}), ids);
  EXPECT_EQ(std::vector<std::string>({"tie high", "tie low", "older"}), titles);

  char metadata[2] = {'x', 'x'};
  ASSERT_TRUE(ugc_->GetQueryUGCMetadata(query, 1, metadata, sizeof(metadata)));
  EXPECT_EQ(std::string("2"), metadata);  // "27" cut to the buffer
  char whole[16];
  ASSERT_TRUE(ugc_->GetQueryUGCMetadata(query, 2, whole, sizeof(whole)));
  EXPECT_EQ(std::string("1"), whole);
  EXPECT_FALSE(ugc_->GetQueryUGCMetadata(query, 3, whole, sizeof(whole)));

  EXPECT_TRUE(ugc_->ReleaseQueryUGCRequest(query));
  EXPECT_FALSE(ugc_->GetQueryUGCResult(query, 0, &details));
  EXPECT_FALSE(ugc_->ReleaseQueryUGCRequest(query));
}

TEST_F(LocalSteamTest, QueryReturnsPagesOfFifty) {
  for (uint32_t i = 0; i < 120; ++i)
    publish(kAccount, toolAppId(), "item " + std::to_string(i), 1000 + i);
  start();
  UGCQueryHandle_t query;
  SteamUGCQueryCompleted_t record;
  ASSERT_EQ(k_EResultOK, await(sendQuery(&query, 1), &record).result);
  EXPECT_EQ(50u, record.m_unNumResultsReturned);
  EXPECT_EQ(120u, record.m_unTotalMatchingResults);
  SteamUGCDetails_t details;
  ASSERT_TRUE(ugc_->GetQueryUGCResult(query, 0, &details));
  EXPECT_EQ("item 119", std::string(details.m_rgchTitle));
  EXPECT_FALSE(ugc_->GetQueryUGCResult(query, 50, &details));

  ASSERT_EQ(k_EResultOK, await(sendQuery(&query, 3), &record).result);
  EXPECT_EQ(20u, record.m_unNumResultsReturned);
  ASSERT_TRUE(ugc_->GetQueryUGCResult(query, 19, &details));
  EXPECT_EQ("item 0", std::string(details.m_rgchTitle));
}

TEST_F(LocalSteamTest, SubmitReplacesContentAndSetsEveryField) {
  PublishedFileId_t id = publish(kAccount, toolAppId(), "before", 100);
  start();
  std::string content = makeFolder("content", {{"map_a.txt", "level a"}});
  std::string preview = temp_.file("preview.png");
  writeFile(preview, std::string(100, 'p'));
  const char* tagNames[] = {"Map"};
  SteamParamStringArray_t tags = {tagNames, 1};

  UGCUpdateHandle_t update = ugc_->StartItemUpdate(toolAppId(), id);
  EXPECT_TRUE(ugc_->SetItemTitle(update, "after"));
  EXPECT_TRUE(ugc_->SetItemMetadata(update, "1"));
  EXPECT_TRUE(ugc_->SetItemDescription(update, "two\nlines"));
  EXPECT_TRUE(ugc_->SetItemTags(update, &tags));
  EXPECT_TRUE(ugc_->SetItemVisibility(update, k_ERemoteStoragePublishedFileVisibilityUnlisted));
  EXPECT_TRUE(ugc_->SetItemContent(update, content.c_str()));
  EXPECT_TRUE(ugc_->SetItemPreview(update, preview.c_str()));
  SteamAPICall_t call = ugc_->SubmitItemUpdate(update, "first upload");
  // Steam reads the folder while it processes, after the submit returned.
  writeFile(joinPath(content, "map_b.txt"), "level b");
  ASSERT_EQ(k_EResultOK, await<SubmitItemUpdateResult_t>(call).result);
  EXPECT_FALSE(ugc_->SetItemTitle(update, "too late"));

  cStoreItem item;
  ASSERT_TRUE(store_->readItem(id, &item));
  EXPECT_EQ("after", item.title);
  EXPECT_EQ("1", item.metadata);
  EXPECT_EQ("two\nlines", item.description);
  EXPECT_EQ(std::vector<std::string>({"Map"}), item.tags);
  EXPECT_EQ(k_ERemoteStoragePublishedFileVisibilityUnlisted, item.visibility);
  EXPECT_EQ("preview.png", item.previewName);
  EXPECT_EQ(100u, store_->previewSize(item));
  ASSERT_EQ(1u, item.changeNotes.size());
  EXPECT_EQ("first upload", item.changeNotes[0].text);
  EXPECT_GE(item.changeNotes[0].time, item.created);
  EXPECT_EQ(item.changeNotes[0].time, item.updated);
  std::vector<cContentFile> files;
  store_->listContent(item, &files);
  ASSERT_EQ(2u, files.size());
  EXPECT_EQ("map_a.txt", files[0].name);
  EXPECT_EQ(7u, files[0].size);
  EXPECT_EQ("map_b.txt", files[1].name);
  EXPECT_EQ("level b", readFile(joinPath(store_->contentFolder(item), "map_b.txt")));
}

TEST_F(LocalSteamTest, UpdateWithoutThemKeepsVisibilityAndDescription) {
  PublishedFileId_t id = publish(kAccount, toolAppId(), "kept", 100);
  start();
  UGCUpdateHandle_t first = ugc_->StartItemUpdate(toolAppId(), id);
  ugc_->SetItemVisibility(first, k_ERemoteStoragePublishedFileVisibilityFriendsOnly);
  ugc_->SetItemDescription(first, "mine");
  ASSERT_EQ(k_EResultOK, await<SubmitItemUpdateResult_t>(ugc_->SubmitItemUpdate(first, "")).result);
  ASSERT_EQ(k_EResultOK,
            await<SubmitItemUpdateResult_t>(startUpdate(id, makeFolder("c", {{"a", "b"}}))).result);
  cStoreItem item;
  ASSERT_TRUE(store_->readItem(id, &item));
  EXPECT_EQ(k_ERemoteStoragePublishedFileVisibilityFriendsOnly, item.visibility);
  EXPECT_EQ("mine", item.description);

  UGCUpdateHandle_t tooLong = ugc_->StartItemUpdate(toolAppId(), id);
  ugc_->SetItemDescription(tooLong, std::string(8001, 'd').c_str());
  EXPECT_EQ(k_EResultInvalidParam,
            await<SubmitItemUpdateResult_t>(ugc_->SubmitItemUpdate(tooLong, "")).result);
}

TEST_F(LocalSteamTest, DeleteRemovesOnlyTheUsersOwnItemEverywhere) {
  PublishedFileId_t mine = publish(kAccount, toolAppId(), "mine", 100);
  PublishedFileId_t kept = publish(kAccount, toolAppId(), "kept", 90);
  PublishedFileId_t theirs = publish(kAccount + 1, toolAppId(), "theirs", 100);
  ASSERT_TRUE(store_->subscribe({mine, theirs}));
  cache(mine);
  start();
  DeleteItemResult_t record = {};
  ASSERT_EQ(k_EResultOK, await<DeleteItemResult_t>(ugc_->DeleteItem(mine), &record).result);
  // Steam's records are packed: the id is copied out before a reference binds to it.
  PublishedFileId_t deleted = record.m_nPublishedFileId;
  EXPECT_EQ(mine, deleted);
  EXPECT_FALSE(store_->itemExists(mine));
  EXPECT_FALSE(store_->isSubscribed(mine));
  uint32_t time;
  EXPECT_FALSE(store_->isCached(mine, &time));
  std::vector<cOwnerEntry> entries;
  ASSERT_TRUE(store_->ownerItems(kAccount, &entries));
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ(kept, entries[0].id);

  EXPECT_EQ(k_EResultAccessDenied, await<DeleteItemResult_t>(ugc_->DeleteItem(theirs)).result);
  EXPECT_TRUE(store_->itemExists(theirs));
  EXPECT_EQ(k_EResultFileNotFound, await<DeleteItemResult_t>(ugc_->DeleteItem(mine)).result);
}

TEST_F(LocalSteamTest, SubmitFailuresLeaveTheItemAsItWas) {
  PublishedFileId_t mine = publish(kAccount, toolAppId(), "mine", 100);
  PublishedFileId_t theirs = publish(kAccount + 1, toolAppId(), "theirs", 100);
  start();
  std::string content = makeFolder("content", {{"map_a.txt", "level"}});
  std::string empty = makeFolder("empty", {});
  std::string big = temp_.file("big.png"), tiny = temp_.file("tiny.png"), fine = temp_.file("fine.png");
  std::string largest = temp_.file("largest.png");
  writeFile(big, std::string(1024 * 1024 + 1, 'b'));
  writeFile(largest, std::string(1024 * 1024, 'l'));
  writeFile(tiny, std::string(15, 't'));
  writeFile(fine, std::string(16, 'f'));
  std::string longTitle(129, 'x');
  std::string longestTitle(128, 'y');
  struct {
    PublishedFileId_t item;
    std::string content, preview;
    const char* title;
    EResult expected;
  } cases[] = {
      {mine, temp_.file("missing"), "", nullptr, k_EResultFileNotFound},
      {mine, empty, "", nullptr, k_EResultFileNotFound},
      {mine, content, temp_.file("missing.png"), nullptr, k_EResultFileNotFound},
      {mine, content, big, nullptr, k_EResultLimitExceeded},
      {mine, content, tiny, nullptr, k_EResultInvalidParam},
      {mine, content, fine, longTitle.c_str(), k_EResultInvalidParam},
      {theirs, content, fine, "ok", k_EResultAccessDenied},
      {mine, content, largest, longestTitle.c_str(), k_EResultOK},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content + " " + c.preview);
    EXPECT_EQ(c.expected, await<SubmitItemUpdateResult_t>(
                              startUpdate(c.item, c.content, c.preview, c.title)).result);
    cStoreItem item;
    ASSERT_TRUE(store_->readItem(c.item, &item));
    EXPECT_EQ(c.expected == k_EResultOK ? 2u : 1u, item.contentVersion);
    EXPECT_EQ(c.expected == k_EResultOK ? 1u : 0u, item.changeNotes.size());
  }
}

// A store file that can't be replaced (a folder with something in it
// stands at the user's index) fails the call instead of passing unseen.
TEST_F(LocalSteamTest, FailedStoreWritesFailTheCall) {
  PublishedFileId_t id = publish(kAccount, toolAppId(), "mine", 100);
  start();
  std::string index = joinPath(joinPath(store_->folder(), "owners"), "1001.json");
  removeFile(index);
  ASSERT_TRUE(createFolder(index));
  writeFile(joinPath(index, "in the way"), "x");
  EXPECT_EQ(k_EResultFail, await<CreateItemResult_t>(
                               ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity)).result);
  std::string content = makeFolder("content", {{"map_a.txt", "level"}});
  EXPECT_EQ(k_EResultIOFailure, await<SubmitItemUpdateResult_t>(startUpdate(id, content)).result);
}

TEST_F(LocalSteamTest, UpdateProgressReportsTheStagesOfTheSubmission) {
  PublishedFileId_t id = publish(kAccount, toolAppId(), "item", 100);
  change([](cStoreSettings* settings) { settings->latencyMs = 400; });
  start();
  std::string content = makeFolder("content", {{"a.txt", std::string(1000, 'a')},
                                               {"b.txt", std::string(500, 'b')}});
  UGCUpdateHandle_t update = ugc_->StartItemUpdate(toolAppId(), id);
  ugc_->SetItemContent(update, content.c_str());
  uint64_t done = 7, total = 7;
  EXPECT_EQ(k_EItemUpdateStatusInvalid, ugc_->GetItemUpdateProgress(update, &done, &total));
  EXPECT_EQ(0u, total);

  SteamAPICall_t call = ugc_->SubmitItemUpdate(update, "note");
  cCatcher<SubmitItemUpdateResult_t> catcher;
  steam_->registerCallResult(&catcher, call);
  std::vector<EItemUpdateStatus> stages;
  while (catcher.runs() == 0) {
    EItemUpdateStatus status = ugc_->GetItemUpdateProgress(update, &done, &total);
    if (stages.empty() || stages.back() != status)
      stages.push_back(status);
    EXPECT_EQ(1500u, total);
    EXPECT_LE(done, total);
    steam_->runCallbacks();
  }
  EXPECT_EQ(std::vector<EItemUpdateStatus>({k_EItemUpdateStatusPreparingConfig,
                                            k_EItemUpdateStatusUploadingContent,
                                            k_EItemUpdateStatusCommittingChanges}),
            stages);
  EXPECT_EQ(k_EItemUpdateStatusInvalid, ugc_->GetItemUpdateProgress(update, &done, &total));
}

TEST_F(LocalSteamTest, SubscriptionsInOrder) {
  PublishedFileId_t a = publish(kAccount + 1, toolAppId(), "a", 100);
  PublishedFileId_t b = publish(kAccount + 1, toolAppId(), "b", 100);
  PublishedFileId_t c = publish(kAccount + 1, toolAppId(), "c", 100);
  ASSERT_TRUE(store_->subscribe({c, a}));
  ASSERT_TRUE(store_->subscribe({b, a}));
  start();
  PublishedFileId_t ids[4] = {};
  EXPECT_EQ(3u, ugc_->GetSubscribedItems(ids, 4));
  EXPECT_EQ(c, ids[0]);
  EXPECT_EQ(a, ids[1]);
  EXPECT_EQ(b, ids[2]);
  EXPECT_EQ(2u, ugc_->GetSubscribedItems(ids, 2));

  ASSERT_TRUE(store_->unsubscribe({b}));
  EXPECT_EQ(2u, ugc_->GetSubscribedItems(ids, 4));
}

TEST_F(LocalSteamTest, DownloadCopiesTheCurrentContentAndBroadcasts) {
  PublishedFileId_t id = publish(kAccount + 1, toolAppId(), "level one", 100);
  start();
  char folder[1024];
  EXPECT_FALSE(ugc_->GetItemInstallInfo(id, nullptr, folder, sizeof(folder), nullptr));
  EXPECT_FALSE(ugc_->DownloadItem(id + 100, true));

  cCatcher<DownloadItemResult_t> other;
  steam_->registerCallback(&other, DownloadItemResult_t::k_iCallback);
  cOutcome outcome = download(id);
  ASSERT_TRUE(outcome.delivered);
  EXPECT_EQ(k_EResultOK, outcome.result);
  ASSERT_EQ(1u, other.runs());  // every listener of 3406 hears it
  EXPECT_EQ(toolAppId(), other.records[0].m_unAppID);
  EXPECT_EQ(id, PublishedFileId_t(other.records[0].m_nPublishedFileId));
  steam_->unregisterCallback(&other);

  uint64_t size = 1;
  uint32_t time = 0;
  ASSERT_TRUE(ugc_->GetItemInstallInfo(id, &size, folder, sizeof(folder), &time));
  EXPECT_EQ(store_->cacheFolder(id), std::string(folder));
  EXPECT_EQ("level one", readFile(joinPath(folder, "map_x.txt")));
  EXPECT_NE(0u, time);
  char small[6];
  ASSERT_TRUE(ugc_->GetItemInstallInfo(id, nullptr, small, sizeof(small), nullptr));
  EXPECT_EQ(std::string(folder).substr(0, 5), std::string(small));

  // A new download replaces what the cache held with the item as it is now.
  writeFile(joinPath(folder, "stale.txt"), "old");
  cStoreItem item;
  ASSERT_TRUE(store_->readItem(id, &item));
  std::string source = makeFolder("new", {{"map_y.txt", "level two"}});
  ASSERT_TRUE(store_->copyContentFiles(&item, {joinPath(source, "map_y.txt")}));
  ASSERT_TRUE(store_->writeItem(item));
  EXPECT_EQ(k_EResultOK, download(id).result);
  std::vector<std::string> names;
  listFiles(folder, &names);
  EXPECT_EQ(std::vector<std::string>({"map_y.txt"}), names);
}

TEST_F(LocalSteamTest, NoiseBroadcastsOtherItemAndOtherAppFirst) {
  PublishedFileId_t id = publish(kAccount + 1, toolAppId(), "item", 100);
  change([](cStoreSettings* settings) { settings->noise = true; });
  start();
  std::vector<DownloadItemResult_t> seen;
  ASSERT_EQ(k_EResultOK, download(id, &seen).result);
  ASSERT_EQ(3u, seen.size());
  EXPECT_EQ(toolAppId(), seen[0].m_unAppID);
  EXPECT_NE(id, PublishedFileId_t(seen[0].m_nPublishedFileId));
  EXPECT_NE(toolAppId(), AppId_t(seen[1].m_unAppID));
  EXPECT_EQ(id, PublishedFileId_t(seen[1].m_nPublishedFileId));
  EXPECT_EQ(toolAppId(), AppId_t(seen[2].m_unAppID));
  EXPECT_EQ(id, PublishedFileId_t(seen[2].m_nPublishedFileId));
}

TEST_F(LocalSteamTest, BrokenEntryIsInstalledWithoutItsFolder) {
  PublishedFileId_t id = publish(kAccount + 1, toolAppId(), "item", 100);
  cache(id);
  ASSERT_TRUE(store_->breakCacheEntry(id));
  start();
  char folder[1024];
  ASSERT_TRUE(ugc_->GetItemInstallInfo(id, nullptr, folder, sizeof(folder), nullptr));
  EXPECT_NE(kFolder, fileStatus(folder).kind);

  EXPECT_EQ(k_EResultOK, download(id).result);  // a download mends it
  EXPECT_EQ(kFolder, fileStatus(folder).kind);
  ASSERT_TRUE(store_->uncacheItem(id));
  EXPECT_FALSE(ugc_->GetItemInstallInfo(id, nullptr, folder, sizeof(folder), nullptr));
}

class LocalSteamFaultTest : public LocalSteamTest {
 protected:
  void SetUp() override {
    LocalSteamTest::SetUp();
    item_ = publish(kAccount, toolAppId(), "item", 100);
    content_ = makeFolder("content", {{"map_a.txt", "level"}});
    start();
  }

  cOutcome call(const std::string& op) {
    if (op == "create")
      return await<CreateItemResult_t>(ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity));
    if (op == "query") {
      UGCQueryHandle_t query;
      return await<SteamUGCQueryCompleted_t>(sendQuery(&query));
    }
    if (op == "submit")
      return await<SubmitItemUpdateResult_t>(startUpdate(item_, content_));
    if (op == "delete")
      return await<DeleteItemResult_t>(ugc_->DeleteItem(publish(kAccount, toolAppId(), "d", 50)));
    return download(item_);
  }

  PublishedFileId_t item_ = 0;
  std::string content_;
};

TEST_F(LocalSteamFaultTest, EachOutcomeForEachKindOfCall) {
  for (const char* op : kFaultOps) {
    SCOPED_TRACE(op);
    // Set after init: faults are read when the call happens.
    setFault(op, cStoreFault::kRefuse, 0, 1);
    EXPECT_FALSE(call(op).accepted);

    setFault(op, cStoreFault::kNull, 0, 1);
    cOutcome null = call(op);
    EXPECT_TRUE(null.delivered);
    EXPECT_TRUE(null.null);

    setFault(op, cStoreFault::kIoFail, 0, 1);
    cOutcome ioFail = call(op);
    EXPECT_TRUE(ioFail.delivered);
    EXPECT_FALSE(ioFail.null);
    EXPECT_TRUE(ioFail.ioFailure);
    EXPECT_EQ(k_EResultOK, ioFail.result);

    setFault(op, cStoreFault::kCode, k_EResultTimeout, 1);
    EXPECT_EQ(k_EResultTimeout, call(op).result);

    cOutcome normal = call(op);
    EXPECT_TRUE(normal.delivered);
    EXPECT_FALSE(normal.ioFailure);
    EXPECT_EQ(k_EResultOK, normal.result);
  }
}

TEST_F(LocalSteamFaultTest, FaultLastsForItsCountOfThatKindOnly) {
  setFault("download", cStoreFault::kCode, k_EResultNoConnection, 2);
  EXPECT_EQ(k_EResultOK, call("create").result);
  EXPECT_EQ(k_EResultNoConnection, call("download").result);
  EXPECT_EQ(k_EResultNoConnection, call("download").result);
  EXPECT_EQ(k_EResultOK, call("download").result);
  cStoreSettings settings;
  ASSERT_TRUE(store_->readSettings(&settings));
  EXPECT_TRUE(settings.faults.empty());

  // A faulted download leaves the cache alone.
  ASSERT_TRUE(store_->uncacheItem(item_));
  setFault("download", cStoreFault::kCode, k_EResultNoConnection, 1);
  call("download");
  EXPECT_FALSE(ugc_->GetItemInstallInfo(item_, nullptr, nullptr, 0, nullptr));
}

TEST_F(LocalSteamTest, RichPresenceIsRecordedInTheStore) {
  start();
  EXPECT_TRUE(steam_->friends()->SetRichPresence("status", "DRAV (Workshop)"));
  cStoreSettings settings;
  ASSERT_TRUE(store_->readSettings(&settings));
  EXPECT_EQ("DRAV (Workshop)", settings.richPresence["status"]);
  EXPECT_TRUE(steam_->friends()->SetRichPresence("status", ""));
  ASSERT_TRUE(store_->readSettings(&settings));
  EXPECT_EQ(0u, settings.richPresence.count("status"));
}

TEST_F(LocalSteamTest, IdsAboveTwoToTheSixtyThird) {
  const PublishedFileId_t big = (1ULL << 63) + 5;
  change([&](cStoreSettings* settings) { settings->nextId = big; });
  start();
  CreateItemResult_t created;
  ASSERT_EQ(k_EResultOK,
            await(ugc_->CreateItem(toolAppId(), k_EWorkshopFileTypeCommunity), &created).result);
  EXPECT_EQ(big, PublishedFileId_t(created.m_nPublishedFileId));
  std::string content = makeFolder("content", {{"map_a.txt", "level"}});
  ASSERT_EQ(k_EResultOK, await<SubmitItemUpdateResult_t>(startUpdate(big, content)).result);

  UGCQueryHandle_t query;
  ASSERT_EQ(k_EResultOK, await<SteamUGCQueryCompleted_t>(sendQuery(&query)).result);
  SteamUGCDetails_t details;
  ASSERT_TRUE(ugc_->GetQueryUGCResult(query, 0, &details));
  EXPECT_EQ(big, details.m_nPublishedFileId);

  ASSERT_TRUE(store_->subscribe({big}));
  PublishedFileId_t ids[2];
  ASSERT_EQ(1u, ugc_->GetSubscribedItems(ids, 2));
  EXPECT_EQ(big, ids[0]);
  EXPECT_EQ(k_EResultOK, download(big).result);
  EXPECT_TRUE(ugc_->GetItemInstallInfo(big, nullptr, nullptr, 0, nullptr));
}

}  // namespace
