#include "files/pickers.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

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
  PickersTest() {
    fs::create_directory(temp_.file("levels"));
    writeFile(temp_.file("arena.tmx"), "map");
    writeFile(joinPath(temp_.file("levels"), "deep.tmx"), "map");
  }
  // Each test checks the current folder itself; this only keeps a failing
  // test from spoiling the next.
  ~PickersTest() override { fs::current_path(savedFolder_); }

  bool pickFile(const std::string& line, std::string* chosen) {
    console_.script << line << "\n";
    return chooseFile(chosen, temp_.path(), kMapFilter, "a map");
  }
  bool pickFolder(const std::string& line, std::string* folder) {
    console_.script << line << "\n";
    return chooseFolder(folder);
  }

  fs::path savedFolder_ = fs::current_path();
  ScopedTempDir temp_;
  cConsoleCapture console_;
};

// With an empty filter every file is listed, sorted, and no name reaches
// the console raw.
TEST_F(PickersTest, FilePickerListsTheFilesByNameAndPrintable) {
  writeFile(temp_.file("b.HTM"), "");
  writeFile(temp_.file("a.php"), "");
#ifdef _WIN32
  const std::string hostile;  // Windows refuses control characters in file names.
#else
  const std::string hostile = "  4) d?[31m.php\n";
  writeFile(temp_.file("d\x1b[31m.php"), "");
#endif
  std::string chosen;
  console_.script << "\n";
  chooseFile(&chosen, temp_.path(), "", "a page");
  EXPECT_EQ("\nChoose workshop asset:\nFolder: " + temp_.path() +
                "\nWanted: a page\n  1) a.php\n  2) arena.tmx\n  3) b.HTM\n" + hostile +
                "Type a number, a path in this folder or a full path; an empty line "
                "cancels.\n/>\nCancelled: no file chosen.",
            console_.take());
}

// The list shows forty files at most and takes only their numbers.
TEST_F(PickersTest, FilePickerTakesANumberFromItsList) {
  for (int i = 10; i < 52; ++i)
    writeFile(temp_.file("m" + std::to_string(i) + ".TMX"), "map");
  writeFile(temp_.file("notes.txt"), "text");
  const struct {
    const char* line;
    const char* chosen;  // "": refused
  } cases[] = {{"1", "arena.tmx"}, {"01", "arena.tmx"}, {"40", "m48.TMX"}, {"41", ""},
               {"0", ""}, {"-1", ""}, {"1 ", ""}};
  for (const auto& one : cases) {
    std::string chosen = "previous";
    EXPECT_EQ(*one.chosen != 0, pickFile(one.line, &chosen)) << one.line;
    EXPECT_EQ(*one.chosen ? temp_.file(one.chosen) : "", chosen) << one.line;
    EXPECT_NE(std::string::npos, console_.take().find("\n  40) m48.TMX\n  ... and 3 more\nType"));
  }
}

TEST(PickersPatterns, GlobsIgnoringCase) {
  const struct {
    const char* name;
    const char* patterns;
    bool matches;
  } cases[] = {
      {"A.TMX", "*.tmx", true},    {"c.html.txt", "*.php;*html", false},
      {"page.html", "*.php;*html", true}, {"bots_.txt", "bots_*.txt", true},
      {"noext", "*.*", true},      {"ab", "a?", true},
      {"a", "a?", false},          {"", "*", true},
      {"x.tmx", "", false},
  };
  for (const auto& one : cases)
    EXPECT_EQ(one.matches, matchesPatterns(one.name, one.patterns))
        << one.name << " " << one.patterns;
}

// A refused or cancelled file empties the path; a refused folder keeps it.
TEST_F(PickersTest, RefusalsAndTheEndOfInput) {
  for (const std::string& line : {""s, temp_.file("missing"), temp_.file("levels"),
                                  temp_.file("arena.tmx") + "\0x"s}) {  // no path holds a NUL
    std::string chosen = "previous";
    EXPECT_FALSE(pickFile(line, &chosen)) << line;
    EXPECT_EQ("", chosen) << line;
  }
  for (const std::string& line : {""s, temp_.file("missing"), temp_.file("arena.tmx")}) {
    std::string folder = temp_.path();
    EXPECT_FALSE(pickFolder(line, &folder)) << line;
    EXPECT_EQ(temp_.path(), folder) << line;
  }
  std::string chosen = "previous", folder = temp_.path();
  EXPECT_FALSE(chooseFile(&chosen, temp_.path(), kMapFilter, "a map"));
  EXPECT_FALSE(chooseFolder(&folder));
  EXPECT_EQ("", chosen);
  EXPECT_EQ(temp_.path(), folder);
}

// Relative paths are taken from the picker's folder, and the current
// folder is left as it was.
TEST_F(PickersTest, RelativePathsAndFolderSpellings) {
  fs::current_path(temp_.file("levels"));
  fs::path before = fs::current_path();
  std::string chosen, folder;
  ASSERT_TRUE(pickFile("levels/deep.tmx", &chosen));
  EXPECT_EQ(joinPath(temp_.file("levels"), "deep.tmx"), chosen);
  ASSERT_TRUE(pickFile("./arena.tmx", &chosen));
  EXPECT_EQ(temp_.file("arena.tmx"), chosen);
  EXPECT_FALSE(pickFile("deep.tmx", &chosen));
  fs::create_directory(before / "sub");
  ASSERT_TRUE(pickFolder("sub/", &folder));
  EXPECT_EQ((before / "sub").make_preferred().string(), folder);
  ASSERT_TRUE(pickFolder(temp_.file("levels") + "/", &folder));
  EXPECT_EQ(temp_.file("levels"), folder);
  ASSERT_TRUE(pickFolder(".", &folder));
  EXPECT_EQ(before.string(), folder);
  EXPECT_EQ(before, fs::current_path());
}

}  // namespace
