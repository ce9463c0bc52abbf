#include <windows.h>

#include <vector>

#include "files/file_copy_platform.h"

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

bool copyContent(HANDLE in, HANDLE out) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                  NULL))
      return false;
    if (got == 0)
      return true;
    DWORD written = 0;
    if (!WriteFile(out, buffer.data(), got, &written, NULL) || written != got)
      return false;
  }
}

bool isSameFile(const std::string& first, const std::string& second) {
  BY_HANDLE_FILE_INFORMATION a, b;
  return identify(first, &a) && identify(second, &b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

bool isReadableFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, NULL, OPEN_EXISTING,
                            0, NULL);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(file);
  return true;
}

DestinationState inspectDestination(const std::string& source,
                                    const std::string& destination) {
  DWORD attributes = GetFileAttributesA(destination.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return kDestinationFree;
  if (isSameFile(source, destination))
    return kDestinationIsSource;
  return (attributes & FILE_ATTRIBUTE_READONLY) ? kDestinationProtected
                                                : kDestinationFree;
}

CopyOutcome copyToNewFile(const std::string& source,
                          const std::string& target) {
  if (!isReadableFile(source))
    return kSourceMissing;
  HANDLE in = CreateFileA(source.c_str(), GENERIC_READ, kShareAll, NULL,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
  if (in == INVALID_HANDLE_VALUE)
    return kSourceUnreadable;
  HANDLE out = CreateFileA(target.c_str(), GENERIC_WRITE, 0, NULL,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (out == INVALID_HANDLE_VALUE) {
    CloseHandle(in);
    return kTargetUnwritable;
  }
  bool copied = copyContent(in, out);
  CloseHandle(in);
  if (!CloseHandle(out))
    copied = false;
  return copied ? kCopied : kTransferFailed;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void discardFile(const std::string& path) {
  DeleteFileA(path.c_str());
}

unsigned long currentProcessId() {
  return GetCurrentProcessId();
}
