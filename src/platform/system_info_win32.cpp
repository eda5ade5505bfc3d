#include "platform/system_info_win32.h"

#include "platform/windows_win32.h"

#include <vector>

namespace hw {

namespace {

std::string ModulePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

// Under Wine: true when the drive of `root` ("X:\\") is the host's "/".
bool IsWineHostRoot(const std::string& root) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
  using UnixName = char*(CDECL*)(const WCHAR*);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName || root.size() < 2 || root[1] != ':') return false;
  const WCHAR drive[] = {static_cast<WCHAR>(static_cast<unsigned char>(root[0])), L':', L'\\', 0};
  char* path = unixName(drive);
  if (!path) return false;
  std::string name(path);
  HeapFree(GetProcessHeap(), 0, path);
  if (name.empty()) return false;
  while (!name.empty() && name.back() == '/') name.pop_back();
  return name.empty();
}

}  // namespace

std::string Win32SystemInfo::LogicalDriveStrings() {
  std::vector<char> buffer(255);
  DWORD n = GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
  if (n > buffer.size()) {
    buffer.resize(n + 1);
    n = GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n > buffer.size()) return std::string();
  }
  return std::string(buffer.data(), n);
}

std::uint32_t Win32SystemInfo::DriveType(const std::string& root) {
  const UINT type = GetDriveTypeA(root.c_str());
  if (type == DRIVE_FIXED && IsWineHostRoot(root)) return DRIVE_REMOTE;
  return type;
}

std::string Win32SystemInfo::WindowsDirectory() {
  char buffer[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return std::string();
  return std::string(buffer, n);
}

PlatformFamily Win32SystemInfo::Family() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  // Only the platform id is wanted, which the compatibility shims leave alone.
  if (!GetVersionExA(&info)) return PlatformFamily::kUnknown;
#pragma GCC diagnostic pop
  switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32_NT:
      return PlatformFamily::kWinNt;
    case VER_PLATFORM_WIN32_WINDOWS:
      return PlatformFamily::kWin9x;
    default:
      return PlatformFamily::kUnknown;
  }
}

bool Win32SystemInfo::GetEnvironmentVariable(const std::string& name, std::string* value) {
  std::vector<char> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      // Zero is also the length of a variable set to nothing.
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value->clear();
      return true;
    }
    if (n < buffer.size()) {
      value->assign(buffer.data(), n);
      return true;
    }
    buffer.resize(n);
  }
}

bool Win32SystemInfo::ComputerName(std::string* name) {
  char buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof buffer;
  if (!GetComputerNameA(buffer, &size)) return false;
  name->assign(buffer, size);
  return true;
}

std::string Win32SystemInfo::ProgramFolder() {
  std::string path = ModulePath();
  std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Win32SystemInfo::ProgramName() {
  std::string path = ModulePath();
  std::size_t slash = path.find_last_of('\\');
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  std::size_t dot = file.find_last_of('.');
  return dot == std::string::npos ? file : file.substr(0, dot);
}

std::string Win32SystemInfo::FormatLongDate(const FileTime& time) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(time.year);
  st.wMonth = static_cast<WORD>(time.month);
  st.wDay = static_cast<WORD>(time.day);
  st.wHour = static_cast<WORD>(time.hour);
  st.wMinute = static_cast<WORD>(time.minute);
  st.wSecond = static_cast<WORD>(time.second);
  // A round trip through FILETIME checks the date and fills in the weekday
  // that long dates name.
  FILETIME ft;
  if (!SystemTimeToFileTime(&st, &ft) || !FileTimeToSystemTime(&ft, &st)) return std::string();
  char buffer[256] = {};
  int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, buffer, sizeof buffer);
  if (n <= 0) return std::string();
  return std::string(buffer);
}

}  // namespace hw
