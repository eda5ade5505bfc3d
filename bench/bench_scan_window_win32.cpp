// One scan through the real main window against the same scan through the
// engine and the checks alone, under Wine: the window's share of the time
// (status label, counters, painting). Arguments: the number of extra CLSID
// keys (30000) and of folders (40000).
#include "platform/windows_win32.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "support/caption_view.h"
#include "checks/section_catalogue.h"
#include "checks/section_checks.h"
#include "engine/mani.h"
#include "platform/message_pump_win32.h"
#include "registry/settings.h"
#include "support/program_folder_system_info.h"
#include "support/registry_builder.h"
#include "support/scratch_folder.h"
#include "support/scratch_registry.h"
#include "support/scripted_dialogs.h"
#include "support/stopwatch.h"
#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/win32/form1_window_win32.h"

namespace hw {
namespace {

/// Only the scratch folder's drive is a fixed drive.
class OneFixedDrive : public test::ProgramFolderSystemInfo {
 public:
  OneFixedDrive(std::unique_ptr<SystemInfo> real, const std::string& programFolder, char drive)
      : ProgramFolderSystemInfo(std::move(real), programFolder), drive_(drive) {}
  std::uint32_t DriveType(const std::string& root) override {
    return !root.empty() && root[0] == drive_ ? kDriveFixed : kDriveRemote;
  }

 private:
  char drive_;
};

int Run(int keys, int folders) {
  auto registry = test::MakeScratchRegistry();
  auto folder = test::MakeScratchFolder();
  const std::string root = folder->Root();
  const std::string program = root + "\\Prog";
  OneFixedDrive system(test::MakeRealSystemInfo(*folder, program), program, root[0]);
  auto shortcuts = test::MakeRealShortcutReader(*folder);
  Win32MessagePump pump;
  test::ScriptedDialogs dialogs;
  test::RecordingShell shell;
  Platform platform{registry->Api(), folder->Files(), system, *shortcuts, pump, dialogs, shell};

  folder->MakeFolder(program);
  folder->MakeFolder(root + "\\Logs");
  folder->WriteFile(root + "\\server.dll", "MZ");
  test::RegistryBuilder b(registry->Api());
  char name[64];
  const double built = test::Seconds([&] {
    for (int i = 0; i < keys; ++i) {
      std::snprintf(name, sizeof name, "CLSID\\{%08X-0000-0000-0000-000000000000}\\InprocServer32", i);
      // One in a hundred names a file that is not there.
      b.String(kHkeyClassesRoot, name, "", i % 100 ? root + "\\server.dll" : root + "\\gone.dll");
    }
    const int side = folders / 200 + 1;
    for (int i = 0; i < folders; ++i) {
      if (i % side == 0) folder->MakeFolder(root + "\\Tree\\" + std::to_string(i / side));
      folder->MakeFolder(root + "\\Tree\\" + std::to_string(i / side) + "\\" + std::to_string(i));
    }
  });
  std::printf("built %d CLSID keys and %d folders in %.1f s\n", keys, folders, built);
  const std::string drive = std::string(1, root[0]) + ":";

  // The engine and the checks alone, over the same sections.
  Module1 m(platform);
  Settings(m).Write(kLocalMachine, kPathKey, "LogFile", root + "\\Logs");
  PathTests paths(platform.files, platform.system);
  ProblemLogs logs(m);
  ScanState state;
  test::CaptionView view;
  SearchParameters params;
  Mani sReg(platform.registry, pump, params);
  SectionChecks checks(m, paths, logs, state, view, [&] { sReg.StopSearch(); });
  sReg.SetEvents(&checks);
  sReg.UseFiles(platform.files, platform.shortcuts, state.ShortcutFilePath);
  const SectionPass pass = SectionPasses(*FindSection("CC"), "WIN2K").front();
  const double engine = test::Seconds([&] {
    state.StartCounting();
    logs.StartProblemLogs(state);
    sReg.SetlStartSearch();
    state.CurrentSection = "CC";
    params = SearchParameters{Module1::RootKeyFromName(pass.rootName), pass.flags, pass.searchText, pass.startKey};
    sReg.DoSearch();
    state.CurrentSection = std::string(1, root[0]) + " (Fixed)";
    sReg.DoSearchFiles(drive, kShortcutPattern);
    ProblemLogs::FinishProblemLogs(state);
  });
  const int engineProblems = state.ProblemsFound;

  // The same scan clicked in the real window, shown.
  Form1Window window(platform);
  if (!window.Create(GetModuleHandleA(nullptr))) return 1;
  pump.SetDialogWindow(window.Handle());
  Form1& form = window.Form();
  form.Form_Load();
  form.DrawControls();
  window.Show();
  for (const std::string& key : {std::string("CC"), std::string(1, root[0])}) form.ProcessStateChange(*form.tvwTree.Find(key));
  const double shown = test::Seconds([&] { window.Click(ctl::ScanBtn); });
  const int windowProblems = form.scanState.ProblemsFound;

  std::printf("engine alone: %.2f s (%d problems)\n", engine, engineProblems);
  std::printf("real window:  %.2f s (%d problems, results page %s)\n", shown, windowProblems,
              form.scanFinished ? "shown" : "NOT shown");
  std::printf("window / engine: %.2f (target <= 1.5)\n", shown / engine);
  std::printf("per CLSID key and folder: engine %.3f ms, window %.3f ms\n", engine * 1000 / (keys + folders),
              shown * 1000 / (keys + folders));
  return 0;
}

}  // namespace
}  // namespace hw

int main(int argc, char** argv) {
  const int keys = argc > 1 ? std::atoi(argv[1]) : 30000;
  const int folders = argc > 2 ? std::atoi(argv[2]) : 40000;
  return hw::Run(keys, folders);
}
