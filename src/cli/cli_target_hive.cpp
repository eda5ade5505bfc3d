// The offline target of the Linux build: an installation's hives through
// hivex, its drives as host folders, and the program's own folders on a
// drive letter of their own, since the core names every file in Windows form.
#include <cstdlib>
#include <filesystem>

#include "cli/cli_target.h"
#include "cli/console_dialogs.h"
#include "cli/offline_environment.h"
#include "cli/offline_installation.h"
#include "cli/settings_overlay.h"
#include "engine/drives.h"
#include "platform/file_services_posix.h"
#include "platform/hive_header.h"
#include "platform/message_pump.h"
#include "platform/registry_api_hive.h"
#include "platform/shortcut_reader_posix.h"
#include "platform/system_info_posix.h"

namespace hw {
namespace {
namespace fs = std::filesystem;

fs::path XdgFolder(const char* variable, const char* fallbackBelowHome) {
  const char* set = std::getenv(variable);
  if (set && *set && fs::path(set).is_absolute()) return fs::path(set);
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/") / fallbackBelowHome;
}

fs::path Absolute(const std::string& p) {
  std::error_code ec;
  fs::path a = fs::absolute(p, ec);
  return (ec ? fs::path(p) : a).lexically_normal();
}

fs::path CommonAncestor(const fs::path& a, const fs::path& b) {
  fs::path common;
  auto i = a.begin(), j = b.begin();
  for (; i != a.end() && j != b.end() && *i == *j; ++i, ++j) common /= *i;
  return common.empty() ? fs::path("/") : common;
}

class OfflineTarget : public CliTarget {
 public:
  Platform& Get() override { return *platform_; }

  std::string CorePathOf(const std::string& hostPath) const override {
    const fs::path rel = Absolute(hostPath).lexically_relative(programRoot_);
    if (rel.empty() || *rel.begin() == "..") return {};
    std::string path = std::string(1, programLetter_) + ":";
    for (const auto& part : rel)
      if (part != ".") path += "\\" + part.string();
    return path;
  }

  std::string HostPathOf(const std::string& corePath) const override {
    std::string host;
    return files_ && files_->HostPath(corePath, &host) ? host : std::string();
  }

  TargetOpening Open(const CliOptions& o, bool forWriting) {
    TargetOpening r;
    const InstallationLookup found = FindOfflineInstallation(o.root, o.user, o.extraDrives);
    if (found.status != 0) {
      r.status = found.status;
      r.error = found.message;
      return r;
    }
    if (!found.message.empty()) r.warnings.push_back(found.message);
    const OfflineInstallation& in = found.installation;

    for (const std::string& hive : {in.softwareHive, in.systemHive, in.userHive}) {
      if (hive.empty()) continue;
      const HiveHeader h = ReadHiveHeader(hive);
      if (h.read == HiveHeader::Read::kUnreadable) {
        r.status = 3;
        r.error = "the hive " + hive + " cannot be read";
        return r;
      }
      if (h.read == HiveHeader::Read::kNotAHive) {
        r.status = 3;
        r.error = hive + " is not a registry hive";
        return r;
      }
      if (!h.Clean()) dirty_.push_back(hive);
    }
    if (!dirty_.empty()) {
      if (forWriting) {
        r.status = 4;
        r.error = DirtyHiveRefusal(dirty_);
        return r;
      }
      for (const std::string& d : dirty_)
        r.warnings.push_back("warning: the hive " + d +
                             " was not saved cleanly (changes are still in its .LOG1/.LOG2); scanning what the file holds");
    }

    const fs::path state = XdgFolder("XDG_STATE_HOME", ".local/state") / "hivewright";
    const fs::path logs = o.logFolder.empty() ? state / "logs" : Absolute(o.logFolder);
    const fs::path backups = o.backupFolder.empty()
                                 ? XdgFolder("XDG_DATA_HOME", ".local/share") / "hivewright" / "backups"
                                 : Absolute(o.backupFolder);
    for (const fs::path& f : {state, logs, backups}) {
      std::error_code ec;
      fs::create_directories(f, ec);
      if (ec || !fs::is_directory(f, ec)) {
        r.status = 3;
        r.error = "the folder " + f.string() + " cannot be made";
        return r;
      }
    }
    programRoot_ = CommonAncestor(CommonAncestor(logs, backups), state);
    programLetter_ = 0;
    for (char l = 'Z'; l > 'C' && !programLetter_; --l) {
      bool used = false;
      for (const DriveMapping& d : in.drives) used = used || d.letter == l;
      if (!used) programLetter_ = l;
    }
    if (!programLetter_) {
      r.status = 2;
      r.error = "every drive letter is mapped; the program's own folders need one";
      return r;
    }
    logFolder_ = CorePathOf(logs.string());
    backupFolder_ = CorePathOf(backups.string());

    OfflineMachine machine;
    machine.softwareHive = in.softwareHive;
    machine.systemHive = in.systemHive;
    machine.userHive = in.userHive;
    machine.settingsHive = (state / "offline-settings.hive").string();
    machine.readOnly = !forWriting;
    std::string error;
    hives_ = HiveRegistry::Open(machine, &error);
    if (!hives_) {
      r.status = 3;
      r.error = error;
      return r;
    }
    registry_ = std::make_unique<SettingsOverlay>(
        *hives_, std::map<std::string, std::string>{{"LogFile", logFolder_}, {"BackUpFile", backupFolder_}});

    std::map<char, std::string> driveFolders;
    OfflineSystem system;
    for (const DriveMapping& d : in.drives) {
      driveFolders[d.letter] = d.folder;
      system.drives.push_back({d.letter, d.folder, kDriveFixed});
    }
    driveFolders[programLetter_] = programRoot_.string();
    system.windowsDirectory = in.windowsFolder;
    system.family = OfflineFamily(*hives_);
    for (const auto& [name, value] :
         OfflineEnvironment(*hives_, OfflineFacts{in.windowsFolder, in.user, in.profileFolder}))
      system.environment[name] = value;
    system.computerName = OfflineComputerName(*hives_);
    system.programFolder = CorePathOf(state.string());
    system.programName = "hivewright-cli";

    files_ = std::make_unique<PosixFileServices>(driveFolders);
    system_ = std::make_unique<PosixSystemInfo>(system);
    shortcuts_ = std::make_unique<PosixShortcutReader>(*files_);
    platform_ = std::make_unique<Platform>(
        Platform{*registry_, *files_, *system_, *shortcuts_, pump_, dialogs_, shell_});

    report_.kind = "offline";
    report_.root = o.root;
    report_.user = in.user;
    report_.windows = in.windowsFolder;
    report_.family = WindowsFamilyOf(system.family, in.windowsFolder);
    return r;
  }

 private:
  std::unique_ptr<HiveRegistry> hives_;
  std::unique_ptr<SettingsOverlay> registry_;
  std::unique_ptr<PosixFileServices> files_;
  std::unique_ptr<PosixSystemInfo> system_;
  std::unique_ptr<PosixShortcutReader> shortcuts_;
  NullMessagePump pump_;
  ConsoleDialogs dialogs_;
  NoShell shell_;
  std::unique_ptr<Platform> platform_;
  fs::path programRoot_;
  char programLetter_ = 0;
};

}  // namespace

TargetOpening OpenCliTarget(const CliOptions& options, bool forWriting) {
  if (!options.offline) {
    TargetOpening r;
    r.status = 2;
    r.error = "there is no live registry here; use --offline ROOT";
    return r;
  }
  auto target = std::make_unique<OfflineTarget>();
  TargetOpening r = target->Open(options, forWriting);
  if (r.status == 0) r.target = std::move(target);
  return r;
}

}  // namespace hw
