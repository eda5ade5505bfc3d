// Wine's own registry, as a fresh prefix has it, scanned with all ten
// registry sections through the real backends: whatever the checks log must
// name nothing that exists.
#include <gtest/gtest.h>

#include <map>

#include "support/caption_view.h"
#include "checks/section_checks.h"
#include "support/section_scan.h"
#include "engine/drives.h"
#include "platform/message_pump_win32.h"
#include "platform/shortcut_reader_win32.h"
#include "platform/system_info_win32.h"
#include "platform/file_services_win32.h"
#include "platform/registry_api_win32.h"
#include "platform/vb_text.h"
#include "support/program_folder_system_info.h"
#include "support/scripted_dialogs.h"
#include "support/test_paths.h"

namespace hw {
namespace {

TEST(WineRegistryScan, LogsNoEntryWhoseFileOrFolderExists) {
  const std::string folder = test::MakeTempFolder("hw-winescan");
  Win32Registry registry;
  Win32FileServices files;
  test::ProgramFolderSystemInfo system(std::make_unique<Win32SystemInfo>(), folder);
  Win32ShortcutReader shortcuts;
  Win32MessagePump pump;
  test::ScriptedDialogs dialogs;
  test::RecordingShell shell;
  Platform platform{registry, files, system, shortcuts, pump, dialogs, shell};
  Module1 m(platform);
  PathTests paths(files, system);
  ProblemLogs logs(m);
  ScanState state;
  test::CaptionView view;
  SearchParameters params;
  Mani sReg(registry, pump, params);
  SectionChecks checks(m, paths, logs, state, view, [&sReg] { sReg.StopSearch(); });
  sReg.SetEvents(&checks);

  WindowsFolders wf;
  ASSERT_TRUE(FindWindowsFolders(system, dialogs, wf));
  checks.WindowsFolder = wf.WindowsFolder;
  state.StartCounting();
  logs.StartProblemLogs(state);
  test::ScanRegistrySections({"RI", "CC", "SL", "DD", "WF", "HR", "SP", "SuP", "ArP", "VD"},
                             wf.WindowsFamily, state, sReg, params);
  ProblemLogs::FinishProblemLogs(state);
  EXPECT_TRUE(dialogs.messages.empty());

  // Every problem text, after expanding a leading reference, is neither a
  // file nor a folder.
  auto err = files.OpenTextFile(logs.ErrLogPath());
  std::map<std::string, int> perSection;
  std::string section;
  int problems = 0;
  while (!err->AtEndOfStream()) {
    std::string line = err->ReadLine();
    if (!line.empty() && line[0] == '[') {
      section = line;
      perSection[section];
      continue;
    }
    std::string text = Mid(line, InStr(line, ".") + 1);
    std::string expanded = text;
    if (Left(text, 1) == "%" && InStr(2, text, "%") > 0) {
      std::string value;
      std::size_t close = InStr(2, text, "%");
      if (system.GetEnvironmentVariable(Mid(text, 2, close - 2), &value)) expanded = value + Mid(text, close + 1);
    }
    EXPECT_FALSE(files.FileExists(text) || files.FolderExists(text)) << section << " " << line;
    EXPECT_FALSE(files.FileExists(expanded) || files.FolderExists(expanded)) << section << " " << line;
    ++perSection[section];
    ++problems;
  }
  err->Close();
  EXPECT_EQ(10u, perSection.size());
  EXPECT_EQ(problems, state.ProblemsFound);
  test::RemoveTree(folder);
}

}  // namespace
}  // namespace hw
