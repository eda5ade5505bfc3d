// The shortcut rule against a real folder tree, and the shortcut section run
// as the scan driver runs it.
#include <gtest/gtest.h>

#include "support/caption_view.h"
#include "checks/section_checks.h"
#include "support/section_scan.h"
#include "engine/mani.h"
#include "platform/vb_text.h"
#include "support/registry_builder.h"
#include "support/shortcut_maker.h"
#include "support/test_platform.h"

namespace hw {
namespace {

class ShortcutChecksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sReg.SetEvents(&checks);
    state.StartCounting();
    logs.StartProblemLogs(state);
    state.CurrentSection = "C: (Fixed)";
    for (char c = 'Y'; c > 'D'; --c) {
      if (!tp.Files().DriveExists(std::string(1, c) + ":\\")) {
        missingDrive = std::string(1, c) + ":\\";
        break;
      }
    }
  }
  // The search engine's part: the shortcut file is stored, then its target
  // is raised.
  void Found(const std::string& shortcut, const std::string& target) {
    state.ShortcutFilePath = shortcut;
    checks.ShortFound(target);
  }
  std::string Log(const char* name) { return tp.Folder().ReadFile(m.GetLogFolder() + "\\" + name); }

  test::TestPlatform tp;
  Module1 m{tp.Get()};
  PathTests paths{tp.Files(), tp.Get().system};
  ProblemLogs logs{m};
  ScanState state;
  test::CaptionView view;
  SearchParameters params;
  Mani sReg{tp.Registry(), tp.pump, params};
  SectionChecks checks{m, paths, logs, state, view, [this] { sReg.StopSearch(); }};
  std::string R = tp.Root();
  std::string missingDrive;
};

TEST_F(ShortcutChecksTest, ABrokenShortcutIsOneWhoseTargetIsGone) {
  auto& f = tp.Folder();
  f.MakeFolder(R + "\\data.old");   // a folder named like a file
  f.WriteFile(R + "\\README", "a file named like a folder");
  ASSERT_FALSE(missingDrive.empty());
  const std::string lk = R + "\\Links\\";

  // Shortcut file, target, whether it is a problem; alerr.log names the
  // target where it was taken for a folder, else the shortcut file. An
  // existing target is judged by what it is, not by its name's shape.
  const std::string drive = R.substr(0, 2);
  const struct {
    std::string link, target;
    bool problem, folder;
  } rows[] = {{"empty", "", false, false},
              {"three", "a.b", false, false},
              {"threeSlash", "Q:/", false, false},
              {"root", drive + "\\", false, false},
              {"drive", drive, false, false},
              {"dataold", R + "\\data.old", false, false},
              {"readme", R + "\\README", false, false},
              {"d", missingDrive, true, false},
              {"gone", R + "\\Old\\setup.exe", true, false},
              {"html", R + "\\Old\\page.html", true, false},
              {"data", R + "\\Old\\Data", true, true},
              {"kitgone", R + "\\Old\\Kit1.0", true, true},
              {"oldgone", R + "\\Old\\data.old", true, false},
              {"short", drive + "\\q", true, true}};
  std::string err, alerr;
  int n = 0;
  for (const auto& row : rows) {
    Found(lk + row.link + ".lnk", row.target);
    if (!row.problem) continue;
    err += std::to_string(++n) + "." + lk + row.link + ".lnk\r\n";
    alerr += std::to_string(n) + "." + (row.folder ? row.target : lk + row.link + ".lnk") + "\r\n";
  }
  ProblemLogs::FinishProblemLogs(state);
  EXPECT_EQ(err, Log("err.log"));
  EXPECT_EQ(alerr, Log("alerr.log"));
  EXPECT_FALSE(tp.Folder().Exists(m.GetLogFolder() + "\\BinaryEntries.log"));
  EXPECT_EQ((std::array<std::string, 11>{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "7"}), view.numSecEr);
  EXPECT_EQ("7 Problem(s) Found", view.probFoLb);
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(ShortcutChecksTest, ShortcutsContinueTheRegistryNumberingAndTheTrapStopsTheSearch) {
  test::RegistryBuilder b{tp.Registry()};
  const std::string dlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
  b.Dword(kHkeyLocalMachine, dlls, R + "\\Lib\\gone1.dll", 1);
  b.Dword(kHkeyLocalMachine, dlls, R + "\\Lib\\gone2.dll", 1);
  test::ScanRegistrySections({"SP"}, "WIN2K", state, sReg, params);
  ASSERT_EQ(3, state.ProblemNumber);

  // The shortcut section as the driver runs it, over a real tree.
  auto& f = tp.Folder();
  const std::string D = R + "\\Drive";
  f.WriteFile(R + "\\Here\\ok.exe", "MZ");
  ASSERT_TRUE(test::MakeShortcutFile(f, D + "\\ok.lnk", R + "\\Here\\ok.exe"));
  ASSERT_TRUE(test::MakeShortcutFile(f, D + "\\a.lnk", R + "\\Old\\a.exe"));
  ASSERT_TRUE(test::MakeShortcutFile(f, D + "\\Sub\\b.lnk", R + "\\Old\\B"));
  ASSERT_TRUE(test::MakeShortcutFile(f, D + "\\Sub\\Deeper\\c.lnk", R + "\\Old\\c.txt"));
  sReg.UseFiles(tp.Files(), tp.Get().shortcuts, state.ShortcutFilePath);
  state.CurrentSection = "C: (Fixed)";
  state.ErrLog->WriteLine("[Scan for Shortcuts]");
  sReg.SetlStartSearch();
  sReg.DoSearchFiles(D, "*.lnk");
  EXPECT_EQ(0, sReg.lStopSearch);
  EXPECT_EQ(6, state.ProblemNumber);
  EXPECT_EQ("3", view.numSecEr[10]);
  EXPECT_EQ("2", view.numSecEr[6]);
  EXPECT_EQ("5 Problem(s) Found", view.probFoLb);

  // A write that fails: one message, the first page back, the search stopped.
  state.ErrLog->Close();
  ASSERT_TRUE(test::MakeShortcutFile(f, R + "\\More\\x.lnk", R + "\\Old\\x.exe"));
  ASSERT_TRUE(test::MakeShortcutFile(f, R + "\\More\\y.lnk", R + "\\Old\\y.exe"));
  sReg.DoSearchFiles(R + "\\More", "*.lnk");
  EXPECT_EQ(1u, tp.dialogs.messages.size());
  EXPECT_EQ(MsgButtons::kOk, tp.dialogs.messages.at(0).buttons);
  EXPECT_EQ(1, view.restoredLayouts);
  EXPECT_EQ(1, sReg.lStopSearch);
  EXPECT_EQ(6, state.ProblemNumber);
  ProblemLogs::FinishProblemLogs(state);

  EXPECT_EQ("[Shared Programmes]\r\n1." + R + "\\Lib\\gone1.dll\r\n2." + R + "\\Lib\\gone2.dll\r\n" +
                "[Scan for Shortcuts]\r\n3." + D + "\\a.lnk\r\n4." + D + "\\Sub\\b.lnk\r\n5." + D +
                "\\Sub\\Deeper\\c.lnk\r\n",
            Log("err.log"));
  const std::string alerr = Log("alerr.log");
  EXPECT_NE(std::string::npos, alerr.find("\r\n3." + D + "\\a.lnk\r\n4." + R + "\\Old\\B\r\n5." + D +
                                          "\\Sub\\Deeper\\c.lnk\r\n"));
  // Only the two registry problems have byte records.
  EXPECT_EQ(2u * 769u, tp.Folder().ReadFile(m.GetLogFolder() + "\\BinaryEntries.log").size());
}

}  // namespace
}  // namespace hw
