// Helpers shared by the unit tests: a scratch folder on the real disk and
// whole-file reads and writes.
#ifndef DRAV_TESTS_TEST_UTIL_H_
#define DRAV_TESTS_TEST_UTIL_H_

#include <string>
#include <vector>

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

void writeFile(const std::string& path, const std::string& content);
/// The whole content of `path`; "" when it can't be read.
std::string readFile(const std::string& path);

/// The names of the files of `folder` as listFiles gives them, sorted, so
/// that a check doesn't depend on the file system's order.
std::vector<std::string> sortedFiles(const std::string& folder);

#endif  // DRAV_TESTS_TEST_UTIL_H_
