// The running process and the programs it starts: its id, its executable,
// its environment, sleeping, and the desktop's file browser. One
// implementation per platform (process_posix.cpp, process_win32.cpp).
#ifndef DRAV_PLATFORM_PROCESS_H_
#define DRAV_PLATFORM_PROCESS_H_

#include <stdint.h>

#include <string>

uint32_t currentProcessId();

/// The full path of the running executable; "" when it can't be found.
std::string executablePath();

/// The value of the environment variable `name`; false when it is unset.
bool environmentValue(const char* name, std::string* value);

/// Sets the environment variable `name` to `value` unless it is already
/// set, so that both the C runtime and libraries the process loads see it.
void setEnvironmentDefault(const char* name, const std::string& value);

void sleepMilliseconds(uint32_t milliseconds);

/// Asks the desktop to show `folder` in a program detached from this one;
/// returns at once, reports nothing.
void openFolder(const std::string& folder);

#endif  // DRAV_PLATFORM_PROCESS_H_
