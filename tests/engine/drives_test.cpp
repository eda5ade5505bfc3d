#include "engine/drives.h"

#include <gtest/gtest.h>

#include <tuple>

#include "checks/section_catalogue.h"
#include "support/test_platform.h"

namespace hw {
namespace {

TEST(WindowsFamily, ThePlatformsAnswerWinsOverTheFolderName) {
  // Only an unknown family falls back to the folder name.
  for (const auto& [family, folder, want] : std::vector<std::tuple<PlatformFamily, std::string, std::string>>{
           {PlatformFamily::kWinNt, "C:\\WINDOWS", "WIN2K"}, {PlatformFamily::kWinNt, "D:\\WIN", "WIN2K"},
           {PlatformFamily::kWin9x, "C:\\WINNT", "WIN9X"}, {PlatformFamily::kUnknown, "C:\\windows", "WIN9X"},
           {PlatformFamily::kUnknown, "C:\\WINNT", "WIN2K"}, {PlatformFamily::kUnknown, "D:\\WIN", ""},
           {PlatformFamily::kUnknown, "", ""}})
    EXPECT_EQ(want, WindowsFamilyOf(family, folder)) << folder;
  EXPECT_TRUE(SectionPasses(*FindSection("WF"), "").empty());
  ASSERT_EQ(1u, SectionPasses(*FindSection("WF"), "WIN9X").size());
  EXPECT_STREQ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts",
               SectionPasses(*FindSection("WF"), "WIN9X")[0].startKey);
}

TEST(WindowsFamily, TheRealSystemGivesFolderFamilyAndFixedDrives) {
  test::TestPlatform tp;
  SystemInfo& sys = tp.Get().system;
  WindowsFolders wf;
  ASSERT_TRUE(FindWindowsFolders(sys, tp.dialogs, wf));
  EXPECT_EQ(sys.WindowsDirectory(), wf.WindowsFolder);
  EXPECT_NE('\\', wf.WindowsFolder.back());
  EXPECT_EQ(WindowsFamilyOf(sys.Family(), wf.WindowsFolder), wf.WindowsFamily);
#ifdef _WIN32
  // Wine reports the NT family and keeps Windows in C:\windows.
  EXPECT_EQ("WIN2K", wf.WindowsFamily);
#endif

  std::vector<char> fixed = FixedDriveLetters(sys, tp.dialogs);
  std::string list = GetDriveList(sys);
  std::vector<char> expected;
  for (std::size_t at = 0; at + 3 < list.size() + 1; at += 4) {
    ASSERT_EQ(":\\", list.substr(at + 1, 2));
    ASSERT_EQ('\0', list[at + 3]);
    if (sys.DriveType(list.substr(at, 3)) == kDriveFixed) expected.push_back(list[at]);
  }
  EXPECT_EQ(expected, fixed);
  EXPECT_FALSE(fixed.empty());
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

}  // namespace
}  // namespace hw
