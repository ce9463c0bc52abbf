// The command line of drav-workshop: options that answer at once, before
// Steam or the menu is touched.
#ifndef DRAV_COMMANDS_OPTIONS_H_
#define DRAV_COMMANDS_OPTIONS_H_

#include <ostream>
#include <string>
#include <vector>

/// Acts on the arguments after the program name. False when there are none,
/// so the menu runs; otherwise true with the exit status in `status`, after
/// printing the help or version on `out` or the usage on `err`.
bool runCommandLine(const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err, int* status);

#endif  // DRAV_COMMANDS_OPTIONS_H_
