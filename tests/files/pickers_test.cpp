#include "files/pickers.h"

#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "console/console_platform.h"
#include "files/paths.h"
#include "files/pickers_internal.h"
#include "test_util.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

const char kMapFilter[] = "DRAV Map\0*.tmx\0";

// A script at standard input, so the pickers are the console picker on
// every platform; the output is collected without colour.
class PickersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedFolder_ = fs::current_path();
    fs::create_directory(fs::path(temp_.path()) / "levels");
    writeFile(temp_.file("arena.tmx"), "map");
    writeFile(joinPath(temp_.file("levels"), "deep.tmx"), "map");
  }
  void TearDown() override {
    // Each test checks the current folder itself; this only keeps a
    // failing test from spoiling the next.
    fs::current_path(savedFolder_);
  }

  bool pickFile(const std::string& line, std::string* chosen) {
    script_ << line << "\n";
    return chooseFile(chosen, temp_.path(), kMapFilter, "a map");
  }
  bool pickFolder(const std::string& line, std::string* folder) {
    script_ << line << "\n";
    return chooseFolder(folder);
  }
  // The full path that the picker should give for `relative` inside the
  // current folder, spelled as the platform spells it.
  static std::string expectedPath(const std::string& relative) {
    return (fs::current_path() / relative).make_preferred().string();
  }

  ScopedTempDir temp_;
  cConsoleCapture console_;
  std::stringstream& script_ = console_.script;
  std::ostringstream& output_ = console_.output;
  fs::path savedFolder_;
};

// Windows refuses control characters in file names.
#ifdef _WIN32
const char kListedHostileName[] = "";
#else
const char kListedHostileName[] = "\n  3) d?[31m.php";
#endif

const char kHowToAnswer[] =
    "\nType a number, a path in this folder or a full path; an empty line cancels.\n/>";

TEST_F(PickersTest, FilePickerShowsFolderWantedAndMatchingFilesThenSaysItWasCancelled) {
  writeFile(temp_.file("b.HTM"), "");
  writeFile(temp_.file("a.php"), "");
  writeFile(temp_.file("c.html.txt"), "");
  writeFile(temp_.file("d\x1b[31m.php"), "");
  std::string chosen;
  script_ << "\n";
  chooseFile(&chosen, temp_.path(), ".PHP\0*.php\0HTM\0*.htm\0HTML\0*html\0", "a page");
  EXPECT_EQ("\nChoose workshop asset: (*.php;*.htm;*html)\nFolder: " + temp_.path() +
                "\nWanted: a page\n  1) a.php\n  2) b.HTM" + kListedHostileName + kHowToAnswer +
                "\nCancelled: no file chosen.",
            output_.str());
}

TEST_F(PickersTest, FilePickerWithEmptyFilterListsEveryFileAndSaysWhenNoneIsThere) {
  std::string chosen;
  script_ << "\n\n";
  chooseFile(&chosen, temp_.path(), "", "anything");
  EXPECT_EQ("\nChoose workshop asset:\nFolder: " + temp_.path() +
                "\nWanted: anything\n  1) arena.tmx" + kHowToAnswer +
                "\nCancelled: no file chosen.",
            output_.str());
  output_.str("");
  chooseFile(&chosen, temp_.file("levels"), "DRAV Map\0*.txt\0", "a map");
  EXPECT_NE(std::string::npos,
            output_.str().find("\nWanted: a map\n  (no matching file in this folder)\nType"));
}

TEST_F(PickersTest, FilePickerTakesANumberFromItsList) {
  writeFile(temp_.file("beach.TMX"), "map");
  writeFile(temp_.file("notes.txt"), "text");
  struct {
    const char* line;
    const char* chosen;  // "" : refused
  } cases[] = {{"1", "arena.tmx"}, {"2", "beach.TMX"}, {"3", ""}, {"0", ""},
               {"01", "arena.tmx"}, {"-1", ""}, {"1 ", ""}};
  for (const auto& one : cases) {
    std::string chosen = "previous";
    EXPECT_EQ(*one.chosen != 0, pickFile(one.line, &chosen)) << one.line;
    EXPECT_EQ(*one.chosen ? temp_.file(one.chosen) : "", chosen) << one.line;
  }
}

TEST_F(PickersTest, FilePickerListsAtMostFortyFiles) {
  for (int i = 10; i < 52; ++i)
    writeFile(temp_.file("m" + std::to_string(i) + ".tmx"), "map");
  std::string chosen;
  ASSERT_TRUE(pickFile("40", &chosen));
  EXPECT_EQ(temp_.file("m48.tmx"), chosen);
  EXPECT_NE(std::string::npos, output_.str().find("\n  40) m48.tmx\n  ... and 3 more\nType"));
  EXPECT_FALSE(pickFile("41", &chosen));
}

TEST(MatchesPatternsTest, GlobsIgnoringCase) {
  struct {
    const char* name;
    const char* patterns;
    bool matches;
  } cases[] = {
      {"a.tmx", "*.tmx", true},          {"A.TMX", "*.tmx", true},
      {"a.tmx.bak", "*.tmx", false},     {"page.html", "*.php;*html", true},
      {"bots_x.txt", "bots_*.txt", true}, {"bots_.txt", "bots_*.txt", true},
      {"bot_x.txt", "bots_*.txt", false}, {"noext", "*.*", true},
      {"ab", "a?", true},                {"a", "a?", false},
      {"", "*", true},                   {"x.tmx", "", false},
  };
  for (const auto& one : cases)
    EXPECT_EQ(one.matches, matchesPatterns(one.name, one.patterns))
        << one.name << " " << one.patterns;
}

TEST_F(PickersTest, FolderPickerShowsItsTitleThenPrompts) {
  std::string folder = "unchanged";
  pickFolder("", &folder);
  EXPECT_EQ("\nChoose folder containing workshop assets:\n/>", output_.str());
}

TEST_F(PickersTest, ChooseFileAcceptsAnExistingFileByFullPath) {
  std::string chosen;
  ASSERT_TRUE(pickFile(temp_.file("arena.tmx"), &chosen));
  EXPECT_EQ(temp_.file("arena.tmx"), chosen);
}

TEST_F(PickersTest, ChooseFileRefusalsEmptyThePath) {
  const std::string refused[] = {
      "",                                    // a cancel
      temp_.file("missing.tmx"),             // no such file
      temp_.file("levels"),                  // a folder
      temp_.file("arena.tmx") + "\0x"s,      // no path holds a NUL
  };
  for (const std::string& line : refused) {
    std::string chosen = "previous";
    EXPECT_FALSE(pickFile(line, &chosen)) << line;
    EXPECT_EQ("", chosen) << line;
  }
}

TEST_F(PickersTest, ChooseFileTakesARelativePathFromItsFolderNotTheCurrentOne) {
  fs::current_path(temp_.file("levels"));
  fs::path before = fs::current_path();
  std::string chosen;
  ASSERT_TRUE(pickFile("levels/deep.tmx", &chosen));
  EXPECT_EQ(joinPath(temp_.file("levels"), "deep.tmx"), chosen);
  ASSERT_TRUE(pickFile("./arena.tmx", &chosen));
  EXPECT_EQ(temp_.file("arena.tmx"), chosen);
  EXPECT_FALSE(pickFile("deep.tmx", &chosen));
  EXPECT_EQ(before, fs::current_path());
}

TEST_F(PickersTest, ChooseFolderGivesTheFullPathWithoutTrailingSeparator) {
  fs::current_path(temp_.path());
  fs::path before = fs::current_path();
  std::string folder;
  ASSERT_TRUE(pickFolder("levels/", &folder));
  EXPECT_EQ(expectedPath("levels"), folder);
  ASSERT_TRUE(pickFolder(temp_.file("levels") + "/", &folder));
  EXPECT_EQ(temp_.file("levels"), folder);
  ASSERT_TRUE(pickFolder(".", &folder));
  EXPECT_EQ(before.string(), folder);
  EXPECT_EQ(before, fs::current_path());
}

TEST_F(PickersTest, ChooseFolderRefusalsLeaveThePathUnchanged) {
  const std::string refused[] = {
      "",                          // a cancel
      temp_.file("missing"),       // no such folder
      temp_.file("arena.tmx"),     // a file
  };
  for (const std::string& line : refused) {
    std::string folder = temp_.path();
    EXPECT_FALSE(pickFolder(line, &folder)) << line;
    EXPECT_EQ(temp_.path(), folder) << line;
  }
}

TEST_F(PickersTest, EndOfInputIsACancel) {
  std::string chosen = "previous";
  EXPECT_FALSE(chooseFile(&chosen, temp_.path(), kMapFilter, "a map"));
  EXPECT_EQ("", chosen);
  std::string folder = temp_.path();
  EXPECT_FALSE(chooseFolder(&folder));
  EXPECT_EQ(temp_.path(), folder);
}

TEST(ParseFilterTest, SplitsThePairsInOrder) {
  std::vector<FilterPair> pairs =
      parseFilter(".PNG\0*.png\0.JPG\0*.jpg\0ALL\0*.*\0");
  ASSERT_EQ(3u, pairs.size());
  EXPECT_EQ(".PNG", pairs[0].description);
  EXPECT_EQ("*.png", pairs[0].patterns);
  EXPECT_EQ("ALL", pairs[2].description);
  EXPECT_EQ("*.*", pairs[2].patterns);
  EXPECT_TRUE(parseFilter("").empty());
}

}  // namespace
