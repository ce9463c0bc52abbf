// The platform half of the console, and the one seam through which tests
// decide what counts as a terminal.
#ifndef DRAV_CONSOLE_CONSOLE_PLATFORM_H_
#define DRAV_CONSOLE_CONSOLE_PLATFORM_H_

#include <ostream>

#include "console/console.h"

// Asked once per run, through the decision kept in console.cpp.
bool platformStdinIsTerminal();
bool platformStdoutIsTerminal();
/// Whether standard input was a terminal that has hung up since.
bool platformStdinHungUp();

/// Whether the text gets colours: on a terminal, unless NO_COLOR (its value
/// `noColour`, null when unset) is set and not empty.
bool coloursWanted(bool stdoutTerminal, const char* noColour);

/// Makes sure the terminal's own text colour is back when the process
/// ends: at exit, and on Ctrl-C or a termination request. Called once, when
/// colours are decided on.
void restoreColourAtEnd();

/// True once Ctrl-C came while interrupts were held.
bool interruptArrived();

/// Ends the process as Ctrl-C does, with the terminal's colour restored.
void endByInterrupt();

/// Sets the text colour for what `stream` writes next; `attribute` is the
/// Windows console attribute (7 grey, 10 green, 11 cyan, 12 red,
/// 13 magenta, 14 yellow). On a terminal it is called only after the
/// stream was flushed; only when colours are on.
void setPlatformColour(std::ostream& stream, int attribute);

/// Drops what the user typed ahead; called only for a terminal.
void discardPendingInput();

/// Waits for one key press; called only for a terminal.
void waitForKeyPress();

/// Replaces the terminal decisions (tests only); a terminal at standard
/// output gets colours.
void overrideTerminals(bool stdinTerminal, bool stdoutTerminal);

/// Holds other terminal decisions for its lifetime (tests only).
class cTerminalOverride {
 public:
  cTerminalOverride(bool stdinTerminal, bool stdoutTerminal)
      : savedStdin_(stdinIsTerminal()), savedStdout_(stdoutIsTerminal()) {
    overrideTerminals(stdinTerminal, stdoutTerminal);
  }
  ~cTerminalOverride() { overrideTerminals(savedStdin_, savedStdout_); }

 private:
  bool savedStdin_;
  bool savedStdout_;
};

#endif  // DRAV_CONSOLE_CONSOLE_PLATFORM_H_
