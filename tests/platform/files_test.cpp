#include "platform/files.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "files/directory.h"
#include "test_util.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

TEST(FileStatus, TellsEachKindAndSize) {
  ScopedTempDir dir;
  writeFile(dir.file("five.txt"), "12345");
  struct Case {
    std::string path;
    FileKind kind;
    uint64_t size;
  };
  const Case cases[] = {
      {dir.file("five.txt"), kRegularFile, 5},
      {dir.path(), kFolder, 0},
      {dir.file("missing"), kMissing, 0},
      {"", kMissing, 0},
  };
  for (const Case& c : cases) {
    FileStatus status = fileStatus(c.path);
    EXPECT_EQ(c.kind, status.kind) << c.path;
    if (c.kind == kRegularFile) {
      EXPECT_EQ(c.size, status.size) << c.path;
    }
  }
}

#ifndef _WIN32
TEST(FileStatus, LinksAreFollowedOnlyWhenAsked) {
  ScopedTempDir dir;
  ASSERT_EQ(0, symlink(dir.path().c_str(), dir.file("to-folder").c_str()));
  ASSERT_EQ(0, symlink(dir.file("gone").c_str(), dir.file("dangling").c_str()));
  EXPECT_EQ(kFolder, fileStatus(dir.file("to-folder")).kind);
  EXPECT_EQ(kLink, fileStatus(dir.file("to-folder"), false).kind);
  EXPECT_EQ(kMissing, fileStatus(dir.file("dangling")).kind);
  EXPECT_EQ(kLink, fileStatus(dir.file("dangling"), false).kind);
}

TEST(FileStatus, PermissionBitsAreTheFilesOwn) {
  ScopedTempDir dir;
  writeFile(dir.file("locked.txt"), "x");
  ASSERT_EQ(0, chmod(dir.file("locked.txt").c_str(), 0440));
  EXPECT_EQ(0440u, fileStatus(dir.file("locked.txt")).permissions);
}

TEST(Folders, ListFoldersNeverCountsALink) {
  ScopedTempDir dir;
  ASSERT_TRUE(createFolder(dir.file("real")));
  ASSERT_EQ(0, symlink(dir.file("real").c_str(), dir.file("link").c_str()));
  std::vector<std::string> names;
  ASSERT_TRUE(listFolders(dir.path(), &names));
  EXPECT_EQ(std::vector<std::string>{"real"}, names);
}
#endif

TEST(Folders, CreateFoldersMakesEveryMissingLevelButNotUnderAFile) {
  ScopedTempDir dir;
  std::string deep = dir.file("a") + kPathSeparator + "b" + kPathSeparator + "c";
  EXPECT_TRUE(createFolders(deep));
  EXPECT_EQ(kFolder, fileStatus(deep).kind);
  EXPECT_TRUE(createFolders(deep)) << "an existing folder is no failure";
  writeFile(dir.file("plain"), "p");
  EXPECT_FALSE(createFolders(dir.file("plain") + kPathSeparator + "sub"));
}

TEST(WriteFileAtomically, ReplacesTheWholeFileAndLeavesNothingElse) {
  ScopedTempDir dir;
  writeFile(dir.file("target"), "a much longer text that was there before");
  ASSERT_TRUE(writeFileAtomically(dir.file("target"), "new"));
  EXPECT_EQ("new", readFile(dir.file("target")));
  EXPECT_EQ(std::vector<std::string>{"target"}, sortedFiles(dir.path()));
  std::string text;
  ASSERT_TRUE(readWholeFile(dir.file("target"), &text));
  EXPECT_EQ("new", text);
}

TEST(WriteFileAtomically, MissingFolderFailsAndCreatesNothing) {
  ScopedTempDir dir;
  EXPECT_FALSE(writeFileAtomically(dir.file("missing") + kPathSeparator + "target", "x"));
  EXPECT_EQ(kMissing, fileStatus(dir.file("missing")).kind);
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
