// Helpers shared by the unit tests: a scratch folder on the real disk,
// whole-file reads and writes, and a scripted console.
#ifndef DRAV_TESTS_TEST_UTIL_H_
#define DRAV_TESTS_TEST_UTIL_H_

#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "console/console_platform.h"

/// A fresh, empty folder that is removed with everything in it at the end
/// of the scope.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  const std::string& path() const { return path_; }
  /// `path()` joined with `name` by the platform's separator.
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

/// Sets the environment variable `name` to `value` (null: removes it) for
/// its scope, for the C runtime and the system alike.
class cScopedVariable {
 public:
  cScopedVariable(const char* name, const char* value);
  ~cScopedVariable();

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

void writeFile(const std::string& path, const std::string& content);
/// The whole content of `path`; "" when it can't be read.
std::string readFile(const std::string& path);

/// The names of the files of `folder` as listFiles gives them, sorted, so
/// that a check doesn't depend on the file system's order.
std::vector<std::string> sortedFiles(const std::string& folder);

/// For its scope, std::cin reads `script` and std::cout writes into
/// `output`; neither counts as a terminal, so no colour codes are written.
class cConsoleCapture {
 public:
  cConsoleCapture()
      : savedIn_(std::cin.rdbuf(script.rdbuf())),
        savedOut_(std::cout.rdbuf(output.rdbuf())) {}
  ~cConsoleCapture() {
    std::cin.rdbuf(savedIn_);
    std::cout.rdbuf(savedOut_);
  }
  /// What was written since the last call, which empties it.
  std::string take() {
    std::string text = output.str();
    output.str("");
    return text;
  }

  std::stringstream script;
  std::ostringstream output;

 private:
  cTerminalOverride terminals_{false, false};
  std::streambuf* savedIn_;
  std::streambuf* savedOut_;
};

#endif  // DRAV_TESTS_TEST_UTIL_H_
