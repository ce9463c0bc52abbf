// Console output and input: the colour manipulators, the one line reader
// and the pause.
#ifndef DRAV_CONSOLE_CONSOLE_H_
#define DRAV_CONSOLE_CONSOLE_H_

#include <stddef.h>

#include <ostream>
#include <string>
#include <vector>

/// Colour manipulators: each sets the console's text colour for everything
/// written after it, flushing the stream first so that earlier text keeps
/// its colour. When standard output is not a console or terminal nothing
/// happens: neither the colour nor a flush.
std::ostream& grey(std::ostream& stream);
std::ostream& green(std::ostream& stream);
std::ostream& cyan(std::ostream& stream);
std::ostream& red(std::ostream& stream);
std::ostream& magenta(std::ostream& stream);
std::ostream& yellow(std::ostream& stream);

/// `text` fit for the terminal: every control character (below 32, and
/// 127) becomes "?", so that a stranger's name cannot steer the console.
std::string printableText(const std::string& text);

/// Prints the prompt marker and reads one whole line from standard input,
/// without its line break (LF or CR LF). At end of input the result is "".
std::string readLine();

/// True once standard input has reached its end and is not a terminal, or
/// a read of it failed (a terminal that hung up), so no later read can
/// deliver a line.
bool inputEnded();

/// While held, Ctrl-C ends the input for good instead of ending the tool,
/// so that what the tool started can be undone first; `endIfInterrupted`
/// then ends the tool as the interrupt would have.
void holdInterrupts(bool hold);

/// Ends the process as Ctrl-C does when one came while interrupts were
/// held; returns otherwise.
void endIfInterrupted();

/// Holds the console until a key is pressed; does nothing when standard
/// input is not a terminal.
void pauseConsole();

/// True when standard input is a console or terminal, that is when a
/// person types the answers rather than a script.
bool stdinIsTerminal();

/// True when standard output is a console or terminal.
bool stdoutIsTerminal();

/// The width of the console behind standard output in characters; 0 when
/// it is not a console or the width is unknown.
int consoleColumns();

/// A progress text at the end of the current console line, for a wait: each
/// text shown replaces the one before by backspaces, so the line must not
/// wrap; nothing is shown when standard output is not a terminal.
class cProgressText {
 public:
  /// Begins after `lineLength` characters written since the last line break
  /// (and flushes them, so the line is on screen during the wait).
  void start(size_t lineLength);
  /// Shows the first of `forms` that fits on the rest of the line, or
  /// nothing when none fits.
  void show(const std::vector<std::string>& forms);
  /// Erases what is shown.
  void clear() { replace(""); }

 private:
  void replace(const std::string& text);

  size_t lineLength_ = 0;
  std::string shown_;
};

#endif  // DRAV_CONSOLE_CONSOLE_H_
