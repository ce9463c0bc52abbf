#include "assets/asset_types.h"

#include <iostream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "console/console_platform.h"
#include "platform/strings.h"
#include "test_util.h"

using namespace std::string_literals;

namespace {

// The whole filter block, up to and including the NUL that ends it.
std::string filterBytes(const char* filter) {
  size_t end = 0;
  while (filter[end] != '\0')
    end += std::string(filter + end).size() + 1;
  return std::string(filter, end + 1);
}

TEST(AssetTypesTest, DetectAssetTypeFollowsTheRulesInTheirOrder) {
  const struct {
    const char* name;
    AssetType type;
  } cases[] = {
      {"level.tmx", Map},
      {".tmx", Map},
      {"textMacros_a.tmx", Map},
      {"page.php", Leaderboard},
      {"page.htm", Leaderboard},
      {"page.html", Leaderboard},
      {"page.HTML", Unrecognised},
      {"pagehtml", Unrecognised},
      {"bots_.txt", BotConfig},
      {"bots_movements_.txt", BotConfig},
      {"movements_bots_.txt", BotMovements},
      {"serverSettings_x.txt", ServerSettings},
      {"serverSettings_x.TXT", Unrecognised},
      {"ServerSettings_x.txt", Unrecognised},
      {"serverSettings.txt", Unrecognised},
      {"textMacros_chat.txt", ChatMacros},
      {"translations_de.txt", Translations},
      {"bots_a.rec", Recording},
      {"match.rec", Recording},
      {"Bots_a.txt", Unrecognised},
      {"map.Tmx", Unrecognised},
      {"bots_a.txt.bak", Unrecognised},
      {"", Unrecognised},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.type, detectAssetType(c.name)) << c.name;
}

TEST(AssetTypesTest, StartsWithAndEndsWithCompareWholeAffixes) {
  EXPECT_TRUE(startsWith("bots_a", "bots_"));
  EXPECT_TRUE(startsWith("bots_", "bots_"));
  EXPECT_TRUE(startsWith("x", ""));
  EXPECT_FALSE(startsWith("bots", "bots_"));
  EXPECT_FALSE(startsWith("abots_", "bots_"));
  EXPECT_TRUE(endsWith("a.txt", ".txt"));
  EXPECT_TRUE(endsWith(".txt", ".txt"));
  EXPECT_FALSE(endsWith("txt", ".txt"));
  EXPECT_FALSE(endsWith("a.txt ", ".txt"));
  EXPECT_FALSE(endsWith("a.TXT", ".txt"));
}

class CheckAssetFileNameTest : public ::testing::Test {
 protected:
  cConsoleCapture console_;
  std::ostringstream& output_ = console_.output;
};

TEST_F(CheckAssetFileNameTest, OnlyTheLastComponentOfThePathCounts) {
  EXPECT_FALSE(checkAssetFileName(Map, "C:\\maps.tmx\\notes.txt"));
  EXPECT_EQ("\nDRAV maps must be .tmx files.\n", output_.str());
  output_.str("");
  EXPECT_TRUE(checkAssetFileName(BotConfig, "C:/x/bots_a.txt"));
  EXPECT_TRUE(checkAssetFileName(Map, "/home/me/levels/arena.tmx"));
  EXPECT_EQ("", output_.str());
}

TEST_F(CheckAssetFileNameTest, EmptyPathShowsTheRuleOfEveryType) {
  const char* messages[] = {
      "",
      "\nDRAV maps must be .tmx files.\n",
      "\nCustom leaderboards must\nbe .php, .htm, or .html files.\n",
      "\nA custom serverSettings file name must\nbegin with the prefix "
      "'serverSettings_' and be of type .txt\n",
      "\nA text macros file name must\nbegin with the prefix 'textMacros_' "
      "and be of type .txt\n",
      "\nThe translation file name must\nbegin with the prefix "
      "'translations_' and be of type .txt\n",
      "\nA custom bots file name must\nbegin with the prefix 'bots_' and be "
      "of type .txt\n",
      "\nBot movements file name must\nbegin with the prefix 'movements_' "
      "and be of type .txt\n",
      "\nAn DRAV game recording must end in '.rec' \n",
  };
  for (int type = 1; type <= 8; ++type) {
    output_.str("");
    EXPECT_FALSE(checkAssetFileName(type, ""));
    EXPECT_EQ(messages[type], output_.str()) << type;
  }
}

TEST_F(CheckAssetFileNameTest, TypesOutsideTheCatalogue) {
  EXPECT_TRUE(checkAssetFileName(Unrecognised, ""));
  EXPECT_TRUE(checkAssetFileName(Unrecognised, "/x/readme"));
  EXPECT_FALSE(checkAssetFileName(Unrecognised, "/x/a.tmx"));
  EXPECT_FALSE(checkAssetFileName(9, ""));
  EXPECT_FALSE(checkAssetFileName(9, "/x/a.tmx"));
  EXPECT_FALSE(checkAssetFileName(-1, "readme"));
  EXPECT_EQ("", output_.str());
}

TEST_F(CheckAssetFileNameTest, RuleIsGreyWhenAskedAndMagentaForAWrongFile) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows colours are the console's attributes, not part of the text";
#endif
  cTerminalOverride terminal(false, true);
  EXPECT_FALSE(checkAssetFileName(Map, ""));
  EXPECT_EQ("\033[0m\nDRAV maps must be .tmx files.\n", console_.take());
  EXPECT_FALSE(checkAssetFileName(Map, "/x/a.txt"));
  EXPECT_EQ("\033[95m\nDRAV maps must be .tmx files.\n", console_.take());
}

TEST(AssetTypesTest, NameOfATypeOutsideTheCatalogue) {
  EXPECT_EQ("UNKNOWN", assetTypeName(Unrecognised));
  EXPECT_EQ("UNDEFINED!", assetTypeName(9));
  EXPECT_EQ("UNDEFINED!", assetTypeName(-1));
}

TEST(AssetTypesTest, FileFiltersByteForByte) {
  const std::string filters[] = {
      "\0"s,
      "DRAV Map\0*.tmx\0\0"s,
      ".PHP\0*.php\0HTM\0*.htm\0HTML\0*html\0\0"s,
      "Server Settings\0serverSettings_*.txt\0\0"s,
      "Text Macros\0textMacros_*.txt\0\0"s,
      "DRAV Translation\0translations_*.txt\0\0"s,
      "Bots Config File\0bots_*.txt\0\0"s,
      "movements.txt File\0movements_*.txt\0\0"s,
      "DRAV Recording\0*.rec\0\0"s,
  };
  for (int type = 0; type <= 8; ++type)
    EXPECT_EQ(filters[type], filterBytes(assetTypeFileFilter(type))) << type;
  EXPECT_EQ("\0"s, filterBytes(assetTypeFileFilter(9)));
  EXPECT_EQ("\0"s, filterBytes(assetTypeFileFilter(-5)));
}

TEST(AssetTypesTest, MenuKeysAreNotTheNumbers) {
  const AssetType byKey[] = {Map,      ServerSettings, ChatMacros,
                             Leaderboard, Recording,   BotConfig,
                             Translations, BotMovements};
  for (int key = 1; key <= 8; ++key)
    EXPECT_EQ(byKey[key - 1], assetTypeForMenuKey(std::to_string(key))) << key;
  for (const char* refused : {"", "0", "9", "01", " 1", "1 ", "1\r", "x"})
    EXPECT_EQ(Unrecognised, assetTypeForMenuKey(refused)) << refused;
}

}  // namespace
