#include <gtest/gtest.h>

#include "ui/startup.h"

namespace hw {
namespace {

TEST(StartupTest, OnlyTheArgumentsDecideTheStartupScan) {
  struct Row {
    const char *commandLine, *arguments;
    bool scan;
  };
  const Row rows[] = {
      {"\"C:\\Program Files\\Hivewright\\hivewright.exe\" /S", " /S", true},
      {"C:\\Hive\\hivewright.exe /s", " /s", true},
      {"C:\\Hive\\hivewright.exe   /Silent now", "   /Silent now", true},
      {"\"C:\\Program Files\\Hivewright\\hivewright.exe\"", "", false},
      {"C:\\S\\hivewright.exe", "", false},
      {"C:\\Hive\\hivewright.exe -S", " -S", false},
      {"C:\\Hive\\hivewright.exe S", " S", false},
      {"C:\\Hive\\hivewright.exe /", " /", false},
      {"\"/Sx\\hivewright.exe\" -x", " -x", false},  // a quoted program path holding "/S" does not count
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.arguments, ArgumentsOf(r.commandLine)) << r.commandLine;
    EXPECT_EQ(r.scan, IsStartupScanRequest(ArgumentsOf(r.commandLine))) << r.commandLine;
  }
  EXPECT_TRUE(IsStartupScanRequest("/s"));
}

}  // namespace
}  // namespace hw
