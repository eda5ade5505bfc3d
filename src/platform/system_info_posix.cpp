#include "platform/system_info_posix.h"

#include <algorithm>
#include <cctype>

#include "platform/vb_text.h"

namespace hw {
namespace {

char UpperLetter(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// Day of the week (0 = Sunday) of a Gregorian date.
int Weekday(int y, int m, int d) {
  static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  int w = (y + y / 4 - y / 100 + y / 400 + offsets[m - 1] + d) % 7;
  return w < 0 ? w + 7 : w;
}

}  // namespace

PosixSystemInfo::PosixSystemInfo(OfflineSystem machine) : machine_(std::move(machine)) {
  for (auto& d : machine_.drives) d.letter = UpperLetter(d.letter);
  std::sort(machine_.drives.begin(), machine_.drives.end(),
            [](const OfflineSystem::Drive& a, const OfflineSystem::Drive& b) { return a.letter < b.letter; });
}

std::string PosixSystemInfo::LogicalDriveStrings() {
  std::string list;
  for (const auto& d : machine_.drives) {
    list += d.letter;
    list += ":\\";
    list += '\0';
  }
  return list;
}

std::uint32_t PosixSystemInfo::DriveType(const std::string& root) {
  if (root.size() < 2 || root[1] != ':' || root.size() > 3 || (root.size() == 3 && root[2] != '\\'))
    return kDriveNoRootDir;
  for (const auto& d : machine_.drives)
    if (d.letter == UpperLetter(root[0])) return d.type;
  return kDriveNoRootDir;
}

std::string PosixSystemInfo::WindowsDirectory() { return machine_.windowsDirectory; }

PlatformFamily PosixSystemInfo::Family() { return machine_.family; }

bool PosixSystemInfo::GetEnvironmentVariable(const std::string& name, std::string* value) {
  if (name.empty()) return false;
  for (const auto& v : machine_.environment) {
    if (EqualsNoCase(v.first, name)) {
      *value = v.second;
      return true;
    }
  }
  return false;
}

bool PosixSystemInfo::ComputerName(std::string* name) {
  if (machine_.computerName.empty()) return false;
  *name = machine_.computerName;
  return true;
}

std::string PosixSystemInfo::ProgramFolder() { return machine_.programFolder; }

std::string PosixSystemInfo::ProgramName() { return machine_.programName; }

std::string PosixSystemInfo::FormatLongDate(const FileTime& time) {
  static const char* const days[] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
  static const char* const months[] = {"January", "February", "March", "April", "May", "June", "July",
                                       "August", "September", "October", "November", "December"};
  if (time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31) return std::string();
  return std::string(days[Weekday(time.year, time.month, time.day)]) + ", " + months[time.month - 1] + " " +
         std::to_string(time.day) + ", " + std::to_string(time.year);
}

}  // namespace hw
