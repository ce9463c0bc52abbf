#include "files/pickers.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "console/console_platform.h"
#include "platform/files.h"
#include "platform/process.h"
#include "test_util.h"

namespace {

// A desktop whose only choosers or opener are fake programs that record
// their arguments, one per line, and then run their reply.
class DesktopPickerTest : public ::testing::Test {
 protected:
  DesktopPickerTest() {
    for (const char* name : {"PATH", "DISPLAY"}) {
      const char* value = getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("PATH", temp_.path().c_str(), 1);
    setenv("DISPLAY", ":0", 1);  // a desktop, whatever WAYLAND_DISPLAY says
  }
  ~DesktopPickerTest() override {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name, value->c_str(), 1);
      else
        unsetenv(name);
    }
  }
  void installChooser(const std::string& program, const std::string& reply) {
    std::string script = temp_.file(program);
    writeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + temp_.file("arguments") + "'\n" +
                          reply + "\n");
    chmod(script.c_str(), 0755);
  }
  std::string arguments() { return readFile(temp_.file("arguments")); }

  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
  ScopedTempDir temp_;
  cTerminalOverride terminals_{true, false};
};

TEST_F(DesktopPickerTest, ChoosersAndOpenerOfTheDesktop) {
  // A script at standard input gets the console picker.
  installChooser("zenity", "exit 0");
  std::string chosen, folder = temp_.path();
  {
    cConsoleCapture script;
    script.script << "\n";
    EXPECT_FALSE(chooseFolder(&folder));
    EXPECT_EQ("\nChoose folder containing workshop assets:\n/>", script.take());
  }
  EXPECT_EQ("", arguments());
  // The file chooser gets the title, the folder and the filters.
  writeFile(temp_.file("page.htm"), "<p>");
  installChooser("zenity", "echo '" + temp_.file("page.htm") + "'");
  ASSERT_TRUE(chooseFile(&chosen, temp_.path(), ".PHP\0*.php\0HTM\0*.htm;*.HTM\0", "a page"));
  EXPECT_EQ(temp_.file("page.htm"), chosen);
  EXPECT_EQ("--file-selection\n--title=Choose workshop asset:\n--filename=" + temp_.path() +
                "/\n--file-filter=.PHP | *.php\n--file-filter=HTM | *.htm *.HTM\n",
            arguments());
  // A cancelled dialog, or a chosen file that is gone, is a cancel.
  for (const std::string& reply : {std::string("exit 1"), "echo '" + temp_.file("gone") + "'"}) {
    installChooser("zenity", reply);
    folder = temp_.path();
    chosen = "previous";
    EXPECT_FALSE(chooseFile(&chosen, temp_.path(), "DRAV Map\0*.tmx\0", "a map")) << reply;
    EXPECT_FALSE(chooseFolder(&folder)) << reply;
    EXPECT_EQ("", chosen);
    EXPECT_EQ(temp_.path(), folder);
  }
  // Without zenity, kdialog serves.
  unlink(temp_.file("zenity").c_str());
  installChooser("kdialog", "echo '" + temp_.path() + "/'");
  folder = "/";
  ASSERT_TRUE(chooseFolder(&folder));
  EXPECT_EQ(temp_.path(), folder);
  EXPECT_EQ("--title\nChoose folder containing workshop assets:\n--getexistingdirectory\n/\n",
            arguments());
  // A desktop without a file browser makes the opener complain; none of it
  // may reach the tool's console.
  installChooser("xdg-open", "echo out; echo err >&2; : > '" + temp_.file("done") + "'");
  int console = open(temp_.file("console").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_LE(0, console);
  fflush(nullptr);
  int savedOut = dup(1), savedErr = dup(2);
  dup2(console, 1);
  dup2(console, 2);
  openFolder(temp_.path());
  for (int wait = 0; wait < 500 && fileStatus(temp_.file("done")).kind == kMissing; ++wait)
    usleep(10000);
  dup2(savedOut, 1);
  dup2(savedErr, 2);
  for (int file : {savedOut, savedErr, console})
    close(file);
  EXPECT_EQ(temp_.path() + "\n", arguments());
  EXPECT_EQ("", readFile(temp_.file("console")));
}

}  // namespace
