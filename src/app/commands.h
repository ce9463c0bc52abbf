// The commands for scripts (list, publish, ...): the tool chosen by its
// first argument, without the menu. They never ask anything, print results
// on standard output and errors, one line each, on standard error.
#ifndef DRAV_APP_COMMANDS_H_
#define DRAV_APP_COMMANDS_H_

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "steam/steam_api.h"

/// Exit statuses of a command.
const int kCommandDone = 0;
const int kCommandFailed = 1;
const int kCommandMisused = 2;

/// A command's arguments, split by the command's table entry.
struct cCommandArgs {
  std::vector<std::string> operands;
  std::map<std::string, std::string> options;  // "--dry-run" etc. map to ""
};

/// What every command works with once Steam runs.
struct cCommandContext {
  std::ostream* out;
  std::ostream* err;
  std::string workshopPath;
  ISteamUGC* ugc;
  AccountID_t account;
  AppId_t app;

  /// Prints "drav-workshop: `message`" on the error stream; returns
  /// kCommandFailed.
  int fail(const std::string& message) const;
};

/// Runs the command named by `args[0]`; false when there is none of that
/// name. Otherwise true, with the exit status in `status`.
bool runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                int* status);

/// The commands' usage lines, for the help.
std::string commandUsage();

// The commands, each in its own file.
int runList(cCommandContext& context, const cCommandArgs& args);

#endif  // DRAV_APP_COMMANDS_H_
