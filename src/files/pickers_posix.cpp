#include "files/pickers.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "console/console.h"
#include "files/paths.h"
#include "files/pickers_internal.h"
#include "platform/files.h"

extern char** environ;

namespace {

bool onPath(const std::string& program) {
  const char* path = getenv("PATH");
  for (const std::string& folder : tokenize(path ? path : "", ":")) {
    if (access((folder + "/" + program).c_str(), X_OK) == 0)
      return true;
  }
  return false;
}

bool hasDesktop() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = getenv(variable);
    if (value && *value)
      return true;
  }
  return false;
}

// The desktop's chooser program, or "" when the console picker must serve:
// no desktop, none installed, or a script at standard input.
std::string desktopChooser() {
  if (!stdinIsTerminal() || !hasDesktop())
    return "";
  for (const char* program : {"zenity", "kdialog"}) {
    if (onPath(program))
      return program;
  }
  return "";
}

// Starts `arguments` without a shell, its standard output going into a
// pipe whose reading end lands in `output`; -1 when it could not start.
pid_t spawnWithOutput(const std::vector<std::string>& arguments, int* output) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int ends[2];
  if (pipe(ends) != 0)
    return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, ends[0]);
  posix_spawn_file_actions_addclose(&actions, ends[1]);
  // Toolkit warnings would land in the tool's dialogue.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null",
                                   O_WRONLY, 0);
  pid_t child;
  int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(),
                            environ);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[1]);
  if (failed) {
    close(ends[0]);
    return -1;
  }
  *output = ends[0];
  return child;
}

std::string readToEnd(int descriptor) {
  std::string text;
  char buffer[4096];
  for (;;) {
    ssize_t got = read(descriptor, buffer, sizeof buffer);
    if (got > 0)
      text.append(buffer, got);
    else if (got == 0 || errno != EINTR)
      return text;
  }
}

bool exitedCleanly(pid_t child) {
  int status;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR)
      return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs the chooser and takes the one path it prints. False when it was
// cancelled (any exit status but 0) or could not run.
bool runChooser(const std::vector<std::string>& arguments, std::string* path) {
  int output;
  pid_t child = spawnWithOutput(arguments, &output);
  if (child < 0)
    return false;
  std::string printed = readToEnd(output);
  close(output);
  if (!exitedCleanly(child))
    return false;
  if (!printed.empty() && printed.back() == '\n')
    printed.pop_back();
  *path = printed;
  return true;
}

std::vector<std::string> fileChooserArguments(const std::string& program,
                                              const std::string& initialFolder,
                                              const char* filter) {
  std::vector<FilterPair> pairs = parseFilter(filter);
  for (FilterPair& pair : pairs) {
    for (char& c : pair.patterns) {
      if (c == ';')
        c = ' ';
    }
  }
  if (program == "zenity") {
    std::vector<std::string> arguments = {
        program, "--file-selection", std::string("--title=") + kFileDialogTitle,
        "--filename=" + initialFolder + "/"};
    for (const FilterPair& pair : pairs)
      arguments.push_back("--file-filter=" + pair.description + " | " +
                          pair.patterns);
    return arguments;
  }
  std::string kdeFilter;
  for (const FilterPair& pair : pairs)
    kdeFilter += (kdeFilter.empty() ? "" : "\n") + pair.patterns + "|" +
                 pair.description;
  return {program, "--title", kFileDialogTitle, "--getopenfilename",
          initialFolder, kdeFilter};
}

std::vector<std::string> folderChooserArguments(const std::string& program,
                                                const std::string& initialFolder) {
  if (program == "zenity")
    return {program, "--file-selection", "--directory",
            std::string("--title=") + kFolderDialogTitle,
            "--filename=" + initialFolder + "/"};
  return {program, "--title", kFolderDialogTitle, "--getexistingdirectory",
          initialFolder};
}

}  // namespace

bool chooseFile(std::string* chosenPath, const std::string& initialFolder,
                const char* filter, const std::string& wanted) {
  std::string program = desktopChooser();
  if (program.empty())
    return chooseFileInConsole(chosenPath, initialFolder, filter, wanted);
  std::string picked;
  if (runChooser(fileChooserArguments(program, initialFolder, filter), &picked) &&
      acceptFile(picked, chosenPath))
    return true;
  chosenPath->clear();
  return false;
}

bool chooseFolder(std::string* folderPath) {
  std::string program = desktopChooser();
  if (program.empty())
    return chooseFolderInConsole(folderPath);
  std::string picked;
  return runChooser(folderChooserArguments(program, *folderPath), &picked) &&
         acceptFolder(picked, folderPath);
}

std::string makeFullPath(const std::string& path) {
  std::string absolute = absolutePath(path);
  // Dropping "." and empty components also drops trailing separators;
  // ".." stays, since a link may lie before it.
  std::string full;
  for (const std::string& part : tokenize(absolute, "/")) {
    if (part != ".")
      full += "/" + part;
  }
  return full.empty() ? "/" : full;
}
