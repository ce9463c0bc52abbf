#include <windows.h>

#include <string.h>

#include "files/directory.h"
#include "files/paths.h"

namespace {

enum ReaderStatus {
  kReaderOk,
  kInvalidArgument,
  kNameTooLong,
  kNoSuchEntry,
  kIoError,
};

/// A folder enumerator over the Win32 search calls.
struct DirectoryReader {
  char folderPath[4096] = {};
  int hasNext = 0;
  HANDLE search = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA findRecord;
};

struct DirectoryEntry {
  char name[256];
  int isFolder;
};

void closeReader(DirectoryReader* reader) {
  reader->folderPath[0] = '\0';
  reader->hasNext = 0;
  if (reader->search != INVALID_HANDLE_VALUE)
    FindClose(reader->search);
  reader->search = INVALID_HANDLE_VALUE;
}

ReaderStatus openReader(DirectoryReader* reader, const std::string& folder) {
  closeReader(reader);
  if (folder.empty())
    return kInvalidArgument;
  // Room for the "\*" that the search pattern appends.
  if (folder.size() + 2 >= sizeof(reader->folderPath))
    return kNameTooLong;
  memcpy(reader->folderPath, folder.c_str(), folder.size());
  strcpy(reader->folderPath + folder.size(), "\\*");
  reader->search = FindFirstFileA(reader->folderPath, &reader->findRecord);
  reader->folderPath[folder.size()] = '\0';
  if (reader->search == INVALID_HANDLE_VALUE) {
    closeReader(reader);
    return kNoSuchEntry;
  }
  reader->hasNext = 1;
  return kReaderOk;
}

ReaderStatus readEntry(const DirectoryReader& reader, DirectoryEntry* entry) {
  if (reader.search == INVALID_HANDLE_VALUE)
    return kNoSuchEntry;
  size_t nameLength = strlen(reader.findRecord.cFileName);
  if (strlen(reader.folderPath) + nameLength + 3 >= sizeof(reader.folderPath) ||
      nameLength >= sizeof(entry->name))
    return kNameTooLong;
  memcpy(entry->name, reader.findRecord.cFileName, nameLength + 1);
  entry->isFolder =
      (reader.findRecord.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
  return kReaderOk;
}

ReaderStatus nextEntry(DirectoryReader* reader) {
  if (!reader->hasNext)
    return kNoSuchEntry;
  if (!FindNextFileA(reader->search, &reader->findRecord)) {
    reader->hasNext = 0;
    DWORD error = GetLastError();
    if (error != 0 && error != ERROR_NO_MORE_FILES) {
      closeReader(reader);
      return kIoError;
    }
  }
  return kReaderOk;
}

bool isDotOrDotDot(const char* name) {
  return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

/// Removes a link or junction itself. Its attributes are left alone:
/// setting them could reach the target.
DWORD removeLink(const std::string& path, DWORD attributes) {
  BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY)
                     ? RemoveDirectoryA(path.c_str())
                     : DeleteFileA(path.c_str());
  return removed ? 0 : GetLastError();
}

/// Clears read-only, hidden and system, which would stop the deletion.
DWORD removeFile(const std::string& path) {
  if (!SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) ||
      !DeleteFileA(path.c_str()))
    return GetLastError();
  return 0;
}

}  // namespace

bool listFiles(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  DirectoryReader reader;
  bool opened = openReader(&reader, folder) == kReaderOk;
  while (reader.hasNext) {
    DirectoryEntry entry;
    if (readEntry(reader, &entry) == kReaderOk && !entry.isFolder)
      names->push_back(entry.name);
    nextEntry(&reader);
  }
  closeReader(&reader);
  return opened;
}

bool createFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), NULL) ||
         GetLastError() == ERROR_ALREADY_EXISTS;
}

bool listFolders(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  DirectoryReader reader;
  bool read = openReader(&reader, folder) == kReaderOk;
  while (reader.hasNext) {
    DirectoryEntry entry;
    // A junction or link is no folder of this one.
    bool link = (reader.findRecord.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (readEntry(reader, &entry) == kReaderOk && entry.isFolder && !link &&
        !isDotOrDotDot(entry.name))
      names->push_back(entry.name);
    if (nextEntry(&reader) == kIoError)
      read = false;
  }
  closeReader(&reader);
  return read;
}

uint32_t cFileSystem::deleteFolder(const std::string& folder,
                                   bool withSubfolders) {
  // A link in the folder's place goes as a link; its target is not ours.
  DWORD top = GetFileAttributesA(folder.c_str());
  if (top != INVALID_FILE_ATTRIBUTES && (top & FILE_ATTRIBUTE_REPARSE_POINT))
    return removeLink(folder, top);
  WIN32_FIND_DATAA record;
  HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &record);
  if (search == INVALID_HANDLE_VALUE)
    return 0;
  bool subfolderLeft = false;
  DWORD code = 0;
  do {
    if (isDotOrDotDot(record.cFileName))
      continue;
    std::string path = joinPath(folder, record.cFileName);
    DWORD attributes = record.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
      code = removeLink(path, attributes);
    else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
      code = removeFile(path);
    else if (withSubfolders)
      code = deleteFolder(path, withSubfolders);
    else
      subfolderLeft = true;
  } while (code == 0 && FindNextFileA(search, &record));
  if (code == 0 && GetLastError() != ERROR_NO_MORE_FILES)
    code = GetLastError();
  FindClose(search);
  if (code != 0 || subfolderLeft)
    return code;
  if (!SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL) ||
      !RemoveDirectoryA(folder.c_str()))
    return GetLastError();
  return 0;
}
