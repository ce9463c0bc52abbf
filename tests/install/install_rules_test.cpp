#include "install/install_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "files/directory.h"
#include "files/paths.h"
#include "platform/files.h"
#include "test_util.h"

namespace {

TEST(InstallRules, NamesCompareAsWindowsDoes) {
  const struct {
    const char* name;
    const char* comparable;
  } cases[] = {
      {"Setup.EXE", "setup.exe"},
      {"setup.exe. . ", "setup.exe"},
      {"workshopPath.txt.", "workshoppath.txt"},
      {"...", ""},
      {" lead", " lead"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.comparable, windowsComparableName(c.name)) << c.name;
}

TEST(InstallRules, RefusesWhatRunsTheToolsFilesAndTheGamesFolders) {
  const struct {
    const char* name;
    const char* reason;  // a word of the reason; "" when installed
  } cases[] = {
      // What a player's system runs or loads.
      {"setup.exe", "program"},
      {"setup.exe. ", "program"},
      {"libx.so", "program"},
      {"libx.so.1", "program"},
      {"libx.so.1.2.3", "program"},
      {"game.AppImage", "program"},
      {"game.x86_64", "program"},
      {"run.py", "program"},
      {"tool.jar", "program"},
      {"start.desktop", "program"},
      {"link.LNK", "program"},
      {"a.js", "program"},
      {"a.hta", "program"},
      {"a.cpl", "program"},
      {"a.pif", "program"},
      {"a.reg", "program"},
      {"a.wsf", "program"},
      {"mod.asi", "program"},
      // The tool's own files, in any case and with trailing dots.
      {"workshopPath.txt", "own"},
      {"WORKSHOPPATH.TXT..", "own"},
      {"_default_workshop_.png", "own"},
      {"drav-workshop", "own"},
      {"drav-workshop.exe", "program"},
      {"steam_api.dll", "program"},
      {"libsteam_api.so", "program"},
      {"_DRAV_WORKSHOP_TEMP_", "own"},
      {".drav-workshop.lock", "own"},
      {".drav-tmp-0123456789abcdef", "own"},
      // The folders an install writes into.
      {"Levels", "folders"},
      {"levels ", "folders"},
      {"ai", "folders"},
      {"WEB", "folders"},
      {"RECORDINGS", "folders"},
      // Content.
      {"notes.exe.txt", ""},
      {"libx.so.txt", ""},
      {"libx.so.1a", ""},
      {"readme", ""},
      {"Levels.txt", ""},
      {"workshopPath.txt.bak", ""},
  };
  for (const auto& c : cases) {
    std::string refusal = installRefusal(c.name);
    if (*c.reason == '\0')
      EXPECT_EQ("", refusal) << c.name;
    else
      EXPECT_NE(std::string::npos, refusal.find(c.reason)) << c.name << ": " << refusal;
  }
}

// The decision alone: where each file goes or why not, with nothing
// created or copied before carryOutInstallStep.
TEST(InstallRules, PlansEachFileWithoutChangingAnything) {
  ScopedTempDir game, item;
  writeFile(item.file("arena.tmx"), "<map/>");
  writeFile(item.file("notes.txt"), "n");
  writeFile(item.file("bots_easy.txt"), "b");
  writeFile(item.file("run.exe"), "MZ");
  writeFile(item.file("final.rec"), "r");
  ASSERT_TRUE(createFolder(item.file("Levels")));
  ASSERT_TRUE(createFolders(joinPath(game.file("RECORDINGS"), "final.rec")));
  const struct {
    const char* name;
    const char* folder;  // below the game folder; "" for itself
    const char* reason;  // the start of the skip reason; "" when installed
  } cases[] = {
      {"arena.tmx", "Levels", ""},
      {"notes.txt", "", ""},
      {"bots_easy.txt", "ai", ""},
      {"run.exe", "", "program files"},
      {"Levels", "", "only regular files"},
      {"final.rec", "RECORDINGS", "a folder or link"},
  };
  for (const auto& c : cases) {
    cInstallStep step = planInstallStep(game.path(), item.path(), c.name);
    std::string folder = *c.folder ? game.file(c.folder) : game.path();
    EXPECT_EQ(item.file(c.name), step.source) << c.name;
    EXPECT_EQ(folder, step.folder) << c.name;
    EXPECT_EQ(joinPath(folder, c.name), step.destination) << c.name;
    EXPECT_EQ(0u, step.skipReason.find(c.reason)) << c.name << ": " << step.skipReason;
    EXPECT_EQ(*c.reason == 0, step.skipReason.empty()) << c.name;
  }
  EXPECT_EQ(kMissing, fileStatus(game.file("Levels")).kind);
  EXPECT_EQ(kMissing, fileStatus(game.file("ai")).kind);
  cInstallStep map = planInstallStep(game.path(), item.path(), "arena.tmx");
  std::string why;
  ASSERT_TRUE(carryOutInstallStep(map, &why)) << why;
  EXPECT_EQ("<map/>", readFile(map.destination));
}

}  // namespace
