#include "checks/path_tests.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/machine_variables.h"
#include "support/test_platform.h"

namespace hw {
namespace {

class PathTestsTest : public ::testing::Test {
 protected:
  test::TestPlatform tp;
  PathTests pt{tp.Files(), tp.Get().system};
  std::string R = tp.Root();

  void SetUp() override {
    tp.Folder().WriteFile(R + "\\Program Files\\App\\app.exe", "MZ");
    tp.Folder().WriteFile(R + "\\Tools\\run.exe", "MZ");
    tp.Folder().MakeFolder(R + "\\Data\\Sub");
  }
};

TEST_F(PathTestsTest, ExtractPathTakesDrivePathsAndFileOrFolderExistsTriesThreeStages) {
  for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
           {"\"C:\\Program Files\\App\\app.exe\" /run", "C:\\Program Files\\App\\app.exe"},
           {"C:\\WINDOWS\\system32\\shell32.dll,-21", "C:\\WINDOWS\\system32\\shell32.dll,-21"},
           {"rundll32.exe shell32.dll,Control_RunDLL", ""}, {"%SystemRoot%\\system32\\x.dll", ""},
           {std::string("C:\\x.dll\0more", 13), "C:\\x.dll"}, {"", ""}, {"\\\\server\\share\\x.exe", ""},
           {"1:odd", "1:odd"},  // only the colon is looked at
           // An unclosed quotation mark: the remainder is the path.
           {"\"C:\\Program Files\\App\\app.exe /x", "C:\\Program Files\\App\\app.exe /x"}, {"\"", ""},
           {"\"\"C:\\x", ""}})  // the search starts behind the first character
    EXPECT_EQ(out, pt.ExtractPath(in)) << in;

  const std::string app = R + "\\Program Files\\App\\app.exe";
  for (const auto& [path, exists] : std::vector<std::pair<std::string, bool>>{
           {app, true}, {R + "\\Data", true},  // a bare folder, stage 1
           {R + "\\Data /x", true},             // cut at " /"
           {R + "\\Data word", false},          // folders only in stage 1
           {app + " arg", true}, {app + " /s extra", true},  // stage 3
           {R + "\\Tools\\run.exe -q", true},              // stage 2
           {R + "\\Missing\\x.exe /s", false}, {"", false},
           {R + "\\\\Data\\\\Sub", true},  // doubled backslashes collapsed in stage 1 only
           // A text beginning with " /" is tested whole; a leading space stops stage 3.
           {" /" + R + "\\Data", false}, {" " + R + "\\Tools\\run.exe x", false},
           {R + "\\Tools\\run.exe -a /b", true}})  // stage 2 only when " -" lies inside the stage-1 candidate
    EXPECT_EQ(exists, pt.FileOrFolderExists(path)) << path;
}

TEST_F(PathTestsTest, ExpandedFolderExistsExpandsALeadingReferenceOnly) {
  std::string deep = R + "\\Data\\" + std::string(258 - R.size() - 6, 'd');
  ASSERT_EQ(258u, deep.size());
  tp.Folder().MakeFolder(deep);
  auto machine = test::MachineWithVariables(
      tp.Folder(), {{"HWPATHTEST", R + "\\Data"}, {"A", R + "\\Data"},
                    {"HWPATHSPACE", "  " + R + "\\Data"}, {"HWPATHLONG", deep}});
  PathTests pt{tp.Files(), *machine};
  for (const auto& [path, exists] : std::vector<std::pair<std::string, bool>>{
           {"%HWPATHTEST%\\Sub", true}, {"%HWPATHTEST%", true}, {"%HWPATHTEST%\\Nope", false},
           {"%HWPATHTEST%\\%B%", false}, {"%HW_UNDEFINED_NAME%\\Sub", false},
           {R + "\\%HWPATHTEST%", false},         // not at the start
           {R + "\\Data", true},                  // no "%": plain folder test
           {R + "\\Tools\\run.exe", false},       // a file is no folder
           {"%A%\\Sub", false},                   // fewer than two characters between the signs
           {"%HWPATHTEST", false},                 // no closing sign
           {"%HWPATHSPACE%\\Sub  ", true},         // spaces around the expanded path removed
           {"%HWPATHLONG%", true}})                // a value longer than 255 characters used whole
    EXPECT_EQ(exists, pt.ExpandedFolderExists(path)) << path;
}

}  // namespace
}  // namespace hw
