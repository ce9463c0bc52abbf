#include "platform/files.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "test_util.h"

namespace {

TEST(FileStatus, TellsEachKindAndSize) {
  ScopedTempDir dir;
  writeFile(dir.file("five.txt"), "12345");
  const struct {
    std::string path;
    FileKind kind;
    uint64_t size;
  } cases[] = {
      {dir.file("five.txt"), kRegularFile, 5},
      {dir.path(), kFolder, 0},
      {dir.file("missing"), kMissing, 0},
      {"", kMissing, 0},
  };
  for (const auto& c : cases) {
    FileStatus status = fileStatus(c.path);
    EXPECT_EQ(c.kind, status.kind) << c.path;
    if (c.kind == kRegularFile) {
      EXPECT_EQ(c.size, status.size) << c.path;
    }
  }
}

// The whole file is replaced, through a temporary file beside it that
// never outlives the write.
TEST(WriteFileAtomically, ReplacesTheWholeFileOrCreatesNothing) {
  ScopedTempDir dir;
  writeFile(dir.file("target"), "a much longer text that was there before");
  ASSERT_TRUE(writeFileAtomically(dir.file("target"), "new"));
  std::string text;
  ASSERT_TRUE(readWholeFile(dir.file("target"), &text));
  EXPECT_EQ("new", text);
  EXPECT_EQ(std::vector<std::string>{"target"}, sortedFiles(dir.path()));
  EXPECT_FALSE(writeFileAtomically(dir.file("missing") + kPathSeparator + "target", "x"));
  EXPECT_EQ(kMissing, fileStatus(dir.file("missing")).kind);
  EXPECT_FALSE(readWholeFile(dir.file("missing"), &text));
}

TEST(TemporaryFile, NamesAreFreshAndAnUncommittedFileGoes) {
  ScopedTempDir dir;
  std::set<std::string> names;
  {
    cTemporaryFile first, second;
    ASSERT_TRUE(first.create(dir.file("target")));
    ASSERT_TRUE(second.create(dir.file("target")));
    names = {first.path(), second.path()};
    EXPECT_EQ(kRegularFile, fileStatus(first.path()).kind);
    EXPECT_TRUE(first.write("abc", 3));
  }
  EXPECT_EQ(2u, names.size());
  EXPECT_TRUE(sortedFiles(dir.path()).empty());
}

TEST(FileLock, IsHeldOnAFileItCreates) {
  ScopedTempDir dir;
  cFileLock lock(dir.file("lock"));
  EXPECT_TRUE(lock.held());
  EXPECT_EQ(kRegularFile, fileStatus(dir.file("lock")).kind);
  cFileLock refused(dir.file("missing") + kPathSeparator + "lock");
  EXPECT_FALSE(refused.held());
}

}  // namespace
