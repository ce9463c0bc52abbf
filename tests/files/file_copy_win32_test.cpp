// File operations on what only Windows has: hidden and system attributes
// and reparse points.
#include <windows.h>

#include <gtest/gtest.h>

#include "files/directory.h"
#include "files/paths.h"
#include "test_util.h"

namespace {

// Hidden, system and read-only entries are listed and deleted; a link to a
// folder outside goes as a link, its target stays.
TEST(FileCopyWin32, DeleteFolderTakesStubbornEntriesAndKeepsWhatLinksPointAt) {
  const DWORD kStubborn = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
  ScopedTempDir dir;
  std::string folder = dir.file("staging");
  std::string nested = joinPath(folder, "nested");
  std::string link = joinPath(folder, "link");
  ASSERT_TRUE(createFolders(nested));
  ASSERT_TRUE(createFolder(dir.file("outside")));
  writeFile(joinPath(dir.file("outside"), "precious.txt"), "keep me");
  writeFile(joinPath(folder, "desktop.ini"), "d");
  writeFile(joinPath(nested, "thumbs.db"), "t");
  for (const std::string& path :
       {joinPath(folder, "desktop.ini"), joinPath(nested, "thumbs.db"), nested})
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), kStubborn)) << path;
  CreateSymbolicLinkA(link.c_str(), dir.file("outside").c_str(),
                      SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  // Some systems claim success without making the link.
  DWORD linked = GetFileAttributesA(link.c_str());
  EXPECT_EQ(std::vector<std::string>{"desktop.ini"}, sortedFiles(folder));
  EXPECT_EQ(0u, cFileSystem().deleteFolder(folder, true));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
  EXPECT_EQ("keep me", readFile(joinPath(dir.file("outside"), "precious.txt")));
  if (linked == INVALID_FILE_ATTRIBUTES || !(linked & FILE_ATTRIBUTE_REPARSE_POINT))
    GTEST_SKIP() << "the link went unchecked: symbolic links can't be made here";
}

}  // namespace
