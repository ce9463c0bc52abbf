#include "files/directory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/paths.h"
#include "test_util.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

// createFolder makes one folder and takes what exists; createFolders makes
// the missing ones above too, and separators after the last name make no
// stray folder. Names that begin with "." or ".." are files like any
// others; read-only files are listed and deleted like the rest. Deleting
// without subfolders takes only the files; with them, everything.
TEST(Directory, CreateListAndDelete) {
  ScopedTempDir dir;
  std::string staging = dir.file("staging");
  std::string nested = joinPath(joinPath(staging, ".git"), "two");
  EXPECT_TRUE(createFolders(nested));
  writeFile(dir.file("plain.txt"), "p");
  EXPECT_TRUE(createFolder(dir.file("plain.txt")));
  EXPECT_FALSE(createFolder(joinPath(dir.file("missing"), "child")));
  EXPECT_FALSE(createFolders(joinPath(dir.file("plain.txt"), "sub")));
  EXPECT_TRUE(createFolders(joinPath(dir.file("x"), "store") + "//"));
  std::vector<std::string> folders;
  ASSERT_TRUE(listFolders(dir.file("x"), &folders));
  EXPECT_EQ(std::vector<std::string>{"store"}, folders);
  const std::vector<std::string> files = {"..foo", ".hidden", "map_a.tmx"};
  for (const std::string& folder : {staging, nested}) {
    for (const std::string& name : files)
      writeFile(joinPath(folder, name), "x");
    fs::permissions(joinPath(folder, "map_a.tmx"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }
  EXPECT_EQ(files, sortedFiles(staging));
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
  for (const char* name : {"staging", "x", "missing", "plain.txt"})
    EXPECT_EQ(0u, fileSystem.deleteFolder(dir.file(name), true)) << name;
  EXPECT_FALSE(fs::exists(staging));
  EXPECT_FALSE(fs::exists(dir.file("x")));
  EXPECT_EQ("p", readFile(dir.file("plain.txt")));
}

}  // namespace
