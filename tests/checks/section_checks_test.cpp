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
  const std::string sw = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\", ap = sw + "App Paths";
  const std::string fonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  const std::string help = "SOFTWARE\\Microsoft\\Windows\\Help", dlls = sw + "SharedDLLs", un = sw + "Uninstall";
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string vd = "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers";
  // One value each, problems in the order the walks report them. err is what
  // err.log names ("=": the data, "": no problem); the byte record holds the
  // data ('s'), nothing ('0') or the DWORD ('d').
  struct Row {
    const char* code;
    RegKey root;
    std::string key, name, data, err;
    char slot = 's';
  };
  const std::vector<Row> rows = {
      {"RI", cu, usf, "a1", R + "\\Data", ""},
      {"RI", cu, usf, "a2", R + "\\Missing", "="},
      {"RI", cu, usf, "a3", "(Value Not Set)", ""},
      {"RI", cu, usf, "a4", "%HWCHK%\\Data", ""},
      {"RI", cu, usf, "a5", "%HWCHK%\\Nope", "="},
      {"RI", cu, usf, "a6", R + "\\App\\app.exe /s", ""},
      {"RI", cu, usf, "a7", "", ""},
      {"RI", cu, usf + "\\Sub", "", R + "\\Missing2", "=", '0'},
      {"CC", cr, "CLSID\\{A}\\InprocServer32", "", R + "\\Lib\\shared.dll", ""},
      {"CC", cr, "CLSID\\{B}\\InprocServer32", "", "\"" + R + "\\Missing.dll\" arg", R + "\\Missing.dll", '0'},
      {"CC", cr, "CLSID\\{C}\\InprocServer32", "", "shell32.dll", ""},
      {"CC", cr, "CLSID\\{E}\\Sub\\InprocServer32", "", R + "\\Gone.dll", "=", '0'},
      {"SL", lm, ap, "zz", R + "\\Missing.exe", ""},
      {"SL", lm, ap + "\\a.exe", "", R + "\\App\\app.exe", ""},
      {"SL", lm, ap + "\\b.exe", "", R + "\\Missing\\b.exe", "=", '0'},
      {"SL", lm, ap + "\\b.exe", "Path", R + "\\Missing", ""},
      {"WF", lm, fonts, "Arial (TrueType)", "arial.ttf", ""},
      {"WF", lm, fonts, "Bogus", "bogus.ttf", R + "\\Win\\fonts\\bogus.ttf"},
      {"WF", lm, fonts, "Full", R + "\\Lib\\shared.dll", ""},
      {"WF", lm, fonts, "FullGone", R + "\\Nope.ttf", "="},
      {"WF", lm, sw + "Fonts", "Nine", "nine.ttf", ""},
      {"HR", lm, help, "", R + "\\Help", "="},
      {"HR", lm, help, "a.hlp", R + "\\Help", ""},
      {"HR", lm, help, "b.hlp", R + "\\Help", "="},
      {"HR", lm, help, "c.hlp", " ", "c.hlp"},
      {"HR", lm, help, "d.hlp", "", ""},
      {"SP", lm, dlls, R + "\\Lib\\gone.dll", "2", R + "\\Lib\\gone.dll", 'd'},
      {"SP", lm, dlls, R + "\\Lib\\shared.dll", "1", ""},
      {"SuP", lm, run, "a", "\"" + R + "\\App\\app.exe\" /min", ""},
      {"SuP", lm, run, "b", R + "\\Missing\\run.exe", "="},
      {"SuP", lm, run, "c", "rundll32.exe x", ""},
      {"SuP", cu, run, "a", R + "\\Missing\\user.exe -x", "="},
      {"ArP", lm, un + "\\P1", "InstallSource", R + "\\Data", ""},
      {"ArP", lm, un + "\\P2", "InstallSource", R + "\\Missing\\src.msi", "="},
      {"ArP", lm, un + "\\P1", "ModifyPath", R + "\\Missing\\setup.exe /modify", "="},
      {"ArP", lm, un + "\\P2", "ModifyPath", "\"" + R + "\\App\\app.exe\" x", ""},
      {"VD", lm, vd, "a", "\"" + R + "\\Missing\\v.vxd\"", R + "\\Missing\\v.vxd"},
      {"VD", lm, vd, "b", R + "\\Lib\\shared.dll", ""},
  };
  for (const Row& r : rows) {
    if (r.code == std::string("SP")) {
      b.Dword(r.root, r.key, r.name, std::stoul(r.data));
    } else {
      b.String(r.root, r.key, r.name, r.data, r.data.rfind('%', 0) == 0 ? kRegExpandSz : kRegSz);
    }
  }
  // Keys without the value their section looks at.
  for (const auto& [root, key] : std::vector<std::pair<RegKey, std::string>>{
           {cu, usf + "\\Unset"}, {cr, "CLSID\\{D}\\InprocServer32"}, {lm, ap + "\\c.exe"}})
    b.Key(root, key);

  const std::vector<std::pair<std::string, std::string>> sections = {
      {"RI", "Registry Integrity"}, {"CC", "Custome Controls"}, {"SL", "Software Locations"}, {"DD", "Device Drivers"},
      {"WF", "Windows Fonts"}, {"HR", "Help And Resources"}, {"SP", "Shared Programmes"},
      {"SuP", "Startup Programmes"}, {"ArP", "Add/Remove Programmes"}, {"VD", "Virtual Devices"}};
  std::vector<std::string> codes;
  for (const auto& section : sections) codes.push_back(section.first);
  Scan(codes);
  EXPECT_TRUE(tp.dialogs.messages.empty());

  std::string err, alerr, records;
  int n = 0;
  for (const auto& [code, caption] : sections) {
    err += "[" + caption + "]\r\n";
    for (const Row& r : rows) {
      if (r.code != code || r.err.empty()) continue;
      const std::string text = r.err == "=" ? r.data : r.err, at = std::to_string(++n) + ".";
      const char* root = r.root == cu ? "HKEY_CURRENT_USER" : r.root == cr ? "HKEY_CLASSES_ROOT" : "HKEY_LOCAL_MACHINE";
      err += at + text + "\r\n";
      alerr += at + root + ",/" + r.key + "#(" + (r.name.empty() ? "(Default)" : r.name) + ")\r\n";
      records += r.slot == 's'   ? Slot(Sz(r.data), r.data)
                 : r.slot == '0' ? Slot(Bytes(257, 0), text)
                                 : Slot(Bytes{std::uint8_t(std::stoi(r.data)), 0, 0, 0}, text);
    }
  }
  EXPECT_EQ(err, Log("err.log"));
  EXPECT_EQ(alerr, Log("alerr.log"));
  EXPECT_TRUE(records == Log("BinaryEntries.log"));
  EXPECT_EQ("17 Problem(s) Found", view.probFoLb);
  EXPECT_EQ((std::array<std::string, 11>{"3", "2", "1", "0", "2", "3", "1", "2", "2", "1", "0"}), view.numSecEr);
  EXPECT_EQ(18, state.ProblemNumber);
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
  EXPECT_EQ("[Device Drivers]\r\n[Windows Fonts]\r\n", Log("err.log"));
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
