#include "install/install_rules.h"

#include <ctype.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "files/directory.h"
#include "files/paths.h"
#include "localsteam/local_steam.h"
#include "localsteam/local_store.h"
#include "test_util.h"

namespace {

// What a player's system runs or loads. The list is kept here on its own,
// so that an extension dropped from the tool's list shows.
const char* const kRunnable[] = {
    ".exe", ".dll", ".com", ".bat", ".cmd", ".ps1", ".psm1", ".vbs", ".vbe", ".scr", ".msi",
    ".msp", ".sh",  ".so",  ".dylib", ".appimage", ".x86", ".x86_64", ".py", ".pyw", ".jar",
    ".desktop", ".lnk", ".url", ".js", ".jse", ".hta", ".cpl", ".pif", ".reg", ".wsf", ".wsh",
    ".asi", ".sys", ".drv", ".ocx", ".inf", ".run", ".pl", ".rb", ".command", ".scf", ".msc"};

TEST(InstallRules, RefusesEveryProgramAsWindowsWouldReadItsName) {
  for (const char* extension : kRunnable) {
    std::string upper = extension;
    for (char& c : upper)
      c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    for (const std::string& name : {"a" + std::string(extension), "A" + upper + ". ."})
      EXPECT_EQ("program files are never installed.", installRefusal(name)) << name;
  }
}

TEST(InstallRules, RefusesTheToolsFilesAndTheGamesFolders) {
  const struct {
    const char* name;
    const char* reason;  // a word of the reason; "" when installed
  } cases[] = {
      {"libx.so.1", "program"},           {"libx.so.1.2.3", "program"},
      {"drav-workshop", "own"},           {"DRAV-LOCALSTEAM", "own"},
      {"WORKSHOPPATH.TXT..", "own"},      {"_default_workshop_.png", "own"},
      {"steam_appid.txt", "own"},         {"_DRAV_WORKSHOP_TEMP_", "own"},
      {".drav-workshop.lock", "own"},     {".drav-tmp-0123456789abcdef", "own"},
      {"Levels", "folders"},              {"ai ", "folders"},
      {"WEB", "folders"},                 {"RECORDINGS.", "folders"},
      // Content: a program's or an own file's name inside a longer one.
      {"notes.exe.txt", ""},              {"libx.so.txt", ""},
      {"libx.so.1a", ""},                 {"readme", ""},
      {" levels", ""},                    {"Levels.txt", ""},
      {"workshopPath.txt.bak", ""},       {"...", ""},
  };
  for (const auto& c : cases) {
    std::string refusal = installRefusal(c.name);
    if (*c.reason == '\0')
      EXPECT_EQ("", refusal) << c.name;
    else
      EXPECT_NE(std::string::npos, refusal.find(c.reason)) << c.name << ": " << refusal;
  }
}

// A cache path that fills Steam's buffer may be cut short and so name
// another folder: it is no folder. Windows paths can't grow that long.
TEST(InstallRules, ItemFolderThatFillsSteamsBufferIsNone) {
  ScopedTempDir temp;
  std::vector<std::string> stores = {temp.file("store")};
#ifndef _WIN32
  stores.push_back(joinPath(temp.path(), std::string(250, 'd') + "/" + std::string(250, 'e') +
                                             "/" + std::string(250, 'f') + "/" +
                                             std::string(250, 'g') + "/store"));
#endif
  for (const std::string& folder : stores) {
    cLocalStore store(folder);
    ASSERT_TRUE(store.create(1001));
    ASSERT_TRUE(createFolder(store.cacheFolder(1000000)));
    std::unique_ptr<cSteamBackend> steam(newLocalSteam(folder));
    ASSERT_TRUE(steam->init());
    std::string found = "previous";
    EXPECT_FALSE(findItemFolder(steam->ugc(), 1000001, &found));
    ASSERT_TRUE(findItemFolder(steam->ugc(), 1000000, &found));
    EXPECT_EQ(folder.size() < 1000 ? store.cacheFolder(1000000) : "", found);
  }
}

}  // namespace
