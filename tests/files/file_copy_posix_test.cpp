// File operations where POSIX alone can stage the fault or the scene:
// a write cut short by a file size limit or by the kernel, links, special
// files, and a normal user's permissions.
#include <dlfcn.h>
#include <errno.h>
#include <pwd.h>
#include <signal.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>

#include "files/directory.h"
#include "files/file_copy.h"
#include "files/paths.h"
#include "platform/files.h"
#include "test_util.h"

namespace fs = std::filesystem;

// While set, every write to a file other than the standard streams takes
// at most 1000 bytes, and the kernel's copy is unavailable, as on some
// file systems and pipes. These definitions stand in for the C library's
// in this test program.
static bool gShortWrites = false;

extern "C" ssize_t write(int file, const void* data, size_t size) {
  using WriteFunction = ssize_t (*)(int, const void*, size_t);
  static WriteFunction next = reinterpret_cast<WriteFunction>(dlsym(RTLD_NEXT, "write"));
  if (gShortWrites && file > 2 && size > 1000)
    size = 1000;
  return next(file, data, size);
}

extern "C" ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset,
                                   size_t size, unsigned flags) {
  using CopyFunction = ssize_t (*)(int, off64_t*, int, off64_t*, size_t, unsigned);
  static CopyFunction next =
      reinterpret_cast<CopyFunction>(dlsym(RTLD_NEXT, "copy_file_range"));
  if (gShortWrites) {
    errno = EXDEV;
    return -1;
  }
  return next(in, inOffset, out, outOffset, size, flags);
}

namespace {

class ScopedShortWrites {
 public:
  ScopedShortWrites() { gShortWrites = true; }
  ~ScopedShortWrites() { gShortWrites = false; }
};

TEST(FileCopyPosix, ShortWritesAreContinuedToTheEnd) {
  ScopedTempDir dir;
  std::string content;
  for (int i = 0; content.size() < 300 * 1000; ++i)
    content += std::to_string(i) + ",";
  writeFile(dir.file("source.bin"), content);
  ScopedShortWrites shortWrites;
  EXPECT_TRUE(copyFile(dir.file("source.bin"), dir.file("copy.bin")));
  EXPECT_TRUE(writeFileAtomically(dir.file("written.bin"), content));
  EXPECT_EQ(content, readFile(dir.file("copy.bin")));
  EXPECT_EQ(content, readFile(dir.file("written.bin")));
}

// Files of /proc tell size 0 and still hold text.
TEST(FileCopyPosix, SourceThatTellsNoSizeIsReadToItsEnd) {
  ScopedTempDir dir;
  std::string expected = readFile("/proc/version");
  if (expected.empty())
    GTEST_SKIP() << "no /proc/version here";
  ASSERT_EQ(0u, fileStatus("/proc/version").size);
  EXPECT_TRUE(copyFile("/proc/version", dir.file("version")));
  EXPECT_EQ(expected, readFile(dir.file("version")));
}

// The temporary file lies beside its destination: the current folder may
// be one where nothing can be made (/proc, even for root) or another file
// system.
TEST(FileCopyPosix, TemporaryFileIsMadeBesideTheDestination) {
  ScopedTempDir dir;
  writeFile(dir.file("source.txt"), "content");
  fs::path saved = fs::current_path();
  fs::current_path("/proc");
  bool copied = copyFile(dir.file("source.txt"), dir.file("copy.txt"));
  bool written = writeFileAtomically(dir.file("written.txt"), "text");
  fs::current_path(saved);
  EXPECT_TRUE(copied);
  EXPECT_TRUE(written);
  EXPECT_EQ("content", readFile(dir.file("copy.txt")));
  EXPECT_EQ("text", readFile(dir.file("written.txt")));
  EXPECT_EQ((std::vector<std::string>{"copy.txt", "source.txt", "written.txt"}),
            sortedFiles(dir.path()));
}

/// Runs `check` in a child process and returns its exit code, or -1 when
/// it did not exit normally.
int exitCodeOfChild(const std::function<int()>& check) {
  pid_t child = fork();
  if (child == 0)
    _exit(check());
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
    return -1;
  return WEXITSTATUS(status);
}

/// Copies in a child process whose files may not grow past 4 KiB.
/// Returns 1 when copyFile returned true, 0 when false.
int copyWithSizeLimit(const std::string& source, const std::string& target) {
  return exitCodeOfChild([&] {
    rlimit limit = {4096, 4096};
    // Without the signal ignored the child would die at the limit instead
    // of seeing the write fail.
    signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
      return 2;
    return copyFile(source, target) ? 1 : 0;
  });
}

TEST(FileCopyPosix, FailingWriteKeepsTheOldDestinationAndNoTemporary) {
  ScopedTempDir dir;
  writeFile(dir.file("source.bin"), std::string(64 * 1024, 's'));
  writeFile(dir.file("copy.bin"), "old content");
  EXPECT_EQ(0, copyWithSizeLimit(dir.file("source.bin"), dir.file("copy.bin")));
  EXPECT_EQ("old content", readFile(dir.file("copy.bin")));
  EXPECT_EQ((std::vector<std::string>{"copy.bin", "source.bin"}),
            sortedFiles(dir.path()));
}

TEST(FileCopyPosix, FailingWriteCreatesNoDestination) {
  ScopedTempDir dir;
  writeFile(dir.file("source.bin"), std::string(64 * 1024, 's'));
  EXPECT_EQ(0, copyWithSizeLimit(dir.file("source.bin"), dir.file("copy.bin")));
  EXPECT_EQ((std::vector<std::string>{"source.bin"}), sortedFiles(dir.path()));
}

TEST(FileCopyPosix, CopyBelowTheLimitSucceedsInTheSameSetting) {
  ScopedTempDir dir;
  writeFile(dir.file("source.bin"), std::string(1000, 's'));
  EXPECT_EQ(1, copyWithSizeLimit(dir.file("source.bin"), dir.file("copy.bin")));
  EXPECT_EQ(std::string(1000, 's'), readFile(dir.file("copy.bin")));
}

TEST(FileCopyPosix, CopyOntoALinkToTheSourceKeepsBoth) {
  ScopedTempDir dir;
  writeFile(dir.file("asset.tmx"), "precious");
  ASSERT_EQ(0, symlink(dir.file("asset.tmx").c_str(), dir.file("link").c_str()));
  EXPECT_TRUE(copyFile(dir.file("asset.tmx"), dir.file("link")));
  EXPECT_EQ("precious", readFile(dir.file("asset.tmx")));
  EXPECT_TRUE(fs::is_symlink(dir.file("link")));
  EXPECT_TRUE(copyFile(dir.file("link"), dir.file("asset.tmx")));
  EXPECT_EQ("precious", readFile(dir.file("asset.tmx")));
}

TEST(FileCopyPosix, DeleteFolderRemovesALinkToAFileOutside) {
  ScopedTempDir dir;
  writeFile(dir.file("precious.txt"), "keep me");
  chmod(dir.file("precious.txt").c_str(), 0444);
  std::string folder = dir.file("folder");
  fs::create_directory(folder);
  ASSERT_EQ(0, symlink(dir.file("precious.txt").c_str(),
                       joinPath(folder, "link").c_str()));
  ASSERT_EQ(0, symlink("dangling-target", joinPath(folder, "dangling").c_str()));
  cFileSystem fileSystem;
  EXPECT_EQ(0u, fileSystem.deleteFolder(folder, true));
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder)));
  EXPECT_EQ("keep me", readFile(dir.file("precious.txt")));
  struct stat info;
  ASSERT_EQ(0, stat(dir.file("precious.txt").c_str(), &info));
  EXPECT_EQ(0444u, info.st_mode & 07777);
}

/// Runs `check` in a child process as an ordinary user, who owns `folder`,
/// so permission bits bind as they do for a player. Returns the exit code.
int exitCodeAsUser(const std::string& folder, const std::function<int()>& check) {
  if (geteuid() != 0)
    return exitCodeOfChild(check);
  const passwd* nobody = getpwnam("nobody");
  if (!nobody)
    return -2;
  if (chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
    return -3;
  return exitCodeOfChild([&] {
    if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
      return 100;
    return check();
  });
}

TEST(FileCopyPosix, DeleteFolderEmptiesReadOnlyFoldersOfTheUser) {
  ScopedTempDir dir;
  std::string folder = dir.file("staging");
  int code = exitCodeAsUser(dir.path(), [&] {
    std::string nested = joinPath(folder, "locked");
    if (!createFolder(folder) || !createFolder(nested))
      return 101;
    writeFile(joinPath(nested, "a.txt"), "a");
    writeFile(joinPath(nested, ".b"), "b");
    if (chmod(nested.c_str(), 0555) != 0 || chmod(folder.c_str(), 0555) != 0)
      return 102;
    cFileSystem fileSystem;
    uint32_t result = fileSystem.deleteFolder(folder, true);
    return result == 0 && fileStatus(folder).kind != kFolder ? 0 : 103;
  });
  EXPECT_EQ(0, code);
}

TEST(FileCopyPosix, CopyIntoAReadOnlyFolderFailsForTheUser) {
  ScopedTempDir dir;
  std::string folder = dir.file("game");
  int code = exitCodeAsUser(dir.path(), [&] {
    if (!createFolder(folder))
      return 101;
    writeFile(dir.file("source.txt"), "new");
    writeFile(joinPath(folder, "asset.txt"), "old");
    if (chmod(folder.c_str(), 0555) != 0)
      return 102;
    if (copyFile(dir.file("source.txt"), joinPath(folder, "asset.txt")))
      return 103;
    return readFile(joinPath(folder, "asset.txt")) == "old" ? 0 : 104;
  });
  EXPECT_EQ(0, code);
}

TEST(FileCopyPosix, DeleteFolderReturnsTheErrnoOfTheFailingCall) {
  ScopedTempDir dir;
  std::string folder = dir.file("staging");
  int code = exitCodeAsUser(dir.path(), [&] {
    std::string nested = joinPath(folder, "other");
    if (!createFolder(folder) || !createFolder(nested))
      return 101;
    writeFile(joinPath(nested, "a.txt"), "a");
    return 0;
  });
  ASSERT_EQ(0, code);
  // The folder inside belongs to someone else now, so the user can't open
  // it up for deletion.
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root to hand a folder to another user";
  ASSERT_EQ(0, chown(joinPath(folder, "other").c_str(), 0, 0));
  ASSERT_EQ(0, chmod(joinPath(folder, "other").c_str(), 0755));
  code = exitCodeAsUser(dir.path(), [&] {
    cFileSystem fileSystem;
    return static_cast<int>(fileSystem.deleteFolder(folder, true));
  });
  EXPECT_EQ(EACCES, code);
  EXPECT_EQ("a", readFile(joinPath(joinPath(folder, "other"), "a.txt")));
}

}  // namespace

namespace {

TEST(FileCopyPosix, ReplacingAFileKeepsItsPermissionBits) {
  ScopedTempDir dir;
  writeFile(dir.file("source.txt"), "new");
  const mode_t modes[] = {0600, 0640, 0755, 0444 | 0200};
  for (mode_t mode : modes) {
    writeFile(dir.file("kept.txt"), "old");
    ASSERT_EQ(0, chmod(dir.file("kept.txt").c_str(), mode));
    ASSERT_TRUE(copyFile(dir.file("source.txt"), dir.file("kept.txt"))) << mode;
    EXPECT_EQ("new", readFile(dir.file("kept.txt")));
    EXPECT_EQ(mode, fileStatus(dir.file("kept.txt")).permissions) << std::oct << mode;
  }
}

TEST(FileCopyPosix, OnlyRegularFilesAreCopiedAndNoneIsWaitedOn) {
  ScopedTempDir dir;
  ASSERT_EQ(0, mkfifo(dir.file("fifo").c_str(), 0600));
  // A FIFO with no writer would hold a plain open for ever; the child is
  // killed by the alarm if it does.
  for (const std::string& source : {dir.file("fifo"), std::string("/dev/zero")}) {
    int copied = exitCodeOfChild([&] {
      alarm(5);
      return (copyFile(source, dir.file("copy")) ? 1 : 0) + (fileExists(source) ? 2 : 0);
    });
    EXPECT_EQ(0, copied) << source;
    EXPECT_FALSE(fs::exists(dir.file("copy"))) << source;
  }
}

TEST(FileCopyPosix, FailedWriteGivesTheSystemsReason) {
  ScopedTempDir dir;
  writeFile(dir.file("source.bin"), std::string(64 * 1024, 's'));
  int pipeEnds[2];
  ASSERT_EQ(0, pipe(pipeEnds));
  int code = exitCodeOfChild([&] {
    dup2(pipeEnds[1], STDOUT_FILENO);
    rlimit limit = {4096, 4096};
    signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
      return 2;
    bool copied = copyFile(dir.file("source.bin"), dir.file("copy.bin"));
    std::cout.flush();
    return copied ? 1 : 0;
  });
  close(pipeEnds[1]);
  char text[512] = {};
  ssize_t got = read(pipeEnds[0], text, sizeof text - 1);
  close(pipeEnds[0]);
  EXPECT_EQ(0, code);
  ASSERT_GT(got, 0);
  EXPECT_EQ("\nFailed to write to copy.bin: " + std::string(strerror(EFBIG)) + "\n",
            std::string(text));
}

TEST(FileCopyPosix, DeleteFolderRemovesALinkInTheFoldersPlaceAsALink) {
  ScopedTempDir dir;
  fs::create_directories(dir.file("target/sub"));
  writeFile(dir.file("target/sub/keep.txt"), "k");
  writeFile(dir.file("target/keep.txt"), "k");
  ASSERT_EQ(0, chmod(dir.file("target").c_str(), 0555));
  ASSERT_EQ(0, symlink(dir.file("target").c_str(), dir.file("staging").c_str()));
  EXPECT_EQ(0u, cFileSystem().deleteFolder(dir.file("staging"), true));
  EXPECT_EQ(kMissing, fileStatus(dir.file("staging"), false).kind);
  EXPECT_EQ("k", readFile(dir.file("target/keep.txt")));
  EXPECT_EQ("k", readFile(dir.file("target/sub/keep.txt")));
  EXPECT_EQ(0555u, fileStatus(dir.file("target")).permissions);
  chmod(dir.file("target").c_str(), 0755);
}

TEST(FileLockPosix, ASecondHolderIsToldTheLockIsBusyUntilTheFirstDies) {
  ScopedTempDir dir;
  std::string path = dir.file("lock");
  int ready[2];
  ASSERT_EQ(0, pipe(ready));
  pid_t holder = fork();
  if (holder == 0) {
    cFileLock lock(path, false);
    char byte = lock.held() ? 'y' : 'n';
    if (write(ready[1], &byte, 1) != 1)
      _exit(1);
    pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(1, read(ready[0], &byte, 1));
  ASSERT_EQ('y', byte);
  {
    cFileLock second(path, false);
    EXPECT_FALSE(second.held());
    EXPECT_TRUE(second.busy());
  }
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  cFileLock after(path, false);
  EXPECT_TRUE(after.held());
  EXPECT_FALSE(after.busy());
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
