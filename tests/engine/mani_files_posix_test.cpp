// Directory links on the scratch drive: symbolic links to folders, a loop of
// them, and links that lead nowhere.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/mani.h"
#include "support/shortcut_search_events.h"
#include "platform/vb_text.h"
#include "support/shortcut_maker.h"
#include "support/test_platform.h"

namespace hw {
namespace {
namespace fs = std::filesystem;

TEST(ManiFilesLinks, EveryRealFolderIsSearchedOnceWhateverLinksLeadToIt) {
  test::TestPlatform tp;
  auto& f = tp.Folder();
  const std::string L = tp.Root() + "\\L";
  ASSERT_TRUE(test::MakeShortcutFile(f, L + "\\a.lnk", "C:\\T\\a.exe"));
  ASSERT_TRUE(test::MakeShortcutFile(f, L + "\\Sub\\s.lnk", "C:\\T\\s.exe"));
  ASSERT_TRUE(test::MakeShortcutFile(f, L + "\\.dot\\dot.lnk", "C:\\T\\dot.exe"));
  ASSERT_TRUE(test::MakeShortcutFile(f, L + "\\Ring\\One\\r.lnk", "C:\\T\\r.exe"));
  // back leads up into the folder that holds it; Twin is Sub again.
  fs::create_directory_symlink(f.Host(L), f.Host(L + "\\Sub") + "/back");
  fs::create_directory_symlink(f.Host(L + "\\Sub"), f.Host(L) + "/Twin");
  // A ring of two links, a link to itself, a link to nothing.
  fs::create_directory_symlink(f.Host(L + "\\Ring") + "/Two", f.Host(L + "\\Ring\\One") + "/ToTwo");
  fs::create_directory_symlink(f.Host(L + "\\Ring\\One") + "/ToTwo", f.Host(L + "\\Ring") + "/Two");
  fs::create_symlink("Self", f.Host(L) + "/Self");
  fs::create_symlink(f.Host(L) + "/nowhere", f.Host(L) + "/Dangling");
  fs::create_symlink(f.Host(L + "\\a.lnk"), f.Host(L) + "/alias.lnk");

  SearchParameters params;
  Mani sReg{tp.Registry(), tp.pump, params};
  std::string shortcutFile;
  test::SearchRecorder rec{shortcutFile};
  sReg.SetEvents(&rec);
  sReg.UseFiles(tp.Files(), tp.Get().shortcuts, shortcutFile);
  sReg.SetlStartSearch();
  sReg.DoSearchFiles("C:", "*.lnk");

  // a.lnk and its alias (two shortcut files), s.lnk once whether reached as
  // Sub or Twin, r.lnk once; the dot folder is hidden.
  std::vector<std::string> found;
  for (const auto& e : rec.Shortcuts()) found.push_back(e.file);
  ASSERT_EQ(4u, found.size());
  int s = 0, r = 0;
  for (const auto& file : found) {
    s += EqualsNoCase(file, L + "\\Sub\\s.lnk") || EqualsNoCase(file, L + "\\Twin\\s.lnk");
    r += Contains(file, "\\r.lnk", true);
    EXPECT_FALSE(Contains(file, "dot.lnk", true));
  }
  EXPECT_EQ(1, s);
  EXPECT_EQ(1, r);
  EXPECT_LT(tp.pump.Count(), 1000);  // the loops ended at once, not by some limit
}

}  // namespace
}  // namespace hw
