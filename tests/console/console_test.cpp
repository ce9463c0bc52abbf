#include "console/console.h"

#include <string>

#include <gtest/gtest.h>

#include "console/console_platform.h"
#include "test_util.h"

namespace {

// Counts the flushes and keeps what had been handed over at the first.
class cFlushRecorder : public std::stringbuf {
 public:
  int flushes = 0;
  std::string atFirstFlush;

 protected:
  int sync() override {
    if (++flushes == 1)
      atFirstFlush = str();
    return 0;
  }
};

// On a terminal the text before a colour change is out before the colour
// changes; redirected output is not flushed at every change. A terminal
// gets bright colours, and grey is its normal colour; a Windows console
// has the colour as an attribute, so the text itself carries no codes.
TEST(ConsoleTest, ColourChangeOnlyReachesATerminal) {
#ifdef _WIN32
  const char* coloured = "beforeabcd";
#else
  const char* coloured = "before\033[91m\033[92ma\033[96mb\033[95mc\033[93md\033[0m";
#endif
  for (bool terminal : {true, false}) {
    cTerminalOverride override(false, terminal);
    cFlushRecorder recorder;
    std::ostream stream(&recorder);
    stream << "before";
    EXPECT_EQ(0, recorder.flushes);
    stream << red << green << "a" << cyan << "b" << magenta << "c" << yellow << "d" << grey;
    EXPECT_EQ(terminal, recorder.flushes > 0);
    EXPECT_EQ(terminal ? "before" : "", recorder.atFirstFlush) << terminal;
    EXPECT_EQ(terminal ? coloured : "beforeabcd", recorder.str()) << terminal;
  }
}

// Each line as typed without its line break; a CR LF loses its one CR; the
// last line arrives without a break.
TEST(ConsoleTest, ReadLineGivesEachLineAsTyped) {
  cConsoleCapture console;
  std::string odd("a\0b\xff\xfe\xc3", 6);
  console.script << " y \n\ny\r\n\r\na\rb\r\r\n" << odd << "\ntab\there";
  for (const std::string& line : {std::string(" y "), std::string(), std::string("y"),
                                  std::string(), std::string("a\rb\r"), odd}) {
    EXPECT_EQ(line, readLine());
    EXPECT_FALSE(inputEnded());
  }
  EXPECT_EQ("tab\there", readLine());
  EXPECT_TRUE(inputEnded());
  EXPECT_EQ("", readLine());
  EXPECT_TRUE(inputEnded());
}

}  // namespace
