#include "files/pickers.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "files/paths.h"
#include "files/pickers_internal.h"
#include "test_util.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

// With an empty filter every file is listed, sorted, and no name reaches
// the console raw. A number picks from the list, which shows forty files
// at most; any other line is a path, a relative one taken from the
// picker's folder. A refused or cancelled file empties the path. A folder
// is taken as typed, a relative one from the current folder; a refused one
// keeps the path. A script at standard
// input makes them the console picker on every platform. The current
// folder is another than the picker's one, and must stay as it was.
TEST(Pickers, ListingAndAnswers) {
  ScopedTempDir temp;
  fs::create_directory(temp.file("levels"));
  writeFile(temp.file("arena.tmx"), "map");
  writeFile(joinPath(temp.file("levels"), "deep.tmx"), "map");
  const fs::path saved = fs::current_path();
  fs::current_path(temp.file("levels"));
  const fs::path current = fs::current_path();
  cConsoleCapture console;
  // Windows refuses the other control characters in file names.
  for (const char* name : {"b.HTM", "a.php", "d\x7f.php"})
    writeFile(temp.file(name), "");
  std::string chosen;
  console.script << "\n";
  chooseFile(&chosen, temp.path(), "", "a page");
  EXPECT_EQ("\nChoose workshop asset:\nFolder: " + temp.path() +
                "\nWanted: a page\n  1) a.php\n  2) arena.tmx\n  3) b.HTM\n  4) d?.php\n"
                "Type a number, a path in this folder or a full path; an empty line "
                "cancels.\n/>\nCancelled: no file chosen.",
            console.take());
  for (int i = 10; i < 52; ++i)
    writeFile(temp.file("m" + std::to_string(i) + ".TMX"), "map");
  const std::string arena = temp.file("arena.tmx");
  const struct {
    std::string line;
    std::string chosen;  // "": refused
  } files[] = {
      {"1", arena}, {"01", arena}, {"40", temp.file("m48.TMX")}, {"41", ""}, {"0", ""},
      {"-1", ""}, {"1 ", ""}, {"", ""}, {arena, arena}, {"./arena.tmx", arena},
      {"levels/deep.tmx", joinPath(temp.file("levels"), "deep.tmx")}, {"deep.tmx", ""},
      {temp.file("missing"), ""}, {temp.file("levels"), ""},
      {arena + "\0x"s, ""},  // no path holds a NUL
  }, folders[] = {
      {"", ""}, {temp.file("missing"), ""}, {arena, ""},
      {"sub/", (current / "sub").make_preferred().string()},
      {temp.file("levels") + "/", temp.file("levels")}, {".", current.string()},
  };
  for (const auto& one : files) {
    chosen = "previous";
    console.script << one.line << "\n";
    EXPECT_EQ(!one.chosen.empty(), chooseFile(&chosen, temp.path(), "Map\0*.tmx\0", "a map"))
        << one.line;
    EXPECT_EQ(one.chosen, chosen) << one.line;
    EXPECT_NE(std::string::npos, console.take().find("\n  40) m48.TMX\n  ... and 3 more\nType"));
  }
  fs::create_directory(current / "sub");
  for (const auto& one : folders) {
    std::string folder = temp.path();
    console.script << one.line << "\n";
    EXPECT_EQ(!one.chosen.empty(), chooseFolder(&folder)) << one.line;
    EXPECT_EQ(one.chosen.empty() ? temp.path() : one.chosen, folder) << one.line;
  }
  // The end of input refuses a file, which empties the path, and a
  // folder, which keeps it.
  chosen = "previous";
  EXPECT_FALSE(chooseFile(&chosen, temp.path(), "", "a map"));
  EXPECT_FALSE(chooseFolder(&chosen));
  EXPECT_EQ("", chosen);
  EXPECT_EQ(current, fs::current_path());
  fs::current_path(saved);
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
