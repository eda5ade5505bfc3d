#pragma once
// The machine the scan, repair and restore tests share: registry values of
// every kind listed as problems in hand-written problem logs, a registry
// with good and broken entries in every section, and the main window's page
// logic over it with a person's clicks on its tree.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "checks/problem_logs.h"
#include "checks/section_catalogue.h"
#include "platform/vb_text.h"
#include "registry/module1.h"
#include "scan/scanner.h"
#include "support/registry_builder.h"
#include "support/registry_values.h"
#include "support/scratch_folder.h"
#include "support/test_platform.h"
#include "support/tree_clicks.h"
#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw::test {

/// One problem written into the logs: its value and the text shown.
struct LoggedProblem {
  ValueRef value;
  std::uint32_t type;
  Bytes data;
  std::string text;
  /// The section whose rule makes it a problem with `text`.
  std::string section = "SuP";
};

/// The values of a round trip: every type, the default value, long data,
/// a key path longer than the 256-character field, a name with edge spaces.
/// Each is a problem by its section's rule (strings by their data, the
/// others by a name that is a missing path).
inline std::vector<LoggedProblem> EveryKindOfValue(const std::string& root) {
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  // Longer than the 256-character field, and within the 259 characters the
  // ANSI registry functions take for a key path.
  const std::string longKey = "Software\\HwTest\\" + std::string(120, 'a') + "\\" + std::string(121, 'b');
  Bytes longBinary(5000);
  for (std::size_t i = 0; i < longBinary.size(); ++i) longBinary[i] = std::uint8_t(i * 7 + 1);
  longBinary[3] = 0;
  longBinary.back() = 0;
  const std::string longText = root + "\\" + std::string(700, 'x') + ".exe";
  return {
      {{kHkeyLocalMachine, run, "quoted"}, kRegSz, Sz("\"" + root + "\\Gone\\a.exe\" /min -x"), root + "\\Gone\\a.exe"},
      {{kHkeyCurrentUser, run, "expand"}, kRegExpandSz, Sz(root + "\\%HWX%\\gone.exe"), root + "\\%HWX%\\gone.exe"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Multi", "multi"}, kRegMultiSz,
       Sz(root + "\\one.exe" + std::string("\0two\0", 5)), root + "\\one.exe"},
      {{kHkeyClassesRoot, "CLSID\\{HW-1}\\InprocServer32", ""}, kRegSz, Sz(root + "\\gone.dll"), root + "\\gone.dll"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Long", "longtext"}, kRegSz, Sz(longText), longText},
      {{kHkeyLocalMachine, longKey, " spaced name "}, kRegSz, Sz(root + "\\deep.exe"), root + "\\deep.exe"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Bin", root + "\\gone.bin"}, kRegBinary, Bytes{0, 0, 9, 0, 7, 0},
       root + "\\gone.bin", "SP"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Dlls", root + "\\zero.dll"}, kRegDword, Bytes{0, 0, 0, 0},
       root + "\\zero.dll", "SP"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Dlls", root + "\\five.dll"}, kRegDword, Bytes{5, 0, 0, 0},
       root + "\\five.dll", "SP"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Long", root + "\\long.bin"}, kRegBinary, longBinary,
       root + "\\long.bin", "SP"},
  };
}

/// Creates the values and writes err.log and alerr.log listing them as
/// problems 1..n (numbered as a scan does), a section header wherever the
/// section changes.
inline void SetUpProblems(RegistryApi& api, ScratchFolder& folder, Module1& m, const std::vector<LoggedProblem>& ps) {
  RegistryBuilder b(api);
  for (const LoggedProblem& p : ps)
    ASSERT_TRUE(b.Value(p.value.root, p.value.key, p.value.name, p.type, p.data)) << p.value.key << " " << p.value.name;
  std::string err, alerr, section;
  for (std::size_t i = 0; i < ps.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    const ValueRef& v = ps[i].value;
    if (ps[i].section != section) err += std::string(FindSection(section = ps[i].section)->logHeader) + "\r\n";
    err += n + "." + ps[i].text + "\r\n";
    alerr += n + "." + Module1::RootKeyName(v.root) + ",/" + v.key + "#(" + (v.name.empty() ? "(Default)" : v.name) +
             ")\r\n";
  }
  const std::string logs = m.GetLogFolder();
  folder.WriteFile(logs + "\\" + kErrLogName, err);
  folder.WriteFile(logs + "\\" + kAlErrLogName, alerr);
}

inline std::map<ValueRef, ValueState> Snapshot(RegistryApi& api, const std::vector<LoggedProblem>& ps) {
  std::map<ValueRef, ValueState> s;
  for (const LoggedProblem& p : ps) s[p.value] = ReadValue(api, p.value);
  return s;
}

/// What a scan told its observer: "+code" / "-code problems" per section
/// (the drive as "+Scan D:"), the walks, the problems; it asks to stop once
/// `stopAfterProblems` problems have come.
struct RecordingScanObserver : ScanObserver {
  void SectionStarted(const std::string& code, const std::string& caption) override {
    sections.push_back("+" + code + (code == "Scan" ? " " + caption : ""));
  }
  void SectionFinished(const std::string& code, long problems) override {
    sections.push_back("-" + code + " " + std::to_string(problems));
  }
  void WalkFinished(const std::string& code, int walk) override { walks.push_back(code + std::to_string(walk)); }
  void ProblemFound(const FoundProblem& problem) override { problems.push_back(problem); }
  bool StopRequested() override { return stopAfterProblems > 0 && problems.size() >= stopAfterProblems; }
  std::vector<std::string> sections, walks;
  std::vector<FoundProblem> problems;
  std::size_t stopAfterProblems = 0;
};

class ScanFixture : public ::testing::Test {
 protected:
  explicit ScanFixture(const std::string& extraDrives = std::string()) : tp(extraDrives) {}

  void SetUp() override {
    view.tree = &form.tvwTree;
    form.Form_Load();
    form.DrawControls();
    // The width the window gives the progress frame: 400 twips a section.
    form.controls.SetWidth(ctl::PBarFrame, 4400);
  }

  /// An entry of PopulateRegistry: its section, value and data ("@" for the
  /// scratch root), and the problem a scan reports of it ("" when it is fine).
  struct SectionEntry {
    std::string section;
    RegKey root;
    std::string key, name, data, problem;
  };
  /// Entries that are fine and entries whose files are missing in every
  /// registry section, the problems of each section in the order a scan finds them.
  std::vector<SectionEntry> SectionEntries() const {
    const RegKey cu = kHkeyCurrentUser, lm = kHkeyLocalMachine, cr = kHkeyClassesRoot;
    const std::string usf = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string cv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\", un = cv + "Uninstall\\";
    const std::string fonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    const std::string help = "SOFTWARE\\Microsoft\\Windows\\Help", dlls = cv + "SharedDLLs";
    const std::string vd = "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers";
    std::vector<SectionEntry> rows = {
        {"RI", cu, usf, "Personal", "@\\Data", ""},
        {"RI", cu, usf, "Favorites", "@\\Missing", "@\\Missing"},
        {"RI", cu, usf + "\\Sub", "", "@\\Missing2", "@\\Missing2"},
        {"CC", cr, "CLSID\\{A}\\InprocServer32", "", "@\\Lib\\shared.dll", ""},
        {"CC", cr, "CLSID\\{B}\\InprocServer32", "", "\"@\\Missing.dll\" arg", "@\\Missing.dll"},
        {"CC", cr, "CLSID\\{B}", "", "Broken control", ""},
        {"CC", cr, "CLSID\\{E}\\Sub\\InprocServer32", "", "@\\Gone.dll", "@\\Gone.dll"},
        {"SL", lm, cv + "App Paths\\a.exe", "", "@\\App\\app.exe", ""},
        {"SL", lm, cv + "App Paths\\b.exe", "", "@\\Missing\\b.exe", "@\\Missing\\b.exe"},
        {"WF", lm, fonts, "Full", "@\\Lib\\shared.dll", ""},
        {"WF", lm, fonts, "FullGone", "@\\Nope.ttf", "@\\Nope.ttf"},
        {"HR", lm, help, "a.hlp", "@\\Help", ""},
        {"HR", lm, help, "b.hlp", "@\\Help", "@\\Help"},
        {"SP", lm, dlls, "@\\Lib\\gone.dll", "2", "@\\Lib\\gone.dll"},  // DWORD counts
        {"SP", lm, dlls, "@\\Lib\\shared.dll", "1", ""},
        {"SuP", lm, run, "a", "\"@\\App\\app.exe\" /min", ""},
        {"SuP", lm, run, "b", "@\\Missing\\run.exe", "@\\Missing\\run.exe"},
        {"SuP", cu, run, "a", "@\\Missing\\user.exe -x", "@\\Missing\\user.exe -x"},
        {"ArP", lm, un + "P1", "InstallSource", "@\\Data", ""},
        {"ArP", lm, un + "P2", "InstallSource", "@\\Missing\\src.msi", "@\\Missing\\src.msi"},
        {"ArP", lm, un + "P2", "DisplayName", "Second product", ""},
        {"ArP", lm, un + "P1", "ModifyPath", "@\\Missing\\setup.exe /modify", "@\\Missing\\setup.exe /modify"},
        {"VD", lm, vd, "a", "\"@\\Missing\\v.vxd\"", "@\\Missing\\v.vxd"},
        {"VD", lm, vd, "b", "@\\Lib\\shared.dll", ""},
    };
    for (SectionEntry& e : rows)
      for (std::string* s : {&e.name, &e.data, &e.problem}) *s = Replace(*s, "@", R);
    return rows;
  }

  void PopulateRegistry() {
    auto& f = tp.Folder();
    for (const char* d : {"\\Data", "\\App", "\\Lib", "\\Help"}) f.MakeFolder(R + d);
    for (const char* file : {"\\App\\app.exe", "\\Lib\\shared.dll", "\\Help\\a.hlp"}) f.WriteFile(R + file, "MZ");
    for (const SectionEntry& e : SectionEntries()) {
      if (e.section == "SP")
        b.Dword(e.root, e.key, e.name, std::stoul(e.data));
      else
        b.String(e.root, e.key, e.name, e.data);
    }
  }

  /// err.log as a scan of these sections writes it (problems numbered
  /// from 1 in section order); no codes: every registry section.
  std::string ExpectedErrLog(std::vector<std::string> codes = {}) const {
    if (codes.empty()) codes = {"RI", "CC", "SL", "DD", "WF", "HR", "SP", "SuP", "ArP", "VD"};
    std::string log;
    int number = 1;
    for (const std::string& code : codes) {
      log += std::string(FindSection(code)->logHeader) + "\r\n";
      for (const SectionEntry& e : SectionEntries())
        if (e.section == code && !e.problem.empty()) log += std::to_string(number++) + "." + e.problem + "\r\n";
    }
    return log;
  }

  std::string LogFolder() { return form.module1.GetLogFolder(); }
  std::string LogPath(const std::string& name) { return LogFolder() + "\\" + name; }
  std::string ErrLog() { return tp.Folder().ReadFile(LogPath("err.log")); }
  std::string Image(const std::string& key) { return form.tvwTree.Find(key)->image; }
  /// The pictures of these nodes, space-separated.
  std::string Images(const std::vector<std::string>& keys) {
    std::string out;
    for (const std::string& key : keys) out += (out.empty() ? "" : " ") + Image(key);
    return out;
  }
  void ClickPicture(const std::string& key) { ClickTree(form, view, view.PictureOf(key)); }
  std::vector<std::string> Drives() {
    std::vector<std::string> keys;
    for (TreeNode* d : form.tvwTree.Find("Scan")->Children()) keys.push_back(d->key);
    return keys;
  }
  /// The backup manager opened and every backup restored.
  void RestoreAll() {
    form.BackupBtn_Click();
    for (ListItem& item : form.controls.Items(ctl::ListVW1)) item.checked = true;
    form.cmdRestore_Click();
  }
  /// Values the progress bar and the progress image took, and the places
  /// Label3 showed, in order.
  void RecordProgress() {
    form.controls.SetObserver([this](const std::string& control, FormModel::Change what) {
      const long value = form.controls.Get(ctl::pgScanSystem).value;
      if (control == ctl::pgScanSystem && what == FormModel::Change::kValue &&
          (progress.empty() || progress.back() != value))
        progress.push_back(value);
      if (control == ctl::pBarImg && what == FormModel::Change::kPosition)
        widths.push_back(form.controls.Get(ctl::pBarImg).width);
      if (control == ctl::Label3 && what == FormModel::Change::kText)
        places.push_back(form.controls.Text(ctl::Label3));
    });
  }

  TestPlatform tp;
  ScriptedTreeView view;
  Form1 form{tp.Get(), view};
  RegistryBuilder b{tp.Registry()};
  std::string R = tp.Root();
  std::vector<long> progress;
  std::vector<int> widths;
  std::vector<std::string> places;
};

}  // namespace hw::test
