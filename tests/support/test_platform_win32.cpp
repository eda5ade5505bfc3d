#include <cstdlib>

#include "platform/shortcut_reader_win32.h"
#include "platform/system_info_win32.h"
#include "support/program_folder_system_info.h"
#include "support/test_platform.h"

namespace hw::test {

std::unique_ptr<SystemInfo> MakeRealSystemInfo(ScratchFolder&, const std::string& programFolder) {
  return std::make_unique<ProgramFolderSystemInfo>(std::make_unique<Win32SystemInfo>(), programFolder);
}

std::unique_ptr<ShortcutReader> MakeRealShortcutReader(ScratchFolder&) {
  return std::make_unique<Win32ShortcutReader>();
}

std::string RecycledFilesFolder(ScratchFolder&) {
  // Wine's shell keeps its Recycle Bin in the freedesktop.org trash.
  std::string home;
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/') {
    home = x;
  } else if (const char* h = std::getenv("HOME"); h && *h == '/') {
    home = std::string(h) + "/.local/share";
  }
  std::string path = "Z:" + home + "/Trash/files";
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace hw::test
