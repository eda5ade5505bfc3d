#include "engine/drives.h"

#include "registry/module1.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"

namespace hw {

std::string TrapMessage(const std::string& description, const std::string& source) {
  return "Error Description : " + description + "\r\nError Source :" + source + " function";
}

std::string GetDriveList(SystemInfo& system) {
  // The system call fills a buffer of 255 characters; a longer list does
  // not fit and gives nothing.
  std::string list = system.LogicalDriveStrings();
  if (list.size() > 255) return std::string();
  return list;
}

std::vector<char> FixedDriveLetters(SystemInfo& system, UserDialogs& dialogs) {
  std::vector<char> letters;
  try {
    std::string list = GetDriveList(system);
    while (!list.empty()) {
      std::size_t nul = list.find('\0');
      std::string drive = list.substr(0, nul);
      list = nul == std::string::npos ? std::string() : list.substr(nul + 1);
      if (!drive.empty() && system.DriveType(drive) == kDriveFixed) letters.push_back(drive[0]);
    }
  } catch (const RuntimeError& e) {
    dialogs.MessageBox(TrapMessage(e.Description(), "GetAllDrivesTypes"), kAppTitle,
                       MsgButtons::kOk);
  }
  return letters;
}

std::string WindowsFamilyOf(PlatformFamily reported, const std::string& windowsFolder) {
  if (reported == PlatformFamily::kWinNt) return "WIN2K";
  if (reported == PlatformFamily::kWin9x) return "WIN9X";
  std::string name = UCase(Mid(windowsFolder, 4));
  if (name == "WINNT") return "WIN2K";
  if (name == "WINDOWS") return "WIN9X";
  return std::string();
}

bool FindWindowsFolders(SystemInfo& system, UserDialogs& dialogs, WindowsFolders& out) {
  try {
    out.WindowsFolder = system.WindowsDirectory();
    out.WindowsFamily = WindowsFamilyOf(system.Family(), out.WindowsFolder);
    return true;
  } catch (const RuntimeError& e) {
    dialogs.MessageBox(TrapMessage(e.Description(), "DrawControl"), kAppTitle, MsgButtons::kOk);
    return false;
  }
}

}  // namespace hw
