#include "steam/local_store_platform.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

bool lockStoreFile(const std::string& path, intptr_t* handle) {
  int file = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (file < 0)
    return false;
  int locked;
  do
    locked = flock(file, LOCK_EX);
  while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    close(file);
    return false;
  }
  *handle = file;
  return true;
}

void unlockStoreFile(intptr_t handle) {
  // Closing the last descriptor releases the lock.
  close(static_cast<int>(handle));
}

bool statFolder(const std::string& path, uint32_t* modified) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    return false;
  if (modified)
    *modified = static_cast<uint32_t>(info.st_mtime);
  return true;
}

bool statPath(const std::string& path, uint32_t* modified) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0)
    return false;
  if (modified)
    *modified = static_cast<uint32_t>(info.st_mtime);
  return true;
}

bool readStoreFile(const std::string& path, std::string* text) {
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
  close(file);
  return got == 0;
}

uint32_t storeProcessId() {
  return static_cast<uint32_t>(getpid());
}
