#include "platform/files.h"

#include <windows.h>

#include <vector>

const char kPathSeparator = '\\';

namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

/// The volume serial number and file index of `path`.
bool identify(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
  // No access rights asked: the identity is readable even for files that
  // are open elsewhere or can't be read.
  HANDLE file = CreateFileA(path.c_str(), 0, kShareAll, NULL, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, NULL);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  BOOL known = GetFileInformationByHandle(file, info);
  CloseHandle(file);
  return known;
}

bool writeAll(HANDLE out, const char* data, size_t size) {
  while (size > 0) {
    DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(out, data, chunk, &written, NULL) || written == 0)
      return false;
    data += written;
    size -= written;
  }
  return true;
}

CopyOutcome copyContent(HANDLE in, HANDLE out) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                  NULL))
      return kReadFailed;
    if (got == 0)
      return kCopied;
    if (!writeAll(out, buffer.data(), got))
      return kWriteFailed;
  }
}

/// Seconds since 1970 of a FILETIME (100 ns ticks since 1601).
uint32_t unixTime(const FILETIME& time) {
  uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  const uint64_t kEpochDifference = 11644473600ULL;
  return static_cast<uint32_t>(ticks / 10000000ULL - kEpochDifference);
}

}  // namespace

// "C:\\x", "C:x" (relative to that drive's folder, never to ours), "\\x"
// and "\\\\server\\x" all leave the current folder out.
bool isAbsolutePath(const std::string& path) {
  return (!path.empty() && (path[0] == '\\' || path[0] == '/')) ||
         (path.size() > 1 && path[1] == ':');
}

std::string absolutePath(const std::string& path) {
  DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  std::vector<char> buffer(size + 1);
  if (size == 0 ||
      GetFullPathNameA(path.c_str(), buffer.size(), buffer.data(), nullptr) == 0)
    return path;
  return buffer.data();
}

FileStatus fileStatus(const std::string& path, bool followLinks) {
  FileStatus status;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    return status;
  DWORD attributes = data.dwFileAttributes;
  bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!followLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    status.kind = kLink;
  else
    status.kind = folder ? kFolder : kRegularFile;
  status.permissions = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  if (folder)
    status.permissions |= 0111;
  status.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  status.modified = unixTime(data.ftLastWriteTime);
  return status;
}

bool isSameFile(const std::string& first, const std::string& second) {
  BY_HANDLE_FILE_INFORMATION a, b;
  return identify(first, &a) && identify(second, &b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

bool isReadableFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, NULL, OPEN_EXISTING,
                            0, NULL);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  // Devices and pipes open like files.
  bool regular = GetFileType(file) == FILE_TYPE_DISK;
  CloseHandle(file);
  return regular;
}

std::string systemErrorText(int code) {
  char text[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, static_cast<DWORD>(code), 0, text,
                                sizeof text, nullptr);
  // The system's text ends in a full stop and a line break.
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                        text[length - 1] == '.'))
    --length;
  return std::string(text, length);
}

int lastSystemError() { return static_cast<int>(GetLastError()); }

bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void removeFile(const std::string& path) {
  DeleteFileA(path.c_str());
}

bool readWholeFile(const std::string& path, std::string* text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr,
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

bool cTemporaryFile::openExclusive(const std::string& path) {
  // CREATE_NEW fails on any existing name, a link included.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  handle_ = reinterpret_cast<intptr_t>(file);
  return true;
}

// A replaced file that is read-only is refused before any copy, so the
// attributes of a new file fit every file that is replaced.
void cTemporaryFile::adoptPermissions(const std::string&) {}

bool cTemporaryFile::write(const char* data, size_t size) {
  if (!open_ || !writeAll(reinterpret_cast<HANDLE>(handle_), data, size))
    failed_ = true;
  return !failed_;
}

bool cTemporaryFile::close() {
  if (open_) {
    open_ = false;
    if (!CloseHandle(reinterpret_cast<HANDLE>(handle_)))
      failed_ = true;
  }
  return !path_.empty() && !failed_;
}

CopyOutcome copyFileAtomically(const std::string& source,
                               const std::string& destination, std::string* reason) {
  if (!isReadableFile(source))
    return kSourceMissing;
  HANDLE in = CreateFileA(source.c_str(), GENERIC_READ, kShareAll, NULL,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
  CopyOutcome outcome = kSourceUnreadable;
  cTemporaryFile target;
  if (in != INVALID_HANDLE_VALUE) {
    outcome = kTargetUnwritable;
    if (target.create(destination))
      outcome = copyContent(in, reinterpret_cast<HANDLE>(target.handle()));
    if (outcome == kCopied && !target.close())
      outcome = kWriteFailed;
    if (outcome == kCopied && !target.commit(destination))
      outcome = kTargetUnwritable;
  }
  DWORD error = GetLastError();
  if (in != INVALID_HANDLE_VALUE)
    CloseHandle(in);
  if (reason && outcome != kCopied)
    *reason = systemErrorText(static_cast<int>(error));
  return outcome;
}

cFileLock::cFileLock(const std::string& path, bool wait)
    : path_(path), handle_(0), held_(false), busy_(false) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  OVERLAPPED whole = {};
  DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
  if (!LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &whole)) {
    busy_ = GetLastError() == ERROR_LOCK_VIOLATION;
    CloseHandle(file);
    return;
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  held_ = true;
}

cFileLock::~cFileLock() {
  if (!held_)
    return;
  HANDLE file = reinterpret_cast<HANDLE>(handle_);
  OVERLAPPED whole = {};
  UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(file);
}
