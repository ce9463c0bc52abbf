#include "commands/commands.h"

#include <memory>
#include <sstream>

#include <gtest/gtest.h>

#include "localsteam/local_steam.h"
#include "test_util.h"

namespace {

/// The list command over a local store, Steam started as the command
/// frame starts it.
class ListCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_.reset(new cLocalStore(temp_.file("store")));
    ASSERT_TRUE(store_->create(1001));
    writeFile(temp_.file("bots_a.txt"), "a");
  }

  void add(PublishedFileId_t id, const std::string& title, const std::string& metadata,
           int32_t visibility, uint32_t time) {
    cStoreItem item;
    item.id = id;
    item.owner = 1001;
    item.app = toolAppId();
    item.title = title;
    item.metadata = metadata;
    item.visibility = visibility;
    item.created = item.updated = time;
    ASSERT_TRUE(store_->copyContentFiles(&item, {temp_.file("bots_a.txt")}));
    ASSERT_TRUE(store_->writeItem(item));
  }

  int list(const std::vector<std::string>& options) {
    std::unique_ptr<cSteamBackend> steam(newLocalSteam(store_->folder()));
    cSteamBackend* previous = replaceSteamBackend(steam.get());
    EXPECT_TRUE(SteamAPI_Init());
    cCommandContext context = {&out_, &err_, "", temp_.path(), SteamUGC(), 1001, toolAppId()};
    cCommandArgs args;
    for (const std::string& option : options)
      args.options[option] = "";
    int status = runList(context, args);
    SteamAPI_Shutdown();
    replaceSteamBackend(previous);
    return status;
  }

  ScopedTempDir temp_;
  std::unique_ptr<cLocalStore> store_;
  std::ostringstream out_, err_;
};

TEST_F(ListCommandTest, JsonGivesIdsAsStringsAndEscapesTitles) {
  add(9223372036854775809ULL, "Say \"hi\"\\\t\x01", "6", 1, 1700000000);
  add(5, "Plain", "", 3, 1700000100);
  add(6, "Odd kind", "12", 2, 1600000000);
  ASSERT_EQ(kCommandDone, list({"--json"}));
  EXPECT_EQ("", err_.str());
  EXPECT_EQ(
      "[\n"
      " {\"id\": \"5\", \"title\": \"Plain\", \"kind\": 0, \"visibility\": \"unlisted\", "
      "\"updated\": 1700000100},\n"
      " {\"id\": \"9223372036854775809\", \"title\": \"Say \\\"hi\\\"\\\\\\u0009\\u0001\", "
      "\"kind\": 6, \"visibility\": \"friends\", \"updated\": 1700000000},\n"
      " {\"id\": \"6\", \"title\": \"Odd kind\", \"kind\": 0, \"visibility\": \"private\", "
      "\"updated\": 1600000000}\n"
      "]\n",
      out_.str());
}

TEST_F(ListCommandTest, LinesShowControlCharactersOfTitlesAsQuestionMarks) {
  add(7, "Evil\x1b[2J\nname", "1", 0, 1700000000);
  ASSERT_EQ(kCommandDone, list({}));
  EXPECT_EQ("7\tMap\tpublic\tEvil?[2J?name\n", out_.str());
}

}  // namespace
