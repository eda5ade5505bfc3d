// hivewright-cli.exe over the running registry (under Wine, the test
// prefix's), on Run values this test makes and removes.
#include <gtest/gtest.h>

#include "platform/windows_win32.h"

#include <algorithm>
#include <map>

#include "cli/cli_run.h"
#include "checks/exclusions.h"
#include "cli/scan_report.h"
#include "platform/file_services_win32.h"
#include "platform/registry_api_win32.h"
#include "platform/shortcut_reader_win32.h"
#include "platform/system_info_win32.h"
#include "support/tree_clicks.h"
#include "support/program_folder_system_info.h"
#include "support/scripted_dialogs.h"
#include "support/registry_builder.h"
#include "support/report_samples.h"
#include "support/scratch_folder.h"
#include "support/test_paths.h"

namespace hw {
namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kPrefix[] = "HwCliTest ";

/// hivewright-cli.exe of this build with `arguments`, standard output into
/// `outFile`; its exit code, or -1 when it did not start or end in time.
long RunProgram(const std::string& arguments, const std::string& outFile) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return -1;
  std::string line = "\"" + test::BuildDir() + "\\hivewright-cli.exe\" " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = out;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  long code = -1;
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    DWORD exit = 0;
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0 && GetExitCodeProcess(pi.hProcess, &exit))
      code = static_cast<long>(exit);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(out);
  return code;
}

std::vector<FoundProblem> Ours(const ScanReport& r) {
  std::vector<FoundProblem> ours;
  for (const FoundProblem& p : r.problems)
    if (p.value && p.value->rfind(kPrefix, 0) == 0) ours.push_back(p);
  return ours;
}

// Repair from a report and restore are exercised offline; here, what only
// the running registry has: the user's own exclusion list, and the window's
// scan of the same registry.
TEST(LiveCli, ProgramsScanHonoursTheUsersExclusionsAndAgreesWithTheWindow) {
  auto folder = test::MakeScratchFolder();
  const std::string R = folder->Root();
  folder->WriteFile(R + "\\ok.exe", "x");
  Win32Registry registry;
  test::RegistryBuilder b(registry);
  const std::string gone = std::string(kPrefix) + "gone", kept = std::string(kPrefix) + "kept",
                    present = std::string(kPrefix) + "present";
  struct Cleanup {
    Win32Registry& r;
    std::vector<std::string> names;
    ~Cleanup() {
      const std::pair<const char*, std::string> values[] = {
          {kExclusionsKey, "hwclitest"}, {kRun, names[0]}, {kRun, names[1]}, {kRun, names[2]}};
      for (const auto& [key, name] : values) {
        RegKey h = 0;
        if (r.OpenKeyEx(kHkeyCurrentUser, key, 0, kKeyReadWrite, &h) != kErrorSuccess) continue;
        r.DeleteValue(h, name);
        r.CloseKey(h);
      }
    }
  } cleanup{registry, {gone, kept, present}};
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kRun, gone, "\"" + R + "\\gone.exe\" /min"));
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kRun, kept, R + "\\kept.exe"));
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kRun, present, R + "\\ok.exe"));
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kExclusionsKey, "hwclitest",
                       Exclusions::LocationText("HKEY_CURRENT_USER", kRun, kept)));

  const std::string json = R + "\\live.json";
  ASSERT_EQ(RunProgram("scan --sections SuP --format json --output \"" + json + "\" --log-folder \"" + R +
                           "\\logs\" --backup-folder \"" + R + "\\backups\"",
                       R + "\\out.txt"),
            1)
      << folder->ReadFile(R + "\\out.txt");
  ScanReport report;
  std::string error;
  ASSERT_TRUE(ReadReportJson(folder->ReadFile(json), &report, &error)) << error;
  EXPECT_EQ(report.target.kind, "live");
  EXPECT_EQ(report.target.family, "WIN2K");
  const std::vector<FoundProblem> ours = Ours(report);
  ASSERT_EQ(ours.size(), 1u);
  EXPECT_EQ(*ours[0].value + "|" + ours[0].path + "|" + ours[0].missing, gone + "|" + R + "\\gone.exe|file");

  // In-process over the same registry: the same problems; "kept" only
  // with --no-exclusions.
  for (const bool all : {false, true}) {
    std::vector<std::string> args = {"scan", "--sections", "SuP", "--format", "json", "--log-folder", R + "\\logs"};
    if (all) args.push_back("--no-exclusions");
    const test::CliResult r = test::RunCliWith(args);
    ScanReport scanned;
    ASSERT_TRUE(ReadReportJson(r.out, &scanned, &error)) << error << r.err;
    EXPECT_EQ(Ours(scanned).size(), all ? 2u : 1u);
    if (all) continue;
    ASSERT_EQ(scanned.problems.size(), report.problems.size());
    for (std::size_t i = 0; i < report.problems.size(); ++i)
      EXPECT_EQ(test::ProblemDifference(scanned.problems[i], report.problems[i]), "") << i;
  }

  // The window's scan of every registry section and the command line's
  // list the same problems: per section, the same numbers and tested paths.
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
  const test::CliResult cli = test::RunCliWith(
      {"scan", "--sections", "RI,CC,SL,DD,WF,HR,SP,SuP,ArP,VD", "--format", "json", "--log-folder", R + "\\cli-logs"});
  ASSERT_TRUE(ReadReportJson(cli.out, &report, &error)) << error << cli.err;
  std::map<std::string, std::vector<std::string>> window, command;
  for (const char* code : {"RI", "CC", "SL", "DD", "WF", "HR", "SP", "SuP", "ArP", "VD"})
    for (const TreeNode* node : form.tvwTree.Find(code)->Children())
      window[code].push_back(std::to_string(node->problemNumber) + " " + node->text);
  for (const FoundProblem& p : report.problems) command[p.section].push_back(std::to_string(p.number) + " " + p.path);
  EXPECT_EQ(window, command);
  EXPECT_EQ(std::count_if(command["SuP"].begin(), command["SuP"].end(),
                          [&](const std::string& s) { return s.find(R + "\\gone.exe") != std::string::npos; }),
            1);
}

}  // namespace
}  // namespace hw
