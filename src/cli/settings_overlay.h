#pragma once
// A registry that answers some of the program's folder settings itself
// (HKLM\Software\Tarnwick\Hivewright\Path: LogFile, BackUpFile) and passes
// everything else through: --log-folder and --backup-folder take effect for
// one run without writing into the settings the window keeps.
#include <map>
#include <set>
#include <string>

#include "platform/registry_api.h"

namespace hw {

class SettingsOverlay : public RegistryApi {
 public:
  /// `pathValues`: value name under the Path key -> folder (Windows form).
  SettingsOverlay(RegistryApi& inner, std::map<std::string, std::string> pathValues);

  long OpenKeyEx(RegKey key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired,
                 RegKey* result) override;
  long CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired, RegKey* result) override;
  long EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t nameChars) override;
  long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameChars, std::uint32_t* type,
                 std::uint8_t* data, std::uint32_t* dataBytes) override;
  long QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* dataBytes) override;
  long SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t dataBytes) override;
  long DeleteValue(RegKey key, const std::string& valueName) override;
  long CloseKey(RegKey key) override;
  long Flush() override { return inner_.Flush(); }

 private:
  const std::string* Overridden(RegKey key, const std::string& valueName) const;

  RegistryApi& inner_;
  std::map<std::string, std::string> values_;
  /// Handles of the Path key: real ones, and made-up ones for when the key
  /// does not exist below.
  std::set<RegKey> pathHandles_, madeUp_;
  RegKey nextMadeUp_ = 0x7FFF0000'00000000ull;
};

}  // namespace hw
