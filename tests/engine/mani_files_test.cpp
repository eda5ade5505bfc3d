// The engine's file search over a real folder tree on the scratch drive,
// with shortcuts made the platform's way.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "engine/mani.h"
#include "support/shortcut_search_events.h"
#include "platform/vb_text.h"
#include "support/shortcut_maker.h"
#include "support/test_platform.h"

namespace hw {
namespace {

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }

class ManiFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sReg.SetEvents(&rec);
    sReg.UseFiles(tp.Files(), tp.Get().shortcuts, shortcutFile);
    sReg.SetlStartSearch();
  }
  void Link(const std::string& path, const std::string& target) {
    ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), path, target)) << path;
  }
  // Upper-cased shortcut files in event order.
  std::vector<std::string> Found() const {
    std::vector<std::string> out;
    for (const auto& e : rec.Shortcuts()) out.push_back(UCase(e.file));
    return out;
  }

  test::TestPlatform tp;
  SearchParameters params;
  Mani sReg{tp.Registry(), tp.pump, params};
  std::string shortcutFile;
  test::SearchRecorder rec{shortcutFile};
  std::string R = tp.Root();
};

TEST_F(ManiFilesTest, FolderFilesFirstThenEachSubtreeAndNothingHidden) {
  auto& f = tp.Folder();
  const std::string A = R + "\\A";
  // Shortcut file and target, upper-cased. Where the file system cannot
  // keep the hidden attribute, H and hid.lnk are plain entries found like the others.
  std::map<std::string, std::string> expected;
  for (const auto& [link, target] : std::vector<std::pair<const char*, const char*>>{
           {"a.lnk", "a.exe"}, {"c.LNK", "Folder"}, {"X\\x.lnk", "x.exe"}, {"X\\Deep\\d.lnk", "d.exe"},
           {"X\\Deep2\\e.lnk", "e.exe"}, {"Y\\y.lnk", "y.exe"}, {"H\\h.lnk", "h.exe"}, {"hid.lnk", "hid.exe"}}) {
    Link(A + "\\" + link, R + "\\T\\" + target);
    expected[UCase(A + "\\" + link)] = UCase(R + "\\T\\" + target);
  }
  f.WriteFile(A + "\\b.txt", "text");
  f.WriteFile(A + "\\Y\\notes.lnk.txt", "not a shortcut");
  f.MakeFolder(A + "\\Z");
  const bool hidden = f.MakeHidden(A + "\\H") && f.MakeHidden(A + "\\hid.lnk");
  if (hidden) {
    expected.erase(UCase(A + "\\H\\h.lnk"));
    expected.erase(UCase(A + "\\hid.lnk"));
  }

  sReg.DoSearchFiles(A, "*.lnk");

  std::map<std::string, std::string> targets;
  for (const auto& e : rec.Shortcuts()) targets[UCase(e.file)] = UCase(e.target);
  EXPECT_EQ(expected, targets);  // b.txt, notes.lnk.txt, the hidden file and folder left out
  const std::vector<std::string> found = Found();
  ASSERT_EQ(expected.size(), found.size());  // each once

  // A's own shortcuts come first; then every folder's shortcuts form one run
  // (its whole subtree is searched before the next sibling), a folder's own
  // files before its subfolders'.
  for (std::size_t i = 0; i < (hidden ? 2u : 3u); ++i) EXPECT_EQ(UCase(A), FolderOf(found[i])) << i;
  for (const char* sub : {"\\X", "\\Y", "\\X\\DEEP", "\\X\\DEEP2"}) {
    const std::string prefix = UCase(A) + sub + "\\";
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < found.size(); ++i)
      if (found[i].compare(0, prefix.size(), prefix) == 0) at.push_back(i);
    ASSERT_FALSE(at.empty()) << sub;
    EXPECT_EQ(at.back() - at.front() + 1, at.size()) << sub << " is not searched in one go";
  }
  auto pos = [&](const std::string& p) { return std::find(found.begin(), found.end(), UCase(p)) - found.begin(); };
  EXPECT_LT(pos(A + "\\X\\x.lnk"), pos(A + "\\X\\Deep\\d.lnk"));
  EXPECT_LT(pos(A + "\\X\\x.lnk"), pos(A + "\\X\\Deep2\\e.lnk"));

  // The folder being searched is shown right after each shortcut.
  for (std::size_t i = 0; i < rec.events.size(); ++i) {
    if (!rec.events[i].shortcut) continue;
    ASSERT_LT(i + 1, rec.events.size());
    EXPECT_FALSE(rec.events[i + 1].shortcut);
    EXPECT_TRUE(EqualsNoCase(FolderOf(rec.events[i].file), rec.events[i + 1].file));
  }
  EXPECT_EQ(found.back(), UCase(shortcutFile));  // the last one resolved stays

  // Within one scan a folder is searched once; a new scan searches it again.
  rec.events.clear();
  sReg.DoSearchFiles(A, "*.lnk");
  sReg.DoSearchFiles(A + "\\X", "*.lnk");
  EXPECT_TRUE(rec.Shortcuts().empty());
  sReg.SetlStartSearch();
  sReg.DoSearchFiles(A + "\\X", "*.lnk");
  EXPECT_EQ(3u, rec.Shortcuts().size());
}

TEST_F(ManiFilesTest, PauseHoldsAfterTheCurrentFileAndStopEndsTheSearch) {
  for (char c : std::string("abcde")) Link(R + "\\P\\" + c + ".lnk", R + "\\T\\" + c + ".exe");
  Link(R + "\\P\\Sub\\s.lnk", R + "\\T\\s.exe");

  long resumeAt = 0;
  std::size_t duringPause = 99;
  rec.onShortcut = [&](int n) {
    if (n == 1) {
      sReg.PauseOperation = true;  // Pause pressed while the first shortcut is judged
      resumeAt = tp.pump.Count() + 20;
      tp.pump.At(resumeAt, [&] {
        duringPause = rec.Shortcuts().size();
        sReg.PauseOperation = false;
      });
    }
    if (n == 3) sReg.StopSearch();
  };
  sReg.DoSearchFiles(R + "\\P", "*.lnk");
  EXPECT_EQ(1u, duringPause);  // twenty yields of pause, no file in between
  EXPECT_GE(tp.pump.Count(), resumeAt);
  EXPECT_EQ(3u, rec.Shortcuts().size());  // nothing after the stop, no descent
  EXPECT_EQ(1, sReg.lStopSearch);         // the stop stays for the scan driver to see

  // A stop ends a pause, and a stopped engine does not start another search.
  rec.events.clear();
  rec.onShortcut = nullptr;
  sReg.SetlStartSearch();
  sReg.PauseOperation = true;
  tp.pump.At(tp.pump.Count() + 10, [&] { sReg.StopSearch(); });
  sReg.DoSearchFiles(R + "\\P", "*.lnk");
  EXPECT_EQ(1u, rec.Shortcuts().size());
  sReg.DoSearchFiles(R + "\\P\\Sub", "*.lnk");
  EXPECT_EQ(1u, rec.Shortcuts().size());
}

TEST_F(ManiFilesTest, MissingStartFolderAndUnreadableShortcutsAreTakenInStride) {
  tp.Folder().WriteFile(R + "\\Q\\junk.lnk", "not a shortcut at all");
  tp.Folder().WriteFile(R + "\\Q\\empty.lnk", "");
  sReg.DoSearchFiles(R + "\\NoSuchFolder", "*.lnk");
  EXPECT_TRUE(rec.events.empty());
  sReg.DoSearchFiles(R + "\\Q", "*.lnk");
  ASSERT_EQ(2u, rec.Shortcuts().size());
  for (const auto& e : rec.Shortcuts()) EXPECT_EQ("", e.target) << e.file;
}

}  // namespace
}  // namespace hw
