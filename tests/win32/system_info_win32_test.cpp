#include <gtest/gtest.h>

#include "platform/system_info_win32.h"
#include "platform/file_services_win32.h"
#include "platform/windows_win32.h"

namespace hw {
namespace {

TEST(Win32SystemInfo, DrivesWindowsFolderFamilyAndEnvironment) {
  Win32SystemInfo sys;
  Win32FileServices files;

  const std::string drives = sys.LogicalDriveStrings();
  ASSERT_NE(std::string::npos, drives.find(std::string("C:\\") + '\0'));
  EXPECT_EQ('\0', drives.back());
  EXPECT_EQ(kDriveFixed, sys.DriveType("C:\\"));
  EXPECT_EQ(kDriveNoRootDir, sys.DriveType("Q:\\"));
  // Wine's Z: is the host's whole file system: not a disk of this system
  // (C:, mapped to a folder of the host, stays fixed).
  ASSERT_NE(std::string::npos, drives.find(std::string("Z:\\") + '\0'));
  EXPECT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeA("Z:\\"));
  EXPECT_EQ(kDriveRemote, sys.DriveType("Z:\\"));

  const std::string windows = sys.WindowsDirectory();
  ASSERT_TRUE(files.FolderExists(windows)) << windows;
  EXPECT_NE('\\', windows.back());
  EXPECT_EQ(PlatformFamily::kWinNt, sys.Family());

  std::string value;
  for (const std::string& set : {std::string("C:\\somewhere"), std::string(1000, 'v')}) {
    ASSERT_TRUE(SetEnvironmentVariableA("HW_TEST_VAR", set.c_str()));
    EXPECT_TRUE(sys.GetEnvironmentVariable("HW_TEST_VAR", &value));
    EXPECT_EQ(set, value);
  }
  SetEnvironmentVariableA("HW_TEST_VAR", nullptr);
  value = "unchanged";
  EXPECT_FALSE(sys.GetEnvironmentVariable("HW_TEST_VAR", &value));
  EXPECT_EQ("unchanged", value);
  EXPECT_TRUE(sys.GetEnvironmentVariable("USERPROFILE", &value));
  EXPECT_TRUE(files.FolderExists(value)) << value;

  std::string name;
  EXPECT_TRUE(sys.ComputerName(&name) && !name.empty());

  EXPECT_EQ("hw_tests", sys.ProgramName());
  EXPECT_TRUE(files.FileExists(sys.ProgramFolder() + "\\hw_tests.exe")) << sys.ProgramFolder();

  const std::string date = sys.FormatLongDate({2024, 3, 9, 10, 0, 0});
  EXPECT_NE(std::string::npos, date.find("2024")) << date;
  EXPECT_NE(std::string::npos, date.find("9")) << date;
  EXPECT_EQ("", sys.FormatLongDate({2024, 2, 30, 0, 0, 0}));
}

}  // namespace
}  // namespace hw
