// The shortcut rule against a real folder tree, and the shortcut section run
// end to end through the main window's logic.
#include <gtest/gtest.h>

#include "checks/caption_view.h"
#include "checks/section_checks.h"
#include "checks/section_scan.h"
#include "engine/mani.h"
#include "platform/vb_text.h"
#include "support/registry_builder.h"
#include "support/shortcut_maker.h"
#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/form1.h"

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
  f.WriteFile(R + "\\App\\setup.exe", "MZ");
  f.WriteFile(R + "\\Docs\\page.html", "<p>");
  f.MakeFolder(R + "\\Program Files\\App");
  f.MakeFolder(R + "\\Tools\\Kit1.0");
  f.MakeFolder(R + "\\data.old");   // a folder named like a file
  f.WriteFile(R + "\\README", "a file named like a folder");
  ASSERT_FALSE(missingDrive.empty());
  const std::string lk = R + "\\Links\\";

  // Nothing of these is a problem.
  Found(lk + "empty.lnk", "");
  Found(lk + "web.lnk", "");
  Found(lk + "three.lnk", "a.b");
  Found(lk + "threeSlash.lnk", "Q:/");
  Found(lk + "root.lnk", R.substr(0, 2) + "\\");
  Found(lk + "setup.lnk", R + "\\App\\setup.exe");
  Found(lk + "page.lnk", R + "\\Docs\\page.html");
  Found(lk + "app.lnk", R + "\\Program Files\\App");
  Found(lk + "kit.lnk", R + "\\Tools\\Kit1.0");
  Found(lk + "dataold.lnk", R + "\\data.old");
  Found(lk + "readme.lnk", R + "\\README");
  Found(lk + "drive.lnk", R.substr(0, 2));
  EXPECT_EQ(1, state.ProblemNumber);

  // Problems: err.log names the shortcut file; alerr.log the target when it
  // was taken for a folder.
  Found(lk + "d.lnk", missingDrive);
  Found(lk + "gone.lnk", R + "\\Old\\setup.exe");
  Found(lk + "html.lnk", R + "\\Old\\page.html");
  Found(lk + "data.lnk", R + "\\Old\\Data");
  Found(lk + "kitgone.lnk", R + "\\Old\\Kit1.0");
  Found(lk + "oldgone.lnk", R + "\\Old\\data.old");
  Found(lk + "short.lnk", R.substr(0, 2) + "\\q");
  ProblemLogs::FinishProblemLogs(state);

  EXPECT_EQ("1." + lk + "d.lnk\r\n2." + lk + "gone.lnk\r\n3." + lk + "html.lnk\r\n4." + lk + "data.lnk\r\n5." + lk +
                "kitgone.lnk\r\n6." + lk + "oldgone.lnk\r\n7." + lk + "short.lnk\r\n",
            Log("err.log"));
  EXPECT_EQ("1." + lk + "d.lnk\r\n2." + lk + "gone.lnk\r\n3." + lk + "html.lnk\r\n4." + R + "\\Old\\Data\r\n5." + R +
                "\\Old\\Kit1.0\r\n6." + lk + "oldgone.lnk\r\n7." + R.substr(0, 2) + "\\q\r\n",
            Log("alerr.log"));
  EXPECT_FALSE(tp.Folder().Exists(m.GetLogFolder() + "\\BinaryEntries.log"));
  EXPECT_EQ("7", view.numSecEr[10]);
  EXPECT_EQ("7 Problem(s) Found", view.probFoLb);
  for (int i = 0; i < 10; ++i) EXPECT_EQ("0", view.numSecEr[i]) << i;
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

  const std::string err = Log("err.log");
  const std::string header = "[Scan for Shortcuts]\r\n";
  const std::size_t at = err.find(header);
  ASSERT_NE(std::string::npos, at);
  EXPECT_EQ(0u, err.find("[Shared Programmes]\r\n1."));
  EXPECT_EQ("3." + D + "\\a.lnk\r\n4." + D + "\\Sub\\b.lnk\r\n5." + D + "\\Sub\\Deeper\\c.lnk\r\n",
            err.substr(at + header.size()));
  const std::string alerr = Log("alerr.log");
  EXPECT_NE(std::string::npos, alerr.find("\r\n3." + D + "\\a.lnk\r\n4." + R + "\\Old\\B\r\n5." + D +
                                          "\\Sub\\Deeper\\c.lnk\r\n"));
  // Only the two registry problems have byte records.
  EXPECT_EQ(2u * 769u, tp.Folder().ReadFile(m.GetLogFolder() + "\\BinaryEntries.log").size());
}

TEST(Form1Shortcuts, TheWindowJudgesWhatTheEngineFindsAndShowsTheFolder) {
  test::TestPlatform tp;
  NullForm1View view;
  Form1 form{tp.Get(), view};
  form.Form_Load();
  ASSERT_TRUE(form.sReg);
  const std::string D = tp.Root() + "\\W";
  ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), D + "\\broken.lnk", tp.Root() + "\\Old\\gone.exe"));
  for (int i = 0; i <= 10; ++i) form.controls.SetText(ctl::NumSecEr(i), "0");
  form.scanState.StartCounting();
  form.problemLogs.StartProblemLogs(form.scanState);
  form.sReg->SetlStartSearch();
  form.sReg->DoSearchFiles(D, "*.lnk");
  ProblemLogs::FinishProblemLogs(form.scanState);
  EXPECT_EQ("1", form.controls.Text(ctl::NumSecEr(10)));
  EXPECT_EQ(D, form.controls.Text(ctl::Label3));
  EXPECT_EQ("1." + D + "\\broken.lnk\r\n",
            tp.Folder().ReadFile(form.module1.GetLogFolder() + "\\err.log"));
}

}  // namespace
}  // namespace hw
