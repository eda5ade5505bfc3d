#include <gtest/gtest.h>

#include "ui/startup.h"

namespace hw {
namespace {

TEST(StartupTest, OnlyTheArgumentsDecideTheStartupScan) {
  struct Row {
    const char *commandLine, *arguments;
    bool scan;
  };
  for (const Row& r : {Row{"\"C:\\Program Files\\Hivewright\\hivewright.exe\" /S", " /S", true},
                       Row{"C:\\Hive\\hivewright.exe /s", " /s", true}, Row{"C:\\Hive\\hivewright.exe   /Silent now", "   /Silent now", true},
                       Row{"\"C:\\Program Files\\Hivewright\\hivewright.exe\"", "", false}, Row{"C:\\S\\hivewright.exe", "", false},
                       Row{"C:\\Hive\\hivewright.exe -S", " -S", false}, Row{"C:\\Hive\\hivewright.exe S", " S", false},
                       Row{"C:\\Hive\\hivewright.exe /", " /", false},
                       // A quoted program path that itself holds "/S" does not count.
                       Row{"\"/Sx\\hivewright.exe\" -x", " -x", false}}) {
    EXPECT_EQ(r.arguments, ArgumentsOf(r.commandLine)) << r.commandLine;
    EXPECT_EQ(r.scan, IsStartupScanRequest(ArgumentsOf(r.commandLine))) << r.commandLine;
  }
  EXPECT_TRUE(IsStartupScanRequest("/s"));
}

}  // namespace
}  // namespace hw
