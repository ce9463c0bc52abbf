#include "steam/local_store_platform.h"

#include <windows.h>

namespace {

/// Seconds since 1970 of a FILETIME (100 ns ticks since 1601).
uint32_t unixTime(const FILETIME& time) {
  uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  const uint64_t kEpochDifference = 11644473600ULL;
  return static_cast<uint32_t>(ticks / 10000000ULL - kEpochDifference);
}

bool attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, data) != 0;
}

}  // namespace

bool lockStoreFile(const std::string& path, intptr_t* handle) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  OVERLAPPED whole = {};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    CloseHandle(file);
    return false;
  }
  *handle = reinterpret_cast<intptr_t>(file);
  return true;
}

void unlockStoreFile(intptr_t handle) {
  HANDLE file = reinterpret_cast<HANDLE>(handle);
  OVERLAPPED whole = {};
  UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(file);
}

bool statFolder(const std::string& path, uint32_t* modified) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!attributes(path, &data) || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  if (modified)
    *modified = unixTime(data.ftLastWriteTime);
  return true;
}

bool statPath(const std::string& path, uint32_t* modified) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!attributes(path, &data))
    return false;
  if (modified)
    *modified = unixTime(data.ftLastWriteTime);
  return true;
}

bool readStoreFile(const std::string& path, std::string* text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  text->clear();
  char buffer[65536];
  DWORD got = 0;
  BOOL ok;
  while ((ok = ReadFile(file, buffer, sizeof(buffer), &got, nullptr)) && got > 0)
    text->append(buffer, got);
  CloseHandle(file);
  return ok != FALSE;
}

uint32_t storeProcessId() {
  return static_cast<uint32_t>(GetCurrentProcessId());
}
