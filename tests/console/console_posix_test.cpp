#include "console/console.h"

#include <sstream>

#include <gtest/gtest.h>

#include "console/console_platform.h"

namespace {

TEST(ConsolePosixTest, TerminalGetsBrightColoursAndGreyIsItsNormalColour) {
  std::ostringstream stream;
  {
    cTerminalOverride terminals(false, true);
    stream << green << "a" << cyan << "b" << red << "c" << magenta << "d"
           << yellow << "e" << grey << "f";
  }
  EXPECT_EQ("\033[92ma\033[96mb\033[91mc\033[95md\033[93me\033[0mf",
            stream.str());
}

}  // namespace
