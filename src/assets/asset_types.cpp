#include "assets/asset_types.h"

#include <iostream>

#include "console/console.h"
#include "files/paths.h"
#include "platform/strings.h"

namespace {

// One row per kind. A name has the kind when it begins with `prefix` and
// ends with one of `suffixes`.
struct AssetKind {
  AssetType type;
  const char* menuKey;
  const char* menuLine;
  const char* name;
  const char* filter;  // description and pattern pairs, NUL-separated
  const char* prefix;
  const char* suffixes[3];
  const char* message;
  const char* installFolder;
};

// In the order in which the rules are tried: the first that matches
// decides, so bots_movements_.txt is a bots file.
const AssetKind kKinds[] = {
    {Map, "1", "\n1) A custom map (.tmx)", "Map", "DRAV Map\0*.tmx\0", "",
     {".tmx"}, "\nDRAV maps must be .tmx files.\n", "Levels"},
    {Leaderboard, "4", "\n4) Leaderboard or Stats display (.php, .htm, .html)",
     "Leaderboard", ".PHP\0*.php\0HTM\0*.htm\0HTML\0*html\0", "",
     {".php", ".htm", ".html"},
     "\nCustom leaderboards must\nbe .php, .htm, or .html files.\n", "WEB"},
    {BotConfig, "6", "\n6) A bots configuration (bots.txt)", "Bot Config",
     "Bots Config File\0bots_*.txt\0", "bots_", {".txt"},
     "\nA custom bots file name must\nbegin with the prefix 'bots_' and be "
     "of type .txt\n",
     "ai"},
    {BotMovements, "8", "\n8) A bots movement file (movements.txt)",
     "Bot Movements", "movements.txt File\0movements_*.txt\0", "movements_",
     {".txt"},
     "\nBot movements file name must\nbegin with the prefix 'movements_' and "
     "be of type .txt\n",
     "ai"},
    {ServerSettings, "2", "\n2) Server settings (.txt)", "Server Settings",
     "Server Settings\0serverSettings_*.txt\0", "serverSettings_", {".txt"},
     "\nA custom serverSettings file name must\nbegin with the prefix "
     "'serverSettings_' and be of type .txt\n",
     ""},
    {ChatMacros, "3", "\n3) Bolt's text macros (.txt)", "Chat Macros",
     "Text Macros\0textMacros_*.txt\0", "textMacros_", {".txt"},
     "\nA text macros file name must\nbegin with the prefix 'textMacros_' and "
     "be of type .txt\n",
     ""},
    {Translations, "7", "\n7) A custom translation (.txt)", "Translations",
     "DRAV Translation\0translations_*.txt\0", "translations_", {".txt"},
     "\nThe translation file name must\nbegin with the prefix 'translations_' "
     "and be of type .txt\n",
     ""},
    {Recording, "5", "\n5) An DRAV match recording (.rec)", "Recording",
     "DRAV Recording\0*.rec\0", "", {".rec"},
     "\nAn DRAV game recording must end in '.rec' \n", "RECORDINGS"},
};

const AssetKind* findKind(int type) {
  for (const AssetKind& kind : kKinds) {
    if (kind.type == type)
      return &kind;
  }
  return nullptr;
}

bool matchesRule(const AssetKind& kind, const std::string& name) {
  if (!startsWith(name, kind.prefix))
    return false;
  for (const char* suffix : kind.suffixes) {
    if (suffix && endsWith(name, suffix))
      return true;
  }
  return false;
}

}  // namespace

AssetType detectAssetType(const std::string& name) {
  for (const AssetKind& kind : kKinds) {
    if (matchesRule(kind, name))
      return kind.type;
  }
  return Unrecognised;
}

bool checkAssetFileName(int expected, const std::string& path) {
  std::string name;
  if (path.empty()) {
    std::cout << grey;
  } else {
    name = getFileName(path);
    std::cout << magenta;
  }
  if (detectAssetType(name) == expected)
    return true;
  if (const AssetKind* kind = findKind(expected))
    std::cout << kind->message;
  return false;
}

std::string assetTypeName(int type) {
  if (type == Unrecognised)
    return "UNKNOWN";
  const AssetKind* kind = findKind(type);
  return kind ? kind->name : "UNDEFINED!";
}

const char* assetTypeFileFilter(int type) {
  const AssetKind* kind = findKind(type);
  return kind ? kind->filter : "";
}

std::string assetTypeInstallFolder(int type) {
  const AssetKind* kind = findKind(type);
  return kind ? kind->installFolder : "";
}

AssetType assetTypeForMenuKey(const std::string& line) {
  for (const AssetKind& kind : kKinds) {
    if (line == kind.menuKey)
      return kind.type;
  }
  return Unrecognised;
}

std::string assetTypeMenu() {
  std::string menu;
  for (char key = '1'; key <= '8'; ++key) {
    const AssetKind* kind = findKind(assetTypeForMenuKey(std::string(1, key)));
    menu += kind->menuLine;
  }
  return menu;
}
