// The platform half of the console, and the one seam through which tests
// decide what counts as a terminal.
#ifndef DRAV_CONSOLE_CONSOLE_PLATFORM_H_
#define DRAV_CONSOLE_CONSOLE_PLATFORM_H_

#include <ostream>

// Asked once per run, through the decision kept in console.cpp.
bool platformStdinIsTerminal();
bool platformStdoutIsTerminal();

/// Sets the text colour for what `stream` writes next; `attribute` is the
/// Windows console attribute (7 grey, 10 green, 11 cyan, 12 red,
/// 13 magenta, 14 yellow). Called only after the stream was flushed.
void setPlatformColour(std::ostream& stream, int attribute);

/// Drops what the user typed ahead; called only for a terminal.
void discardPendingInput();

/// Waits for one key press; called only for a terminal.
void waitForKeyPress();

/// Replaces the terminal decisions for the rest of the run (tests only).
void overrideTerminals(bool stdinTerminal, bool stdoutTerminal);

#endif  // DRAV_CONSOLE_CONSOLE_PLATFORM_H_
