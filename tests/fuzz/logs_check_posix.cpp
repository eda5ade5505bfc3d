#include <cstring>
#include <filesystem>

#include "checks/problem_logs.h"
#include "checks/section_catalogue.h"
#include "fuzz/fuzz_checks.h"
#include "platform/registry_api_hive.h"
#include "platform/vb_text.h"
#include "support/registry_builder.h"
#include "support/test_paths.h"
#include "support/test_platform.h"
#include "ui/form1.h"

namespace hw::fuzz {
namespace {

struct Planted {
  const char* section;
  const char* text;
  const char* key;
  const char* name;
};

// Values of the offline machine that the seeds' logs name as problems.
const Planted kPlanted[] = {
    {"[Startup Programmes]", "C:\\Gone\\run.exe", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "run"},
    {"[Startup Programmes]", "C:\\Gone\\b.exe /min", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "b"},
    {"[Shared Programmes]", "C:\\Gone\\lib.dll", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
     "C:\\Gone\\lib.dll"},
    {"[Custome Controls]", "C:\\Gone\\x.ocx", "SOFTWARE\\Classes\\CLSID\\{HW-1}\\InprocServer32", "(Default)"},
};

std::vector<std::string> ReadLines(FileServices& files, const std::string& path) {
  std::vector<std::string> lines;
  if (!files.FileExists(path)) return lines;
  auto in = files.OpenTextFile(path);
  while (!in->AtEndOfStream()) lines.push_back(in->ReadLine());
  in->Close();
  return lines;
}

// An offline machine with the planted values, opened read only.
std::unique_ptr<HiveRegistry> OpenPlantedMachine(const std::string& hives) {
  OfflineMachine m;
  m.softwareHive = hives + "/SOFTWARE";
  m.systemHive = hives + "/SYSTEM";
  m.userHive = hives + "/NTUSER.DAT";
  m.settingsHive = hives + "/settings.hiv";
  std::string error;
  for (const std::string* path : {&m.softwareHive, &m.systemHive, &m.userHive})
    if (!HiveRegistry::WriteBlankHive(*path, &error)) throw Violation(error);
  {
    auto writable = HiveRegistry::Open(m, &error);
    if (!writable) throw Violation(error);
    test::RegistryBuilder b(*writable);
    for (const Planted& p : kPlanted)
      if (!b.String(kHkeyLocalMachine, p.key, std::string(p.name) == "(Default)" ? "" : p.name, p.text))
        throw Violation(std::string("cannot plant ") + p.key);
    if (writable->Flush() != kErrorSuccess) throw Violation(writable->LastFlushError());
  }
  m.readOnly = true;
  auto registry = HiveRegistry::Open(m, &error);
  if (!registry) throw Violation(error);
  return registry;
}

// The main window over an offline machine whose registry refuses every
// write, so a repair can only plan: find lines, locations and values, save
// and take back backup records, and delete nothing.
struct LogsRig {
  LogsRig() { form.Form_Load(); }
  ~LogsRig() {
    registry.reset();
    test::RemoveTree(hives);
  }

  std::string hives = test::MakeTempFolder("hw-fuzz-logs");
  std::unique_ptr<HiveRegistry> registry = OpenPlantedMachine(hives);
  std::unique_ptr<test::ScratchFolder> folder = test::MakeScratchFolder();
  std::unique_ptr<SystemInfo> system = test::MakeRealSystemInfo(*folder, folder->Root() + "\\Prog");
  std::unique_ptr<ShortcutReader> shortcuts = test::MakeRealShortcutReader(*folder);
  NullMessagePump pump;
  test::ScriptedDialogs dialogs;
  test::RecordingShell shell;
  Platform platform{*registry, folder->Files(), *system, *shortcuts, pump, dialogs, shell};
  NullForm1View view;
  Form1 form{platform, view};
};

bool IsSubsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
  std::size_t i = 0;
  for (const std::string& line : whole)
    if (i < part.size() && part[i] == line) ++i;
  return i == part.size();
}

}  // namespace

void CheckProblemLogs(const std::string& input) {
  static LogsRig rig;
  Form1& form = rig.form;
  FileServices& files = rig.folder->Files();
  const std::size_t mark = input.find(kAlErrLogMark);
  const std::string errPath = form.problemLogs.ErrLogPath(), alErrPath = form.problemLogs.AlErrLogPath();
  rig.folder->WriteFile(errPath, input.substr(0, mark));
  if (mark == std::string::npos) {
    if (files.FileExists(alErrPath)) files.DeleteFile(alErrPath, true);
  } else {
    rig.folder->WriteFile(alErrPath, input.substr(mark + std::strlen(kAlErrLogMark)));
  }
  const std::vector<std::string> before = ReadLines(files, errPath);

  // The results as the end of a scan fills them.
  form.nodeNumber = 0;
  form.BuildSectionTree();
  for (const Section& s : SectionCatalogue())
    if (s.search != SectionSearch::kFiles) form.FillSectionResults(s.caption, s.code);
  std::vector<std::string> drives;
  for (const TreeNode* d : form.tvwTree.Find("Scan")->Children()) drives.push_back(d->key);
  for (const std::string& d : drives) form.FillSectionResults(Left(d, 1) + "Scan for Shortcuts", d);

  int registryProblems = 0;
  std::size_t problems = 0;
  for (TreeNode* node : form.tvwTree.Nodes()) {
    if (!Contains(node->key, "Err", true)) continue;
    ++problems;
    Require(form.tvwTree.Find(node->key) == node, "two problem nodes share the key " + node->key);
    Require(node->text.find('\n') == std::string::npos, "a problem text holds a line end");
    const TreeNode* group = node->Parent() ? node->Parent()->Parent() : nullptr;
    Require(group && (group->key == "Reg" || group->key == "Scan"), "a problem hangs outside a section");
    if (group->key == "Scan") {
      node->image = "NoneDrive";  // shortcut files stay; the repair only plans
    } else {
      ++registryProblems;
    }
  }
  Require(problems <= before.size(), "more problems listed than err.log has lines");

  form.BackupName.clear();
  rig.dialogs.messages.clear();
  form.nxt_Click();
  Require(form.lastRepair.selected == registryProblems, "the repair took other problems than the ticked ones");
  Require(form.lastRepair.repaired == 0, "a value was reported deleted from a registry that refuses writes");
  const std::vector<std::string> after = ReadLines(files, errPath);
  Require(IsSubsequence(after, before) && before.size() - after.size() <= std::size_t(registryProblems),
          "the repair changed err.log other than by removing lines of its problems");

  // Nothing was deleted, so no backup record may stay behind.
  const std::string backups = rig.folder->Host(form.settings.BackupFolder());
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(backups, ec)) {
    Require(std::filesystem::file_size(e.path()) == 0, "a backup keeps a record of a value not deleted");
    std::filesystem::remove(e.path());
  }
}

std::vector<std::string> ProblemLogSeeds() {
  std::string err, alerr, lastSection;
  int n = 0;
  for (const Planted& p : kPlanted) {
    if (p.section != lastSection) err += std::string(p.section) + "\r\n";
    lastSection = p.section;
    const std::string number = std::to_string(++n);
    err += number + "." + p.text + "\r\n";
    alerr += number + ".HKEY_LOCAL_MACHINE,/" + p.key + "#(" + p.name + ")\r\n";
  }
  const std::string shortcuts = "[Scan for Shortcuts]\r\n5.C:\\Links\\gone.lnk\r\n";
  alerr += "5.C:\\Gone\\Folder\r\n";
  return {err + kAlErrLogMark + alerr, err + shortcuts + kAlErrLogMark + alerr, err,
          "[Startup Programmes]\r\n1.C:\\\\Gone\\\\run.exe\r\n[Startup Programmes]\r\n2.x\r\n" +
              std::string(kAlErrLogMark) + "1.HKEY_LOCAL_MACHINE,/" + kPlanted[0].key + "#(run)\r\n"};
}

}  // namespace hw::fuzz
