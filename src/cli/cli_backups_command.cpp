// backups: the backup folder of the target listed, restored, written out
// as .reg files or deleted, through the store the window's manager uses.
#include <cstdio>
#include <filesystem>

#include "cli/cli_commands.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "repair/backup_store.h"

namespace hw {
namespace {
namespace fs = std::filesystem;

bool Agreed(const std::string& answer) {
  const std::string a = Trim(answer);
  return a == "y" || a == "Y" || a == "yes" || a == "Yes" || a == "YES";
}

int List(BackupStore& store, CliTarget& target, CliConsole& console) {
  std::vector<BackupListing> all;
  try {
    all = store.List();
  } catch (const RuntimeError& e) {
    Say(console, "the backup folder " + target.HostPathOf(target.BackupFolder()) + " cannot be listed: " +
                     e.Description());
    return kExitCannotOpen;
  }
  for (const BackupListing& b : all) {
    const FileTime& t = b.created;
    std::fprintf(console.out, "%s\t%04d-%02d-%02d %02d:%02d:%02d\t%llu bytes\n", b.name.c_str(), t.year, t.month,
                 t.day, t.hour, t.minute, t.second, static_cast<unsigned long long>(b.size));
  }
  if (all.empty()) Say(console, "no backups in " + target.HostPathOf(target.BackupFolder()));
  return kExitOk;
}

int Restore(BackupStore& store, const CliOptions& o, CliConsole& console) {
  const BackupsRestore r = store.Restore(o.backupNames, [&console](int withOtherData) {
    if (!console.inputIsTerminal || !console.readLine) {
      Say(console, std::to_string(withOtherData) +
                       " values hold other data by now; they are left as they are (only a terminal is asked)");
      return false;
    }
    std::fprintf(console.err, "%d values hold other data by now. Overwrite them? [y/N] ", withOtherData);
    std::fflush(console.err);
    return Agreed(console.readLine());
  });
  std::fprintf(console.out, "Restored %d values and files.\n", r.restored);
  for (const std::string& f : r.foreign) std::fprintf(console.out, "Not a backup, left alone: %s\n", f.c_str());
  for (const std::string& n : r.notRestored) std::fprintf(console.out, "Not restored: %s\n", n.c_str());
  for (const std::string& k : r.kept) std::fprintf(console.out, "Backup kept: %s\n", k.c_str());
  std::fflush(console.out);
  return r.foreign.empty() && r.notRestored.empty() ? kExitOk : kExitProblems;
}

/// Moves an exported file into the folder --output names.
bool MoveInto(const std::string& file, const std::string& folder, std::string* moved) {
  std::error_code ec;
  const fs::path to = fs::path(folder) / fs::path(file).filename();
  fs::rename(file, to, ec);
  if (ec) {
    ec.clear();
    fs::copy_file(file, to, fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
    fs::remove(file, ec);
  }
  *moved = to.string();
  return true;
}

int Export(BackupStore& store, const CliOptions& o, CliTarget& target, CliConsole& console) {
  if (!o.output.empty()) {
    std::error_code ec;
    if (!fs::is_directory(o.output, ec)) {
      Say(console, "the folder " + o.output + " does not exist");
      return kExitCannotOpen;
    }
  }
  int status = kExitOk;
  for (const std::string& name : o.backupNames) {
    std::string written = target.HostPathOf(store.RegPathOf(name));
    try {
      if (store.Export(name) == 0) {
        Say(console, name + " holds no registry values; nothing written");
        status = kExitProblems;
        continue;
      }
    } catch (const RuntimeError& e) {
      Say(console, written + " cannot be written: " + e.Description());
      status = kExitCannotOpen;
      continue;
    }
    if (!o.output.empty() && !MoveInto(written, o.output, &written)) {
      Say(console, written + " cannot be moved into " + o.output);
      status = kExitCannotOpen;
      continue;
    }
    std::fprintf(console.out, "%s\n", written.c_str());
  }
  return status;
}

int Delete(BackupStore& store, const CliOptions& o, CliConsole& console) {
  int status = kExitOk;
  for (const std::string& name : o.backupNames) {
    try {
      store.Delete(name);
      std::fprintf(console.out, "Deleted %s\n", name.c_str());
    } catch (const RuntimeError& e) {
      Say(console, name + " cannot be deleted: " + e.Description());
      status = kExitProblems;
    }
  }
  return status;
}

}  // namespace

int RunBackupsCommand(const CliOptions& o, CliTarget& target, CliConsole& console) {
  BackupStore store(target.Get().registry, target.Get().files, target.BackupFolder());
  if (o.backupsAction == BackupsAction::kList) return List(store, target, console);
  // A name that is not there is said before anything is done to the others.
  for (const std::string& name : o.backupNames) {
    if (!target.Get().files.FileExists(store.PathOf(name))) {
      Say(console, "there is no backup " + target.HostPathOf(store.PathOf(name)));
      return kExitCannotOpen;
    }
  }
  switch (o.backupsAction) {
    case BackupsAction::kRestore: return Restore(store, o, console);
    case BackupsAction::kExport: return Export(store, o, target, console);
    default: return Delete(store, o, console);
  }
}

}  // namespace hw
