#include "assets/stock_files.h"

#include "files/paths.h"

namespace {

const char* const kStockFiles[] = {
    "serverSettings.txt", "bots.txt", "movements.txt", "textMacros.txt",
    "playerPrefs.txt", "README.txt", "language.txt",
    // The Windows server scripts come with a space and with an underscore.
    "PLAY BORDERLESS.bat", "RUN SERVER.bat", "RUN_SERVER.bat",
    "STOP SERVER.bat", "STOP_SERVER.bat", "PLAY.sh", "RUN_SERVER.sh",
    // The stock maps.
    "harbor.tmx", "quarry.tmx", "bastion.tmx", "glacier.tmx", "summit.tmx",
    "lagoon.tmx", "outerRim.tmx", "innerRim.tmx",
};

}  // namespace

bool isStockFile(const std::string& path) {
  std::string name = getFileName(path);
  for (const char* stock : kStockFiles) {
    if (name == stock)
      return true;
  }
  return false;
}
