// Portable, unlike the other checks: the command line is parsed the same on
// both builds, and the option tests of both run it.
#include <algorithm>
#include <cctype>

#include "checks/section_catalogue.h"
#include "cli/cli_options.h"
#include "fuzz/fuzz_checks.h"

namespace hw::fuzz {
namespace {

// The arguments are the input split at NUL bytes and newlines.
std::vector<std::string> Arguments(const std::string& input) {
  std::vector<std::string> args(1);
  for (char c : input) {
    if (c == '\0' || c == '\n') args.emplace_back();
    else args.back() += c;
  }
  if (args.size() == 1 && args[0].empty()) args.clear();
  return args;
}

// The line an options struct stands for, in one canonical spelling.
std::vector<std::string> LineOf(const CliOptions& o) {
  std::vector<std::string> a;
  const char* commands[] = {"scan", "repair", "backups"};
  a.push_back(commands[int(o.command)]);
  if (o.command == CliCommand::kBackups) {
    const char* actions[] = {"list", "restore", "export", "delete"};
    a.push_back(actions[int(o.backupsAction)]);
    a.insert(a.end(), o.backupNames.begin(), o.backupNames.end());
  }
  auto joined = [](const std::vector<std::string>& v, const char* sep) {
    std::string s;
    for (const std::string& e : v) s += (s.empty() ? "" : sep) + e;
    return s;
  };
  if (!o.sections.empty()) a.insert(a.end(), {"--sections", joined(o.sections, ",")});
  if (!o.drives.empty()) a.insert(a.end(), {"--drives", joined(o.drives, "")});
  if (o.noExclusions) a.push_back("--no-exclusions");
  const char* formats[] = {"text", "json", "csv"};
  if (o.command == CliCommand::kScan) a.push_back(std::string("--format=") + formats[int(o.format)]);
  if (!o.output.empty()) a.push_back("--output=" + o.output);
  if (!o.fromReport.empty()) a.push_back("--from=" + o.fromReport);
  if (!o.backupName.empty()) a.push_back("--backup=" + o.backupName);
  if (o.noBackup) a.push_back("--no-backup");
  if (o.yes) a.push_back("--yes");
  if (o.offline) a.push_back("--offline=" + o.root);
  if (!o.user.empty()) a.push_back("--user=" + o.user);
  for (const DriveMapping& d : o.extraDrives) a.push_back("--drive=" + std::string(1, d.letter) + "=" + d.folder);
  if (!o.logFolder.empty()) a.push_back("--log-folder=" + o.logFolder);
  if (!o.backupFolder.empty()) a.push_back("--backup-folder=" + o.backupFolder);
  if (o.quiet) a.push_back("--quiet");
  return a;
}

void RequireConsistent(const CliOptions& o) {
  const auto& all = SectionCatalogue();
  std::size_t at = 0;
  for (const std::string& code : o.sections) {
    while (at < all.size() && code != all[at].code) ++at;
    Require(at < all.size(), "section '" + code + "' is not a catalogue code in catalogue order, once");
    ++at;
  }
  for (std::size_t i = 0; i < o.drives.size(); ++i) {
    const std::string& d = o.drives[i];
    Require(d.size() == 1 && d[0] >= 'A' && d[0] <= 'Z', "drive '" + d + "' is not one upper-case letter");
    Require(std::count(o.drives.begin(), o.drives.end(), d) == 1, "drive " + d + " twice");
  }
  for (const DriveMapping& m : o.extraDrives) {
    Require(m.letter >= 'A' && m.letter <= 'Z' && m.letter != 'C', "a mapped drive letter that is not one, or C");
    Require(!m.folder.empty(), "a mapped drive without a folder");
    Require(std::count_if(o.extraDrives.begin(), o.extraDrives.end(),
                          [&](const DriveMapping& e) { return e.letter == m.letter; }) == 1,
            "a drive mapped twice");
  }
  Require(o.offline == !o.root.empty(), "--offline without ROOT, or ROOT without --offline");
  Require(o.offline || (o.user.empty() && o.extraDrives.empty()), "--user or --drive without --offline");
  Require(!(o.noBackup && !o.backupName.empty()), "--backup with --no-backup");
  Require(o.backupName.find_first_of("\\/:*?\"<>|") == std::string::npos, "a backup name no file can have");
  Require(o.fromReport.empty() || (o.sections.empty() && o.drives.empty()), "--from with a selection");
  const bool repair = o.command == CliCommand::kRepair;
  Require(repair || (o.fromReport.empty() && o.backupName.empty() && !o.noBackup && !o.yes),
          "repair options on another command");
  Require(o.command != CliCommand::kBackups || (o.sections.empty() && o.drives.empty() && !o.noExclusions),
          "a selection on backups");
  if (o.command == CliCommand::kBackups) {
    Require((o.backupsAction == BackupsAction::kList) == o.backupNames.empty(), "backup names and action disagree");
    for (const std::string& n : o.backupNames) Require(!n.empty(), "an empty backup name");
    Require(o.output.empty() || o.backupsAction == BackupsAction::kExport, "--output on a backups action but export");
  }
  Require(o.output.empty() || !repair, "--output on repair");
}

}  // namespace

std::string CanonicalLine(const CliOptions& options) {
  std::string line;
  for (const std::string& word : LineOf(options)) line += (line.empty() ? "" : " ") + word;
  return line;
}

void CheckCommandLine(const std::string& input) {
  const std::vector<std::string> args = Arguments(input);
  const CliParse p = ParseCommandLine(args);
  if (!p.ok) {
    Require(!p.error.empty(), "a refused line without a message");
    Require(p.error.find('\n') == std::string::npos, "a message of more than one line");
    return;
  }
  Require(p.error.empty(), "an accepted line with an error message");
  const CliOptions& o = p.options;
  if (o.command == CliCommand::kHelp || o.command == CliCommand::kVersion) {
    const bool asked = std::any_of(args.begin(), args.end(), [&](const std::string& a) {
      return a == (o.command == CliCommand::kHelp ? "--help" : "--version") || (o.command == CliCommand::kHelp && a == "-h");
    });
    Require(asked, "help or version that nobody asked for");
    return;
  }
  RequireConsistent(o);
  // The same options written out again parse to themselves.
  const CliParse again = ParseCommandLine(LineOf(o));
  Require(again.ok, "the canonical line of accepted options is refused: " + again.error);
  Require(LineOf(again.options) == LineOf(o) && again.options.format == o.format,
          "the canonical line of accepted options parses to other options");
}

}  // namespace hw::fuzz
