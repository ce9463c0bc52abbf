#include "assets/asset_types.h"

#include <string>

#include <gtest/gtest.h>

#include "assets/stock_files.h"
#include "console/console_platform.h"
#include "test_util.h"

namespace {

TEST(AssetTypesTest, DetectAssetTypeFollowsTheRulesInTheirOrder) {
  const struct {
    const char* name;
    AssetType type;
  } cases[] = {
      // One name of each kind is installed by a scenario; these are the
      // edges: empty stems, the order of the rules, suffixes deciding.
      {".tmx", Map},                         {"textMacros_a.tmx", Map},
      {"page.htm", Leaderboard},             {"bots_.txt", BotConfig},
      {"bots_movements_.txt", BotConfig},    {"movements_bots_.txt", BotMovements},
      {"bots_a.rec", Recording},             {"translations_.txt", Translations},
      // Case counts, and a rule's prefix and suffix must be whole.
      {"page.HTML", Unrecognised},           {"pagehtml", Unrecognised},
      {"Bots_a.txt", Unrecognised},          {"serverSettings_x.TXT", Unrecognised},
      {"serverSettings.txt", Unrecognised},  {"xbots_a.txt", Unrecognised},
      {"bots_a.txt ", Unrecognised},         {"bots_a.txt.bak", Unrecognised},
      {"", Unrecognised},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.type, detectAssetType(c.name)) << c.name;
}

TEST(AssetTypesTest, CheckJudgesTheLastComponentAndShowsTheRuleInItsColour) {
  cConsoleCapture console;
  EXPECT_TRUE(checkAssetFileName(BotConfig, "C:/x/bots_a.txt"));
  EXPECT_TRUE(checkAssetFileName(Unrecognised, ""));
  EXPECT_TRUE(checkAssetFileName(Unrecognised, "/x/readme"));
  EXPECT_FALSE(checkAssetFileName(Unrecognised, "/x/a.tmx"));
  EXPECT_FALSE(checkAssetFileName(9, "/x/a.tmx"));
  EXPECT_EQ("", console.take());
  EXPECT_FALSE(checkAssetFileName(Map, "C:\\maps.tmx\\notes.txt"));
  EXPECT_EQ("\nDRAV maps must be .tmx files.\n", console.take());
#ifndef _WIN32  // Windows colours are the console's attributes, not text
  cTerminalOverride terminal(false, true);
  EXPECT_FALSE(checkAssetFileName(Map, ""));
  EXPECT_EQ("\033[0m\nDRAV maps must be .tmx files.\n", console.take());
  EXPECT_FALSE(checkAssetFileName(Map, "/x/a.txt"));
  EXPECT_EQ("\033[95m\nDRAV maps must be .tmx files.\n", console.take());
#endif
}

// A sample of the list, one of each kind of name; the list itself is data.
TEST(StockFilesTest, OnlyExactNamesAreStockWhereverTheyLie) {
  for (const char* name : {"bots.txt", "PLAY BORDERLESS.bat", "PLAY.sh", "innerRim.tmx"}) {
    EXPECT_TRUE(isStockFile(std::string("C:\\Games\\DRAV\\") + name)) << name;
    EXPECT_TRUE(isStockFile(std::string("/home/me/drav/") + name)) << name;
  }
  for (const char* name : {"C:\\x\\Harbor.tmx", "harbor_v2.tmx", " harbor.tmx", "harbor.tmx ",
                           "RUN-SERVER.bat", "harbor.tmx\\other.tmx", ""})
    EXPECT_FALSE(isStockFile(name)) << name;
}

}  // namespace
