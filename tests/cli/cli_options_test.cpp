#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_options.h"
#include "fuzz/fuzz_checks.h"
#include "cli/cli_run.h"

namespace hw {
namespace {

// Words split at spaces; "~" is an empty argument.
std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w == "~" ? "" : w);
  return words;
}

// The line as the fuzz target takes it: arguments split at newlines.
std::string Joined(const std::string& line) {
  std::string s;
  for (char c : line)
    if (c != '~') s += c == ' ' ? '\n' : c;
  return s;
}

// Lines that are not valid, and the words their message must hold.
TEST(CliOptions, UsageErrorsSayWhatIsWrong) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"", "no command"},
      {"clean", "unknown command 'clean'"},
      {"scan --sections RI,XX", "unknown section 'XX' (sections: RI,CC,SL,DD,WF,HR,SP,SuP,ArP,VD,Scan)"},
      {"scan --sections ,", "at least one section"},
      {"scan --colour", "unknown option '--colour'"},
      {"scan -x", "unknown option '-x'"},
      {"scan --offline", "--offline needs a value"},
      {"scan --offline=", "--offline needs a value"},
      {"scan --format xml", "text, json or csv"},
      {"scan --yes", "--yes does not go with 'scan'"},
      {"repair --format json", "--format does not go with 'repair'"},
      {"repair --output r.txt", "--output does not go with 'repair'"},
      {"scan --quiet=1", "--quiet takes no value"},
      {"scan --user anna", "--user needs --offline ROOT"},
      {"scan --drive D=/mnt", "--drive needs --offline ROOT"},
      {"scan --offline /r --drive D", "LETTER=FOLDER"},
      {"scan --offline /r --drive 1=/x", "LETTER=FOLDER"},
      {"scan --offline /r --drive C=/x", "drive C is the installation's folder"},
      {"scan --offline /r --drive D=/x --drive d=/y", "drive D is mapped twice"},
      {"scan --drives C1", "drive letters"},
      {"scan --sections RI --sections CC", "--sections is given twice"},
      {"repair --from r.json --sections RI", "leave out --sections"},
      {"repair --backup b --no-backup", "exclude each other"},
      {"repair --backup a/b", "cannot hold"},
      {"backups", "list, restore, export or delete"},
      {"backups show", "unknown backups action 'show'"},
      {"backups list extra", "takes no names"},
      {"backups restore", "at least one backup name"},
      {"backups restore ~", "cannot be empty"},
      {"backups list --sections RI", "--sections does not go with 'backups'"},
      {"backups restore b --output /tmp", "'backups export' only"},
      {"scan extra", "unexpected argument 'extra'"},
      {"--version scan", "--version stands alone"},
  };
  for (const auto& c : cases) {
    // Exit status 2, the message and the hint on stderr.
    const test::CliResult r = test::RunCliWith(Split(c.line));
    EXPECT_EQ(r.status, kExitUsage) << c.line;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.line << " said: " << r.err;
    EXPECT_NE(r.err.find(kCliUsageHint), std::string::npos) << c.line;
    EXPECT_EQ(r.out, "") << c.line;
    EXPECT_NO_THROW(fuzz::CheckCommandLine(Joined(c.line))) << c.line;
  }
}

// Valid lines and the options they give, written out canonically (every
// field of the options is in that line); --help wins over anything.
TEST(CliOptions, ValidLinesGiveTheirOptions) {
  const struct {
    const char *line, *options;
  } cases[] = {
      {"scan --sections scan,ri,SUP,Ri --drives c:,d,C --format=json --output r.json --offline /mnt/win --user Anna "
       "--drive e=/mnt/e --drive F=/f=g --quiet --no-exclusions --log-folder /l --backup-folder /b",
       "scan --sections RI,SuP,Scan --drives CD --no-exclusions --format=json --output=r.json --offline=/mnt/win "
       "--user=Anna --drive=E=/mnt/e --drive=F=/f=g --log-folder=/l --backup-folder=/b --quiet"},
      {"scan", "scan --format=text"},
      {"repair --from r.json --no-backup --yes --offline /w", "repair --from=r.json --no-backup --yes --offline=/w"},
      {"repair --sections HR --backup kept", "repair --sections HR --backup=kept"},
      {"backups restore one two --offline /w", "backups restore one two --offline=/w"},
      {"backups export one --output /tmp/x", "backups export one --output=/tmp/x"},
      {"backups list", "backups list"},
      {"--help", "help"},          {"-h", "help"},
      {"repair --bogus --help", "help"},
  };
  for (const auto& c : cases) {
    const CliParse p = ParseCommandLine(Split(c.line));
    ASSERT_TRUE(p.ok) << c.line << ": " << p.error;
    EXPECT_EQ(p.options.command == CliCommand::kHelp ? "help" : fuzz::CanonicalLine(p.options), c.options) << c.line;
    EXPECT_NO_THROW(fuzz::CheckCommandLine(Joined(c.line))) << c.line;
  }
  const test::CliResult help = test::RunCliWith({"--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_NE(help.out.find("--from REPORT.json"), std::string::npos);
  EXPECT_NE(help.out.find("nothing the fresh scan"), std::string::npos);
  const test::CliResult version = test::RunCliWith({"--version"});
  EXPECT_EQ(version.status, kExitOk);
  EXPECT_EQ(version.out.rfind("hivewright-cli 1.", 0), 0u) << version.out;
}

}  // namespace
}  // namespace hw
