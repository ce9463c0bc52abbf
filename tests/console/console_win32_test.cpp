#include "console/console.h"

#include <sstream>

#include <gtest/gtest.h>

#include "console/console_platform.h"

namespace {

// The colour is an attribute of the console, so even on a console the
// text itself carries no codes.
TEST(ConsoleWin32Test, ColourNeverEntersTheText) {
  std::ostringstream stream;
  {
    cTerminalOverride terminals(false, true);
    stream << green << "a" << red << "b" << grey;
  }
  EXPECT_EQ("ab", stream.str());
}

}  // namespace
