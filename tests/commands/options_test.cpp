#include "commands/options.h"

#include <sstream>

#include <gtest/gtest.h>

#include "steam/app_id.h"

namespace {

TEST(CommandLineTest, AnswersOptionsAndRefusesTheRest) {
  const struct {
    std::vector<std::string> args;
    int status;       // 0: `has` is on standard output, else on standard error
    std::string has;  // and nothing on the other stream
  } cases[] = {
      {{"--version"}, 0,
       "drav-workshop 1.2\nSteam app id: " + std::to_string(toolAppId()) +
           "\nSteam back end: the "},
      {{"--bogus"}, 2, "unknown or misplaced argument \"--bogus\"\nusage:"},
      {{"--help", "extra"}, 2, "argument \"--help\""},
      {{"list", "extra"}, 2, "list: wrong number of arguments\nusage: drav-workshop list"},
      {{"list", "--path"}, 2, "list: option --path needs a value\n"},
      {{"\x1b[31m"}, 2, "argument \"?[31m\""},
  };
  for (const auto& one : cases) {
    std::ostringstream out, err;
    int status = -1;
    EXPECT_TRUE(runCommandLine(one.args, out, err, &status)) << one.args[0];
    EXPECT_EQ(one.status, status) << one.args[0];
    std::string answer = (one.status == 0 ? out : err).str();
    EXPECT_NE(std::string::npos, answer.find(one.has)) << answer;
    EXPECT_EQ("", (one.status == 0 ? err : out).str()) << one.args[0];
  }
}

}  // namespace
