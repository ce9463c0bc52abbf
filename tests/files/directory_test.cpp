#include "files/directory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/paths.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

void makeReadOnly(const std::string& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

// A name that begins with ".." is a file like any other.
TEST(Directory, ListFilesGivesEveryFileButNoFolder) {
  ScopedTempDir dir;
  for (const char* name : {"b.tmx", ".hidden", "..foo", "locked.txt"})
    writeFile(dir.file(name), "x");
  makeReadOnly(dir.file("locked.txt"));
  fs::create_directory(dir.file("sub"));
  writeFile(joinPath(dir.file("sub"), "inner.txt"), "x");
  EXPECT_EQ((std::vector<std::string>{"..foo", ".hidden", "b.tmx", "locked.txt"}),
            sortedFiles(dir.path()));
  std::vector<std::string> folders;
  ASSERT_TRUE(listFolders(dir.path(), &folders));
  EXPECT_EQ(std::vector<std::string>{"sub"}, folders);
  const std::string unlisted[] = {dir.file("missing"), dir.file("b.tmx"), ""};
  for (const std::string& path : unlisted) {
    std::vector<std::string> names = {"left over"};
    EXPECT_FALSE(listFiles(path, &names)) << path;
    EXPECT_TRUE(names.empty()) << path;
  }
  std::vector<std::string> names = {"left over"};
  EXPECT_TRUE(listFiles(dir.file("sub"), &names));
  EXPECT_EQ(std::vector<std::string>{"inner.txt"}, names);
}

TEST(Directory, CreateFolderNeedsTheParentAndTakesWhatExists) {
  ScopedTempDir dir;
  writeFile(dir.file("plain.txt"), "p");
  EXPECT_TRUE(createFolder(dir.file("new")));
  EXPECT_TRUE(fs::is_directory(dir.file("new")));
  EXPECT_TRUE(createFolder(dir.path()));
  EXPECT_TRUE(createFolder(dir.file("plain.txt")));
  EXPECT_EQ("p", readFile(dir.file("plain.txt")));
  EXPECT_FALSE(createFolder(joinPath(dir.file("missing"), "child")));
  EXPECT_FALSE(fs::exists(dir.file("missing")));
  std::string deep = joinPath(joinPath(dir.file("a"), "b"), "c");
  EXPECT_TRUE(createFolders(deep));
  EXPECT_TRUE(fs::is_directory(deep));
  EXPECT_TRUE(createFolders(deep)) << "an existing folder is no failure";
  // Separators after the last name make no stray folder above it.
  EXPECT_TRUE(createFolders(joinPath(dir.file("x"), "store") + "//"));
  std::vector<std::string> made;
  ASSERT_TRUE(listFolders(dir.file("x"), &made));
  EXPECT_EQ(std::vector<std::string>{"store"}, made);
  EXPECT_FALSE(createFolders(joinPath(dir.file("plain.txt"), "sub")));
}

// Without subfolders only the files go; with them everything goes, hidden
// and read-only entries too.
TEST(Directory, DeleteFolderRemovesHiddenReadOnlyAndNestedEntries) {
  ScopedTempDir dir;
  std::string staging = dir.file("staging");
  std::string nested = joinPath(joinPath(staging, ".git"), "two");
  fs::create_directories(nested);
  fs::create_directory(dir.file("empty"));
  for (const std::string& folder : {staging, nested}) {
    writeFile(joinPath(folder, "map_a.tmx"), "m");
    writeFile(joinPath(folder, ".hidden"), "h");
    makeReadOnly(joinPath(folder, "map_a.tmx"));
  }
  writeFile(dir.file("plain.txt"), "p");
  cFileSystem fileSystem;
  EXPECT_EQ(0u, fileSystem.deleteFolder(staging, false));
  EXPECT_TRUE(sortedFiles(staging).empty());
  EXPECT_EQ((std::vector<std::string>{".hidden", "map_a.tmx"}), sortedFiles(nested));
  for (const char* name : {"staging", "empty", "missing", "plain.txt"})
    EXPECT_EQ(0u, fileSystem.deleteFolder(dir.file(name), true)) << name;
  EXPECT_FALSE(fs::exists(staging));
  EXPECT_FALSE(fs::exists(dir.file("empty")));
  EXPECT_EQ("p", readFile(dir.file("plain.txt")));
}

}  // namespace
