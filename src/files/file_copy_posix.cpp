#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "files/file_copy_platform.h"

namespace {

/// Writes all `size` bytes, going on after short writes.
bool writeAll(int file, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(file, data, size);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

/// Copies from the current position of `in` to its end.
bool copyByReadWrite(int in, int out) {
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
      return false;
    if (got == 0)
      return true;
    if (!writeAll(out, buffer.get(), static_cast<size_t>(got)))
      return false;
  }
}

/// Copies `in`, which holds `size` bytes by its last look, to `out`.
bool copyContent(int in, int out, off_t size) {
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
  return size > 0 || copyByReadWrite(in, out);
}

}  // namespace

bool isReadableFile(const std::string& path) {
  int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0)
    return false;
  // A folder opens for reading like a file.
  struct stat info;
  bool isFile = fstat(file, &info) == 0 && !S_ISDIR(info.st_mode);
  close(file);
  return isFile;
}

DestinationState inspectDestination(const std::string& source,
                                    const std::string& destination) {
  struct stat target, origin;
  if (stat(destination.c_str(), &target) != 0)
    return kDestinationFree;
  if (stat(source.c_str(), &origin) == 0 && origin.st_dev == target.st_dev &&
      origin.st_ino == target.st_ino) {
    return kDestinationIsSource;
  }
  bool writable = (target.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  return writable ? kDestinationFree : kDestinationProtected;
}

CopyOutcome copyToNewFile(const std::string& source,
                          const std::string& target) {
  int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0)
    return kSourceMissing;
  // A folder opens for reading like a file.
  struct stat info;
  if (fstat(in, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(in);
    return kSourceMissing;
  }
  int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    close(in);
    return kTargetUnwritable;
  }
  bool copied = copyContent(in, out, info.st_size);
  close(in);
  // Some file systems report a failed write only at the close.
  if (close(out) != 0)
    copied = false;
  return copied ? kCopied : kTransferFailed;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0;
}

void discardFile(const std::string& path) {
  unlink(path.c_str());
}

unsigned long currentProcessId() {
  return static_cast<unsigned long>(getpid());
}
