#include "console/console_platform.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
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

const char kResetColour[] = "\033[0m";

// The terminal's settings while the pause holds it raw, for the signal
// handler to put back.
termios pausedTerminal;
volatile sig_atomic_t terminalIsRaw = 0;
volatile sig_atomic_t resetColourAtEnd = 0;
volatile sig_atomic_t interruptsHeld = 0;
volatile sig_atomic_t interruptCame = 0;
// Opened while interrupts are held, to take the place of standard input.
int emptyInput = -1;

void writeReset() {
  ssize_t written = write(STDOUT_FILENO, kResetColour, sizeof kResetColour - 1);
  (void)written;  // nothing more can be done for a terminal that refuses
}

// Only async-signal-safe calls: the reset, the terminal's settings, and the
// signal again with its default action, so the process ends as it would
// have.
void onEndingSignal(int number) {
  // A held interrupt only breaks off the read it interrupts.
  if (number == SIGINT && interruptsHeld) {
    interruptCame = 1;
    // A read about to start would otherwise wait on the terminal; an
    // empty input ends it at once.
    if (emptyInput >= 0)
      dup2(emptyInput, STDIN_FILENO);
    return;
  }
  if (resetColourAtEnd)
    writeReset();
  if (terminalIsRaw)
    tcsetattr(STDIN_FILENO, TCSANOW, &pausedTerminal);
  signal(number, SIG_DFL);
  raise(number);
}

void resetAtExit() {
  std::cout.flush();
  writeReset();
}

// No SA_RESTART: a held interrupt ends the read it comes in.
void catchEndingSignals() {
  static bool caught = false;
  if (caught)
    return;
  caught = true;
  for (int number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action = {};
    // A signal ignored by whoever started the tool stays ignored.
    if (sigaction(number, nullptr, &action) != 0 || action.sa_handler == SIG_IGN)
      continue;
    action.sa_handler = onEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(number, &action, nullptr);
  }
}

}  // namespace

void restoreColourAtEnd() {
  resetColourAtEnd = 1;
  atexit(resetAtExit);
  catchEndingSignals();
}

void holdInterrupts(bool hold) {
  catchEndingSignals();
  if (emptyInput < 0)
    emptyInput = open("/dev/null", O_RDONLY | O_CLOEXEC);
  interruptsHeld = hold;
}

bool interruptArrived() { return interruptCame != 0; }

void endByInterrupt() {
  if (resetColourAtEnd)
    writeReset();
  signal(SIGINT, SIG_DFL);
  raise(SIGINT);
}

bool platformStdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool platformStdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

// A hung-up terminal refuses its requests with EIO; anything else that is
// no terminal says ENOTTY.
bool platformStdinHungUp() { return isatty(STDIN_FILENO) == 0 && errno == EIO; }

void setPlatformColour(std::ostream& stream, int attribute) {
  // Redirected output holds the text alone.
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
  pausedTerminal = saved;
  terminalIsRaw = 1;
  bool rawMode = tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) == 0;
  std::cout << "Press any key to continue . . . " << std::flush;
  if (rawMode) {
    char key;
    while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
    }
  }
  tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  terminalIsRaw = 0;
  std::cout << "\n" << std::flush;
}

int consoleColumns() {
  winsize size;
  if (!stdoutIsTerminal() || ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0)
    return 0;
  return size.ws_col;
}
