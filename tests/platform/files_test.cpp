#include "platform/files.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

// The whole file is replaced through a temporary file of a fresh name
// beside it, which never outlives the write. A lock is held on a file of
// its own, made where none was.
TEST(PlatformFiles, AtomicWritesAndTemporaryFiles) {
  ScopedTempDir dir;
  writeFile(dir.file("target"), "a much longer text that was there before");
  ASSERT_TRUE(writeFileAtomically(dir.file("target"), "new"));
  std::string text = "left over";
  ASSERT_TRUE(readWholeFile(dir.file("target"), &text));
  EXPECT_EQ("new", text);
  EXPECT_EQ(3u, fileStatus(dir.file("target")).size);
  std::string inMissingFolder = dir.file("missing") + kPathSeparator + "target";
  EXPECT_FALSE(writeFileAtomically(inMissingFolder, "x"));
  EXPECT_FALSE(readWholeFile(inMissingFolder, &text));
  EXPECT_FALSE(cFileLock(inMissingFolder).held());
  EXPECT_EQ(kMissing, fileStatus(dir.file("missing")).kind);
  {
    cTemporaryFile first, second;
    ASSERT_TRUE(first.create(dir.file("target")));
    ASSERT_TRUE(second.create(dir.file("target")));
    EXPECT_NE(first.path(), second.path());
    EXPECT_EQ(kRegularFile, fileStatus(first.path()).kind);
    EXPECT_TRUE(first.write("abc", 3));
  }
  cFileLock lock(dir.file("lock"));
  EXPECT_TRUE(lock.held());
  EXPECT_EQ((std::vector<std::string>{"lock", "target"}), sortedFiles(dir.path()));
}

}  // namespace
