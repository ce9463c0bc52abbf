#include "test_util.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <stdlib.h>

#include "files/directory.h"

namespace fs = std::filesystem;

ScopedTempDir::ScopedTempDir() {
  std::random_device random;
  std::error_code error;
  fs::path base = fs::temp_directory_path(error);
  do
    path_ = (base / ("drav-test-" + std::to_string(random()))).string();
  while (!fs::create_directory(path_, error));
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code error;
  // Tests leave read-only files behind; make everything writable first.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

std::string ScopedTempDir::file(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

namespace {

void setVariable(const char* name, const char* value) {
#ifdef _WIN32
  _putenv((std::string(name) + "=" + (value ? value : "")).c_str());
#else
  value ? setenv(name, value, 1) : unsetenv(name);
#endif
}

}  // namespace

cScopedVariable::cScopedVariable(const char* name, const char* value) : name_(name) {
  if (const char* old = getenv(name))
    saved_ = old;
  setVariable(name, value);
}

cScopedVariable::~cScopedVariable() { setVariable(name_, saved_ ? saved_->c_str() : nullptr); }

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> sortedFiles(const std::string& folder) {
  std::vector<std::string> names;
  listFiles(folder, &names);
  std::sort(names.begin(), names.end());
  return names;
}
