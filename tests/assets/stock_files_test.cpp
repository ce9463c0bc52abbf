#include "assets/stock_files.h"

#include <gtest/gtest.h>

namespace {

// A sample of the list, one of each kind of name; the list itself is data.
TEST(StockFilesTest, ListedNamesAreStockWhereverTheyLie) {
  for (const char* name : {"bots.txt", "PLAY BORDERLESS.bat", "PLAY.sh", "innerRim.tmx"}) {
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
