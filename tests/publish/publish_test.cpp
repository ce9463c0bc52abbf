#include "publish/publish.h"

#include <gtest/gtest.h>

TEST(IntToString, FormatsDecimal) {
  EXPECT_EQ("1", intToString(1));
  EXPECT_EQ("8", intToString(8));
  EXPECT_EQ("0", intToString(0));
  EXPECT_EQ("-12", intToString(-12));
  EXPECT_EQ("2147483647", intToString(2147483647));
}
