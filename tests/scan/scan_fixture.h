#pragma once
// A machine to scan: a registry with good and broken entries in every
// registry section, the files the good ones name, and the main window's
// page logic over it with a person's clicks on its tree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/scanner.h"
#include "scan/tree_clicks.h"
#include "support/registry_builder.h"
#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw::test {

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

  /// Fills every registry section with entries that are fine and entries
  /// whose files are missing; ErrLines() are the problems found in them.
  void PopulateRegistry() {
    auto& f = tp.Folder();
    f.MakeFolder(R + "\\Data");
    f.MakeFolder(R + "\\App");
    f.WriteFile(R + "\\App\\app.exe", "MZ");
    f.MakeFolder(R + "\\Lib");
    f.WriteFile(R + "\\Lib\\shared.dll", "MZ");
    f.MakeFolder(R + "\\Help");
    f.WriteFile(R + "\\Help\\a.hlp", "help");

    const RegKey cu = kHkeyCurrentUser, lm = kHkeyLocalMachine, cr = kHkeyClassesRoot;
    const std::string usf = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    b.String(cu, usf, "Personal", R + "\\Data");
    b.String(cu, usf, "Favorites", R + "\\Missing");
    b.String(cu, usf + "\\Sub", "", R + "\\Missing2");

    b.String(cr, "CLSID\\{A}\\InprocServer32", "", R + "\\Lib\\shared.dll");
    b.String(cr, "CLSID\\{B}\\InprocServer32", "", "\"" + R + "\\Missing.dll\" arg");
    b.String(cr, "CLSID\\{B}", "", "Broken control");
    b.String(cr, "CLSID\\{E}\\Sub\\InprocServer32", "", R + "\\Gone.dll");

    const std::string ap = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
    b.String(lm, ap + "\\a.exe", "", R + "\\App\\app.exe");
    b.String(lm, ap + "\\b.exe", "", R + "\\Missing\\b.exe");

    const std::string fonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    b.String(lm, fonts, "Full", R + "\\Lib\\shared.dll");
    b.String(lm, fonts, "FullGone", R + "\\Nope.ttf");

    const std::string help = "SOFTWARE\\Microsoft\\Windows\\Help";
    b.String(lm, help, "a.hlp", R + "\\Help");
    b.String(lm, help, "b.hlp", R + "\\Help");

    const std::string dlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    b.Dword(lm, dlls, R + "\\Lib\\gone.dll", 2);
    b.Dword(lm, dlls, R + "\\Lib\\shared.dll", 1);

    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    b.String(lm, run, "a", "\"" + R + "\\App\\app.exe\" /min");
    b.String(lm, run, "b", R + "\\Missing\\run.exe");
    b.String(cu, run, "a", R + "\\Missing\\user.exe -x");

    const std::string un = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    b.String(lm, un + "\\P1", "InstallSource", R + "\\Data");
    b.String(lm, un + "\\P1", "ModifyPath", R + "\\Missing\\setup.exe /modify");
    b.String(lm, un + "\\P2", "InstallSource", R + "\\Missing\\src.msi");
    b.String(lm, un + "\\P2", "DisplayName", "Second product");

    const std::string vd = "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers";
    b.String(lm, vd, "a", "\"" + R + "\\Missing\\v.vxd\"");
    b.String(lm, vd, "b", R + "\\Lib\\shared.dll");
  }

  /// The problem texts of PopulateRegistry, by section code.
  std::vector<std::string> Problems(const std::string& code) const {
    if (code == "RI") return {R + "\\Missing", R + "\\Missing2"};
    if (code == "CC") return {R + "\\Missing.dll", R + "\\Gone.dll"};
    if (code == "SL") return {R + "\\Missing\\b.exe"};
    if (code == "WF") return {R + "\\Nope.ttf"};
    if (code == "HR") return {R + "\\Help"};
    if (code == "SP") return {R + "\\Lib\\gone.dll"};
    if (code == "SuP") return {R + "\\Missing\\run.exe", R + "\\Missing\\user.exe -x"};
    if (code == "ArP") return {R + "\\Missing\\src.msi", R + "\\Missing\\setup.exe /modify"};
    if (code == "VD") return {R + "\\Missing\\v.vxd"};
    return {};
  }

  /// err.log as a scan of these sections writes it (problems numbered
  /// from 1 in section order).
  std::string ExpectedErrLog(const std::vector<std::pair<std::string, std::string>>& sections) const {
    std::string log;
    int number = 1;
    for (const auto& [code, header] : sections) {
      log += header + "\r\n";
      for (const std::string& problem : Problems(code)) log += std::to_string(number++) + "." + problem + "\r\n";
    }
    return log;
  }

  std::string LogFolder() { return form.module1.GetLogFolder(); }
  std::string ErrLog() { return tp.Folder().ReadFile(LogFolder() + "\\err.log"); }
  std::string Image(const std::string& key) { return form.tvwTree.Find(key)->image; }
  void ClickPicture(const std::string& key) { ClickTree(form, view, view.PictureOf(key)); }
  std::vector<std::string> Drives() {
    std::vector<std::string> keys;
    for (TreeNode* d : form.tvwTree.Find("Scan")->Children()) keys.push_back(d->key);
    return keys;
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
