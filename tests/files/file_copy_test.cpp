#include "files/file_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <regex>
#include <sstream>

#include "files/directory.h"
#include "files/paths.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

/// Collects what is written to std::cout while it lives.
class CapturedOutput {
 public:
  CapturedOutput() : saved_(std::cout.rdbuf(text_.rdbuf())) {}
  ~CapturedOutput() { std::cout.rdbuf(saved_); }
  /// The text without colour sequences, which a terminal run adds.
  std::string text() const {
    return std::regex_replace(text_.str(), std::regex("\033\\[[0-9;]*m"), "");
  }

 private:
  std::stringstream text_;
  std::streambuf* saved_;
};

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

TEST(FileCopyContent, LineBreaksEndOfFileAndNulBytesArriveUnchanged) {
  ScopedTempDir dir;
  std::string content = std::string("a\r\nb\nc\rd\x1a" "e\0f", 12) +
                        allByteValues() + std::string("\x1a\0\r\n", 4);
  writeFile(dir.file("source.bin"), content);
  CapturedOutput output;
  EXPECT_TRUE(copyFile(dir.file("source.bin"), dir.file("copy.bin")));
  EXPECT_EQ(content, readFile(dir.file("copy.bin")));
  EXPECT_EQ("", output.text());
}

TEST(FileCopyContent, LongerExistingDestinationHoldsExactlyTheSource) {
  ScopedTempDir dir;
  writeFile(dir.file("source.txt"), "short");
  writeFile(dir.file("copy.txt"), std::string(100000, 'x'));
  EXPECT_TRUE(copyFile(dir.file("source.txt"), dir.file("copy.txt")));
  EXPECT_EQ("short", readFile(dir.file("copy.txt")));
}

TEST(FileCopyContent, EmptySourceGivesAnEmptyDestination) {
  ScopedTempDir dir;
  writeFile(dir.file("empty.txt"), "");
  writeFile(dir.file("old.txt"), "old content");
  EXPECT_TRUE(copyFile(dir.file("empty.txt"), dir.file("new.txt")));
  EXPECT_TRUE(copyFile(dir.file("empty.txt"), dir.file("old.txt")));
  EXPECT_TRUE(fs::exists(dir.file("new.txt")));
  EXPECT_EQ("", readFile(dir.file("new.txt")));
  EXPECT_EQ(0u, fs::file_size(dir.file("old.txt")));
}

TEST(FileCopyContent, FileLargerThanOneBufferArrivesWhole) {
  ScopedTempDir dir;
  std::string content;
  for (int block = 0; block < 3 * 4096 + 7; ++block)
    content += allByteValues().substr(block % 256) + std::to_string(block);
  writeFile(dir.file("big.bin"), content);
  EXPECT_TRUE(copyFile(dir.file("big.bin"), dir.file("copy.bin")));
  EXPECT_EQ(content, readFile(dir.file("copy.bin")));
}

TEST(FileCopyContent, SuccessLeavesNoTemporaryFile) {
  ScopedTempDir dir;
  writeFile(dir.file("source.txt"), "s");
  writeFile(dir.file("copy.txt"), "old");
  EXPECT_TRUE(copyFile(dir.file("source.txt"), dir.file("copy.txt")));
  EXPECT_EQ((std::vector<std::string>{"copy.txt", "source.txt"}),
            sortedFiles(dir.path()));
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
    CapturedOutput output;
    EXPECT_TRUE(copyFile(dir.file("asset.tmx"), destination)) << destination;
    EXPECT_EQ("", output.text());
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
  CapturedOutput output;
  EXPECT_FALSE(copyFile(dir.file("missing.txt"), dir.file("copy.txt")));
  EXPECT_FALSE(copyFile(dir.path(), dir.file("copy.txt")));
  EXPECT_EQ("", output.text());
  EXPECT_FALSE(fs::exists(dir.file("copy.txt")));
}

TEST(FileCopyFailure, MissingDestinationFolderReportsTheFileName) {
  ScopedTempDir dir;
  writeFile(dir.file("source.txt"), "s");
  CapturedOutput output;
  EXPECT_FALSE(copyFile(dir.file("source.txt"),
                        joinPath(dir.file("missing"), "copy.txt")));
  expectFailureWithReason("\nFailed to write to copy.txt", output.text());
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
  CapturedOutput output;
  EXPECT_FALSE(copyFile(dir.file("source.txt"), dir.file("locked.txt")));
  EXPECT_EQ("\nFailed to write to locked.txt\n", output.text());
  EXPECT_EQ("old content", readFile(dir.file("locked.txt")));
  EXPECT_EQ((std::vector<std::string>{"locked.txt", "source.txt"}),
            sortedFiles(dir.path()));
}

TEST(FileCopyFailure, FolderAsDestinationIsKeptAsItWas) {
  ScopedTempDir dir;
  writeFile(dir.file("source.txt"), "s");
  fs::create_directory(dir.file("taken"));
  writeFile(joinPath(dir.file("taken"), "inside.txt"), "i");
  CapturedOutput output;
  EXPECT_FALSE(copyFile(dir.file("source.txt"), dir.file("taken")));
  expectFailureWithReason("\nFailed to write to taken", output.text());
  EXPECT_EQ("i", readFile(joinPath(dir.file("taken"), "inside.txt")));
  EXPECT_EQ((std::vector<std::string>{"source.txt"}), sortedFiles(dir.path()));
}

}  // namespace
