// File operations on what only Windows has: hidden and system attributes,
// case-blind names and reparse points.
#include <windows.h>

#include <gtest/gtest.h>

#include "files/directory.h"
#include "files/file_copy.h"
#include "files/paths.h"
#include "platform/files.h"
#include "test_util.h"

namespace {

TEST(FileCopyWin32, HiddenSystemAndReadOnlyEntriesAreListedAndDeleted) {
  const DWORD kStubborn = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
  ScopedTempDir dir;
  std::string folder = dir.file("staging");
  std::string nested = joinPath(folder, "nested");
  ASSERT_TRUE(createFolders(nested));
  writeFile(joinPath(folder, "desktop.ini"), "d");
  writeFile(joinPath(nested, "thumbs.db"), "t");
  for (const std::string& path :
       {joinPath(folder, "desktop.ini"), joinPath(nested, "thumbs.db"), nested})
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), kStubborn)) << path;
  EXPECT_EQ(std::vector<std::string>{"desktop.ini"}, sortedFiles(folder));
  EXPECT_EQ(0u, cFileSystem().deleteFolder(folder, true));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
}

TEST(FileCopyWin32, CopyOntoItselfSpelledInOtherCaseAndSeparators) {
  ScopedTempDir dir;
  writeFile(dir.file("asset.tmx"), "precious");
  EXPECT_TRUE(copyFile(dir.file("asset.tmx"), dir.path() + "/ASSET.TMX"));
  EXPECT_EQ("precious", readFile(dir.file("asset.tmx")));
  EXPECT_EQ(std::vector<std::string>{"asset.tmx"}, sortedFiles(dir.path()));
}

TEST(FileCopyWin32, DeleteFolderRemovesALinkAndKeepsItsTarget) {
  ScopedTempDir dir;
  std::string outside = dir.file("outside");
  std::string folder = dir.file("folder");
  std::string link = joinPath(folder, "link");
  ASSERT_TRUE(createFolder(outside));
  ASSERT_TRUE(createFolder(folder));
  writeFile(joinPath(outside, "precious.txt"), "keep me");
  const DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  CreateSymbolicLinkA(link.c_str(), outside.c_str(),
                      SYMBOLIC_LINK_FLAG_DIRECTORY | kUnprivileged);
  // Some systems claim success without making the link.
  DWORD attributes = GetFileAttributesA(link.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    GTEST_SKIP() << "symbolic links can't be created here (privilege or support missing)";
  EXPECT_EQ(0u, cFileSystem().deleteFolder(folder, true));
  EXPECT_NE(kFolder, fileStatus(folder).kind);
  EXPECT_EQ("keep me", readFile(joinPath(outside, "precious.txt")));
}

}  // namespace
