#include "console/console.h"

#include <stdio.h>
#include <stdlib.h>

#include <iostream>

#include "console/console_platform.h"

namespace {

struct Terminals {
  bool stdinTerminal;
  bool stdoutTerminal;
  bool colours;
};

Terminals decideTerminals() {
  Terminals decided;
  decided.stdinTerminal = platformStdinIsTerminal();
  decided.stdoutTerminal = platformStdoutIsTerminal();
  decided.colours = coloursWanted(decided.stdoutTerminal, getenv("NO_COLOR"));
  // The terminal gets its own colour back however the tool ends.
  if (decided.colours)
    restoreColourAtEnd();
  return decided;
}

Terminals& terminals() {
  static Terminals decided = decideTerminals();
  return decided;
}

// Whether the last readLine ran into the end of standard input.
bool lastReadHitEnd = false;
// Whether a read of standard input failed (a terminal hung up): no later
// read can deliver a line.
bool inputBroken = false;

std::ostream& setColour(std::ostream& stream, int attribute) {
  // Text already written keeps the colour it was written in; redirected
  // output has no colours, and flushing it at every change would cost a
  // write each time.
  if (stdoutIsTerminal())
    stream.flush();
  if (terminals().colours)
    setPlatformColour(stream, attribute);
  return stream;
}

}  // namespace

std::ostream& grey(std::ostream& stream) { return setColour(stream, 7); }
std::ostream& green(std::ostream& stream) { return setColour(stream, 10); }
std::ostream& cyan(std::ostream& stream) { return setColour(stream, 11); }
std::ostream& red(std::ostream& stream) { return setColour(stream, 12); }
std::ostream& magenta(std::ostream& stream) { return setColour(stream, 13); }
std::ostream& yellow(std::ostream& stream) { return setColour(stream, 14); }

std::string printableText(const std::string& text) {
  std::string shown = text;
  for (char& c : shown) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127)
      c = '?';
  }
  return shown;
}

std::string readLine() {
  // The end of a terminal's input (Ctrl-D) holds for that read only; the
  // next waits for the terminal again. The stream's state and the C
  // stream's end mark under it both stick until cleared.
  std::cin.clear();
  inputBroken = inputBroken || interruptArrived();
  if (!inputBroken)
    clearerr(stdin);
  // Lines pasted ahead are dropped only when a person types; a script's
  // lines are all answers, read in order.
  if (stdinIsTerminal())
    discardPendingInput();
  std::cout << grey << "\n/>" << green;
  std::string line;
  if (!inputBroken)
    std::getline(std::cin, line);
  lastReadHitEnd = inputBroken || std::cin.eof();
  // Ctrl-C while interrupts are held breaks the read off for good; so does
  // a terminal that hung up before the read began, which reads as an
  // endless run of ends rather than as a failure, but is no terminal any
  // more.
  inputBroken = inputBroken || ferror(stdin) || interruptArrived() ||
                (lastReadHitEnd && platformStdinHungUp());
  // A line written on Windows ends in CR LF.
  if (!line.empty() && line[line.size() - 1] == '\r')
    line.erase(line.size() - 1);
  return line;
}

bool inputEnded() { return inputBroken || (lastReadHitEnd && !stdinIsTerminal()); }

void endIfInterrupted() {
  if (!interruptArrived())
    return;
  std::cout.flush();
  endByInterrupt();
}

void pauseConsole() {
  if (stdinIsTerminal())
    waitForKeyPress();
}

bool stdinIsTerminal() { return terminals().stdinTerminal; }

bool stdoutIsTerminal() { return terminals().stdoutTerminal; }

bool coloursWanted(bool stdoutTerminal, const char* noColour) {
  return stdoutTerminal && !(noColour && *noColour);
}

void overrideTerminals(bool stdinTerminal, bool stdoutTerminal) {
  terminals() = {stdinTerminal, stdoutTerminal, stdoutTerminal};
}

void cProgressText::start(size_t lineLength) {
  clear();
  lineLength_ = lineLength;
  std::cout.flush();
}

void cProgressText::show(const std::vector<std::string>& forms) {
  if (!stdoutIsTerminal())
    return;
  // Backspaces can't go back across a wrapped line.
  size_t columns = static_cast<size_t>(consoleColumns());
  for (const std::string& text : forms) {
    if (columns > 0 && lineLength_ % columns + text.size() < columns) {
      replace(text);
      return;
    }
  }
  replace("");
}

void cProgressText::replace(const std::string& text) {
  if (text == shown_)
    return;
  std::string erase(shown_.size(), '\b');
  std::string blank(shown_.size(), ' ');
  std::cout << erase << blank << erase << text << std::flush;
  shown_ = text;
}
