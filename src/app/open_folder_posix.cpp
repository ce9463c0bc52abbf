#include "app/open_folder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

#ifdef __APPLE__
const char kOpener[] = "open";
#else
const char kOpener[] = "xdg-open";
#endif

}  // namespace

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
