#pragma once
// Everything a core test needs, made of real parts: a scratch registry and a
// scratch drive through the platform's real backends, the platform's real
// system information and shortcut reader, and stand-ins only where a person
// acts (dialog answers, clicks between yields) or where the shell would
// launch another program.
#include <memory>
#include <string>

#include "platform/shortcut_reader.h"
#include "platform/system_info.h"
#include "platform/platform.h"
#include "support/scratch_folder.h"
#include "support/scratch_registry.h"
#include "support/scripted_dialogs.h"

namespace hw::test {

/// The platform's real SystemInfo, except that the program folder is
/// `programFolder` (the program is "installed" in the scratch area).
std::unique_ptr<SystemInfo> MakeRealSystemInfo(ScratchFolder& scratch, const std::string& programFolder);
/// The platform's real shortcut reader, reaching files through `scratch`.
std::unique_ptr<ShortcutReader> MakeRealShortcutReader(ScratchFolder& scratch);

/// The folder (Windows form, reachable through `scratch`) where the
/// platform's Recycle Bin keeps recycled files: on Linux the trash is moved
/// into the scratch area for the test; under Wine it is the trash Wine uses
/// (scripts/wine-run.sh points it into the build folder).
std::string RecycledFilesFolder(ScratchFolder& scratch);

class TestPlatform {
 public:
  /// `extraFixedDrives`: see MakeScratchFolder (Linux only).
  explicit TestPlatform(const std::string& extraFixedDrives = std::string());
  Platform& Get() { return platform_; }
  RegistryApi& Registry() { return registry_->Api(); }
  FileServices& Files() { return folder_->Files(); }
  ScratchFolder& Folder() { return *folder_; }
  /// The scratch area's root (no trailing backslash) and the program folder
  /// below it.
  std::string Root() const { return folder_->Root(); }
  std::string ProgramFolder() const { return folder_->Root() + "\\Prog"; }

  ScriptedDialogs dialogs;
  ScriptedPump pump;
  RecordingShell shell;

 private:
  std::unique_ptr<ScratchRegistry> registry_;
  std::unique_ptr<ScratchFolder> folder_;
  std::unique_ptr<SystemInfo> system_;
  std::unique_ptr<ShortcutReader> shortcuts_;
  Platform platform_;
};

}  // namespace hw::test
