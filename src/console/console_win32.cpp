#include "console/console_platform.h"

#include <windows.h>

#include <stdlib.h>

#include <iostream>

namespace {

// The console's attributes when the tool started.
WORD originalAttributes = 7;
bool resetColourAtEnd = false;
// Set and read across the thread that runs the control handler.
volatile LONG interruptsHeld = 0;
volatile LONG interruptCame = 0;

void restoreAttributes() {
  if (resetColourAtEnd)
    SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), originalAttributes);
}

void restoreAtExit() {
  std::cout.flush();
  restoreAttributes();
}

// Ctrl-C, Ctrl-Break or the window closing: the console gets its colour
// back, then the default handler ends the process. A held Ctrl-C only
// breaks off the read it comes in.
BOOL WINAPI onConsoleControl(DWORD type) {
  if (type == CTRL_C_EVENT && interruptsHeld) {
    interruptCame = 1;
    return TRUE;
  }
  restoreAttributes();
  return FALSE;
}

void catchConsoleControl() {
  static bool caught = false;
  if (!caught)
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
  caught = true;
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
  resetColourAtEnd = true;
  atexit(restoreAtExit);
  catchConsoleControl();
}

void holdInterrupts(bool hold) {
  catchConsoleControl();
  interruptsHeld = hold;
}

bool interruptArrived() { return interruptCame != 0; }

void endByInterrupt() {
  restoreAttributes();
  ExitProcess(STATUS_CONTROL_C_EXIT);
}

bool platformStdinIsTerminal() { return isConsole(STD_INPUT_HANDLE); }

bool platformStdoutIsTerminal() { return isConsole(STD_OUTPUT_HANDLE); }

// A console does not hang up under a running program.
bool platformStdinHungUp() { return false; }

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
