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

/// True when `path` names a regular file that can be opened for reading.
/// FIFOs, devices and sockets are refused without waiting on them.
bool isReadableFile(const std::string& path);

/// The operating system's text for its error `code` (an errno, or a Win32
/// error on Windows), e.g. "No space left on device".
std::string systemErrorText(int code);

/// The code of the last failed system call: errno, or GetLastError().
int lastSystemError();

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

  /// The name every temporary file of the tool begins with.
  static const char kPrefix[];

  /// Creates ".drav-tmp-" plus a random suffix in the folder of `beside`,
  /// so that a rename over `beside` stays within one file system, with the
  /// permission bits of a file `beside` that it will replace.
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
  void adoptPermissions(const std::string& target);
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
  // Missing, a folder, a FIFO, device or socket, or a file that can't be
  // opened for reading: nothing to report, as the copy's one open of the
  // source tells it.
  kSourceMissing,
  // Windows only: a file that passed the first look but refused the open
  // for the copy itself.
  kSourceUnreadable,
  kTargetUnwritable,
  kReadFailed,
  kWriteFailed,
};

/// Copies `source` byte for byte over `destination` through a temporary
/// file beside it, renamed over it only when complete, so a failure leaves
/// an existing destination as it was; a replaced file's permission bits
/// are kept. The source is opened first (never waiting on a FIFO): when it
/// is no regular, readable file nothing is created. kReadFailed and
/// kWriteFailed cover a failed read, or a failed write or close, after
/// both files were opened; kTargetUnwritable a temporary file that can't be
/// made or renamed. `reason`, when given, gets the system's text for a
/// failure.
CopyOutcome copyFileAtomically(const std::string& source,
                               const std::string& destination,
                               std::string* reason = nullptr);

/// An exclusive advisory lock on a file, held for the object's lifetime;
/// the system releases it too when the process dies.
class cFileLock {
 public:
  /// Opens (creating it) and locks the file `path`, waiting for other
  /// holders, or with `wait` false giving up at once when another holds it.
  explicit cFileLock(const std::string& path, bool wait = true);
  ~cFileLock();
  bool held() const { return held_; }
  const std::string& path() const { return path_; }
  /// True when the lock was not taken because another holder has it (as
  /// against a file that can't be made).
  bool busy() const { return busy_; }

 private:
  cFileLock(const cFileLock&) = delete;
  cFileLock& operator=(const cFileLock&) = delete;
  std::string path_;
  intptr_t handle_;
  bool held_;
  bool busy_;
};

#endif  // DRAV_PLATFORM_FILES_H_
