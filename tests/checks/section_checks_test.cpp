#include "checks/section_checks.h"

#include <gtest/gtest.h>

#include "support/caption_view.h"
#include "support/machine_variables.h"
#include "checks/section_catalogue.h"
#include "support/section_scan.h"
#include "engine/mani.h"
#include "platform/runtime_error.h"
#include "support/registry_builder.h"
#include "support/test_platform.h"

namespace hw {
namespace {

using test::Bytes;
using test::Sz;

// A scan of the registry sections as the driver frames it: headers, the
// catalogue's walks, and the checks listening to the engine.
class SectionChecksTest : public ::testing::Test {
 protected:
  test::TestPlatform tp;
  Module1 m{tp.Get()};
  PathTests paths{tp.Files(), tp.Get().system};
  ProblemLogs logs{m};
  ScanState state;
  test::CaptionView view;
  SearchParameters params;
  Mani sReg{tp.Registry(), tp.pump, params};
  SectionChecks checks{m, paths, logs, state, view, [this] { sReg.StopSearch(); }};
  test::RegistryBuilder b{tp.Registry()};
  std::string R = tp.Root();

  void SetUp() override {
    sReg.SetEvents(&checks);
    checks.WindowsFolder = R + "\\Win";
    state.StartCounting();
    logs.StartProblemLogs(state);
  }

  void Scan(const std::vector<std::string>& codes, const std::string& family = "WIN2K") {
    test::ScanRegistrySections(codes, family, state, sReg, params);
    ProblemLogs::FinishProblemLogs(state);
  }

  std::string Log(const char* name) { return tp.Folder().ReadFile(m.GetLogFolder() + "\\" + name); }
  static std::string Lines(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
  }
  static std::string Slot(const Bytes& bytes, const std::string& text) {
    std::string slot(769, '\0');
    for (std::size_t i = 0; i < bytes.size() && i < 257; ++i) slot[i] = static_cast<char>(bytes[i]);
    std::string t = text.substr(0, 256);
    t.resize(256, ' ');
    slot.replace(257, 256, t);
    return slot;
  }
};

TEST_F(SectionChecksTest, EverySectionReportsMissingPathsIntoTheThreeLogs) {
  auto machine = test::MachineWithVariables(tp.Folder(), {{"HWCHK", R}});
  PathTests machinePaths{tp.Files(), *machine};
  SectionChecks withVariables{m, machinePaths, logs, state, view, [this] { sReg.StopSearch(); }};
  sReg.SetEvents(&withVariables);
  withVariables.WindowsFolder = R + "\\Win";
  auto& f = tp.Folder();
  for (const char* d : {"\\Data", "\\App", "\\Lib", "\\Win", "\\Win\\fonts", "\\Help"}) f.MakeFolder(R + d);
  for (const char* file : {"\\App\\app.exe", "\\Lib\\shared.dll", "\\Win\\fonts\\arial.ttf", "\\Help\\a.hlp"})
    f.WriteFile(R + file, "x");

  const RegKey cu = kHkeyCurrentUser, lm = kHkeyLocalMachine, cr = kHkeyClassesRoot;
  const std::string usf = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  b.String(cu, usf, "a1", R + "\\Data");
  b.String(cu, usf, "a2", R + "\\Missing");
  b.String(cu, usf, "a3", "(Value Not Set)");
  b.String(cu, usf, "a4", "%HWCHK%\\Data", kRegExpandSz);
  b.String(cu, usf, "a5", "%HWCHK%\\Nope", kRegExpandSz);
  b.String(cu, usf, "a6", R + "\\App\\app.exe /s");
  b.String(cu, usf, "a7", "");
  b.String(cu, usf + "\\Sub", "", R + "\\Missing2");
  b.Key(cu, usf + "\\Unset");

  b.String(cr, "CLSID\\{A}\\InprocServer32", "", R + "\\Lib\\shared.dll");
  b.String(cr, "CLSID\\{B}\\InprocServer32", "", "\"" + R + "\\Missing.dll\" arg");
  b.String(cr, "CLSID\\{C}\\InprocServer32", "", "shell32.dll");
  b.Key(cr, "CLSID\\{D}\\InprocServer32");
  b.String(cr, "CLSID\\{E}\\Sub\\InprocServer32", "", R + "\\Gone.dll");

  const std::string ap = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
  b.String(lm, ap, "zz", R + "\\Missing.exe");
  b.String(lm, ap + "\\a.exe", "", R + "\\App\\app.exe");
  b.String(lm, ap + "\\b.exe", "", R + "\\Missing\\b.exe");
  b.String(lm, ap + "\\b.exe", "Path", R + "\\Missing");
  b.Key(lm, ap + "\\c.exe");

  const std::string fonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  b.String(lm, fonts, "Arial (TrueType)", "arial.ttf");
  b.String(lm, fonts, "Bogus", "bogus.ttf");
  b.String(lm, fonts, "Full", R + "\\Lib\\shared.dll");
  b.String(lm, fonts, "FullGone", R + "\\Nope.ttf");
  b.String(lm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts", "Nine", "nine.ttf");

  const std::string help = "SOFTWARE\\Microsoft\\Windows\\Help";
  b.String(lm, help, "", R + "\\Help");
  b.String(lm, help, "a.hlp", R + "\\Help");
  b.String(lm, help, "b.hlp", R + "\\Help");
  b.String(lm, help, "c.hlp", " ");
  b.String(lm, help, "d.hlp", "");

  const std::string dlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
  b.Dword(lm, dlls, R + "\\Lib\\gone.dll", 2);
  b.Dword(lm, dlls, R + "\\Lib\\shared.dll", 1);

  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  b.String(lm, run, "a", "\"" + R + "\\App\\app.exe\" /min");
  b.String(lm, run, "b", R + "\\Missing\\run.exe");
  b.String(lm, run, "c", "rundll32.exe x");
  b.String(cu, run, "a", R + "\\Missing\\user.exe -x");

  const std::string un = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  b.String(lm, un + "\\P1", "InstallSource", R + "\\Data");
  b.String(lm, un + "\\P1", "ModifyPath", R + "\\Missing\\setup.exe /modify");
  b.String(lm, un + "\\P2", "InstallSource", R + "\\Missing\\src.msi");
  b.String(lm, un + "\\P2", "ModifyPath", "\"" + R + "\\App\\app.exe\" x");

  const std::string vd = "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers";
  b.String(lm, vd, "a", "\"" + R + "\\Missing\\v.vxd\"");
  b.String(lm, vd, "b", R + "\\Lib\\shared.dll");

  Scan({"RI", "CC", "SL", "DD", "WF", "HR", "SP", "SuP", "ArP", "VD"});
  EXPECT_TRUE(tp.dialogs.messages.empty());

  EXPECT_EQ(Lines({"[Registry Integrity]", "1." + R + "\\Missing", "2.%HWCHK%\\Nope", "3." + R + "\\Missing2",
                   "[Custome Controls]", "4." + R + "\\Missing.dll", "5." + R + "\\Gone.dll",
                   "[Software Locations]", "6." + R + "\\Missing\\b.exe", "[Device Drivers]",
                   "[Windows Fonts]", "7." + R + "\\Win\\fonts\\bogus.ttf", "8." + R + "\\Nope.ttf",
                   "[Help And Resources]", "9." + R + "\\Help", "10." + R + "\\Help", "11.c.hlp",
                   "[Shared Programmes]", "12." + R + "\\Lib\\gone.dll", "[Startup Programmes]",
                   "13." + R + "\\Missing\\run.exe", "14." + R + "\\Missing\\user.exe -x",
                   "[Add/Remove Programmes]", "15." + R + "\\Missing\\src.msi",
                   "16." + R + "\\Missing\\setup.exe /modify", "[Virtual Devices]",
                   "17." + R + "\\Missing\\v.vxd"}),
            Log("err.log"));

  const std::string cuUsf = "HKEY_CURRENT_USER,/" + usf;
  EXPECT_EQ(Lines({"1." + cuUsf + "#(a2)", "2." + cuUsf + "#(a5)", "3." + cuUsf + "\\Sub#((Default))",
                   "4.HKEY_CLASSES_ROOT,/CLSID\\{B}\\InprocServer32#((Default))",
                   "5.HKEY_CLASSES_ROOT,/CLSID\\{E}\\Sub\\InprocServer32#((Default))",
                   "6.HKEY_LOCAL_MACHINE,/" + ap + "\\b.exe#((Default))",
                   "7.HKEY_LOCAL_MACHINE,/" + fonts + "#(Bogus)",
                   "8.HKEY_LOCAL_MACHINE,/" + fonts + "#(FullGone)",
                   "9.HKEY_LOCAL_MACHINE,/" + help + "#((Default))",
                   "10.HKEY_LOCAL_MACHINE,/" + help + "#(b.hlp)",
                   "11.HKEY_LOCAL_MACHINE,/" + help + "#(c.hlp)",
                   "12.HKEY_LOCAL_MACHINE,/" + dlls + "#(" + R + "\\Lib\\gone.dll)",
                   "13.HKEY_LOCAL_MACHINE,/" + run + "#(b)", "14.HKEY_CURRENT_USER,/" + run + "#(a)",
                   "15.HKEY_LOCAL_MACHINE,/" + un + "\\P2#(InstallSource)",
                   "16.HKEY_LOCAL_MACHINE,/" + un + "\\P1#(ModifyPath)",
                   "17.HKEY_LOCAL_MACHINE,/" + vd + "#(a)"}),
            Log("alerr.log"));

  const Bytes zero(257, 0);
  std::string expected = Slot(Sz(R + "\\Missing"), R + "\\Missing") +
                         Slot(Sz("%HWCHK%\\Nope"), "%HWCHK%\\Nope") + Slot(zero, R + "\\Missing2") +
                         Slot(zero, R + "\\Missing.dll") + Slot(zero, R + "\\Gone.dll") +
                         Slot(zero, R + "\\Missing\\b.exe") + Slot(Sz("bogus.ttf"), "bogus.ttf") +
                         Slot(Sz(R + "\\Nope.ttf"), R + "\\Nope.ttf") + Slot(Sz(R + "\\Help"), R + "\\Help") +
                         Slot(Sz(R + "\\Help"), R + "\\Help") + Slot(Sz(" "), " ") +
                         Slot({2, 0, 0, 0}, R + "\\Lib\\gone.dll") +
                         Slot(Sz(R + "\\Missing\\run.exe"), R + "\\Missing\\run.exe") +
                         Slot(Sz(R + "\\Missing\\user.exe -x"), R + "\\Missing\\user.exe -x") +
                         Slot(Sz(R + "\\Missing\\src.msi"), R + "\\Missing\\src.msi") +
                         Slot(Sz(R + "\\Missing\\setup.exe /modify"), R + "\\Missing\\setup.exe /modify") +
                         Slot(Sz("\"" + R + "\\Missing\\v.vxd\""), "\"" + R + "\\Missing\\v.vxd\"");
  EXPECT_EQ(expected.size(), Log("BinaryEntries.log").size());
  EXPECT_TRUE(expected == Log("BinaryEntries.log"));

  EXPECT_EQ("17 Problem(s) Found", view.probFoLb);
  EXPECT_EQ((std::array<std::string, 11>{"3", "2", "1", "0", "2", "3", "1", "2", "2", "1", "0"}), view.numSecEr);
  EXPECT_EQ(18, state.ProblemNumber);
  EXPECT_EQ(17, state.ProblemsFound);
  EXPECT_EQ("P2", view.label3);  // the last key the walk entered
  sReg.SetEvents(&checks);
}

TEST_F(SectionChecksTest, TrapsLimitAndStatusLabel) {
  const std::string dlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
  auto found = [&](const std::string& name) {
    checks.sReg_SearchFound("HKEY_LOCAL_MACHINE", dlls, name, "0x00000001(1)", {1, 0, 0, 0}, 1);
  };
  state.CurrentSection = "SP";

  // A counter caption that is no number: the trap shows the description,
  // restores the first page and stops the walk; what was written stays.
  view.numSecEr[6] = "x";
  found(R + "\\a.dll");
  ASSERT_EQ(1u, tp.dialogs.messages.size());
  EXPECT_EQ("Type mismatch", tp.dialogs.messages[0].text);
  EXPECT_EQ(MsgButtons::kOk, tp.dialogs.messages[0].buttons);
  EXPECT_EQ(1, view.restoredLayouts);
  EXPECT_EQ(2, state.ProblemNumber);
  EXPECT_EQ(1, sReg.lStopSearch);
  sReg.SetlStartSearch();
  view.numSecEr[6] = "0";

  // The limit: the last number a scan can give is 32766; the next finding
  // shows one message and asks the walk to stop, later ones stay silent.
  int stops = 0;
  SectionChecks limited{m, paths, logs, state, view, [&stops] { ++stops; }};
  state.ProblemNumber = 32766;
  state.ProblemsFound = 32765;
  for (const char* n : {"\\b.dll", "\\c.dll", "\\d.dll"})
    limited.sReg_SearchFound("HKEY_LOCAL_MACHINE", dlls, R + n, "", {2, 0, 0, 0}, 1);
  EXPECT_EQ(32767, state.ProblemNumber);
  EXPECT_EQ(32766, state.ProblemsFound);
  EXPECT_TRUE(state.ProblemLimitReached);
  EXPECT_EQ(2, stops);
  ASSERT_EQ(2u, tp.dialogs.messages.size());
  EXPECT_EQ(kProblemLimitMessage, tp.dialogs.messages[1].text);
  EXPECT_EQ("32766 Problem(s) Found", view.probFoLb);
  ProblemLogs::FinishProblemLogs(state);
  EXPECT_EQ("1." + R + "\\a.dll\r\n32766." + R + "\\b.dll\r\n", Log("err.log"));
  EXPECT_EQ(2u, logs.ReadBinaryEntries().size());

  // With the logs closed a finding is a run-time error.
  state.StartCounting();
  found(R + "\\e.dll");
  EXPECT_EQ(3u, tp.dialogs.messages.size());
  EXPECT_EQ(2, view.restoredLayouts);
  EXPECT_EQ(1, state.ProblemNumber);

  checks.sReg_SearchKeyChanged("Fonts");
  EXPECT_EQ("Fonts", view.label3);
  view.suppress = true;
  checks.sReg_SearchKeyChanged("Other");
  EXPECT_EQ("Fonts", view.label3);
}

TEST_F(SectionChecksTest, FontsWithoutAKnownFamilyWalkNothingAndDeviceDriversFindNothing) {
  b.String(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "X", "x.ttf");
  b.String(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts", "Y", "y.ttf");
  Scan({"DD", "WF"}, "");
  EXPECT_EQ(Lines({"[Device Drivers]", "[Windows Fonts]"}), Log("err.log"));
  EXPECT_EQ("", Log("alerr.log"));
  EXPECT_FALSE(tp.Files().FileExists(logs.BinaryEntriesLogPath()));
  // DD ignores whatever reaches it.
  state.CurrentSection = "DD";
  checks.sReg_SearchFound("HKEY_LOCAL_MACHINE", "X", "C:\\nope", "C:\\nope", {}, 1);
  EXPECT_EQ(1, state.ProblemNumber);
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

}  // namespace
}  // namespace hw
