#include "files/directory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/paths.h"
#include "test_util.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

// Names that begin with "." or ".." are files like any others; read-only
// files are listed and deleted like the rest. Deleting without subfolders
// takes only the files; with them, everything.
TEST(Directory, ListAndDeleteHiddenReadOnlyAndNestedEntries) {
  ScopedTempDir dir;
  std::string staging = dir.file("staging");
  std::string nested = joinPath(joinPath(staging, ".git"), "two");
  fs::create_directories(nested);
  const std::vector<std::string> files = {"..foo", ".hidden", "map_a.tmx"};
  for (const std::string& folder : {staging, nested}) {
    for (const std::string& name : files)
      writeFile(joinPath(folder, name), "x");
    fs::permissions(joinPath(folder, "map_a.tmx"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }
  EXPECT_EQ(files, sortedFiles(staging));
  std::vector<std::string> folders;
  ASSERT_TRUE(listFolders(staging, &folders));
  EXPECT_EQ(std::vector<std::string>{".git"}, folders);
  for (const std::string& path : {dir.file("missing"), joinPath(staging, "..foo"), ""s}) {
    std::vector<std::string> names = {"left over"};
    EXPECT_FALSE(listFiles(path, &names)) << path;
    EXPECT_TRUE(names.empty()) << path;
  }
  cFileSystem fileSystem;
  EXPECT_EQ(0u, fileSystem.deleteFolder(staging, false));
  EXPECT_TRUE(sortedFiles(staging).empty());
  EXPECT_EQ(files, sortedFiles(nested));
  fs::create_directory(dir.file("empty"));
  writeFile(dir.file("plain.txt"), "p");
  for (const char* name : {"staging", "empty", "missing", "plain.txt"})
    EXPECT_EQ(0u, fileSystem.deleteFolder(dir.file(name), true)) << name;
  EXPECT_FALSE(fs::exists(staging));
  EXPECT_FALSE(fs::exists(dir.file("empty")));
  EXPECT_EQ("p", readFile(dir.file("plain.txt")));
}

TEST(Directory, CreateFolderNeedsTheParentAndTakesWhatExists) {
  ScopedTempDir dir;
  writeFile(dir.file("plain.txt"), "p");
  EXPECT_TRUE(createFolder(dir.path()));
  EXPECT_TRUE(createFolder(dir.file("plain.txt")));
  EXPECT_FALSE(createFolder(joinPath(dir.file("missing"), "child")));
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

}  // namespace
