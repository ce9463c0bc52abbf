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

// A script at standard input, so the pickers are the console picker on
// every platform; the output is collected without colour. The current
// folder is another than the pickers' one, and must stay as it was.
class PickersTest : public ::testing::Test {
 protected:
  PickersTest() {
    fs::create_directory(temp_.file("levels"));
    writeFile(temp_.file("arena.tmx"), "map");
    writeFile(joinPath(temp_.file("levels"), "deep.tmx"), "map");
    fs::current_path(temp_.file("levels"));
    current_ = fs::current_path();
  }
  ~PickersTest() override { fs::current_path(savedFolder_); }
  void TearDown() override { EXPECT_EQ(current_, fs::current_path()); }

  fs::path savedFolder_ = fs::current_path();
  ScopedTempDir temp_;
  fs::path current_;
  cConsoleCapture console_;
};

// With an empty filter every file is listed, sorted, and no name reaches
// the console raw. A number picks from the list, which shows forty files
// at most; any other line is a path, a relative one taken from the
// picker's folder. A refused or cancelled file empties the path. A folder
// is taken as typed, a relative one from the current folder; a refused one
// keeps the path.
TEST_F(PickersTest, ListingAndAnswers) {
  // Windows refuses the other control characters in file names.
  for (const char* name : {"b.HTM", "a.php", "d\x7f.php"})
    writeFile(temp_.file(name), "");
  std::string chosen;
  console_.script << "\n";
  chooseFile(&chosen, temp_.path(), "", "a page");
  EXPECT_EQ("\nChoose workshop asset:\nFolder: " + temp_.path() +
                "\nWanted: a page\n  1) a.php\n  2) arena.tmx\n  3) b.HTM\n  4) d?.php\n"
                "Type a number, a path in this folder or a full path; an empty line "
                "cancels.\n/>\nCancelled: no file chosen.",
            console_.take());
  for (int i = 10; i < 52; ++i)
    writeFile(temp_.file("m" + std::to_string(i) + ".TMX"), "map");
  const std::string arena = temp_.file("arena.tmx");
  const struct {
    std::string line;
    std::string chosen;  // "": refused
  } files[] = {
      {"1", arena}, {"01", arena}, {"40", temp_.file("m48.TMX")}, {"41", ""}, {"0", ""},
      {"-1", ""}, {"1 ", ""}, {"", ""}, {arena, arena}, {"./arena.tmx", arena},
      {"levels/deep.tmx", joinPath(temp_.file("levels"), "deep.tmx")}, {"deep.tmx", ""},
      {temp_.file("missing"), ""}, {temp_.file("levels"), ""},
      {arena + "\0x"s, ""},  // no path holds a NUL
  }, folders[] = {
      {"", ""}, {temp_.file("missing"), ""}, {arena, ""},
      {"sub/", (current_ / "sub").make_preferred().string()},
      {temp_.file("levels") + "/", temp_.file("levels")}, {".", current_.string()},
  };
  for (const auto& one : files) {
    chosen = "previous";
    console_.script << one.line << "\n";
    EXPECT_EQ(!one.chosen.empty(), chooseFile(&chosen, temp_.path(), "Map\0*.tmx\0", "a map"))
        << one.line;
    EXPECT_EQ(one.chosen, chosen) << one.line;
    EXPECT_NE(std::string::npos, console_.take().find("\n  40) m48.TMX\n  ... and 3 more\nType"));
  }
  fs::create_directory(current_ / "sub");
  for (const auto& one : folders) {
    std::string folder = temp_.path();
    console_.script << one.line << "\n";
    EXPECT_EQ(!one.chosen.empty(), chooseFolder(&folder)) << one.line;
    EXPECT_EQ(one.chosen.empty() ? temp_.path() : one.chosen, folder) << one.line;
  }
  // The end of input is a refusal.
  std::string folder = temp_.path();
  chosen = "previous";
  EXPECT_FALSE(chooseFile(&chosen, temp_.path(), "", "a map"));
  EXPECT_FALSE(chooseFolder(&folder));
  EXPECT_EQ("", chosen);
  EXPECT_EQ(temp_.path(), folder);
}

TEST(PickersPatterns, GlobsIgnoringCase) {
  const struct {
    const char* name;
    const char* patterns;
    bool matches;
  } cases[] = {
      {"A.TMX", "*.tmx", true}, {"c.html.txt", "*.php;*html", false}, {"a", "a?", false},
      {"page.html", "*.php;*html", true}, {"bots_.txt", "bots_*.txt", true}, {"", "*", true},
      {"noext", "*.*", true}, {"ab", "a?", true}, {"x.tmx", "", false},
  };
  for (const auto& one : cases)
    EXPECT_EQ(one.matches, matchesPatterns(one.name, one.patterns))
        << one.name << " " << one.patterns;
}

}  // namespace
