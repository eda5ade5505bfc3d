// What only the Windows file backend has: the system attribute, which
// keeps a file out of the listings as hidden does.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/windows_win32.h"
#include "support/scratch_folder.h"

namespace hw {
namespace {

TEST(Win32FileServices, SystemFilesAreReportedAndNotListed) {
  auto scratch = test::MakeScratchFolder();
  FileServices& fs = scratch->Files();
  const std::string root = scratch->Root();
  scratch->WriteFile(root + "\\a.lnk", "x");
  scratch->WriteFile(root + "\\system.lnk", "s");
  ASSERT_TRUE(SetFileAttributesA((root + "\\system.lnk").c_str(), FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(kAttrSystem, fs.GetAttributes(root + "\\system.lnk") & kAttrSystem);
  std::vector<std::string> names;
  for (const DirEntry& e : fs.ListDirectory(root, "*.*", true)) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{".", "..", "a.lnk"}), names);
  EXPECT_EQ(2u, fs.GetFolderFiles(root).size());
}

}  // namespace
}  // namespace hw
