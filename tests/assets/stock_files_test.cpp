#include "assets/stock_files.h"

#include <gtest/gtest.h>

namespace {

TEST(StockFilesTest, EveryListedNameIsStockWhereverItLies) {
  for (const char* name :
       {"serverSettings.txt", "bots.txt", "movements.txt", "textMacros.txt",
        "playerPrefs.txt", "README.txt", "language.txt", "PLAY BORDERLESS.bat",
        "RUN SERVER.bat", "RUN_SERVER.bat", "STOP SERVER.bat",
        "STOP_SERVER.bat", "PLAY.sh", "RUN_SERVER.sh", "harbor.tmx",
        "quarry.tmx", "bastion.tmx", "glacier.tmx", "summit.tmx", "lagoon.tmx",
        "outerRim.tmx", "innerRim.tmx"}) {
    EXPECT_TRUE(isStockFile(name)) << name;
    EXPECT_TRUE(isStockFile(std::string("C:\\Games\\DRAV\\") + name)) << name;
    EXPECT_TRUE(isStockFile(std::string("/home/me/drav/") + name)) << name;
  }
}

TEST(StockFilesTest, OnlyExactNamesAreStock) {
  for (const char* name :
       {"C:\\x\\Harbor.tmx", "C:\\x\\harbor_v2.tmx", " harbor.tmx",
        "harbor.tmx ", "readme.txt", "RUN-SERVER.bat", "harbor.tmx\\other.tmx",
        "harbor", ""})
    EXPECT_FALSE(isStockFile(name)) << name;
}

}  // namespace
