#include "files/paths.h"

#include <gtest/gtest.h>

namespace {

// Either separator counts on every platform; trailing ones end no name.
TEST(PathsSplit, FileNameAndFolderOfEitherSeparator) {
  const struct {
    const char* path;
    const char* name;
    const char* folder;
  } cases[] = {
      {"C:\\Games\\Tool\\tool.exe", "tool.exe", "C:\\Games\\Tool"},
      {"C:/games\\tool.exe", "tool.exe", "C:/games"},
      {"/opt/drav\\mixed/name.txt", "name.txt", "/opt/drav\\mixed"},
      {"C:\\maps\\levels\\\\", "levels", "C:\\maps"},
      {"C:/maps/levels/", "levels", "C:/maps"},
      {"mymap.tmx", "mymap.tmx", ""}, {"/tool", "tool", ""}, {"a//b", "b", "a/"},
      {"", "", ""}, {"\\/\\", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.name, getFileName(c.path)) << "path: " << c.path;
    EXPECT_EQ(c.folder, getFolderPath(c.path)) << "path: " << c.path;
  }
}

}  // namespace
