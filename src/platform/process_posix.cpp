#include "platform/process.h"

#include <fcntl.h>
#include <limits.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

#ifdef __APPLE__
const char kOpener[] = "open";
#else
const char kOpener[] = "xdg-open";
#endif

}  // namespace

uint32_t currentProcessId() {
  return static_cast<uint32_t>(getpid());
}

std::string executablePath() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer));
  if (length <= 0 || length == static_cast<ssize_t>(sizeof(buffer)))
    return std::string();
  return std::string(buffer, static_cast<size_t>(length));
}

void setEnvironmentDefault(const char* name, const std::string& value) {
  setenv(name, value.c_str(), 0);
}

void sleepMilliseconds(uint32_t milliseconds) {
  timespec delay = {static_cast<time_t>(milliseconds / 1000),
                    static_cast<long>(milliseconds % 1000) * 1000000L};
  nanosleep(&delay, nullptr);
}

// The opener runs in a grandchild, so it is detached from the tool: the
// child exits at once and is reaped here, the opener is adopted by init.
void openFolder(const std::string& folder) {
  pid_t child = fork();
  if (child < 0)
    return;
  if (child == 0) {
    setsid();
    int devNull = open("/dev/null", O_RDWR);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd <= 2; ++fd)
      posix_spawn_file_actions_adddup2(&actions, devNull, fd);
    char* argv[] = {const_cast<char*>(kOpener), const_cast<char*>(folder.c_str()),
                    nullptr};
    pid_t opener;
    posix_spawnp(&opener, kOpener, &actions, nullptr, argv, environ);
    _exit(0);
  }
  int status;
  waitpid(child, &status, 0);
}
