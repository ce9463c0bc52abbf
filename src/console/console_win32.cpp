#include "console/console_platform.h"

#include <windows.h>

#include <stdlib.h>

#include <iostream>

namespace {

// The console's attributes when the tool started.
WORD originalAttributes = 7;

void restoreAttributes() {
  SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), originalAttributes);
}

void restoreAtExit() {
  std::cout.flush();
  restoreAttributes();
}

// Ctrl-C, Ctrl-Break or the window closing: the console gets its colour
// back, then the default handler ends the process.
BOOL WINAPI onConsoleControl(DWORD) {
  restoreAttributes();
  return FALSE;
}

bool isConsole(DWORD stdHandle) {
  DWORD mode;
  return GetConsoleMode(GetStdHandle(stdHandle), &mode) != 0;
}

}  // namespace

void restoreColourAtEnd() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info))
    return;
  originalAttributes = info.wAttributes;
  atexit(restoreAtExit);
  SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

bool platformStdinIsTerminal() { return isConsole(STD_INPUT_HANDLE); }

bool platformStdoutIsTerminal() { return isConsole(STD_OUTPUT_HANDLE); }

void setPlatformColour(std::ostream&, int attribute) {
  // The colour belongs to the console, not to the text.
  SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE),
                          static_cast<WORD>(attribute));
}

void discardPendingInput() {
  FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
}

void waitForKeyPress() { system("pause"); }

int consoleColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info))
    return 0;
  return info.dwSize.X;
}
