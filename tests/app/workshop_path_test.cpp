#include <filesystem>

#include <gtest/gtest.h>

#include "app/path_file.h"
#include "test_util.h"

// Reading joins the lines without their breaks. Writing replaces the file
// whole, never in place: whoever holds the old file (here a second link to
// it) still reads all of the old path.
TEST(PathFile, ReadsTheLinesAndReplacesTheFileWithExactlyThePath) {
  ScopedTempDir dir;
  std::string file = dir.file("workshopPath.txt");
  std::string path = "unchanged";
  EXPECT_FALSE(readPathFile(file, &path));
  EXPECT_EQ("unchanged", path);
  const struct {
    const char* content;
    const char* path;
  } cases[] = {
      {"", ""},
      {"C:\\Games\\DRAV\r\n", "C:\\Games\\DRAV"},
      {"with blanks \n", "with blanks "},
      {"/a much longer path that was stored before", "/a much longer path that was stored before"},
  };
  for (const auto& c : cases) {
    writeFile(file, c.content);
    EXPECT_TRUE(readPathFile(file, &path)) << c.content;
    EXPECT_EQ(c.path, path) << c.content;
  }
  std::error_code noLinks;
  std::filesystem::create_hard_link(file, dir.file("reader"), noLinks);
  ASSERT_TRUE(writePathFile(file, "/games/DRAV"));
  EXPECT_EQ("/games/DRAV", readFile(file));
  std::vector<std::string> files = {"workshopPath.txt"};
  if (!noLinks) {
    EXPECT_EQ(path, readFile(dir.file("reader")));
    files.insert(files.begin(), "reader");
  }
  EXPECT_EQ(files, sortedFiles(dir.path())) << "no temporary file is left";
  EXPECT_FALSE(writePathFile(dir.file("missing-folder") + "/workshopPath.txt", "/games/DRAV"));
}
