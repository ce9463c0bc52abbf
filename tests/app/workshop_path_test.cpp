#include <gtest/gtest.h>

#include <filesystem>

#include "app/path_file.h"
#include "test_util.h"

TEST(PathFile, MissingFileLeavesThePathAlone) {
  ScopedTempDir dir;
  std::string path = "unchanged";
  EXPECT_FALSE(readPathFile(dir.file("workshopPath.txt"), &path));
  EXPECT_EQ("unchanged", path);
}

TEST(PathFile, LinesAreJoinedWithoutTheirBreaks) {
  ScopedTempDir dir;
  struct {
    const char* content;
    const char* path;
  } cases[] = {
      {"", ""},
      {"C:\\Games\\DRAV", "C:\\Games\\DRAV"},
      {"C:\\Games\\DRAV\n", "C:\\Games\\DRAV"},
      {"C:\\Games\\DRAV\r\n", "C:\\Games\\DRAV"},
      {"/home/player/Games/\nDRAV\n", "/home/player/Games/DRAV"},
      {"with blanks \n", "with blanks "},
  };
  for (const auto& c : cases) {
    writeFile(dir.file("workshopPath.txt"), c.content);
    std::string path = "old";
    EXPECT_TRUE(readPathFile(dir.file("workshopPath.txt"), &path)) << c.content;
    EXPECT_EQ(c.path, path) << c.content;
  }
}

TEST(PathFile, WrittenFileHoldsExactlyThePathAndReadsBack) {
  ScopedTempDir dir;
  std::string file = dir.file("workshopPath.txt");
  writeFile(file, "a much longer path that was stored before");
  ASSERT_TRUE(writePathFile(file, "/games/DRAV"));
  EXPECT_EQ("/games/DRAV", readFile(file));
  std::string path;
  ASSERT_TRUE(readPathFile(file, &path));
  EXPECT_EQ("/games/DRAV", path);
  EXPECT_EQ(std::vector<std::string>{"workshopPath.txt"}, sortedFiles(dir.path()))
      << "no temporary file is left";
}

TEST(PathFile, UnwritableFolderReportsFailureAndKeepsNothing) {
  ScopedTempDir dir;
  std::string file = dir.file("missing-folder") + "/workshopPath.txt";
  EXPECT_FALSE(writePathFile(file, "/games/DRAV"));
  EXPECT_EQ("", readFile(file));
}

// The file is replaced whole, never rewritten in place: whoever holds the
// old file (here a second link to it) still reads all of the old path.
TEST(PathFile, IsReplacedNotRewrittenInPlace) {
  ScopedTempDir dir;
  std::string file = dir.file("workshopPath.txt");
  writeFile(file, "/old/path");
  std::error_code error;
  std::filesystem::create_hard_link(file, dir.file("reader"), error);
  if (error)
    GTEST_SKIP() << "no hard links here: " << error.message();
  ASSERT_TRUE(writePathFile(file, "/games/DRAV"));
  EXPECT_EQ("/games/DRAV", readFile(file));
  EXPECT_EQ("/old/path", readFile(dir.file("reader")));
}
