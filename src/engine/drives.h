#pragma once
// System discovery the scan needs: the fixed drives for the shortcut search,
// the Windows folder for the fonts rule and the Windows family that chooses
// the fonts key.
#include <string>
#include <vector>

#include "platform/system_info.h"
#include "platform/user_dialogs.h"

namespace hw {

/// The system's drive roots, each "X:\" followed by one NUL.
std::string GetDriveList(SystemInfo& system);

/// Letters of the fixed drives, in the order the system lists them. A
/// run-time error shows "Error Description : ..." with the source
/// "GetAllDrivesTypes function"; the letters found before it are returned.
std::vector<char> FixedDriveLetters(SystemInfo& system, UserDialogs& dialogs);

/// "WIN2K" for the NT family, "WIN9X" for 9x, empty when unknown.
/// The platform's own answer wins; only when it does not tell is the folder
/// name read (…\WINNT: NT, …\WINDOWS: 9x), since every NT-family Windows
/// since 2001 lives in a folder named WINDOWS.
std::string WindowsFamilyOf(PlatformFamily reported, const std::string& windowsFolder);

struct WindowsFolders {
  std::string WindowsFolder;  ///< without a trailing backslash
  std::string WindowsFamily;  ///< "WIN2K", "WIN9X" or empty
};

/// Finds both once at start-up. On a run-time error shows the message with
/// the source "DrawControl function" and answers false; `out` keeps what
/// was found before the error.
bool FindWindowsFolders(SystemInfo& system, UserDialogs& dialogs, WindowsFolders& out);

/// The message box text of a user-interface error trap.
std::string TrapMessage(const std::string& description, const std::string& source);

}  // namespace hw
