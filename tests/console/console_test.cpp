#include "console/console.h"

#include <iostream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "console/console_platform.h"
#include "test_util.h"

namespace {

class ConsoleTest : public ::testing::Test {
 protected:
  cConsoleCapture console_;
  std::stringstream& script_ = console_.script;
  std::ostringstream& output_ = console_.output;
};

// Records what had been handed to it at each flush.
class FlushRecorder : public std::stringbuf {
 public:
  std::string atFirstFlush;
  std::string atLastFlush;
  int flushes = 0;

 protected:
  int sync() override {
    if (++flushes == 1)
      atFirstFlush = str();
    atLastFlush = str();
    return 0;
  }
};

TEST_F(ConsoleTest, RedirectedOutputHoldsTextWithoutColourCodes) {
  std::ostringstream stream;
  stream << grey << "a" << green << "b" << cyan << "c" << red << "d"
         << magenta << "e" << yellow << "f";
  EXPECT_EQ("abcdef", stream.str());
}

TEST_F(ConsoleTest, ColourChangeOnATerminalFlushesTheTextWrittenBeforeIt) {
  cTerminalOverride terminal(false, true);
  FlushRecorder recorder;
  std::ostream stream(&recorder);
  stream << "before";
  EXPECT_EQ(0, recorder.flushes);
  stream << red;
  EXPECT_LE(1, recorder.flushes);
  EXPECT_EQ("before", recorder.atFirstFlush);
}

TEST_F(ConsoleTest, ColourChangeOnRedirectedOutputWritesNothingAndKeepsBuffering) {
  FlushRecorder recorder;
  std::ostream stream(&recorder);
  stream << "before" << red << green << "after";
  EXPECT_EQ(0, recorder.flushes);
  stream.flush();
  EXPECT_EQ("beforeafter", recorder.atLastFlush);
}

TEST(ColourDecisionTest, ColoursOnlyOnATerminalWithoutNoColor) {
  struct {
    bool terminal;
    const char* noColour;
    bool wanted;
  } cases[] = {{true, nullptr, true}, {true, "", true},  {true, "1", false},
               {true, "0", false},    {false, nullptr, false}, {false, "", false}};
  for (const auto& one : cases)
    EXPECT_EQ(one.wanted, coloursWanted(one.terminal, one.noColour))
        << one.terminal << " " << (one.noColour ? one.noColour : "(unset)");
}

TEST(PrintableTextTest, ControlCharactersBecomeQuestionMarks) {
  EXPECT_EQ("a?[31mb?c?d\xc3\xa9", printableText("a\x1b[31mb\nc\x7f" "d\xc3\xa9"));
  EXPECT_EQ("?", printableText(std::string(1, '\0')));
}

TEST_F(ConsoleTest, ReadLineReadsEveryScriptedLineInOrder) {
  script_ << "1\n2\n\nlast\n";
  EXPECT_EQ("1", readLine());
  EXPECT_EQ("2", readLine());
  EXPECT_EQ("", readLine());
  EXPECT_EQ("last", readLine());
  EXPECT_FALSE(inputEnded());
  EXPECT_EQ("", readLine());
  EXPECT_TRUE(inputEnded());
  EXPECT_EQ("", readLine());
  EXPECT_TRUE(inputEnded());
}

TEST_F(ConsoleTest, ReadLinePrintsThePromptMarkerBeforeEachRead) {
  script_ << "a\n";
  readLine();
  readLine();
  EXPECT_EQ("\n/>\n/>", output_.str());
}

TEST_F(ConsoleTest, ReadLineKeepsTheLineAsTypedWithoutItsLineBreak) {
  script_ << " y \n" << "Y\n" << "y\r\n" << "\r\n" << "a\rb\r\r\n" << "tab\there";
  EXPECT_EQ(" y ", readLine());
  EXPECT_EQ("Y", readLine());
  // A line written on Windows ends in CR LF; only that one CR goes.
  EXPECT_EQ("y", readLine());
  EXPECT_EQ("", readLine());
  EXPECT_EQ("a\rb\r", readLine());
  // The last line lacks its line break and still arrives whole.
  EXPECT_EQ("tab\there", readLine());
  EXPECT_TRUE(inputEnded());
}

TEST_F(ConsoleTest, ReadLineCopesWithLongLinesNulBytesAndInvalidUtf8) {
  std::string longLine(1 << 20, 'x');
  std::string odd("a\0b\xff\xfe\xc3", 6);
  script_ << longLine << "\n" << odd << "\n";
  EXPECT_EQ(longLine, readLine());
  EXPECT_EQ(odd, readLine());
}

TEST_F(ConsoleTest, ReadLineTriesAgainAfterAnEarlierEndOfInput) {
  EXPECT_EQ("", readLine());
  EXPECT_TRUE(inputEnded());
  script_ << "late\n";
  EXPECT_EQ("late", readLine());
  EXPECT_FALSE(inputEnded());
}

TEST_F(ConsoleTest, InputHasNotEndedForGoodOnATerminal) {
  cTerminalOverride typedByAPerson(true, false);
  EXPECT_EQ("", readLine());
  EXPECT_FALSE(inputEnded());
}

TEST_F(ConsoleTest, PauseWithoutTerminalPrintsAndReadsNothing) {
  script_ << "next\n";
  pauseConsole();
  EXPECT_EQ("", output_.str());
  EXPECT_EQ("next", readLine());
}

}  // namespace
