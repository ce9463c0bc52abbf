#include "files/file_copy.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/paths.h"
#include "test_util.h"

namespace fs = std::filesystem;

namespace {

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
