#pragma once
// The program's settings: string values under Software\Tarnwick\Hivewright,
// read fresh at every use (nothing cached), trimmed, empty = not set.
#include <string>

#include "registry/module1.h"

namespace hw {

inline constexpr char kPathKey[] = "Software\\Tarnwick\\Hivewright\\Path";
inline constexpr char kOptionsKey[] = "Software\\Tarnwick\\Hivewright\\Options";
inline constexpr char kLanguageKey[] = "Software\\Tarnwick\\Hivewright\\Language";
inline constexpr char kSettingsKey[] = "Software\\Tarnwick\\Hivewright\\Settings";
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValueName[] = "Hivewright";
inline constexpr char kLocalMachine[] = "HKEY_LOCAL_MACHINE";
inline constexpr char kCurrentUser[] = "HKEY_CURRENT_USER";
inline constexpr char kSupportPageDefault[] = HIVEWRIGHT_SUPPORT_URL;

class Settings {
 public:
  explicit Settings(Module1& m) : m_(m) {}

  /// A setting's text, trimmed; empty when not set.
  std::string Read(const char* rootName, const char* key, const char* valueName);
  /// A switch: on only when the trimmed text is exactly "1".
  bool Switch(const char* valueName);

  std::string BackupFolder();    // BackUpFile, else program folder + "\backup"
  std::string RefFolder();       // RefFile, else program folder + "\Ref"
  std::string SoundFolder();     // SoundFile, else program folder + "\Sound"
  std::string LogFolderSetting();  // LogFile as stored (trimmed), may be empty
  bool NoConfirmation() { return Switch("NoConfirmation"); }
  bool AutoBackup() { return Switch("AutoBackup"); }
  bool Startup() { return Switch("Startup"); }
  std::string Language();  // "default" under ...\Language, trimmed

  /// Help / Support: when empty, SaveRegistrySettings writes both, then the
  /// value is read again.
  std::string HelpFile();
  std::string SupportPage();
  /// Writes "Support" = the built-in page, then "Help" = program folder +
  /// "\help.chm", both unconditionally.
  void SaveRegistrySettings();

  /// Writes a REG_SZ setting under HKLM (Path, Settings) or HKCU.
  void Write(const char* rootName, const char* key, const char* valueName, const std::string& text);

 private:
  Module1& m_;
};

}  // namespace hw
