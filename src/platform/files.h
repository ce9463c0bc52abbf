// The operating system's file calls that several parts of the tool need:
// status, replacing by rename, exclusive temporary files, whole-file reads
// and writes, the copy engine and advisory locks. One implementation per
// platform (files_posix.cpp, files_win32.cpp); files.cpp holds what both
// share.
#ifndef DRAV_PLATFORM_FILES_H_
#define DRAV_PLATFORM_FILES_H_

#include <stddef.h>
#include <stdint.h>

#include <string>

/// The separator the platform writes between a folder and a name.
extern const char kPathSeparator;
/// Every character read as a separator, whatever the platform writes.
extern const char kPathSeparators[];

/// True when `path` does not depend on the current folder.
bool isAbsolutePath(const std::string& path);

/// `path` made absolute against the current folder.
std::string absolutePath(const std::string& path);

enum FileKind {
  kMissing,  // or not examinable
  kRegularFile,
  kFolder,
  kLink,  // only when links are not followed
  kOtherFile,
};

struct FileStatus {
  FileKind kind = kMissing;
  /// POSIX permission bits; on Windows 0444 or 0666 by the read-only
  /// attribute, with 0111 added for folders.
  uint32_t permissions = 0;
  uint64_t size = 0;
  uint32_t modified = 0;  // seconds since 1970
};

/// One metadata query. With `followLinks` false a link reports as kLink.
FileStatus fileStatus(const std::string& path, bool followLinks = true);

/// True when both paths name the same existing file, under whatever
/// spelling or link.
bool isSameFile(const std::string& first, const std::string& second);

/// True when `path` names a file, not a folder, that can be opened for
/// reading.
bool isReadableFile(const std::string& path);

/// Moves the file or folder `from` over `to` in one step, replacing a file
/// `to`, so readers see either the old or the new one, never a part.
bool replaceFile(const std::string& from, const std::string& to);

/// Removes the file `path` if it exists.
void removeFile(const std::string& path);

/// Reads the whole file. Other processes may rename over it meanwhile (on
/// Windows too), so a reader never makes a writer fail.
bool readWholeFile(const std::string& path, std::string* text);

/// A new file of its own, created exclusively (never through a link)
/// under an unpredictable name beside another path, written and then
/// either renamed over that path or removed.
class cTemporaryFile {
 public:
  cTemporaryFile();
  /// Closes the file and removes it unless it was committed.
  ~cTemporaryFile();

  /// Creates ".drav-tmp-" plus a random suffix in the folder of `beside`,
  /// so that a rename over `beside` stays within one file system.
  bool create(const std::string& beside);
  const std::string& path() const { return path_; }
  /// The open descriptor (POSIX) or HANDLE (Windows).
  intptr_t handle() const { return handle_; }
  bool write(const char* data, size_t size);
  /// Closes the file; false when a write failed or the close did (some
  /// file systems report a failed write only then).
  bool close();
  /// Closes the file and renames it over `target`; false (and the file
  /// removed) when that fails.
  bool commit(const std::string& target);

 private:
  cTemporaryFile(const cTemporaryFile&) = delete;
  cTemporaryFile& operator=(const cTemporaryFile&) = delete;
  bool openExclusive(const std::string& path);

  std::string path_;
  intptr_t handle_;
  bool open_;
  bool failed_;
  bool committed_;
};

/// Replaces `path` by a file holding exactly `content`, written to a
/// temporary file beside it and renamed over it when complete.
bool writeFileAtomically(const std::string& path, const std::string& content);

enum CopyOutcome {
  kCopied,
  // Missing, a folder, or a file that can't be opened for reading: nothing
  // to report, as the copy's one open of the source tells it.
  kSourceMissing,
  // Windows only: a file that passed the first look but refused the open
  // for the copy itself.
  kSourceUnreadable,
  kTargetUnwritable,
  kTransferFailed,
};

/// Copies `source` byte for byte over `destination` through a temporary
/// file beside it, renamed over it only when complete, so a failure leaves
/// an existing destination as it was. The source is opened first: when it
/// is no readable file nothing is created. kTransferFailed covers a failed
/// read, write or close after both files were opened; kTargetUnwritable a
/// temporary file that can't be made or renamed.
CopyOutcome copyFileAtomically(const std::string& source,
                               const std::string& destination);

/// An exclusive advisory lock on a file, held for the object's lifetime;
/// the system releases it too when the process dies.
class cFileLock {
 public:
  /// Opens (creating it) and locks the file `path`, waiting for other
  /// holders.
  explicit cFileLock(const std::string& path);
  ~cFileLock();
  bool held() const { return held_; }

 private:
  cFileLock(const cFileLock&) = delete;
  cFileLock& operator=(const cFileLock&) = delete;
  intptr_t handle_;
  bool held_;
};

#endif  // DRAV_PLATFORM_FILES_H_
