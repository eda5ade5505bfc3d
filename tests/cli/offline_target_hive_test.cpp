#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "checks/exclusions.h"
#include "cli/cli_run.h"
#include "cli/cli_target.h"
#include "cli/offline_environment.h"
#include "cli/offline_installation.h"
#include "cli/scan_report.h"
#include "platform/blank_hive.h"
#include "platform/hive_header.h"
#include "platform/interrupt.h"
#include "platform/vb_text.h"
#include "registry/module1.h"
#include "support/host_file.h"
#include "support/test_installation.h"

namespace hw {
namespace {
namespace fs = std::filesystem;
using test::CliResult;
using test::HostFileBytes;
using test::RunCliWith;
using test::TestInstallation;

#define SKIP_WITHOUT_TESTDATA()                                              \
  if (const std::string why = TestInstallation::SkipReason(); !why.empty()) \
  GTEST_SKIP() << why

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

TargetOpening OpenOffline(const TestInstallation& in, bool writable) {
  CliOptions o;
  o.offline = true;
  o.root = in.Root();
  return OpenCliTarget(o, writable);
}

std::vector<std::string> Joined(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// The installation lookup over folders of several shapes, what the program
// says about each, and the variables the installation itself would expand,
// none from this process's environment.
TEST(OfflineTarget, FindsTheInstallationAndTakesItsEnvironment) {
  SKIP_WITHOUT_TESTDATA();
  TestInstallation one;
  TestInstallation two({{"anna", "Bert"}, "WINNT", "Documents and Settings"});
  fs::create_directories(two.Root() + "/Documents and Settings/All Users");
  fs::create_directories(two.Root() + "/Documents and Settings/Default User");
  const std::string notAnInstallation = one.Scratch() + "/empty";
  fs::create_directories(notAnInstallation + "/Windows/System32");

  const struct {
    std::string root, user;
    std::vector<DriveMapping> drives;
    int status;
    std::string message, windows, chosen;
  } cases[] = {
      {one.Root(), "", {}, 0, "", "C:\\Windows", "anna"},
      {one.Root(), "ANNA", {}, 0, "", "C:\\Windows", "anna"},
      {one.Root(), "carl", {}, 2, "no profile 'carl'", "", ""},
      {two.Root(), "", {}, 2, "several profiles (Bert, anna); choose one with --user NAME", "", ""},
      {two.Root(), "bert", {}, 0, "", "C:\\WINNT", "Bert"},
      {one.Scratch() + "/nowhere", "", {}, 3, "nowhere does not exist", "", ""},
      {notAnInstallation, "", {}, 3, "is not a Windows installation: no Windows\\System32\\config\\SOFTWARE and SYSTEM",
       "", ""},
      {one.Root(), "", {{'D', one.Scratch() + "/no-d"}}, 3, "no-d of drive D: does not exist", "", ""},
  };
  for (const auto& c : cases) {
    const InstallationLookup found = FindOfflineInstallation(c.root, c.user, c.drives);
    EXPECT_EQ(found.status, c.status) << c.root << " " << c.user << ": " << found.message;
    EXPECT_NE(found.message.find(c.message), std::string::npos) << found.message;
    if (c.status != 0) {
      std::vector<std::string> args = {"scan", "--offline", c.root};
      if (!c.user.empty()) args.insert(args.end(), {"--user", c.user});
      for (const DriveMapping& d : c.drives) args.insert(args.end(), {"--drive", d.letter + ("=" + d.folder)});
      const CliResult r = RunCliWith(args);
      EXPECT_EQ(r.status, c.status) << c.message;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
      continue;
    }
    EXPECT_EQ(found.installation.windowsFolder, c.windows) << c.root;
    EXPECT_EQ(found.installation.user, c.chosen) << c.root;
    EXPECT_TRUE(fs::exists(found.installation.userHive)) << c.root;
  }
  const CliResult live = RunCliWith({"scan"});
  EXPECT_EQ(live.status, kExitUsage);
  EXPECT_NE(live.err.find("there is no live registry here; use --offline ROOT"), std::string::npos) << live.err;

  one.Edit([](test::RegistryBuilder& b, RegistryApi&) {
    b.String(kHkeyCurrentUser, "Environment", "ToolHome", "%ProgramFiles%\\Tool", kRegExpandSz);
    b.String(kHkeyCurrentUser, "Environment", "Plain", "%ProgramFiles%\\Tool");
  });
  setenv("HW_FROM_LINUX", "leak", 1);
  TargetOpening t = OpenOffline(one, false);
  ASSERT_EQ(t.status, 0) << t.error;
  SystemInfo& system = t.target->Get().system;
  const struct {
    const char* name;
    const char* value;  // null: not defined
  } variables[] = {
      {"SystemRoot", "C:\\Windows"},
      {"windir", "C:\\Windows"},
      {"SystemDrive", "C:"},
      {"ProgramFiles", "C:\\Program Files"},
      {"programfiles(x86)", "C:\\Program Files (x86)"},
      {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
      {"ProgramData", "C:\\ProgramData"},
      {"ALLUSERSPROFILE", "C:\\ProgramData"},
      {"PUBLIC", "C:\\Users\\Public"},
      {"ComSpec", "C:\\Windows\\system32\\cmd.exe"},  // REG_EXPAND_SZ of SYSTEM
      {"OS", "Windows_NT"},
      {"COMPUTERNAME", "WKS-WIN732BITA"},
      {"USERPROFILE", "C:\\Users\\anna"},  // ProfileList\<SID>\ProfileImagePath
      {"USERNAME", "anna"},
      {"APPDATA", "C:\\Users\\anna\\AppData\\Roaming"},
      {"TEMP", "C:\\Users\\anna\\AppData\\Local\\Temp"},  // the user's own, over the machine's
      {"ToolHome", "C:\\Program Files\\Tool"},
      {"Plain", "%ProgramFiles%\\Tool"},  // REG_SZ is not expanded
      {"Path",
       "C:\\Windows\\system32;C:\\Windows;C:\\Windows\\System32\\Wbem;C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\;"
       "C:\\Users\\anna\\AppData\\Local\\Microsoft\\WindowsApps;"},
      {"HW_FROM_LINUX", nullptr},
      {"HOME", nullptr},
  };
  for (const auto& v : variables) {
    std::string value = "<none>";
    EXPECT_EQ(system.GetEnvironmentVariable(v.name, &value), v.value != nullptr) << v.name;
    EXPECT_EQ(value, v.value ? v.value : "<none>") << v.name;
  }
  unsetenv("HW_FROM_LINUX");
  EXPECT_EQ(system.WindowsDirectory(), "C:\\Windows");
  EXPECT_EQ(system.Family(), PlatformFamily::kWinNt);
  EXPECT_EQ(t.target->Report().family, "WIN2K");

  const std::vector<std::pair<std::string, std::string>> vars = {{"A", "1"}, {"b", "%A%"}};
  EXPECT_EQ(ExpandVariables(vars, "%a%%B%%c%%%A%"), "1%A%%c%%1");
  EXPECT_EQ(ExpandVariables(vars, "50% of %A"), "50% of %A");
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

std::vector<std::string> AllValues(const TestInstallation& in) {
  std::vector<std::string> all;
  for (const std::string& hive : {in.SoftwareHive(), in.SystemHive(), in.UserHive("anna")})
    for (const std::string& v : test::HiveValues(hive)) all.push_back(hive + v);
  return Sorted(all);
}

ScanReport ReadReport(const std::string& text) {
  ScanReport r;
  std::string error;
  EXPECT_TRUE(ReadReportJson(text, &r, &error)) << error;
  return r;
}

// "ROOT\key#value" of each problem, to compare what a scan found.
std::set<std::string> Places(const ScanReport& r) {
  std::set<std::string> places;
  for (const FoundProblem& p : r.problems)
    places.insert(p.root + "\\" + p.key + "#" + (p.value ? *p.value : "<key>") + " -> " + p.path + " " + p.missing);
  return places;
}

// The whole offline cycle a user goes through: scan to JSON, edit the
// report, repair from it, scan again, restore the backup. The exclusion
// list is the one of the program's own offline settings (the hive
// backend's tests keep that branch out of the installation): honoured by
// default, passed over with --no-exclusions.
TEST(OfflineCli, ScanEditRepairRestoreRoundTrip) {
  SKIP_WITHOUT_TESTDATA();
  TestInstallation in;
  in.MakeFile("Tools/ok.exe");
  in.MakeFile("Windows/SysWOW64/OneDriveSetup.exe");  // the user hive's own Run entry
  in.Edit([](test::RegistryBuilder& b, RegistryApi&) {
    b.String(kHkeyLocalMachine, kRun, "Gone", "C:\\Tools\\gone.exe /min");
    b.String(kHkeyLocalMachine, kRun, "Present", "C:\\Tools\\ok.exe");
    b.String(kHkeyCurrentUser, kRun, "Old", "\"C:\\Tools\\old.exe\" /start");
    b.String(kHkeyCurrentUser, kRun, "Excluded", "C:\\gone\\excluded.exe");
    b.String(kHkeyCurrentUser, kRun, "Zw\xc3\xb6lf \xe2\x82\xac", "C:\\Tools\\zw\xc3\xb6lf.exe");
    b.String(kHkeyLocalMachine, std::string(kAppPaths) + "\\gone.exe", "", "C:\\Tools\\gone.exe");
    b.String(kHkeyLocalMachine, std::string(kAppPaths) + "\\ok.exe", "", "C:\\Tools\\ok.exe");
  });
  {
    TargetOpening t = OpenOffline(in, true);
    ASSERT_EQ(t.status, 0) << t.error;
    Module1 m(t.target->Get());
    ASSERT_TRUE(Exclusions().Add(m, Exclusions::LocationText("HKEY_CURRENT_USER", kRun, "Excluded")));
    ASSERT_EQ(t.target->Get().registry.Flush(), kErrorSuccess);
  }
  const std::string json = in.Scratch() + "/report.json", root = in.Root();
  const std::vector<std::string> target = {"--offline", root, "--sections", "sup,SL"};
  auto with = [&](std::vector<std::string> args) { return Joined(args, target); };

  CliResult scan = RunCliWith(with({"scan", "--format", "json", "--output", json}));
  ASSERT_EQ(scan.status, kExitProblems) << scan.err;
  const ScanReport report = ReadReport(HostFileBytes(json));
  const std::string run = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string userRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string appPaths = "HKEY_LOCAL_MACHINE\\" + std::string(kAppPaths);
  const std::set<std::string> broken = {
      appPaths + "\\gone.exe#<key> -> C:\\Tools\\gone.exe file",
      run + "#Gone -> C:\\Tools\\gone.exe file",
      userRun + "#Old -> C:\\Tools\\old.exe file",
      userRun + "#Zw\xc3\xb6lf \xe2\x82\xac -> C:\\Tools\\zw\xc3\xb6lf.exe file",
  };
  EXPECT_EQ(Places(report), broken);
  EXPECT_EQ(std::tie(report.target.kind, report.target.user, report.target.windows),
            std::make_tuple("offline", "anna", "C:\\Windows"));

  // The user keeps "Old": it leaves the report.
  ScanReport edited = report;
  edited.problems.erase(std::remove_if(edited.problems.begin(), edited.problems.end(),
                                       [](const FoundProblem& p) { return p.value == "Old"; }),
                        edited.problems.end());
  const std::string editedJson = in.Scratch() + "/edited.json";
  std::ofstream(editedJson, std::ios::binary) << ReportJson(edited);

  const std::vector<std::string> before = AllValues(in);
  const CliResult repair = RunCliWith({"repair", "--from", editedJson, "--yes", "--backup", "kept", "--offline", root});
  EXPECT_EQ(repair.status, kExitOk) << repair.out << repair.err;
  EXPECT_NE(repair.out.find("Repaired 3 of 3 problems."), std::string::npos) << repair.out;
  const std::vector<std::string> after = AllValues(in);
  std::vector<std::string> gone;
  std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
  ASSERT_EQ(gone.size(), 3u);
  for (const char* value : {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe#=",
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run#Gone=",
                            "NTUSER.DAT\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run#Zw\xc3\xb6lf \xe2\x82\xac="})
    EXPECT_EQ(std::count_if(gone.begin(), gone.end(), [&](auto& g) { return Contains(g, value); }), 1) << value;
  EXPECT_TRUE(std::includes(before.begin(), before.end(), after.begin(), after.end()));

  scan = RunCliWith(with({"scan", "--format", "json"}));
  EXPECT_EQ(scan.status, kExitProblems);
  EXPECT_EQ(Places(ReadReport(scan.out)), std::set<std::string>{userRun + "#Old -> C:\\Tools\\old.exe file"});
  scan = RunCliWith(with({"scan", "--format", "json", "--no-exclusions"}));
  EXPECT_EQ(Places(ReadReport(scan.out)), (std::set<std::string>{userRun + "#Excluded -> C:\\gone\\excluded.exe file",
                                                                 userRun + "#Old -> C:\\Tools\\old.exe file"}));

  const CliResult list = RunCliWith({"backups", "list", "--offline", root});
  EXPECT_EQ(list.status, kExitOk);
  EXPECT_EQ(list.out.rfind("kept\t", 0), 0u) << list.out;
  const CliResult restore = RunCliWith({"backups", "restore", "kept", "--offline", root});
  EXPECT_EQ(restore.status, kExitOk) << restore.out << restore.err;
  EXPECT_EQ(AllValues(in), before);
  EXPECT_FALSE(fs::exists(in.BackupFolder() + "/kept.bak"));  // used up
}

// Exit statuses a script relies on, one run each (the usage errors that
// need no installation are in the option tests' table). A hive whose
// sequence numbers differ is scanned with a warning, and a repair or a
// restore refuses before anything is written.
TEST(OfflineCli, ExitStatusesSayHowTheRunEnded) {
  SKIP_WITHOUT_TESTDATA();
  TestInstallation in, broken, dirty;
  broken.MakeFile("Windows/System32/config/SYSTEM", std::string(4096, 'x'));
  in.MakeFile("report.json", "{\"problems\": [");
  const std::string hive = dirty.UserHive("anna");
  {
    // As Windows leaves it when it stops between its two writes: the
    // secondary number behind, the checksum over the new header.
    std::string block = HostFileBytes(hive).substr(0, 512);
    block[8] = char(block[4] - 1);
    const std::uint32_t sum = HiveHeaderChecksum(block);
    for (int i = 0; i < 4; ++i) block[508 + i] = char(sum >> (8 * i));
    std::fstream(hive, std::ios::in | std::ios::out | std::ios::binary).write(block.data(), 512);
  }
  EXPECT_EQ(ReadHiveHeader(in.Root()).read, HiveHeader::Read::kUnreadable);
  in.MakeFile("short", "regf\1\0");
  EXPECT_EQ(ReadHiveHeader(in.Root() + "/short").read, HiveHeader::Read::kNotAHive);
  const auto hives = [&] {
    return HostFileBytes(hive) + HostFileBytes(dirty.SoftwareHive()) + HostFileBytes(dirty.SystemHive());
  };
  const std::string before = hives();

  const std::string root = in.Root(), dir = in.Scratch(), unclean = dirty.Root();
  const std::string refused = hive + " was not saved cleanly (its changes are still in its .LOG1/.LOG2); hivex does "
                              "not replay the logs; writing would lose the changes in them";
  const struct {
    int status;
    std::string said;  // on standard error or output
    std::vector<std::string> args;
    bool terminal = false;
    std::vector<std::string> answers = {};
  } cases[] = {
      {kExitUsage, "give --yes", {"repair", "--offline", root}},
      {kExitUsage, "name of a device", {"repair", "--backup", "NUL", "--yes", "--offline", root}},
      {kExitUsage, "is not a report", {"repair", "--from", root + "/report.json", "--yes", "--offline", root}},
      {kExitCannotOpen, broken.SystemHive() + " is not a registry hive", {"scan", "--offline", broken.Root()}},
      {kExitCannotOpen, "the report " + dir + "/none.json cannot be read",
       {"repair", "--from", dir + "/none.json", "--yes", "--offline", root}},
      {kExitCannotOpen, "the report " + dir + "/no/such/folder/r.txt cannot be written",
       {"scan", "--output", dir + "/no/such/folder/r.txt", "--offline", root}},
      {kExitCannotOpen, "there is no backup", {"backups", "restore", "nothing", "--offline", root}},
      {kExitProblems, "problems found", {"scan", "--offline", root}},
      {kExitOk, "No problems found", {"scan", "--sections", "HR,VD", "--offline", root}},
      {kExitProblems, "Repair 20 problems? [y/N]", {"repair", "--sections", "RI", "--offline", root}, true, {"n"}},
      {kExitOk, "No problems to repair.", {"repair", "--sections", "HR", "--yes", "--offline", root}},
      {kExitDirtyHive, refused, {"repair", "--yes", "--offline", unclean}},
      {kExitDirtyHive, refused, {"repair", "--yes", "--no-backup", "--sections", "SL", "--offline", unclean}},
      {kExitDirtyHive, refused, {"backups", "restore", "any", "--offline", unclean}},
      {kExitOk, "warning: the hive " + hive + " was not saved cleanly (changes are still in its .LOG1/.LOG2); "
                "scanning what the file holds", {"scan", "--sections", "HR", "--offline", unclean}},
  };
  for (const auto& c : cases) {
    const CliResult r = RunCliWith(c.args, c.terminal, c.answers);
    EXPECT_EQ(r.status, c.status) << c.said << "\n" << r.err;
    EXPECT_NE((r.err + r.out).find(c.said), std::string::npos) << c.said << " not in:\n" << r.err << r.out;
  }
  EXPECT_TRUE(hives() == before) << "a hive not saved cleanly was written";
  // Declined: nothing was deleted.
  const CliResult again = RunCliWith({"scan", "--sections", "RI", "--offline", root, "--format", "csv"});
  EXPECT_EQ(std::count(again.out.begin(), again.out.end(), '\n'), 21);
}

// Ctrl+C: a scan ends at once with its logs closed; a repair at the end
// of a batch, with what it did backed up and what it did not still found.
TEST(OfflineCli, CtrlCStopsAScanAtOnceAndARepairAtASafePoint) {
  SKIP_WITHOUT_TESTDATA();
  TestInstallation in;
  in.MakeFile("Windows/SysWOW64/OneDriveSetup.exe");
  constexpr int kValues = 600;  // more than one batch of backup records
  in.Edit([](test::RegistryBuilder& b, RegistryApi&) {
    for (int i = 0; i < kValues; ++i)
      b.String(kHkeyCurrentUser, kRun, "v" + std::to_string(i), "C:\\gone\\p" + std::to_string(i) + ".exe");
  });
  const std::vector<std::string> target = {"--sections", "SuP", "--offline", in.Root()};
  auto with = [&](std::vector<std::string> args) { return Joined(args, target); };
  auto openLogs = [&] {
    int open = 0;
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
      std::error_code ec;
      open += fs::read_symlink(fd.path(), ec).string().rfind(in.LogFolder(), 0) == 0;
    }
    return open;
  };

  int steps = 0;
  CliResult r = RunCliWith(with({"scan"}), false, {}, [&](const std::string& stage) {
    if (stage == "scan" && ++steps == 1) raise(SIGINT);  // through the program's own handler
  });
  SetInterruptRequested(false);
  EXPECT_EQ(r.status, kExitStopped) << r.err;
  EXPECT_NE(r.err.find("stopped by Ctrl+C"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty()) << r.out.size();  // no report of half a scan
  EXPECT_EQ(openLogs(), 0);

  r = RunCliWith(with({"repair", "--yes", "--backup", "half"}), false, {}, [](const std::string& stage) {
    if (stage == "repair") raise(SIGINT);
  });
  SetInterruptRequested(false);
  EXPECT_EQ(r.status, kExitStopped) << r.out << r.err;
  EXPECT_NE(r.out.find("Repaired 512 of 600 problems."), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("88 problems were not attempted"), std::string::npos) << r.err;
  EXPECT_EQ(openLogs(), 0);

  r = RunCliWith(with({"scan", "--format", "csv"}));
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1 + 88);
  r = RunCliWith({"backups", "restore", "half", "--offline", in.Root()});
  EXPECT_NE(r.out.find("Restored 512 values"), std::string::npos) << r.out;
  r = RunCliWith(with({"scan", "--format", "csv"}));
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1 + kValues);
}

}  // namespace
}  // namespace hw
