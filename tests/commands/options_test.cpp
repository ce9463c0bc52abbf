#include "commands/options.h"

#include <sstream>

#include <gtest/gtest.h>

namespace {

// Refusals that the command-line scenarios don't make: the reason names
// the argument, never raw, on standard error alone, and the status is 2.
TEST(CommandLineTest, RefusesMisplacedAndIncompleteArguments) {
  const struct {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{"--help", "extra"}, "unknown or misplaced argument \"--help\"\nusage:"},
      {{"list", "--path"}, "list: option --path needs a value\n"},
      {{"\x1b[31m"}, "argument \"?[31m\""},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    int status = -1;
    EXPECT_TRUE(runCommandLine(c.args, out, err, &status)) << c.args[0];
    EXPECT_EQ(2, status) << c.args[0];
    EXPECT_NE(std::string::npos, err.str().find(c.reason)) << err.str();
    EXPECT_EQ("", out.str()) << c.args[0];
  }
}

}  // namespace
