#include "files/file_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "files/directory.h"
#include "files/paths.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

std::string allByteValues() {
  std::string bytes;
  for (int value = 0; value < 256; ++value)
    bytes += static_cast<char>(value);
  return bytes;
}

// --- fileExists

TEST(FileCopyFileExists, TrueOnlyForReadableFiles) {
  ScopedTempDir dir;
  writeFile(dir.file("present.txt"), "p");
  writeFile(dir.file("empty.txt"), "");
  EXPECT_TRUE(fileExists(dir.file("present.txt")));
  EXPECT_TRUE(fileExists(dir.file("empty.txt")));
  EXPECT_FALSE(fileExists(dir.file("missing.txt")));
  EXPECT_FALSE(fileExists(dir.path()));
  EXPECT_FALSE(fileExists(""));
}

// --- copyFile: content

// Every byte arrives, whatever stood at the destination before, silently
// and without a temporary file left behind.
TEST(FileCopyContent, DestinationHoldsExactlyTheSource) {
  std::string large;  // more than one buffer of the copy
  for (int block = 0; block < 3 * 4096 + 7; ++block)
    large += allByteValues().substr(block % 256) + std::to_string(block);
  const std::string none = "(none)";
  const struct {
    std::string source, before;
  } cases[] = {
      {std::string("a\r\nb\nc\rd\x1a" "e\0f", 12) + allByteValues() +
           std::string("\x1a\0\r\n", 4), none},
      {"short", std::string(100000, 'x')},
      {"", none},
      {"", "old content"},
      {large, none},
  };
  for (const auto& one : cases) {
    ScopedTempDir dir;
    writeFile(dir.file("source.bin"), one.source);
    if (one.before != none)
      writeFile(dir.file("copy.bin"), one.before);
    cConsoleCapture output;
    EXPECT_TRUE(copyFile(dir.file("source.bin"), dir.file("copy.bin")));
    EXPECT_EQ(one.source, readFile(dir.file("copy.bin")));
    EXPECT_EQ("", output.take());
    EXPECT_EQ((std::vector<std::string>{"copy.bin", "source.bin"}), sortedFiles(dir.path()));
  }
}

// --- copyFile: onto itself

TEST(FileCopySameFile, CopyOntoItselfKeepsTheFile) {
  ScopedTempDir dir;
  writeFile(dir.file("asset.tmx"), "precious");
  fs::create_directory(dir.file("sub"));
  std::string otherSpelling =
      joinPath(joinPath(joinPath(dir.path(), "sub"), ".."), "asset.tmx");
  std::string dotSpelling = joinPath(joinPath(dir.path(), "."), "asset.tmx");
  for (const std::string& destination :
       {dir.file("asset.tmx"), otherSpelling, dotSpelling}) {
    cConsoleCapture output;
    EXPECT_TRUE(copyFile(dir.file("asset.tmx"), destination)) << destination;
    EXPECT_EQ("", output.take());
    EXPECT_EQ("precious", readFile(dir.file("asset.tmx"))) << destination;
  }
  EXPECT_EQ((std::vector<std::string>{"asset.tmx"}), sortedFiles(dir.path()));
}

// --- copyFile: failures

// The copy's own message, then the system's reason on the same line.
void expectFailureWithReason(const std::string& message, const std::string& text) {
  ASSERT_EQ(0u, text.find(message + ": ")) << text;
  EXPECT_GT(text.size(), message.size() + 3) << text;
  EXPECT_EQ(text.size() - 1, text.find('\n', message.size())) << text;
}

TEST(FileCopyFailure, MissingSourceFailsSilentlyAndCreatesNothing) {
  ScopedTempDir dir;
  cConsoleCapture output;
  EXPECT_FALSE(copyFile(dir.file("missing.txt"), dir.file("copy.txt")));
  EXPECT_FALSE(copyFile(dir.path(), dir.file("copy.txt")));
  EXPECT_EQ("", output.take());
  EXPECT_FALSE(fs::exists(dir.file("copy.txt")));
}

TEST(FileCopyFailure, MissingDestinationFolderReportsTheFileName) {
  ScopedTempDir dir;
  writeFile(dir.file("source.txt"), "s");
  cConsoleCapture output;
  EXPECT_FALSE(copyFile(dir.file("source.txt"),
                        joinPath(dir.file("missing"), "copy.txt")));
  expectFailureWithReason("\nFailed to write to copy.txt", output.take());
  EXPECT_EQ((std::vector<std::string>{"source.txt"}), sortedFiles(dir.path()));
  EXPECT_FALSE(fs::exists(dir.file("missing")));
}

TEST(FileCopyFailure, ReadOnlyDestinationIsKeptAsItWas) {
  ScopedTempDir dir;
  writeFile(dir.file("source.txt"), "new content");
  writeFile(dir.file("locked.txt"), "old content");
  fs::permissions(dir.file("locked.txt"),
                  fs::perms::owner_write | fs::perms::group_write |
                      fs::perms::others_write,
                  fs::perm_options::remove);
  cConsoleCapture output;
  EXPECT_FALSE(copyFile(dir.file("source.txt"), dir.file("locked.txt")));
  EXPECT_EQ("\nFailed to write to locked.txt\n", output.take());
  EXPECT_EQ("old content", readFile(dir.file("locked.txt")));
  EXPECT_EQ((std::vector<std::string>{"locked.txt", "source.txt"}),
            sortedFiles(dir.path()));
}

TEST(FileCopyFailure, FolderAsDestinationIsKeptAsItWas) {
  ScopedTempDir dir;
  writeFile(dir.file("source.txt"), "s");
  fs::create_directory(dir.file("taken"));
  writeFile(joinPath(dir.file("taken"), "inside.txt"), "i");
  cConsoleCapture output;
  EXPECT_FALSE(copyFile(dir.file("source.txt"), dir.file("taken")));
  expectFailureWithReason("\nFailed to write to taken", output.take());
  EXPECT_EQ("i", readFile(joinPath(dir.file("taken"), "inside.txt")));
  EXPECT_EQ((std::vector<std::string>{"source.txt"}), sortedFiles(dir.path()));
}

}  // namespace
