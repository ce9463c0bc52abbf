#include "files/paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "files/directory.h"

namespace {

struct TokenizeCase {
  const char* text;
  const char* delimiters;
  std::vector<std::string> tokens;
};

TEST(PathsTokenize, SplitsIntoMaximalRunsOfNonDelimiters) {
  const TokenizeCase cases[] = {
      {"a//b\\c", "/\\", {"a", "b", "c"}},
      {"", "/\\", {}},
      {"/\\//\\", "/\\", {}},
      {"/lead", "/\\", {"lead"}},
      {"trail\\", "/\\", {"trail"}},
      {"C:\\Maps\\MyMap.TMX", "/\\", {"C:", "Maps", "MyMap.TMX"}},
      {"one", "/\\", {"one"}},
      {"x,y;;z,", ",;", {"x", "y", "z"}},
      {"a/b", "", {"a/b"}},
      {" spaced name /x", "/", {" spaced name ", "x"}},
  };
  for (const TokenizeCase& c : cases)
    EXPECT_EQ(c.tokens, tokenize(c.text, c.delimiters)) << "text: " << c.text;
}

struct PathCase {
  const char* path;
  const char* expected;
};

TEST(PathsGetFileName, TakesTheLastComponentWithEitherSeparator) {
  const PathCase cases[] = {
      {"C:\\maps\\mymap.tmx", "mymap.tmx"},
      {"C:/maps/mymap.tmx", "mymap.tmx"},
      {"mymap.tmx", "mymap.tmx"},
      {"C:/maps/levels/", "levels"},
      {"C:\\maps\\levels\\\\", "levels"},
      {"/opt/drav\\mixed/name.txt", "name.txt"},
      {"C:\\Maps\\MyMap.TMX", "MyMap.TMX"},
      {"", ""},
      {"\\/\\", ""},
      {"C:", "C:"},
  };
  for (const PathCase& c : cases)
    EXPECT_EQ(c.expected, getFileName(c.path)) << "path: " << c.path;
}

TEST(PathsGetFolderPath, CutsTheLastComponentAndItsSeparator) {
  const PathCase cases[] = {
      {"C:\\Games\\Tool\\tool.exe", "C:\\Games\\Tool"},
      {"C:/games\\tool.exe", "C:/games"},
      {"/opt/drav/drav-workshop", "/opt/drav"},
      {"Z:\\work/build\\Drav Tests.EXE", "Z:\\work/build"},
      {"/tool", ""},
      {"", ""},
      {"\\\\", ""},
  };
  for (const PathCase& c : cases)
    EXPECT_EQ(c.expected, getFolderPath(c.path)) << "path: " << c.path;
}

TEST(PathsJoinPath, JoinedPathSplitsBackIntoFolderAndName) {
  const PathCase cases[] = {
      {"C:\\Games\\DRAV", "map_one.tmx"},
      {"/home/player/drav", "serverSettings_x.txt"},
      {"relative", "a b.txt"},
  };
  for (const PathCase& c : cases) {
    std::string joined = joinPath(c.path, c.expected);
    EXPECT_EQ(std::string(c.path).size() + 1 + std::string(c.expected).size(),
              joined.size());
    EXPECT_EQ(c.path, getFolderPath(joined));
    EXPECT_EQ(c.expected, getFileName(joined));
  }
}

TEST(PathsGetToolFolder, IsTheFolderHoldingTheTestExecutable) {
  std::string folder = getToolFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE('/', folder.back());
  EXPECT_NE('\\', folder.back());
  std::vector<std::string> names;
  ASSERT_TRUE(listFiles(folder, &names));
  EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const std::string& name) {
    return name.rfind("drav_tests", 0) == 0;
  }));
}

}  // namespace
