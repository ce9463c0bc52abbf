#include "files/directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "files/paths.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

void makeReadOnly(const std::string& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write |
                            fs::perms::others_write,
                  fs::perm_options::remove);
}

// --- listFiles

TEST(DirectoryListFiles, ListsDotAndReadOnlyFilesButNotSubfolders) {
  ScopedTempDir dir;
  writeFile(dir.file("b.tmx"), "b");
  writeFile(dir.file(".hidden"), "h");
  writeFile(dir.file("..foo"), "not the parent");
  writeFile(dir.file("locked.txt"), "l");
  makeReadOnly(dir.file("locked.txt"));
  fs::create_directory(dir.file("sub"));
  writeFile(joinPath(dir.file("sub"), "inner.txt"), "x");
  EXPECT_EQ((std::vector<std::string>{"..foo", ".hidden", "b.tmx", "locked.txt"}),
            sortedFiles(dir.path()));
}

TEST(DirectoryListFiles, OnlyAFolderIsListedAndAnEmptyOneGivesNothing) {
  ScopedTempDir dir;
  writeFile(dir.file("plain.txt"), "p");
  fs::create_directory(dir.file("empty"));
  const struct {
    std::string path;
    bool listed;
  } cases[] = {{dir.file("empty"), true},
               {dir.file("missing"), false},
               {dir.file("plain.txt"), false},
               {"", false}};
  for (const auto& one : cases) {
    std::vector<std::string> names = {"left over"};
    EXPECT_EQ(one.listed, listFiles(one.path, &names)) << one.path;
    EXPECT_TRUE(names.empty()) << one.path;
  }
}

// --- createFolder

TEST(DirectoryCreateFolder, NeedsTheParentAndTakesWhatExists) {
  ScopedTempDir dir;
  writeFile(dir.file("plain.txt"), "p");
  EXPECT_TRUE(createFolder(dir.file("new")));
  EXPECT_TRUE(fs::is_directory(dir.file("new")));
  EXPECT_TRUE(createFolder(dir.path()));
  EXPECT_TRUE(createFolder(dir.file("plain.txt")));
  EXPECT_EQ("p", readFile(dir.file("plain.txt")));
  EXPECT_FALSE(createFolder(joinPath(dir.file("missing"), "child")));
  EXPECT_FALSE(fs::exists(dir.file("missing")));
}

// --- deleteFolder

TEST(DirectoryDeleteFolder, MissingFolderOrFileReturnsZeroAndTouchesNothing) {
  ScopedTempDir dir;
  writeFile(dir.file("plain.txt"), "p");
  cFileSystem fileSystem;
  EXPECT_EQ(0u, fileSystem.deleteFolder(dir.file("missing"), true));
  EXPECT_EQ(0u, fileSystem.deleteFolder(dir.file("plain.txt"), true));
  EXPECT_EQ("p", readFile(dir.file("plain.txt")));
}

TEST(DirectoryDeleteFolder, RemovesDotReadOnlyAndNestedEntriesThenTheFolder) {
  ScopedTempDir dir;
  std::string staging = dir.file("_DRAV_WORKSHOP_TEMP_");
  std::string nested = joinPath(joinPath(staging, "one"), "two");
  fs::create_directories(nested);
  writeFile(joinPath(staging, "map_a.tmx"), "m");
  writeFile(joinPath(staging, ".hidden"), "h");
  writeFile(joinPath(staging, "locked.txt"), "l");
  makeReadOnly(joinPath(staging, "locked.txt"));
  fs::create_directory(joinPath(staging, ".git"));
  writeFile(joinPath(joinPath(staging, ".git"), "HEAD"), "ref");
  writeFile(joinPath(nested, "deep.txt"), "d");
  writeFile(joinPath(nested, ".deep"), "d");
  makeReadOnly(joinPath(nested, "deep.txt"));

  cFileSystem fileSystem;
  EXPECT_EQ(0u, fileSystem.deleteFolder(staging, true));
  EXPECT_FALSE(fs::exists(staging));
  EXPECT_TRUE(fs::is_directory(dir.path()));
}

TEST(DirectoryDeleteFolder, EmptyFolderIsRemoved) {
  ScopedTempDir dir;
  fs::create_directory(dir.file("empty"));
  cFileSystem fileSystem;
  EXPECT_EQ(0u, fileSystem.deleteFolder(dir.file("empty"), true));
  EXPECT_FALSE(fs::exists(dir.file("empty")));
}

TEST(DirectoryDeleteFolder, WithoutSubfoldersKeepsThemAndTheFolder) {
  ScopedTempDir dir;
  std::string folder = dir.file("folder");
  fs::create_directories(joinPath(folder, "sub"));
  writeFile(joinPath(folder, "a.txt"), "a");
  writeFile(joinPath(folder, ".b"), "b");
  writeFile(joinPath(joinPath(folder, "sub"), "kept.txt"), "k");
  cFileSystem fileSystem;
  EXPECT_EQ(0u, fileSystem.deleteFolder(folder, false));
  EXPECT_TRUE(sortedFiles(folder).empty());
  EXPECT_EQ("k", readFile(joinPath(joinPath(folder, "sub"), "kept.txt")));
}

TEST(DirectoryDeleteFolder, LinksInsideAreRemovedAndTheirTargetsKept) {
  ScopedTempDir dir;
  std::string outside = dir.file("outside");
  fs::create_directory(outside);
  writeFile(joinPath(outside, "precious.txt"), "keep me");
  std::string folder = dir.file("folder");
  fs::create_directory(folder);
  std::error_code error;
  fs::create_directory_symlink(outside, joinPath(folder, "to_folder"), error);
  if (error)
    GTEST_SKIP() << "links can't be created here: " << error.message();
  fs::create_symlink(joinPath(outside, "precious.txt"),
                     joinPath(folder, "to_file"), error);
  ASSERT_FALSE(error) << error.message();

  cFileSystem fileSystem;
  EXPECT_EQ(0u, fileSystem.deleteFolder(folder, true));
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder)));
  EXPECT_EQ("keep me", readFile(joinPath(outside, "precious.txt")));
}

TEST(DirectoryListFiles, LinkToAFolderCountsAsAFolder) {
  ScopedTempDir dir;
  fs::create_directory(dir.file("target"));
  writeFile(dir.file("file.txt"), "f");
  std::error_code error;
  fs::create_directory_symlink(dir.file("target"), dir.file("link"), error);
  if (error)
    GTEST_SKIP() << "links can't be created here: " << error.message();
  fs::create_symlink(dir.file("file.txt"), dir.file("file_link"), error);
  ASSERT_FALSE(error) << error.message();
  EXPECT_EQ((std::vector<std::string>{"file.txt", "file_link"}),
            sortedFiles(dir.path()));
}

}  // namespace
