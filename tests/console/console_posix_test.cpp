#include "console/console.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "console/console_platform.h"
#include "test_util.h"

namespace {

/// For its scope, standard output is a terminal of `columns` columns whose
/// screen nobody reads; std::cout goes to the capture as before.
class cNarrowTerminal {
 public:
  explicit cNarrowTerminal(unsigned short columns) : master_(posix_openpt(O_RDWR | O_NOCTTY)) {
    int terminal = grantpt(master_) == 0 && unlockpt(master_) == 0
                       ? open(ptsname(master_), O_RDWR | O_NOCTTY)
                       : -1;
    winsize size = {24, columns, 0, 0};
    if (terminal < 0 || ioctl(terminal, TIOCSWINSZ, &size) != 0)
      return;
    fflush(stdout);
    savedOut_ = dup(STDOUT_FILENO);
    dup2(terminal, STDOUT_FILENO);
    close(terminal);
  }
  ~cNarrowTerminal() {
    dup2(savedOut_, STDOUT_FILENO);
    close(savedOut_);
    close(master_);
  }
  bool ready() const { return savedOut_ >= 0; }

 private:
  int master_;
  int savedOut_ = -1;
};

// Backspaces can't go back across a wrapped line, so a text that would
// reach the last column is never shown; a shorter form is.
TEST(ConsolePosixTest, ProgressStopsShortOfTheLastColumn) {
  cConsoleCapture console;
  cNarrowTerminal terminal(40);
  ASSERT_TRUE(terminal.ready());
  cTerminalOverride onTerminal(false, true);
  cProgressText progress;
  std::string shown;
  for (size_t lineLength : {30, 70}) {
    progress.start(lineLength);
    progress.show({"(10 chars)", "(9 chars)"});
    shown += console.take() + "|";
    progress.show({"(10 chars)"});
    shown += console.take() + "|";
  }
  std::string erase = "\b\b\b\b\b\b\b\b\b         \b\b\b\b\b\b\b\b\b|";
  EXPECT_EQ("(9 chars)|" + erase + "(9 chars)|" + erase, shown);
}

}  // namespace
