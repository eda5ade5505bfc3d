#include <cstdlib>

#include "platform/shortcut_reader_posix.h"
#include "platform/system_info_posix.h"
#include "platform/file_services_posix.h"
#include "support/test_platform.h"

namespace hw::test {

std::unique_ptr<SystemInfo> MakeRealSystemInfo(ScratchFolder& scratch, const std::string& programFolder) {
  OfflineSystem machine;
  machine.drives.push_back({'C', scratch.Host("C:"), kDriveFixed});
  for (char letter : scratch.ExtraDrives())
    machine.drives.push_back({letter, scratch.Host(std::string(1, letter) + ":"), kDriveFixed});
  machine.windowsDirectory = "C:\\WINDOWS";
  machine.family = PlatformFamily::kWinNt;
  machine.environment = {{"SystemRoot", "C:\\WINDOWS"},
                         {"windir", "C:\\WINDOWS"},
                         {"USERPROFILE", "C:\\Documents and Settings\\ann"},
                         {"ProgramFiles", "C:\\Program Files"}};
  machine.computerName = "TESTPC";
  machine.programFolder = programFolder;
  return std::make_unique<PosixSystemInfo>(machine);
}

std::unique_ptr<ShortcutReader> MakeRealShortcutReader(ScratchFolder& scratch) {
  return std::make_unique<PosixShortcutReader>(dynamic_cast<PosixFileServices&>(scratch.Files()));
}

std::string RecycledFilesFolder(ScratchFolder& scratch) {
  // The trash on the scratch drive's own file system, where a rename
  // reaches it.
  const std::string home = scratch.Root() + "\\Trash-home";
  if (!scratch.Exists(home)) scratch.MakeFolder(home);
  setenv("XDG_DATA_HOME", scratch.Host(home).c_str(), 1);
  return home + "\\Trash\\files";
}

}  // namespace hw::test
