#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_target.h"
#include "cli/offline_environment.h"
#include "cli/offline_installation.h"
#include "cli/cli_run.h"
#include "platform/blank_hive.h"
#include "platform/hive_header.h"
#include "platform/system_info.h"
#include "support/test_installation.h"

namespace hw {
namespace {
namespace fs = std::filesystem;
using test::TestInstallation;

#define SKIP_WITHOUT_TESTDATA()                                              \
  if (const std::string why = TestInstallation::SkipReason(); !why.empty()) \
  GTEST_SKIP() << why

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The installation lookup over folders of several shapes, and what the
// program says about each.
TEST(OfflineTarget, FindsTheInstallationOrSaysWhatIsMissing) {
  SKIP_WITHOUT_TESTDATA();
  TestInstallation one;
  TestInstallation two({{"anna", "Bert"}, "WINNT", "Documents and Settings"});
  fs::create_directories(two.Root() + "/Documents and Settings/All Users");
  fs::create_directories(two.Root() + "/Documents and Settings/Default User");
  const std::string notAnInstallation = one.Scratch() + "/empty";
  fs::create_directories(notAnInstallation + "/Windows/System32");

  const struct {
    const char* what;
    std::string root, user;
    std::vector<DriveMapping> drives;
    int status;
    std::string message, windows, chosen;
  } cases[] = {
      {"one profile, taken without --user", one.Root(), "", {}, 0, "", "C:\\Windows", "anna"},
      {"a user named in another case", one.Root(), "ANNA", {}, 0, "", "C:\\Windows", "anna"},
      {"an unknown user", one.Root(), "carl", {}, 2, "no profile 'carl'", "", ""},
      {"several profiles, no --user", two.Root(), "", {}, 2,
       "several profiles (Bert, anna); choose one with --user NAME", "", ""},
      {"several profiles, one chosen; older layout", two.Root(), "bert", {}, 0, "", "C:\\WINNT", "Bert"},
      {"a ROOT that does not exist", one.Scratch() + "/nowhere", "", {}, 3, "nowhere does not exist", "", ""},
      {"a ROOT that is not an installation", notAnInstallation, "", {}, 3,
       "is not a Windows installation: no Windows\\System32\\config\\SOFTWARE and SYSTEM", "", ""},
      {"a --drive folder that is missing", one.Root(), "", {{'D', one.Scratch() + "/no-d"}}, 3,
       "no-d of drive D: does not exist", "", ""},
  };
  for (const auto& c : cases) {
    const InstallationLookup found = FindOfflineInstallation(c.root, c.user, c.drives);
    EXPECT_EQ(found.status, c.status) << c.what << ": " << found.message;
    EXPECT_NE(found.message.find(c.message), std::string::npos) << c.what << ": " << found.message;
    if (c.status != 0) {
      std::vector<std::string> args = {"scan", "--offline", c.root};
      if (!c.user.empty()) args.insert(args.end(), {"--user", c.user});
      for (const DriveMapping& d : c.drives) args.insert(args.end(), {"--drive", std::string(1, d.letter) + "=" + d.folder});
      const test::CliResult r = test::RunCliWith(args);
      EXPECT_EQ(r.status, c.status) << c.what;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
      continue;
    }
    EXPECT_EQ(found.installation.windowsFolder, c.windows) << c.what;
    EXPECT_EQ(found.installation.user, c.chosen) << c.what;
    EXPECT_TRUE(fs::exists(found.installation.userHive)) << c.what;
  }
  const test::CliResult live = test::RunCliWith({"scan"});
  EXPECT_EQ(live.status, kExitUsage);
  EXPECT_NE(live.err.find("there is no live registry here; use --offline ROOT"), std::string::npos) << live.err;
}

// Variables as the installation itself would expand them, none from this
// process's environment.
TEST(OfflineTarget, EnvironmentComesFromTheInstallation) {
  SKIP_WITHOUT_TESTDATA();
  TestInstallation in;
  in.Edit([](test::RegistryBuilder& b, RegistryApi&) {
    b.String(kHkeyCurrentUser, "Environment", "ToolHome", "%ProgramFiles%\\Tool", kRegExpandSz);
    b.String(kHkeyCurrentUser, "Environment", "Plain", "%ProgramFiles%\\Tool");
  });
  setenv("HW_FROM_LINUX", "leak", 1);
  CliOptions o;
  o.offline = true;
  o.root = in.Root();
  TargetOpening t = OpenCliTarget(o, false);
  ASSERT_EQ(t.status, 0) << t.error;
  SystemInfo& system = t.target->Get().system;
  const struct {
    const char* name;
    const char* value;  // null: not defined
  } cases[] = {
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
  for (const auto& c : cases) {
    std::string value;
    const bool defined = system.GetEnvironmentVariable(c.name, &value);
    EXPECT_EQ(defined, c.value != nullptr) << c.name << " = " << value;
    if (c.value) {
      EXPECT_EQ(value, c.value) << c.name;
    }
  }
  EXPECT_EQ(system.WindowsDirectory(), "C:\\Windows");
  EXPECT_EQ(system.Family(), PlatformFamily::kWinNt);
  EXPECT_EQ(t.target->Report().family, "WIN2K");
  EXPECT_EQ(t.target->Report().user, "anna");
  unsetenv("HW_FROM_LINUX");

  const std::vector<std::pair<std::string, std::string>> vars = {{"A", "1"}, {"b", "%A%"}};
  EXPECT_EQ(ExpandVariables(vars, "%a%%B%%c%%%A%"), "1%A%%c%%1");
  EXPECT_EQ(ExpandVariables(vars, "50% of %A"), "50% of %A");
}

// A hive whose sequence numbers differ is scanned with a warning, and a
// repair or a restore refuses before anything is written.
TEST(OfflineTarget, HiveNotSavedCleanlyIsNeverWritten) {
  SKIP_WITHOUT_TESTDATA();
  TestInstallation in;
  const std::string hive = in.UserHive("anna");
  {
    // As Windows leaves it when it stops between its two writes: the
    // secondary number behind, the checksum over the new header.
    std::string block = Bytes(hive).substr(0, 512);
    block[8] = char(block[4] - 1);
    const std::uint32_t sum = HiveHeaderChecksum(block);
    for (int i = 0; i < 4; ++i) block[508 + i] = char(sum >> (8 * i));
    std::fstream f(hive, std::ios::in | std::ios::out | std::ios::binary);
    f.write(block.data(), 512);
  }
  const HiveHeader h = ReadHiveHeader(hive);
  ASSERT_EQ(h.read, HiveHeader::Read::kOk);
  EXPECT_FALSE(h.Clean());
  EXPECT_TRUE(ReadHiveHeader(in.SystemHive()).Clean());
  EXPECT_EQ(ReadHiveHeader(in.Root()).read, HiveHeader::Read::kUnreadable);
  in.MakeFile("short", "regf\1\0");
  EXPECT_EQ(ReadHiveHeader(in.Root() + "/short").read, HiveHeader::Read::kNotAHive);

  const std::string before[] = {Bytes(hive), Bytes(in.SoftwareHive()), Bytes(in.SystemHive())};
  const std::vector<std::string> lines[] = {
      {"repair", "--yes", "--offline", in.Root()},
      {"repair", "--yes", "--no-backup", "--sections", "SL", "--offline", in.Root()},
      {"backups", "restore", "any", "--offline", in.Root()},
  };
  for (const auto& args : lines) {
    const test::CliResult r = test::RunCliWith(args);
    EXPECT_EQ(r.status, kExitDirtyHive) << args[0];
    EXPECT_NE(r.err.find(hive), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("hivex does not replay the logs; writing would lose the changes in them"), std::string::npos)
        << r.err;
  }
  EXPECT_EQ(Bytes(hive), before[0]);
  EXPECT_EQ(Bytes(in.SoftwareHive()), before[1]);
  EXPECT_EQ(Bytes(in.SystemHive()), before[2]);
  // Reading it is allowed, with the warning.
  CliOptions o;
  o.offline = true;
  o.root = in.Root();
  const TargetOpening t = OpenCliTarget(o, false);
  ASSERT_EQ(t.status, 0) << t.error;
  ASSERT_EQ(t.warnings.size(), 1u);
  EXPECT_NE(t.warnings[0].find("was not saved cleanly"), std::string::npos);
  EXPECT_EQ(t.target->DirtyHives(), std::vector<std::string>{hive});
}

}  // namespace
}  // namespace hw
