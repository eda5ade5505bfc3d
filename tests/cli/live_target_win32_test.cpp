// hivewright-cli.exe over the running registry (under Wine, the test
// prefix's): the program's own report, repair from an edited report and
// restore, on Run values this test makes and removes.
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
#include "scan/tree_clicks.h"
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

std::string ValueData(RegistryApi& api, const std::string& name) {
  RegKey h = 0;
  if (api.OpenKeyEx(kHkeyCurrentUser, kRun, 0, kKeyRead, &h) != kErrorSuccess) return "<no key>";
  std::uint8_t data[1024];
  std::uint32_t type = 0, size = sizeof data;
  const long rc = api.QueryValueEx(h, name, &type, data, &size);
  api.CloseKey(h);
  return rc == kErrorSuccess ? std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), size)
                             : "<none>";
}

TEST(LiveCli, ScanRepairFromAnEditedReportAndRestoreOnTheRunningRegistry) {
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
      RegKey h = 0;
      if (r.OpenKeyEx(kHkeyCurrentUser, kRun, 0, kKeyReadWrite, &h) != kErrorSuccess) return;
      for (const std::string& n : names) r.DeleteValue(h, n);
      r.CloseKey(h);
    }
  } cleanup{registry, {gone, kept, present}};
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kRun, gone, "\"" + R + "\\gone.exe\" /min"));
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kRun, kept, R + "\\kept.exe"));
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kRun, present, R + "\\ok.exe"));
  const std::string goneData = ValueData(registry, gone);

  const std::string folders = " --log-folder \"" + R + "\\logs\" --backup-folder \"" + R + "\\backups\"";
  const std::string json = R + "\\live.json";
  ASSERT_EQ(RunProgram("scan --sections SuP --format json --output \"" + json + "\"" + folders, R + "\\out.txt"),
            1)
      << folder->ReadFile(R + "\\out.txt");
  ScanReport report;
  std::string error;
  ASSERT_TRUE(ReadReportJson(folder->ReadFile(json), &report, &error)) << error;
  EXPECT_EQ(report.target.kind, "live");
  EXPECT_EQ(report.target.family, "WIN2K");
  const std::vector<FoundProblem> ours = Ours(report);
  ASSERT_EQ(ours.size(), 2u);
  EXPECT_EQ(*ours[0].value + "|" + ours[0].path + "|" + ours[0].missing, gone + "|" + R + "\\gone.exe|file");
  EXPECT_EQ(*ours[1].value + "|" + ours[1].path + "|" + ours[1].missing, kept + "|" + R + "\\kept.exe|file");

  // The program and the in-process run over the same registry agree,
  // problem for problem.
  const std::vector<std::string> common = {"--sections", "SuP", "--log-folder", R + "\\logs", "--backup-folder",
                                           R + "\\backups"};
  auto with = [&](std::vector<std::string> args) {
    args.insert(args.end(), common.begin(), common.end());
    return args;
  };
  const test::CliResult again = test::RunCliWith(with({"scan", "--format", "json"}));
  ScanReport inProcess;
  ASSERT_TRUE(ReadReportJson(again.out, &inProcess, &error)) << error;
  ASSERT_EQ(inProcess.problems.size(), report.problems.size());
  for (std::size_t i = 0; i < report.problems.size(); ++i)
    EXPECT_EQ(test::ProblemDifference(inProcess.problems[i], report.problems[i]), "") << i;

  // On the user's exclusion list, "kept" is left out unless --no-exclusions.
  {
    struct Excluded {
      Win32Registry& r;
      ~Excluded() {
        RegKey h = 0;
        if (r.OpenKeyEx(kHkeyCurrentUser, kExclusionsKey, 0, kKeyReadWrite, &h) != kErrorSuccess) return;
        r.DeleteValue(h, "hwclitest");
        r.CloseKey(h);
      }
    } excluded{registry};
    ASSERT_TRUE(b.String(kHkeyCurrentUser, kExclusionsKey, "hwclitest",
                         Exclusions::LocationText("HKEY_CURRENT_USER", kRun, kept)));
    const struct {
      const char* option;
      std::size_t ours;
    } cases[] = {{nullptr, 1}, {"--no-exclusions", 2}};
    for (const auto& c : cases) {
      std::vector<std::string> args = with({"scan", "--format", "json"});
      if (c.option) args.push_back(c.option);
      const test::CliResult r = test::RunCliWith(args);
      ScanReport scanned;
      ASSERT_TRUE(ReadReportJson(r.out, &scanned, &error)) << error << r.err;
      EXPECT_EQ(Ours(scanned).size(), c.ours) << (c.option ? c.option : "default");
    }
  }

  // Only "gone" is left in the report: the prefix's own problems and
  // "kept" stay as they are.
  ScanReport edited = report;
  edited.problems = {ours[0]};
  folder->WriteFile(R + "\\edited.json", ReportJson(edited));
  const test::CliResult repair =
      test::RunCliWith({"repair", "--from", R + "\\edited.json", "--yes", "--backup", "live", "--log-folder",
                        R + "\\logs", "--backup-folder", R + "\\backups"});
  EXPECT_EQ(repair.status, kExitOk) << repair.out << repair.err;
  EXPECT_EQ(ValueData(registry, gone), "<none>");
  EXPECT_NE(ValueData(registry, kept), "<none>");
  EXPECT_NE(ValueData(registry, present), "<none>");

  const test::CliResult list = test::RunCliWith({"backups", "list", "--backup-folder", R + "\\backups"});
  EXPECT_EQ(list.out.rfind("live\t", 0), 0u) << list.out << list.err;
  const test::CliResult restore =
      test::RunCliWith({"backups", "restore", "live", "--backup-folder", R + "\\backups"});
  EXPECT_EQ(restore.status, kExitOk) << restore.out << restore.err;
  EXPECT_EQ(ValueData(registry, gone), goneData);
}

// The window's scan of the prefix's registry and the command line's list
// the same problems: per section, the same numbers and tested paths.
TEST(LiveCli, AgreesWithTheWindowsScanOfThePrefixProblemForProblem) {
  auto folder = test::MakeScratchFolder();
  const std::string R = folder->Root();
  Win32Registry registry;
  test::RegistryBuilder b(registry);
  const std::string name = std::string(kPrefix) + "window";
  struct Cleanup {
    Win32Registry& r;
    std::string name;
    ~Cleanup() {
      RegKey h = 0;
      if (r.OpenKeyEx(kHkeyCurrentUser, kRun, 0, kKeyReadWrite, &h) != kErrorSuccess) return;
      r.DeleteValue(h, name);
      r.CloseKey(h);
    }
  } cleanup{registry, name};
  ASSERT_TRUE(b.String(kHkeyCurrentUser, kRun, name, R + "\\window.exe"));

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
  ScanReport report;
  std::string error;
  ASSERT_TRUE(ReadReportJson(cli.out, &report, &error)) << error << cli.err;
  std::map<std::string, std::vector<std::string>> window, command;
  for (const char* code : {"RI", "CC", "SL", "DD", "WF", "HR", "SP", "SuP", "ArP", "VD"})
    for (const TreeNode* node : form.tvwTree.Find(code)->Children())
      window[code].push_back(std::to_string(node->problemNumber) + " " + node->text);
  for (const FoundProblem& p : report.problems) command[p.section].push_back(std::to_string(p.number) + " " + p.path);
  EXPECT_EQ(window, command);
  // The test's own broken entry is among them, once.
  EXPECT_EQ(std::count_if(command["SuP"].begin(), command["SuP"].end(),
                          [&](const std::string& s) { return s.find(R + "\\window.exe") != std::string::npos; }),
            1);
}

}  // namespace
}  // namespace hw
