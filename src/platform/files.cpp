#include "platform/files.h"

#include <random>

const char kPathSeparators[] = "/\\";
const char cTemporaryFile::kPrefix[] = ".drav-tmp-";

namespace {

/// Sixteen hexadecimal digits that no other process can guess.
std::string randomSuffix() {
  static std::random_device source;
  static const char kDigits[] = "0123456789abcdef";
  std::string suffix;
  for (int word = 0; word < 4; ++word) {
    uint32_t bits = source();
    for (int digit = 0; digit < 4; ++digit, bits >>= 4)
      suffix += kDigits[bits & 0xf];
  }
  return suffix;
}

}  // namespace

cTemporaryFile::cTemporaryFile()
    : handle_(0), open_(false), failed_(false), committed_(false) {}

cTemporaryFile::~cTemporaryFile() {
  close();
  if (!path_.empty() && !committed_)
    removeFile(path_);
}

bool cTemporaryFile::create(const std::string& beside) {
  // A short name of its own: the name beside may already be as long as the
  // file system allows.
  std::string folder = beside.substr(0, beside.find_last_of(kPathSeparators) + 1);
  // Another file of the name (left by a killed process, or planted) is
  // never opened; a fresh name is drawn instead.
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::string candidate = folder + kPrefix + randomSuffix();
    if (openExclusive(candidate)) {
      path_ = candidate;
      open_ = true;
      adoptPermissions(beside);
      return true;
    }
  }
  return false;
}

bool cTemporaryFile::commit(const std::string& target) {
  if (!close() || !replaceFile(path_, target))
    return false;
  committed_ = true;
  return true;
}

bool writeFileAtomically(const std::string& path, const std::string& content) {
  cTemporaryFile file;
  return file.create(path) && file.write(content.data(), content.size()) &&
         file.commit(path);
}
