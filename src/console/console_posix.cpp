#include "console/console_platform.h"

#include <errno.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "console/console.h"

namespace {

const char* sgrFor(int attribute) {
  switch (attribute) {
    case 10: return "\033[92m";
    case 11: return "\033[96m";
    case 12: return "\033[91m";
    case 13: return "\033[95m";
    case 14: return "\033[93m";
    default: return "\033[0m";  // grey: the terminal's own text colour
  }
}

}  // namespace

bool platformStdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool platformStdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

void setPlatformColour(std::ostream& stream, int attribute) {
  // Redirected output holds the text alone.
  if (stdoutIsTerminal())
    stream << sgrFor(attribute) << std::flush;
}

void discardPendingInput() {
  // A terminal in line mode hands over one line per read, so the stdio
  // buffer behind std::cin is empty here; the rest waits in the kernel.
  tcflush(STDIN_FILENO, TCIFLUSH);
}

void waitForKeyPress() {
  termios saved;
  if (tcgetattr(STDIN_FILENO, &saved) != 0)
    return;
  termios raw = saved;
  // Without ISIG, Ctrl+C is a key like any other and cannot leave the
  // terminal raw.
  raw.c_lflag &= ~(ICANON | ECHO | ISIG);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  // Raw mode before the prompt: a key pressed once the prompt shows is
  // never dropped with the input typed ahead of it.
  bool rawMode = tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) == 0;
  std::cout << "Press any key to continue . . . " << std::flush;
  if (rawMode) {
    char key;
    while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
    }
  }
  tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  std::cout << "\n" << std::flush;
}

int consoleColumns() {
  winsize size;
  if (!stdoutIsTerminal() || ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0)
    return 0;
  return size.ws_col;
}
