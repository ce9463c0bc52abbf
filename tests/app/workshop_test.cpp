// The menu and the list command run in-process over the local workshop
// service: a store of account 1001 and a game folder named by the path
// file, in a scratch folder that is the current folder while the menu runs.
#include <filesystem>

#include <gtest/gtest.h>

#include "app/workshop.h"
#include "commands/commands.h"
#include "localsteam/local_steam.h"
#include "steam/recording_backend.h"
#include "test_util.h"

namespace {

// The local service, but it counts the query handles released and reports
// `padding` subscriptions of missing items before the real ones, as many
// as the caller has room for.
class cWatchedUgc : public cLocalUgc {
 public:
  using cLocalUgc::cLocalUgc;
  bool ReleaseQueryUGCRequest(UGCQueryHandle_t handle) override {
    bool released = cLocalUgc::ReleaseQueryUGCRequest(handle);
    releases += released ? 1 : 0;
    return released;
  }
  uint32_t GetSubscribedItems(PublishedFileId_t* ids, uint32_t room) override {
    uint32_t count = 0;
    for (; count < padding && count < room; ++count)
      ids[count] = 1000000 + count;
    return count + cLocalUgc::GetSubscribedItems(ids + count, room - count);
  }

  int releases = 0;
  uint32_t padding = 0;
};

class cWatchedSteam : public cLocalSteam {
 public:
  using cLocalSteam::cLocalSteam;
  ISteamUGC* ugc() override { return cLocalSteam::ugc() ? &watched : nullptr; }

  cWatchedUgc watched{this};
};

class WorkshopTest : public ::testing::Test {
 protected:
  WorkshopTest() : store_(temp_.file("store")), steam_(store_.folder()), scope_(&steam_) {
    store_.create(1001);
    std::filesystem::create_directory(game_);
    writeFile(temp_.file("workshopPath.txt"), game_);
  }

  /// An item of the user holding the file "item.txt", whose content is
  /// the title.
  void publish(PublishedFileId_t id, const std::string& title, const std::string& metadata = "",
               int32_t visibility = 0, uint32_t time = 0) {
    cStoreItem item = {id, 1001, toolAppId(), title, "", metadata, {}, visibility, "", 0, {},
                       time, time};
    writeFile(temp_.file("item.txt"), title);
    ASSERT_TRUE(store_.copyContentFiles(&item, {temp_.file("item.txt")}));
    ASSERT_TRUE(store_.writeItem(item));
  }

  ScopedTempDir temp_;
  std::string game_ = temp_.file("game");
  cLocalStore store_;
  cWatchedSteam steam_;
  cScopedBackend scope_;
};

// The list command, Steam started as the command frame starts it: as text
// and as JSON, the ids in full and no title raw.
TEST_F(WorkshopTest, ListGivesIdsAsStringsAndNoTitleRaw) {
  publish(9223372036854775809ULL, "Say \"hi\"\\\t\x01", "6", 1, 1700000000);
  publish(6, "Evil\x1b[2J\nname\x7f", "12", 2, 1600000000);
  ASSERT_TRUE(SteamAPI_Init());
  std::ostringstream out;
  cCommandContext context = {&out, &out, "", game_, SteamUGC(), 1001, toolAppId()};
  cCommandArgs args;
  EXPECT_EQ(kCommandDone, runList(context, args));
  args.options["--json"] = "";
  EXPECT_EQ(kCommandDone, runList(context, args));
  SteamAPI_Shutdown();
  EXPECT_EQ(
      "9223372036854775809\tBot Config\tfriends\tSay \"hi\"\\??\n"
      "6\tUNKNOWN\tprivate\tEvil?[2J?name?\n"
      "[\n"
      " {\"id\": \"9223372036854775809\", \"title\": \"Say \\\"hi\\\"\\\\\\u0009\\u0001\", "
      "\"kind\": 6, \"visibility\": \"friends\", \"updated\": 1700000000},\n"
      " {\"id\": \"6\", \"title\": \"Evil\\u001b[2J\\u000aname\\u007f\", \"kind\": 0, "
      "\"visibility\": \"private\", \"updated\": 1600000000}\n"
      "]\n",
      out.str());
}

// One run of the menu: each invalid choice of an item releases the query
// of the list it was made from; then the install, with Steam's limit of
// 10,000 subscriptions reached, still installs the last of them (the
// others name no item, so each is refused at once).
TEST_F(WorkshopTest, MenuReleasesEveryQueryAndInstallsTheLastSubscription) {
  publish(5, "installed");
  ASSERT_TRUE(store_.subscribe({5}));
  cStoreItem item;
  ASSERT_TRUE(store_.readItem(5, &item));
  ASSERT_TRUE(store_.cacheItem(item));
  steam_.watched.padding = 9999;
  std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(temp_.path());
  cConsoleCapture console;
  console.script << "2\n1\n2\n-1\n2\n99\n3\nx\n";
  {
    cFileSystem fileSystem;
    cWorkshop(&fileSystem).run();
  }
  std::filesystem::current_path(saved);
  std::string output = console.take();
  size_t refusals = 0;
  for (size_t at = 0; (at = output.find("Invalid choice!", at)) != std::string::npos; ++at)
    ++refusals;
  EXPECT_EQ(3u, refusals);
  EXPECT_EQ(3, steam_.watched.releases);
  EXPECT_EQ("installed", readFile(temp_.file("game/item.txt")));
}

}  // namespace
