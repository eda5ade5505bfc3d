#include "registry/settings.h"

#include "platform/system_info.h"
#include "platform/vb_text.h"

namespace hw {

std::string Settings::Read(const char* rootName, const char* key, const char* valueName) {
  return Trim(m_.getstr(rootName, key, valueName));
}

bool Settings::Switch(const char* valueName) { return Read(kCurrentUser, kOptionsKey, valueName) == "1"; }

namespace {
std::string OrDefault(const std::string& value, const std::string& fallback) {
  return value.empty() ? fallback : value;
}
}  // namespace

std::string Settings::BackupFolder() {
  return OrDefault(Read(kLocalMachine, kPathKey, "BackUpFile"), m_.platform().system.ProgramFolder() + "\\backup");
}

std::string Settings::RefFolder() {
  return OrDefault(Read(kLocalMachine, kPathKey, "RefFile"), m_.platform().system.ProgramFolder() + "\\Ref");
}

std::string Settings::SoundFolder() {
  return OrDefault(Read(kLocalMachine, kPathKey, "SoundFile"), m_.platform().system.ProgramFolder() + "\\Sound");
}

std::string Settings::LogFolderSetting() { return Read(kLocalMachine, kPathKey, "LogFile"); }

std::string Settings::Language() { return Read(kCurrentUser, kLanguageKey, "default"); }

std::string Settings::HelpFile() {
  std::string file = Read(kLocalMachine, kSettingsKey, "Help");
  if (file.empty()) {
    SaveRegistrySettings();
    file = Read(kLocalMachine, kSettingsKey, "Help");
  }
  return file;
}

std::string Settings::SupportPage() {
  std::string page = Read(kLocalMachine, kSettingsKey, "Support");
  if (page.empty()) {
    SaveRegistrySettings();
    page = Read(kLocalMachine, kSettingsKey, "Support");
  }
  return page;
}

void Settings::SaveRegistrySettings() {
  Write(kLocalMachine, kSettingsKey, "Support", kSupportPageDefault);
  Write(kLocalMachine, kSettingsKey, "Help", m_.platform().system.ProgramFolder() + "\\help.chm");
}

void Settings::Write(const char* rootName, const char* key, const char* valueName, const std::string& text) {
  m_.WriteRegistryValue(Module1::RootKeyFromName(rootName), key, valueName, text, 1);
}

}  // namespace hw
