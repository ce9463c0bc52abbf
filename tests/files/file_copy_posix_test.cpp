// File operations where POSIX alone can stage the fault or the scene:
// writes cut short, a source that tells no size, a current folder where
// nothing can be made, links, special files and a normal user's
// permissions.
#include <dlfcn.h>
#include <errno.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

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
  static auto next = reinterpret_cast<ssize_t (*)(int, const void*, size_t)>(
      dlsym(RTLD_NEXT, "write"));
  return next(file, data, gShortWrites && file > 2 && size > 1000 ? 1000 : size);
}

extern "C" ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset,
                                   size_t size, unsigned flags) {
  static auto next = reinterpret_cast<ssize_t (*)(int, off64_t*, int, off64_t*, size_t,
                                                  unsigned)>(dlsym(RTLD_NEXT, "copy_file_range"));
  errno = EXDEV;  // looked at only when the call fails
  return gShortWrites ? -1 : next(in, inOffset, out, outOffset, size, flags);
}

namespace {

// Short writes are continued to the end; a file of /proc tells size 0 and
// still holds text; the temporary file is made beside the destination,
// never in the current folder, here one where nothing can be made; a
// replaced file keeps its permission bits.
TEST(FileCopyPosix, ShortWritesSizelessSourcesAndAnUnwritableCurrentFolder) {
  ScopedTempDir dir;
  std::string content;
  for (int i = 0; content.size() < 300 * 1000; ++i)
    content += std::to_string(i) + ",";
  writeFile(dir.file("source.bin"), content);
  writeFile(dir.file("copy.bin"), "old");
  writeFile(dir.file("written.bin"), "old");
  ASSERT_EQ(0, chmod(dir.file("copy.bin").c_str(), 0751));
  ASSERT_EQ(0, chmod(dir.file("written.bin").c_str(), 0640));
  std::string version = readFile("/proc/version");
  ASSERT_NE("", version);
  ASSERT_EQ(0u, fileStatus("/proc/version").size);
  fs::path saved = fs::current_path();
  fs::current_path("/proc");
  EXPECT_TRUE(copyFile("/proc/version", dir.file("version")));
  gShortWrites = true;
  EXPECT_TRUE(copyFile(dir.file("source.bin"), dir.file("copy.bin")));
  EXPECT_TRUE(writeFileAtomically(dir.file("written.bin"), content));
  gShortWrites = false;
  fs::current_path(saved);
  EXPECT_EQ(version, readFile(dir.file("version")));
  EXPECT_EQ(content, readFile(dir.file("copy.bin")));
  EXPECT_EQ(content, readFile(dir.file("written.bin")));
  EXPECT_EQ(0751u, fileStatus(dir.file("copy.bin")).permissions);
  EXPECT_EQ(0640u, fileStatus(dir.file("written.bin")).permissions);
}

/// Runs `check` in a child process and returns its exit code (-1 when it
/// did not exit normally). With a `folder`, as root, the child runs as an
/// ordinary user who owns that folder, so that permission bits bind as
/// they do for a player.
int exitCodeOfChild(const std::function<int()>& check, const std::string& folder = "") {
  const passwd* user = folder.empty() || geteuid() != 0 ? nullptr : getpwnam("nobody");
  if (user && chown(folder.c_str(), user->pw_uid, user->pw_gid) != 0)
    return -2;
  pid_t child = fork();
  if (child == 0)
    _exit(user && (setgid(user->pw_gid) != 0 || setuid(user->pw_uid) != 0) ? 100 : check());
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
    return -1;
  return WEXITSTATUS(status);
}

// Links are never followed into what they point at: neither when copying
// onto one, nor when listing or deleting a folder. Only regular files are
// copied, and none is waited on.
TEST(FileCopyPosix, LinksAndSpecialFiles) {
  ScopedTempDir dir;
  writeFile(dir.file("asset.tmx"), "precious");
  ASSERT_EQ(0, chmod(dir.file("asset.tmx").c_str(), 0444));
  ASSERT_EQ(0, symlink(dir.file("asset.tmx").c_str(), dir.file("link").c_str()));
  EXPECT_TRUE(copyFile(dir.file("asset.tmx"), dir.file("link")));
  EXPECT_TRUE(copyFile(dir.file("link"), dir.file("asset.tmx")));
  EXPECT_TRUE(fs::is_symlink(dir.file("link")));
  fs::create_directory(dir.file("target"));
  std::string folder = dir.file("folder");
  fs::create_directory(folder);
  for (const char* name : {"link", "target", "dangling"})
    ASSERT_EQ(0, symlink(dir.file(name).c_str(), joinPath(folder, name).c_str()));
  std::vector<std::string> folders;
  ASSERT_TRUE(listFolders(folder, &folders));
  EXPECT_TRUE(folders.empty());
  EXPECT_EQ((std::vector<std::string>{"dangling", "link"}), sortedFiles(folder));
  EXPECT_EQ(0u, cFileSystem().deleteFolder(joinPath(folder, "target"), true));
  EXPECT_EQ(0u, cFileSystem().deleteFolder(folder, true));
  EXPECT_EQ(kMissing, fileStatus(folder, false).kind);
  EXPECT_EQ("precious", readFile(dir.file("asset.tmx")));
  EXPECT_EQ(0444u, fileStatus(dir.file("asset.tmx")).permissions);
  EXPECT_EQ(kFolder, fileStatus(dir.file("target")).kind);
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

// The user's own read-only folders are opened up to be emptied; a copy
// into one fails and keeps the file there. A folder inside that belongs to
// someone else can't be opened up: the failing call's errno comes back.
TEST(FileCopyPosix, ReadOnlyFoldersOfTheUserAndOfOthers) {
  ScopedTempDir dir;
  std::string folder = dir.file("staging");
  std::string nested = joinPath(folder, "locked");
  std::string foreign = joinPath(dir.file("shared"), "foreign");
  EXPECT_EQ(0, exitCodeOfChild([&] {
    cConsoleCapture quiet;
    if (!createFolders(nested) || !createFolders(foreign))
      return 101;
    writeFile(dir.file("source.txt"), "new");
    writeFile(joinPath(nested, "a.txt"), "old");
    writeFile(joinPath(foreign, "a.txt"), "a");
    if (chmod(nested.c_str(), 0555) != 0 || chmod(folder.c_str(), 0555) != 0)
      return 102;
    if (copyFile(dir.file("source.txt"), joinPath(nested, "a.txt")) ||
        readFile(joinPath(nested, "a.txt")) != "old")
      return 103;
    return static_cast<int>(cFileSystem().deleteFolder(folder, true));
  }, dir.path()));
  EXPECT_EQ(kMissing, fileStatus(folder).kind);
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root to hand a folder to another user";
  ASSERT_EQ(0, chown(foreign.c_str(), 0, 0));
  EXPECT_EQ(EACCES, exitCodeOfChild([&] {
    return static_cast<int>(cFileSystem().deleteFolder(dir.file("shared"), true));
  }, dir.path()));
  EXPECT_EQ("a", readFile(joinPath(foreign, "a.txt")));
}

}  // namespace
