#include "commands/options.h"

#include <sstream>

#include <gtest/gtest.h>

#include "steam/app_id.h"

namespace {

struct cCommandLineCase {
  std::vector<std::string> args;
  int status;
  const char* outHas;  // "" : nothing on standard output
  const char* errHas;  // "" : nothing on standard error
};

TEST(CommandLineTest, AnswersOptionsAndRefusesTheRest) {
  const cCommandLineCase cases[] = {
      {{"--help"}, 0, "usage: drav-workshop [-h | --help | --version]\n", ""},
      {{"-h"}, 0, "NO_COLOR", ""},
      {{"--help"}, 0, "workshopPath.txt", ""},
      {{"--version"}, 0, "drav-workshop 1.2\n", ""},
      {{"--bogus"}, 2, "", "unknown or misplaced argument \"--bogus\"\nusage:"},
      {{"-H"}, 2, "", "usage: drav-workshop"},
      {{"--help", "extra"}, 2, "", "argument \"--help\""},
      {{"list", "extra"}, 2, "", "list: wrong number of arguments\nusage: drav-workshop list"},
      {{"list", "--frob"}, 2, "", "list: unknown option \"--frob\"\nusage: drav-workshop list"},
      {{"list", "--path"}, 2, "", "list: option --path needs a value\n"},
      {{"\x1b[31m"}, 2, "", "argument \"?[31m\""},
  };
  for (const cCommandLineCase& one : cases) {
    std::ostringstream out, err;
    int status = -1;
    EXPECT_TRUE(runCommandLine(one.args, out, err, &status)) << one.args[0];
    EXPECT_EQ(one.status, status) << one.args[0];
    if (*one.outHas)
      EXPECT_NE(std::string::npos, out.str().find(one.outHas)) << out.str();
    else
      EXPECT_EQ("", out.str()) << one.args[0];
    if (*one.errHas)
      EXPECT_NE(std::string::npos, err.str().find(one.errHas)) << err.str();
    else
      EXPECT_EQ("", err.str()) << one.args[0];
  }
}

TEST(CommandLineTest, NoArgumentsLeaveTheMenuToRun) {
  std::ostringstream out, err;
  int status = -1;
  EXPECT_FALSE(runCommandLine({}, out, err, &status));
  EXPECT_EQ(-1, status);
  EXPECT_EQ("", out.str() + err.str());
}

TEST(CommandLineTest, VersionNamesTheAppId) {
  std::ostringstream out, err;
  int status = -1;
  runCommandLine({"--version"}, out, err, &status);
  EXPECT_NE(std::string::npos,
            out.str().find("Steam app id: " + std::to_string(toolAppId()) + "\n"));
  EXPECT_NE(std::string::npos, out.str().find("Steam back end: the "));
}

}  // namespace
