#include "platform/files.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

const char kPathSeparator = '/';

namespace {

/// Writes all `size` bytes, going on after short writes.
bool writeAll(int file, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = ::write(file, data, size);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

/// Copies from the current position of `in` to its end; kReadFailed or
/// kWriteFailed with errno set when a call fails.
CopyOutcome copyByReadWrite(int in, int out) {
  // Left uninitialised: this runs after every kernel copy, mostly only to
  // read the end, and clearing a megabyte for each small file costs more
  // than copying it.
  const size_t kBufferSize = 1 << 20;
  std::unique_ptr<char[]> buffer(new char[kBufferSize]);
  for (;;) {
    ssize_t got = read(in, buffer.get(), kBufferSize);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      return kReadFailed;
    if (got == 0)
      return kCopied;
    if (!writeAll(out, buffer.get(), static_cast<size_t>(got)))
      return kWriteFailed;
  }
}

/// Copies `in`, which holds `size` bytes by its last look, to `out`.
CopyOutcome copyContent(int in, int out, off_t size) {
  // The kernel copies without a trip through user space. Where it can't
  // (another file system, an old kernel), where it stops early, or for a
  // file that tells no size (some special files), the read/write loop goes
  // on from the same positions to the end; a real write error shows there
  // again.
  off_t left = size;
  while (left > 0) {
    ssize_t copied = copy_file_range(in, NULL, out, NULL, static_cast<size_t>(left), 0);
    if (copied < 0 && errno == EINTR)
      continue;
    if (copied <= 0)
      return copyByReadWrite(in, out);
    left -= copied;
  }
  return size > 0 ? kCopied : copyByReadWrite(in, out);
}

/// Opens `path` for reading when it is a regular file. O_NONBLOCK keeps a
/// FIFO from holding the open; a regular file ignores it.
int openRegularFile(const std::string& path) {
  int file = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (file < 0)
    return -1;
  struct stat info;
  if (fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(file);
    return -1;
  }
  return file;
}

std::string currentFolder() {
  std::vector<char> buffer(4096);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE)
      return "";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

FileKind kindOf(mode_t mode) {
  if (S_ISREG(mode))
    return kRegularFile;
  if (S_ISDIR(mode))
    return kFolder;
  return S_ISLNK(mode) ? kLink : kOtherFile;
}

}  // namespace

bool isAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string absolutePath(const std::string& path) {
  return isAbsolutePath(path) ? path : currentFolder() + "/" + path;
}

FileStatus fileStatus(const std::string& path, bool followLinks) {
  FileStatus status;
  struct stat info;
  int result = followLinks ? stat(path.c_str(), &info) : lstat(path.c_str(), &info);
  if (result != 0)
    return status;
  status.kind = kindOf(info.st_mode);
  status.permissions = static_cast<uint32_t>(info.st_mode & 07777);
  status.size = static_cast<uint64_t>(info.st_size);
  status.modified = static_cast<uint32_t>(info.st_mtime);
  return status;
}

bool isSameFile(const std::string& first, const std::string& second) {
  struct stat a, b;
  return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool isReadableFile(const std::string& path) {
  int file = openRegularFile(path);
  if (file < 0)
    return false;
  ::close(file);
  return true;
}

std::string systemErrorText(int code) { return strerror(code); }

int lastSystemError() { return errno; }

bool replaceFile(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0;
}

void removeFile(const std::string& path) {
  unlink(path.c_str());
}

bool readWholeFile(const std::string& path, std::string* text) {
  int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0)
    return false;
  text->clear();
  char buffer[65536];
  ssize_t got;
  while ((got = read(file, buffer, sizeof(buffer))) != 0) {
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      break;
    text->append(buffer, static_cast<size_t>(got));
  }
  ::close(file);
  return got == 0;
}

bool cTemporaryFile::openExclusive(const std::string& path) {
  int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (file < 0)
    return false;
  handle_ = file;
  return true;
}

void cTemporaryFile::adoptPermissions(const std::string& target) {
  struct stat info;
  if (stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode))
    fchmod(static_cast<int>(handle_), info.st_mode & 07777);
}

bool cTemporaryFile::write(const char* data, size_t size) {
  if (!open_ || !writeAll(static_cast<int>(handle_), data, size))
    failed_ = true;
  return !failed_;
}

bool cTemporaryFile::close() {
  if (open_) {
    open_ = false;
    if (::close(static_cast<int>(handle_)) != 0)
      failed_ = true;
  }
  return !path_.empty() && !failed_;
}

CopyOutcome copyFileAtomically(const std::string& source,
                               const std::string& destination, std::string* reason) {
  int in = openRegularFile(source);
  if (in < 0)
    return kSourceMissing;
  struct stat info;
  CopyOutcome outcome = kTargetUnwritable;
  cTemporaryFile target;
  if (fstat(in, &info) == 0 && target.create(destination)) {
    outcome = copyContent(in, static_cast<int>(target.handle()), info.st_size);
    if (outcome == kCopied && !target.close())
      outcome = kWriteFailed;
    if (outcome == kCopied && !target.commit(destination))
      outcome = kTargetUnwritable;
  }
  int error = errno;
  ::close(in);
  if (reason && outcome != kCopied)
    *reason = systemErrorText(error);
  return outcome;
}

cFileLock::cFileLock(const std::string& path, bool wait)
    : path_(path), handle_(-1), held_(false), busy_(false) {
  int file = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (file < 0)
    return;
  int locked;
  do
    locked = flock(file, wait ? LOCK_EX : LOCK_EX | LOCK_NB);
  while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    busy_ = errno == EWOULDBLOCK;
    ::close(file);
    return;
  }
  handle_ = file;
  held_ = true;
}

cFileLock::~cFileLock() {
  // Closing the last descriptor releases the lock.
  if (held_)
    ::close(static_cast<int>(handle_));
}
