// hivewright-cli.exe over the running registry (under Wine, the test
// prefix's), on Run values this test makes and removes.
#include <gtest/gtest.h>

#include "platform/windows_win32.h"

#include <shlobj.h>

#include <algorithm>
#include <map>

#include "cli/cli_run.h"
#include "checks/exclusions.h"
#include "cli/scan_report.h"
#include "platform/file_services_win32.h"
#include "platform/registry_api_win32.h"
#include "platform/shortcut_reader_win32.h"
#include "platform/system_info_win32.h"
#include "platform/vb_text.h"
#include "support/tree_clicks.h"
#include "support/program_folder_system_info.h"
#include "support/scripted_dialogs.h"
#include "support/registry_builder.h"
#include "support/window_driver_win32.h"
#include "support/scratch_folder.h"
#include "support/shortcut_maker.h"
#include "support/test_paths.h"

namespace hw {
namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kPrefix[] = "HwCliTest ";

std::vector<FoundProblem> Ours(const ScanReport& r) {
  std::vector<FoundProblem> ours;
  for (const FoundProblem& p : r.problems)
    if (p.value && p.value->rfind(kPrefix, 0) == 0) ours.push_back(p);
  return ours;
}

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path))) return "";
  return path;
}

// Repair from a report and restore are exercised offline; here, what only
// the running registry and drives have: the user's own exclusion list, the
// window's scan of the same registry, Wine's own entries, and its user
// folders, which are links to one home folder.
TEST(LiveCli, ProgramsScanHonoursTheUsersExclusionsAndAgreesWithTheWindow) {
  auto folder = test::MakeScratchFolder();
  const std::string R = folder->Root();
  folder->WriteFile(R + "\\ok.exe", "x");
  Win32Registry registry;
  test::RegistryBuilder b(registry);
  const std::string gone = std::string(kPrefix) + "gone", kept = std::string(kPrefix) + "kept",
                    present = std::string(kPrefix) + "present";
  const std::string desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
  ASSERT_EQ(0u, desktop.rfind("C:\\", 0)) << desktop;
  const std::string once = desktop + "\\hw-once-" + std::to_string(GetCurrentProcessId()) + ".lnk";
  struct Cleanup {
    std::vector<std::pair<const char*, std::string>> values;
    std::string shortcut;
    ~Cleanup() {
      for (const auto& [key, name] : values) RegDeleteKeyValueA(HKEY_CURRENT_USER, key, name.c_str());
      DeleteFileA(shortcut.c_str());
    }
  } cleanup{{{kExclusionsKey, "hwclitest"}, {kRun, gone}, {kRun, kept}, {kRun, present}}, once};
  ASSERT_TRUE(test::MakeShortcutFile(*folder, once, R + "\\gone.exe"));
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kRun, gone, "\"" + R + "\\gone.exe\" /min"));
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kRun, kept, R + "\\kept.exe"));
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kRun, present, R + "\\ok.exe"));
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kExclusionsKey, "hwclitest",
                       Exclusions::LocationText("HKEY_CURRENT_USER", kRun, kept)));

  const std::string json = R + "\\live.json";
  const std::string arguments = "scan --sections SuP --format json --output \"" + json + "\" --log-folder \"" + R +
                                "\\logs\" --backup-folder \"" + R + "\\backups\"";
  ASSERT_EQ(1, test::StartedProgram(arguments, "hivewright-cli.exe").EndedWith(120000));
  ScanReport report;
  std::string error;
  ASSERT_TRUE(ReadReportJson(folder->ReadFile(json), &report, &error)) << error;
  EXPECT_EQ(report.target.kind, "live");
  EXPECT_EQ(report.target.family, "WIN2K");
  const std::vector<FoundProblem> ours = Ours(report);
  ASSERT_EQ(ours.size(), 1u);
  EXPECT_EQ(*ours[0].value + "|" + ours[0].path + "|" + ours[0].missing, gone + "|" + R + "\\gone.exe|file");

  // The window's scan of every registry section and the command line's
  // list the same problems: per section, the same numbers and tested paths.
  // The command line searches drive C: too.
  Win32FileServices files;
  test::ProgramFolderSystemInfo system(std::make_unique<Win32SystemInfo>(), R + "\\Prog");
  Win32ShortcutReader shortcuts;
  test::ScriptedPump pump;
  test::ScriptedDialogs dialogs;
  test::RecordingShell shell;
  Platform platform{registry, files, system, shortcuts, pump, dialogs, shell};
  test::ScriptedTreeView view;
  Form1 form{platform, view};
  view.tree = &form.tvwTree;
  form.Form_Load();
  form.DrawControls();
  form.module1.LogFolderOverride = R + "\\window-logs";
  ClickTree(form, view, view.PictureOf("Reg"));  // every registry section, no drive
  form.ScanBtn_Click();
  ASSERT_TRUE(form.scanFinished);
  EXPECT_TRUE(dialogs.messages.empty());
  const test::CliResult cli = test::RunCliWith({"scan", "--sections", "RI,CC,SL,DD,WF,HR,SP,SuP,ArP,VD,Scan",
                                                "--drives", "C", "--format", "json", "--log-folder", R + "\\cli-logs"});
  ASSERT_TRUE(ReadReportJson(cli.out, &report, &error)) << error << cli.err;
  std::map<std::string, std::vector<std::string>> window, command;
  for (const char* code : {"RI", "CC", "SL", "DD", "WF", "HR", "SP", "SuP", "ArP", "VD"})
    for (const TreeNode* node : form.tvwTree.Find(code)->Children())
      window[code].push_back(std::to_string(node->problemNumber) + " " + node->text);
  int toOnce = 0;
  for (const FoundProblem& p : report.problems) {
    toOnce += p.section == "Scan" && EqualsNoCase(p.path, R + "\\gone.exe");
    if (p.section != "Scan") command[p.section].push_back(std::to_string(p.number) + " " + p.path);
    // Nothing reported exists, also with a leading variable expanded.
    std::string expanded = p.path, value;
    const std::size_t close = p.path.find('%', 1);
    if (p.path.rfind('%', 0) == 0 && close != std::string::npos &&
        system.GetEnvironmentVariable(p.path.substr(1, close - 1), &value))
      expanded = value + p.path.substr(close + 1);
    for (const std::string& path : {p.path, expanded})
      EXPECT_FALSE(files.FileExists(path) || files.FolderExists(path)) << p.section << " " << path;
  }
  EXPECT_EQ(window, command);
  EXPECT_EQ(1, toOnce) << "the shortcut on the Desktop, found once through one of the links";
  EXPECT_EQ(std::count_if(command["SuP"].begin(), command["SuP"].end(),
                          [&](const std::string& s) { return s.find(R + "\\gone.exe") != std::string::npos; }),
            1);
}

}  // namespace
}  // namespace hw
