// The files library where every platform behaves alike: path names,
// folders and copies.
#include <gtest/gtest.h>

#include <filesystem>

#include "files/directory.h"
#include "files/file_copy.h"
#include "files/paths.h"
#include "test_util.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

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
    fs::permissions(joinPath(folder, "map_a.tmx"), fs::perms::owner_read);
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

// Every byte arrives, whatever stood at the destination before, silently
// and without a temporary file left behind. A destination that is the
// source under another spelling keeps it: writing it would truncate it.
TEST(FileCopy, DestinationHoldsExactlyTheSource) {
  std::string allBytes, large;
  for (int value = 0; value < 256; ++value)
    allBytes += static_cast<char>(value);
  for (int block = 0; block < 3 * 4096 + 7; ++block)  // more than one buffer
    large += allBytes.substr(block % 256) + std::to_string(block);
  const struct {
    std::string source;
    const char* before;  // nullptr: no destination
    std::string destination = "copy.bin";
  } cases[] = {
      {std::string("a\r\nb\nc\rd\x1a" "e\0f", 12) + allBytes, nullptr},
      {"short", "a much longer text that was there before"},
      {"", nullptr},
      {"", "old content"},
      {large, nullptr},
      {"precious", nullptr, "source.bin"},
      {"precious", nullptr, "sub/../source.bin"},
      {"precious", nullptr, "./source.bin"},
#ifdef _WIN32
      {"precious", nullptr, "sub/../SOURCE.BIN"},
#endif
  };
  for (const auto& one : cases) {
    ScopedTempDir dir;
    fs::create_directory(dir.file("sub"));
    writeFile(dir.file("source.bin"), one.source);
    if (one.before)
      writeFile(dir.file("copy.bin"), one.before);
    cConsoleCapture output;
    EXPECT_TRUE(copyFile(dir.file("source.bin"), dir.file(one.destination)));
    EXPECT_EQ(one.source, readFile(dir.file(one.destination))) << one.destination;
    EXPECT_EQ("", output.take());
    EXPECT_EQ(one.destination == "copy.bin" ? 2u : 1u, sortedFiles(dir.path()).size());
  }
}

// A failed copy says what failed and why, keeps what stood at the
// destination and leaves no file behind; a source that is no file is
// silently no copy.
TEST(FileCopy, FailuresReportAndKeepTheDestination) {
  const struct {
    const char* source;
    const char* destination;
    std::string message;  // "": silent; else followed by the system's reason
  } cases[] = {
      {"missing.txt", "copy.txt", ""},
      {"folder", "copy.txt", ""},
      {"source.txt", "missing/copy.txt", "\nFailed to write to copy.txt: "},
      {"source.txt", "folder", "\nFailed to write to folder: "},
  };
  for (const auto& one : cases) {
    ScopedTempDir dir;
    writeFile(dir.file("source.txt"), "new");
    fs::create_directory(dir.file("folder"));
    writeFile(joinPath(dir.file("folder"), "inside.txt"), "i");
    cConsoleCapture output;
    EXPECT_FALSE(copyFile(dir.file(one.source), dir.file(one.destination)));
    std::string text = output.take();
    EXPECT_EQ(one.message, text.substr(0, one.message.size()));
    // The reason fills the rest of the one line.
    EXPECT_EQ(one.message.empty() ? std::string::npos : text.size() - 1,
              text.find('\n', one.message.size() + 1)) << text;
    EXPECT_EQ(!one.message.empty(), fileExists(dir.file(one.source))) << one.source;
    EXPECT_FALSE(fs::exists(dir.file("missing")));
    EXPECT_EQ("i", readFile(joinPath(dir.file("folder"), "inside.txt")));
    EXPECT_EQ((std::vector<std::string>{"source.txt"}), sortedFiles(dir.path()));
  }
}

}  // namespace
