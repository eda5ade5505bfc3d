#include "platform/system_info_posix.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace hw {
namespace {

// Drives in letter order with their types, the environment of the machine
// (never of this process), and the long date in its US form.
TEST(PosixSystemInfo, DrivesEnvironmentAndDatesAreTheMachinesOwn) {
  OfflineSystem m;
  m.drives = {{'e', "/srv/e", kDriveFixed}, {'A', "/srv/a", kDriveRemovable},
              {'C', "/srv/c", kDriveFixed}, {'D', "/srv/d", kDriveCdrom}};
  m.windowsDirectory = "C:\\WINDOWS";
  m.family = PlatformFamily::kWinNt;
  m.environment = {{"USERPROFILE", "C:\\Documents and Settings\\ann"}, {"SystemRoot", "C:\\WINDOWS"}};
  m.computerName = "ANN-PC";
  m.programFolder = "C:\\Program Files\\Hivewright";
  PosixSystemInfo info(m);
  EXPECT_EQ(std::string("A:\\\0C:\\\0D:\\\0E:\\\0", 16), info.LogicalDriveStrings());
  const std::pair<const char*, std::uint32_t> types[] = {{"A:\\", kDriveRemovable}, {"c:\\", kDriveFixed},
                                                         {"D:", kDriveCdrom},          {"E:\\", kDriveFixed},
                                                         {"F:\\", kDriveNoRootDir},  {"C:\\WINDOWS", kDriveNoRootDir}};
  for (const auto& [root, type] : types) EXPECT_EQ(type, info.DriveType(root)) << root;
  EXPECT_EQ("C:\\WINDOWS", info.WindowsDirectory());
  EXPECT_EQ(PlatformFamily::kWinNt, info.Family());
  EXPECT_EQ("C:\\Program Files\\Hivewright", info.ProgramFolder());
  EXPECT_EQ("hivewright", info.ProgramName());
  std::string name;
  ASSERT_TRUE(info.ComputerName(&name));
  EXPECT_EQ("ANN-PC", name);

  PosixSystemInfo empty{OfflineSystem{}};
  EXPECT_EQ("", empty.LogicalDriveStrings());
  EXPECT_EQ(PlatformFamily::kUnknown, empty.Family());
  name = "unchanged";
  EXPECT_FALSE(empty.ComputerName(&name));
  EXPECT_EQ("unchanged", name);

  setenv("HW_ONLY_IN_LINUX_PROCESS", "x", 1);
  std::string v = "unchanged";
  EXPECT_FALSE(info.GetEnvironmentVariable("HW_ONLY_IN_LINUX_PROCESS", &v));
  EXPECT_FALSE(info.GetEnvironmentVariable("PATH", &v));
  EXPECT_FALSE(info.GetEnvironmentVariable("", &v));
  EXPECT_EQ("unchanged", v);
  unsetenv("HW_ONLY_IN_LINUX_PROCESS");
  ASSERT_TRUE(info.GetEnvironmentVariable("userprofile", &v));
  EXPECT_EQ("C:\\Documents and Settings\\ann", v);
  ASSERT_TRUE(info.GetEnvironmentVariable("SYSTEMROOT", &v));
  EXPECT_EQ("C:\\WINDOWS", v);

  const std::pair<FileTime, const char*> dates[] = {{{2026, 12, 6, 17, 43, 0}, "Sunday, December 6, 2026"},
                                                    {{2000, 2, 29, 0, 0, 0}, "Tuesday, February 29, 2000"},
                                                    {{2000, 1, 1, 0, 0, 0}, "Saturday, January 1, 2000"},
                                                    {{1901, 3, 1, 0, 0, 0}, "Friday, March 1, 1901"},
                                                    {{2026, 13, 1, 0, 0, 0}, ""}};
  for (const auto& [date, text] : dates) EXPECT_EQ(text, info.FormatLongDate(date));
}

}  // namespace
}  // namespace hw
