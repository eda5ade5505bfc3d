#include "checks/path_tests.h"

#include <gtest/gtest.h>

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
    tp.Folder().MakeFolder(R + "\\Program Files");
    tp.Folder().MakeFolder(R + "\\Program Files\\App");
    tp.Folder().WriteFile(R + "\\Program Files\\App\\app.exe", "MZ");
    tp.Folder().MakeFolder(R + "\\Data");
    tp.Folder().MakeFolder(R + "\\Data\\Sub");
    tp.Folder().MakeFolder(R + "\\Tools");
    tp.Folder().WriteFile(R + "\\Tools\\run.exe", "MZ");
  }
};

TEST_F(PathTestsTest, ExtractPathTakesDrivePathsOnly) {
  EXPECT_EQ("C:\\Program Files\\App\\app.exe",
            pt.ExtractPath("\"C:\\Program Files\\App\\app.exe\" /run"));
  EXPECT_EQ("C:\\WINDOWS\\system32\\shell32.dll,-21", pt.ExtractPath("C:\\WINDOWS\\system32\\shell32.dll,-21"));
  EXPECT_EQ("", pt.ExtractPath("rundll32.exe shell32.dll,Control_RunDLL"));
  EXPECT_EQ("", pt.ExtractPath("%SystemRoot%\\system32\\x.dll"));
  EXPECT_EQ("C:\\x.dll", pt.ExtractPath(std::string("C:\\x.dll\0more", 13)));
  EXPECT_EQ("", pt.ExtractPath(""));
  EXPECT_EQ("", pt.ExtractPath("\\\\server\\share\\x.exe"));
  EXPECT_EQ("1:odd", pt.ExtractPath("1:odd"));  // only the colon is looked at
  // An unclosed quotation mark: the remainder is the path.
  EXPECT_EQ("C:\\Program Files\\App\\app.exe /x", pt.ExtractPath("\"C:\\Program Files\\App\\app.exe /x"));
  EXPECT_EQ("", pt.ExtractPath("\""));
  EXPECT_EQ("", pt.ExtractPath("\"\"C:\\x"));  // the search starts behind the first character
}

TEST_F(PathTestsTest, FileOrFolderExistsTriesThreeStages) {
  const std::string app = R + "\\Program Files\\App\\app.exe";
  EXPECT_TRUE(pt.FileOrFolderExists(app));
  EXPECT_TRUE(pt.FileOrFolderExists(R + "\\Data"));             // a bare folder, stage 1
  EXPECT_TRUE(pt.FileOrFolderExists(R + "\\Data /x"));          // cut at " /"
  EXPECT_FALSE(pt.FileOrFolderExists(R + "\\Data word"));       // folders only in stage 1
  EXPECT_TRUE(pt.FileOrFolderExists(app + " arg"));             // stage 3, third prefix
  EXPECT_TRUE(pt.FileOrFolderExists(app + " /s extra"));
  EXPECT_TRUE(pt.FileOrFolderExists(R + "\\Tools\\run.exe -q"));  // stage 2
  EXPECT_FALSE(pt.FileOrFolderExists(R + "\\Missing\\x.exe /s"));
  EXPECT_FALSE(pt.FileOrFolderExists(""));
  // Doubled backslashes are collapsed in stage 1 only.
  EXPECT_TRUE(pt.FileOrFolderExists(R + "\\\\Data\\\\Sub"));
  // A text beginning with " /" is tested whole; a leading space stops stage 3.
  EXPECT_FALSE(pt.FileOrFolderExists(" /" + R + "\\Data"));
  EXPECT_FALSE(pt.FileOrFolderExists(" " + R + "\\Tools\\run.exe x"));
  // Stage 2 only when " -" lies inside the stage-1 candidate.
  EXPECT_TRUE(pt.FileOrFolderExists(R + "\\Tools\\run.exe -a /b"));
}

TEST_F(PathTestsTest, ExpandedFolderExistsExpandsALeadingReferenceOnly) {
  std::string deep = R + "\\Data\\" + std::string(258 - R.size() - 6, 'd');
  ASSERT_EQ(258u, deep.size());
  tp.Folder().MakeFolder(deep);
  auto machine = test::MachineWithVariables(
      tp.Folder(), {{"HWPATHTEST", R + "\\Data"}, {"A", R + "\\Data"},
                    {"HWPATHSPACE", "  " + R + "\\Data"}, {"HWPATHLONG", deep}});
  PathTests pt{tp.Files(), *machine};
  EXPECT_TRUE(pt.ExpandedFolderExists("%HWPATHTEST%\\Sub"));
  EXPECT_TRUE(pt.ExpandedFolderExists("%HWPATHTEST%"));
  EXPECT_FALSE(pt.ExpandedFolderExists("%HWPATHTEST%\\Nope"));
  EXPECT_FALSE(pt.ExpandedFolderExists("%HWPATHTEST%\\%B%"));
  EXPECT_FALSE(pt.ExpandedFolderExists("%HW_UNDEFINED_NAME%\\Sub"));
  EXPECT_FALSE(pt.ExpandedFolderExists(R + "\\%HWPATHTEST%"));  // not at the start
  EXPECT_TRUE(pt.ExpandedFolderExists(R + "\\Data"));            // no "%": plain folder test
  EXPECT_FALSE(pt.ExpandedFolderExists(R + "\\Tools\\run.exe"));  // a file is no folder
  EXPECT_FALSE(pt.ExpandedFolderExists("%A%\\Sub"));  // fewer than two characters between the signs
  EXPECT_FALSE(pt.ExpandedFolderExists("%HWPATHTEST"));  // no closing sign
  // Spaces around the expanded path are removed.
  EXPECT_TRUE(pt.ExpandedFolderExists("%HWPATHSPACE%\\Sub  "));
  // A value longer than 255 characters (still a valid path) is used whole.
  EXPECT_TRUE(pt.ExpandedFolderExists("%HWPATHLONG%"));
}

}  // namespace
}  // namespace hw
