#include "console/console_platform.h"

#include <windows.h>

#include <stdlib.h>

namespace {

bool isConsole(DWORD stdHandle) {
  DWORD mode;
  return GetConsoleMode(GetStdHandle(stdHandle), &mode) != 0;
}

}  // namespace

bool platformStdinIsTerminal() { return isConsole(STD_INPUT_HANDLE); }

bool platformStdoutIsTerminal() { return isConsole(STD_OUTPUT_HANDLE); }

void setPlatformColour(std::ostream&, int attribute) {
  // The colour belongs to the console, not to the text; a redirected
  // output refuses the call, which is fine.
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
