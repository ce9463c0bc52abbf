#include "files/pickers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/process.h"
#include "test_util.h"

namespace {

/// Puts the fake `program` into `temp`: it records its arguments in
/// "arguments", one per line, and then runs `reply`.
void installFake(const ScopedTempDir& temp, const std::string& program, const std::string& reply) {
  writeFile(temp.file(program),
            "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + temp.file("arguments") + "'\n" + reply);
  chmod(temp.file(program).c_str(), 0755);
}

TEST(DesktopPicker, ChoosersOfTheDesktop) {
  ScopedTempDir temp;
  cScopedVariable path("PATH", temp.path().c_str());
  cScopedVariable display("DISPLAY", ":0");  // a desktop, whatever WAYLAND_DISPLAY says
  cTerminalOverride terminals(true, false);
  auto arguments = [&] { return readFile(temp.file("arguments")); };
  // A script at standard input gets the console picker.
  installFake(temp, "zenity", "exit 0");
  std::string chosen, folder = temp.path();
  {
    cConsoleCapture script;
    script.script << "\n";
    EXPECT_FALSE(chooseFolder(&folder));
    EXPECT_EQ("\nChoose folder containing workshop assets:\n/>", script.take());
  }
  EXPECT_EQ("", arguments());
  // The file chooser gets the title, the folder and the filters.
  writeFile(temp.file("page.htm"), "<p>");
  installFake(temp, "zenity", "echo '" + temp.file("page.htm") + "'");
  ASSERT_TRUE(chooseFile(&chosen, temp.path(), ".PHP\0*.php\0HTM\0*.htm;*.HTM\0", "a page"));
  EXPECT_EQ(temp.file("page.htm"), chosen);
  EXPECT_EQ("--file-selection\n--title=Choose workshop asset:\n--filename=" + temp.path() +
                "/\n--file-filter=.PHP | *.php\n--file-filter=HTM | *.htm *.HTM\n",
            arguments());
  // A cancelled dialog, or a chosen file that is gone, is a cancel.
  for (const std::string& reply : {"echo " + temp.path() + "; exit 1", "echo " + temp.file("x")}) {
    installFake(temp, "zenity", reply);
    folder = temp.path();
    chosen = "previous";
    EXPECT_FALSE(chooseFile(&chosen, temp.path(), "DRAV Map\0*.tmx\0", "a map")) << reply;
    EXPECT_FALSE(chooseFolder(&folder)) << reply;
    EXPECT_EQ("", chosen);
    EXPECT_EQ(temp.path(), folder);
  }
  // Without zenity, kdialog serves.
  unlink(temp.file("zenity").c_str());
  installFake(temp, "kdialog", "echo '" + temp.path() + "/'");
  folder = "/";
  ASSERT_TRUE(chooseFolder(&folder));
  EXPECT_EQ(temp.path(), folder);
  EXPECT_EQ("--title\nChoose folder containing workshop assets:\n--getexistingdirectory\n/\n",
            arguments());
}

// A desktop without a file browser makes the opener complain; none of it
// may reach the tool's console.
TEST(DesktopPicker, OpenerOutputStaysOffTheConsole) {
  ScopedTempDir temp;
  cScopedVariable path("PATH", temp.path().c_str());
  cScopedVariable display("DISPLAY", ":0");
  installFake(temp, "xdg-open", "echo out; echo err >&2; : > '" + temp.file("done") + "'");
  int console = open(temp.file("console").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_LE(0, console);
  fflush(nullptr);
  int savedOut = dup(1), savedErr = dup(2);
  dup2(console, 1);
  dup2(console, 2);
  openFolder(temp.path());
  for (int wait = 0; wait < 500 && fileStatus(temp.file("done")).kind == kMissing; ++wait)
    usleep(10000);
  dup2(savedOut, 1);
  dup2(savedErr, 2);
  for (int file : {savedOut, savedErr, console})
    close(file);
  EXPECT_EQ(temp.path() + "\n", readFile(temp.file("arguments")));
  EXPECT_EQ("", readFile(temp.file("console")));
}

}  // namespace
