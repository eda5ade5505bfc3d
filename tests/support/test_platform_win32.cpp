#include "engine/shortcut_reader_win32.h"
#include "engine/system_info_win32.h"
#include "support/program_folder_system_info.h"
#include "support/test_platform.h"

namespace hw::test {

std::unique_ptr<SystemInfo> MakeRealSystemInfo(ScratchFolder&, const std::string& programFolder) {
  return std::make_unique<ProgramFolderSystemInfo>(std::make_unique<Win32SystemInfo>(), programFolder);
}

std::unique_ptr<ShortcutReader> MakeRealShortcutReader(ScratchFolder&) {
  return std::make_unique<Win32ShortcutReader>();
}

}  // namespace hw::test
