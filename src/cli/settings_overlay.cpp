#include "cli/settings_overlay.h"

#include <cstring>

#include "platform/vb_text.h"
#include "registry/settings.h"

namespace hw {

SettingsOverlay::SettingsOverlay(RegistryApi& inner, std::map<std::string, std::string> pathValues)
    : inner_(inner), values_(std::move(pathValues)) {}

long SettingsOverlay::OpenKeyEx(RegKey key, const std::string& subKey, std::uint32_t options,
                                std::uint32_t samDesired, RegKey* result) {
  const bool pathKey = !values_.empty() && key == kHkeyLocalMachine && EqualsNoCase(subKey, kPathKey);
  const long status = inner_.OpenKeyEx(key, subKey, options, samDesired, result);
  if (!pathKey) return status;
  if (status == kErrorSuccess) {
    pathHandles_.insert(*result);
    return status;
  }
  if (samDesired & ~kKeyRead & 0xFFFF) return status;  // writing needs the real key
  *result = nextMadeUp_++;
  madeUp_.insert(*result);
  pathHandles_.insert(*result);
  return kErrorSuccess;
}

long SettingsOverlay::CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired, RegKey* result) {
  return inner_.CreateKeyEx(key, subKey, samDesired, result);
}

long SettingsOverlay::EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t nameChars) {
  if (madeUp_.count(key)) return kErrorNoMoreItems;
  return inner_.EnumKey(key, index, name, nameChars);
}

long SettingsOverlay::EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameChars,
                                std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataBytes) {
  if (madeUp_.count(key)) return kErrorNoMoreItems;
  return inner_.EnumValue(key, index, name, nameChars, type, data, dataBytes);
}

const std::string* SettingsOverlay::Overridden(RegKey key, const std::string& valueName) const {
  if (!pathHandles_.count(key)) return nullptr;
  for (const auto& v : values_)
    if (EqualsNoCase(v.first, valueName)) return &v.second;
  return nullptr;
}

long SettingsOverlay::QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* dataBytes) {
  if (const std::string* text = Overridden(key, valueName)) {
    const std::uint32_t needed = static_cast<std::uint32_t>(text->size() + 1);
    if (type) *type = kRegSz;
    if (!data) {
      if (dataBytes) *dataBytes = needed;
      return kErrorSuccess;
    }
    if (!dataBytes || *dataBytes < needed) {
      if (dataBytes) *dataBytes = needed;
      return kErrorMoreData;
    }
    std::memcpy(data, text->c_str(), needed);
    *dataBytes = needed;
    return kErrorSuccess;
  }
  if (madeUp_.count(key)) return kErrorFileNotFound;
  return inner_.QueryValueEx(key, valueName, type, data, dataBytes);
}

long SettingsOverlay::SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                                 const std::uint8_t* data, std::uint32_t dataBytes) {
  if (madeUp_.count(key)) return kErrorAccessDenied;
  return inner_.SetValueEx(key, valueName, type, data, dataBytes);
}

long SettingsOverlay::DeleteValue(RegKey key, const std::string& valueName) {
  if (madeUp_.count(key)) return kErrorAccessDenied;
  return inner_.DeleteValue(key, valueName);
}

long SettingsOverlay::CloseKey(RegKey key) {
  pathHandles_.erase(key);
  if (madeUp_.erase(key)) return kErrorSuccess;
  return inner_.CloseKey(key);
}

}  // namespace hw
