#include <gtest/gtest.h>

#include "ui/startup.h"

namespace hw {
namespace {

TEST(StartupTest, OnlyTheArgumentsDecideTheStartupScan) {
  EXPECT_EQ(" /S", ArgumentsOf("\"C:\\Program Files\\Hivewright\\hivewright.exe\" /S"));
  EXPECT_EQ(" /s", ArgumentsOf("C:\\Hive\\hivewright.exe /s"));
  EXPECT_EQ("", ArgumentsOf("\"C:\\Program Files\\Hivewright\\hivewright.exe\""));
  EXPECT_EQ("", ArgumentsOf("C:\\S\\hivewright.exe"));

  EXPECT_TRUE(IsStartupScanRequest(" /S"));
  EXPECT_TRUE(IsStartupScanRequest("/s"));
  EXPECT_TRUE(IsStartupScanRequest("   /Silent now"));
  EXPECT_FALSE(IsStartupScanRequest(""));
  EXPECT_FALSE(IsStartupScanRequest("-S"));
  EXPECT_FALSE(IsStartupScanRequest("S"));
  EXPECT_FALSE(IsStartupScanRequest("/"));
  // A quoted program path that itself holds "/S" does not count.
  EXPECT_FALSE(IsStartupScanRequest(ArgumentsOf("\"/Sx\\hivewright.exe\" -x")));
}

}  // namespace
}  // namespace hw
