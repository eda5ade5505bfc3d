#include "cli/cli_options.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>

#include "checks/section_catalogue.h"
#include "platform/vb_text.h"

namespace hw {
namespace {

struct Failure {
  std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

std::string KnownSections() {
  std::string all;
  for (const Section& s : SectionCatalogue()) all += (all.empty() ? "" : ",") + std::string(s.code);
  return all;
}

std::vector<std::string> ParseSections(const std::string& text) {
  std::vector<bool> chosen(kSectionCount, false);
  std::size_t start = 0;
  bool any = false;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string code = Trim(text.substr(start, comma - start));
    start = comma + 1;
    if (code.empty()) continue;
    const auto& all = SectionCatalogue();
    auto it = std::find_if(all.begin(), all.end(), [&](const Section& s) { return EqualsNoCase(s.code, code); });
    if (it == all.end()) Fail("unknown section '" + code + "' (sections: " + KnownSections() + ")");
    chosen[std::size_t(it - all.begin())] = true;
    any = true;
  }
  if (!any) Fail("--sections needs at least one section code (" + KnownSections() + ")");
  std::vector<std::string> codes;
  for (int i = 0; i < kSectionCount; ++i)
    if (chosen[std::size_t(i)]) codes.push_back(SectionCatalogue()[std::size_t(i)].code);
  return codes;
}

// "CD", "C,D" and "C:,D:" all name drives C and D.
std::vector<std::string> ParseDrives(const std::string& text) {
  std::vector<std::string> letters;
  for (char c : text) {
    if (c == ',' || c == ':' || c == ' ') continue;
    if (!std::isalpha(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) > 0x7F)
      Fail("--drives takes drive letters such as CD, not '" + text + "'");
    const std::string letter(1, char(std::toupper(static_cast<unsigned char>(c))));
    if (std::find(letters.begin(), letters.end(), letter) == letters.end()) letters.push_back(letter);
  }
  if (letters.empty()) Fail("--drives needs at least one drive letter");
  return letters;
}

DriveMapping ParseDriveMapping(const std::string& text) {
  if (text.size() < 3 || text[1] != '=' || !std::isalpha(static_cast<unsigned char>(text[0])) ||
      static_cast<unsigned char>(text[0]) > 0x7F)
    Fail("--drive takes LETTER=FOLDER, such as D=/mnt/data, not '" + text + "'");
  DriveMapping d;
  d.letter = char(std::toupper(static_cast<unsigned char>(text[0])));
  d.folder = text.substr(2);
  if (d.letter == 'C') Fail("--drive C=... is not possible: drive C is the installation's folder (ROOT)");
  return d;
}

enum class Scope { kAll, kSelection, kScan, kRepair, kBackups, kOffline };

struct OptionRule {
  const char* name;
  bool takesValue;
  Scope scope;
};

constexpr OptionRule kOptions[] = {
    {"--sections", true, Scope::kSelection},   {"--drives", true, Scope::kSelection},
    {"--no-exclusions", false, Scope::kSelection}, {"--format", true, Scope::kScan},
    {"--output", true, Scope::kAll},           {"--from", true, Scope::kRepair},
    {"--backup", true, Scope::kRepair},        {"--no-backup", false, Scope::kRepair},
    {"--yes", false, Scope::kRepair},          {"--offline", true, Scope::kAll},
    {"--user", true, Scope::kOffline},         {"--drive", true, Scope::kOffline},
    {"--log-folder", true, Scope::kAll},       {"--backup-folder", true, Scope::kAll},
    {"--quiet", false, Scope::kAll},           {"--help", false, Scope::kAll},
    {"--version", false, Scope::kAll},
};

const OptionRule* FindOption(const std::string& name) {
  for (const OptionRule& o : kOptions)
    if (name == o.name) return &o;
  return nullptr;
}

const char* CommandName(CliCommand c) {
  switch (c) {
    case CliCommand::kScan: return "scan";
    case CliCommand::kRepair: return "repair";
    case CliCommand::kBackups: return "backups";
    default: return "";
  }
}

struct Given {
  std::string name, value;
};

CliOptions Parse(const std::vector<std::string>& args) {
  CliOptions o;
  std::vector<Given> given;
  std::vector<std::string> words;
  bool haveCommand = false, help = false, version = false;
  // Asking for help is never a usage error, whatever else the line holds.
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") {
      o.command = CliCommand::kHelp;
      return o;
    }
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      std::string name = a, value;
      bool inlineValue = false;
      const std::size_t eq = a.find('=');
      if (eq != std::string::npos) {
        name = a.substr(0, eq);
        value = a.substr(eq + 1);
        inlineValue = true;
      }
      const OptionRule* option = FindOption(name);
      if (!option) Fail("unknown option '" + name + "'");
      if (option->takesValue && !inlineValue) {
        if (i + 1 >= args.size()) Fail(name + " needs a value");
        value = args[++i];
      } else if (!option->takesValue && inlineValue) {
        Fail(name + " takes no value");
      }
      if (name == "--help") help = true;
      else if (name == "--version") version = true;
      else given.push_back({name, value});
    } else if (a == "-h") {
      help = true;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      Fail("unknown option '" + a + "'");
    } else if (!haveCommand) {
      if (a == "scan") o.command = CliCommand::kScan;
      else if (a == "repair") o.command = CliCommand::kRepair;
      else if (a == "backups") o.command = CliCommand::kBackups;
      else Fail("unknown command '" + a + "' (commands: scan, repair, backups)");
      haveCommand = true;
    } else {
      words.push_back(a);
    }
  }
  if (help) {
    o = CliOptions();
    o.command = CliCommand::kHelp;
    return o;
  }
  if (version) {
    if (haveCommand || !given.empty() || !words.empty()) Fail("--version stands alone");
    o.command = CliCommand::kVersion;
    return o;
  }
  if (!haveCommand) Fail("no command given (scan, repair or backups)");

  std::map<std::string, int> seen;
  for (const Given& g : given) {
    const OptionRule* option = FindOption(g.name);
    const bool repeatable = g.name == "--drive";
    if (!repeatable && seen[g.name]++) Fail(g.name + " is given twice");
    const bool allowed =
        option->scope == Scope::kAll || option->scope == Scope::kOffline ||
        (option->scope == Scope::kSelection && o.command != CliCommand::kBackups) ||
        (option->scope == Scope::kScan && o.command == CliCommand::kScan) ||
        (option->scope == Scope::kRepair && o.command == CliCommand::kRepair);
    // --output names the report (scan) or the folder of exported files.
    const bool outputAllowed = g.name != "--output" || o.command != CliCommand::kRepair;
    if (!allowed || !outputAllowed)
      Fail(g.name + " does not go with '" + CommandName(o.command) + "'");
    if (option->takesValue && g.value.empty()) Fail(g.name + " needs a value");

    if (g.name == "--sections") o.sections = ParseSections(g.value);
    else if (g.name == "--drives") o.drives = ParseDrives(g.value);
    else if (g.name == "--no-exclusions") o.noExclusions = true;
    else if (g.name == "--format") {
      if (g.value == "text") o.format = ReportFormat::kText;
      else if (g.value == "json") o.format = ReportFormat::kJson;
      else if (g.value == "csv") o.format = ReportFormat::kCsv;
      else Fail("--format is text, json or csv, not '" + g.value + "'");
    } else if (g.name == "--output") o.output = g.value;
    else if (g.name == "--from") o.fromReport = g.value;
    else if (g.name == "--backup") o.backupName = g.value;
    else if (g.name == "--no-backup") o.noBackup = true;
    else if (g.name == "--yes") o.yes = true;
    else if (g.name == "--offline") {
      o.offline = true;
      o.root = g.value;
    } else if (g.name == "--user") o.user = g.value;
    else if (g.name == "--drive") {
      DriveMapping d = ParseDriveMapping(g.value);
      for (const DriveMapping& e : o.extraDrives)
        if (e.letter == d.letter) Fail(std::string("drive ") + d.letter + " is mapped twice");
      o.extraDrives.push_back(d);
    } else if (g.name == "--log-folder") o.logFolder = g.value;
    else if (g.name == "--backup-folder") o.backupFolder = g.value;
    else if (g.name == "--quiet") o.quiet = true;
  }

  if (!o.offline && (seen.count("--user") || !o.extraDrives.empty()))
    Fail(std::string(seen.count("--user") ? "--user" : "--drive") + " needs --offline ROOT");
  if (o.command == CliCommand::kRepair) {
    if (!o.fromReport.empty() && (seen.count("--sections") || seen.count("--drives")))
      Fail("--from takes the selection from the report; leave out --sections and --drives");
    if (o.noBackup && seen.count("--backup")) Fail("--backup and --no-backup exclude each other");
    if (seen.count("--backup")) {
      // The window's rule for a typed name: these characters cannot be in a file name.
      static const char kBad[] = "\\/:*?\"<>|";
      if (o.backupName.find_first_of(kBad) != std::string::npos)
        Fail("a backup name cannot hold any of \\ / : * ? \" < > |");
      if (Trim(o.backupName).empty()) Fail("--backup needs a name");
      if (o.backupName.size() > 256) Fail("a backup name has at most 256 characters");
    }
  }
  if (o.command == CliCommand::kBackups) {
    if (words.empty()) Fail("backups needs list, restore, export or delete");
    const std::string action = words.front();
    words.erase(words.begin());
    if (action == "list") o.backupsAction = BackupsAction::kList;
    else if (action == "restore") o.backupsAction = BackupsAction::kRestore;
    else if (action == "export") o.backupsAction = BackupsAction::kExport;
    else if (action == "delete") o.backupsAction = BackupsAction::kDelete;
    else Fail("unknown backups action '" + action + "' (list, restore, export, delete)");
    if (o.backupsAction == BackupsAction::kList && !words.empty())
      Fail("backups list takes no names");
    if (o.backupsAction != BackupsAction::kList && words.empty())
      Fail("backups " + action + " needs at least one backup name");
    if (o.backupsAction != BackupsAction::kExport && seen.count("--output"))
      Fail("--output goes with 'backups export' only");
    for (const std::string& w : words)
      if (w.empty()) Fail("a backup name cannot be empty");
    o.backupNames = words;
    words.clear();
  }
  if (!words.empty()) Fail("unexpected argument '" + words.front() + "'");
  return o;
}

}  // namespace

CliParse ParseCommandLine(const std::vector<std::string>& args) {
  CliParse result;
  try {
    result.options = Parse(args);
    result.ok = true;
  } catch (const Failure& f) {
    result.error = f.message;
  }
  return result;
}

std::string CliHelpText() {
  return R"(Usage:
  hivewright-cli scan    [SELECTION] [--format text|json|csv] [--output FILE] [TARGET]
  hivewright-cli repair  [SELECTION | --from REPORT.json] [--backup NAME | --no-backup] [--yes] [TARGET]
  hivewright-cli backups list | restore NAME... | export NAME... [--output FOLDER] | delete NAME...  [TARGET]
  hivewright-cli --help | --version

Finds registry entries and shortcut files that name files, folders or
programs that no longer exist, and deletes them, with a backup first.

SELECTION:
  --sections CODES   comma-separated section codes, any case:
                     RI,CC,SL,DD,WF,HR,SP,SuP,ArP,VD,Scan (default: all)
  --drives LETTERS   fixed drives whose shortcut files are searched,
                     e.g. CD (default: all)
  --no-exclusions    ignore the exclusion list for this run

TARGET:
  (nothing)          the running system's registry (Windows; under Wine,
                     the prefix's)
  --offline ROOT     an installation that is not running: ROOT holds its
                     Windows\System32\config\SOFTWARE and SYSTEM and
                     Users\NAME\NTUSER.DAT; ROOT is its drive C:
  --user NAME        the profile whose NTUSER.DAT is HKEY_CURRENT_USER
                     (needed when there are several)
  --drive X=DIR      maps drive X: of the installation to folder DIR
                     (repeatable)

Other options:
  --format FORMAT    report as text (default), json or csv
  --output FILE      write the report to FILE instead of standard output
  --from REPORT.json repair from a report of 'scan --format json', perhaps
                     edited: the report's sections are scanned afresh and
                     only the problems that the fresh scan finds AND the
                     report still lists are repaired; nothing the fresh scan
                     does not confirm is touched
  --backup NAME      back the deleted values up into NAME.bak (default: a
                     new "Automatic Backup[N]")
  --no-backup        delete without a backup
  --yes              repair without asking (needed without a terminal)
  --log-folder DIR   where the problem logs go (overrides the settings)
  --backup-folder DIR  where the backups are (overrides the settings)
  --quiet            no progress line
  --help, --version

Exit status: 0 nothing found or everything done; 1 problems found (scan) or
some not repaired or restored; 2 usage error; 3 a registry, hive, folder or
file could not be opened; 4 a hive not saved cleanly would have been
written; 130 stopped by Ctrl+C.
)";
}

}  // namespace hw
