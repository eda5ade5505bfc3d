// The live target of the Windows build: the running system's registry,
// files and shell (under Wine, the prefix's), with the settings the window
// keeps; --log-folder and --backup-folder are laid over them for this run.
#include "cli/cli_target.h"
#include "cli/console_dialogs.h"
#include "cli/settings_overlay.h"
#include "engine/drives.h"
#include "platform/file_services_win32.h"
#include "platform/message_pump.h"
#include "platform/registry_api_win32.h"
#include "platform/shortcut_reader_win32.h"
#include "platform/system_info_win32.h"
#include "registry/module1.h"
#include "registry/settings.h"
#include "platform/vb_text.h"

namespace hw {
namespace {

class LiveTarget : public CliTarget {
 public:
  Platform& Get() override { return *platform_; }
  std::string CorePathOf(const std::string& hostPath) const override { return hostPath; }
  std::string HostPathOf(const std::string& corePath) const override { return corePath; }

  TargetOpening Open(const CliOptions& o) {
    TargetOpening r;
    std::map<std::string, std::string> overrides;
    if (!o.logFolder.empty()) overrides["LogFile"] = o.logFolder;
    if (!o.backupFolder.empty()) overrides["BackUpFile"] = o.backupFolder;
    registry_ = std::make_unique<SettingsOverlay>(real_, overrides);
    platform_ = std::make_unique<Platform>(Platform{*registry_, files_, system_, shortcuts_, pump_, dialogs_, shell_});
    Module1 m(*platform_);
    Settings settings(m);
    try {
      logFolder_ = m.GetLogFolder();
    } catch (const std::exception&) {
      r.status = 3;
      r.error = "the log folder " + Trim(settings.LogFolderSetting()) + " cannot be made";
      return r;
    }
    backupFolder_ = settings.BackupFolder();
    report_.kind = "live";
    report_.windows = system_.WindowsDirectory();
    report_.family = WindowsFamilyOf(system_.Family(), report_.windows);
    return r;
  }

 private:
  Win32ShortcutReader shortcuts_;  // joins this thread to a COM apartment first
  Win32Registry real_;
  Win32FileServices files_;
  Win32SystemInfo system_;
  NullMessagePump pump_;
  ConsoleDialogs dialogs_;
  NoShell shell_;
  std::unique_ptr<SettingsOverlay> registry_;
  std::unique_ptr<Platform> platform_;
};

}  // namespace

TargetOpening OpenCliTarget(const CliOptions& options, bool /*forWriting*/) {
  TargetOpening r;
  if (options.offline) {
    r.status = 2;
    r.error = "--offline works in the Linux build of hivewright-cli; this one works on the running system";
    return r;
  }
  auto target = std::make_unique<LiveTarget>();
  r = target->Open(options);
  if (r.status == 0) r.target = std::move(target);
  return r;
}

}  // namespace hw
