#include "platform/registry_api_win32.h"

#include <utility>

namespace hw {

namespace {

bool IsPredefined(RegKey key) { return key >= kHkeyClassesRoot && key <= kHkeyDynData; }

HKEY PredefinedHkey(RegKey key) {
  // The 32-bit constants are sign-extended in a 64-bit HKEY.
  return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(static_cast<DWORD>(key))));
}

}  // namespace

Win32Registry::Win32Registry(std::map<RegKey, HKEY> roots) : redirected_(true), roots_(std::move(roots)) {}

bool Win32Registry::Resolve(RegKey key, HKEY* out) const {
  if (!IsPredefined(key)) {
    *out = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
    return true;
  }
  if (!redirected_) {
    *out = PredefinedHkey(key);
    return true;
  }
  auto it = roots_.find(key);
  if (it == roots_.end()) return false;
  *out = it->second;
  return true;
}

long Win32Registry::OpenKeyEx(RegKey key, const std::string& subKey, std::uint32_t options,
                              std::uint32_t samDesired, RegKey* result) {
  HKEY parent;
  if (!Resolve(key, &parent)) return kErrorInvalidHandle;
  HKEY opened = nullptr;
  LONG status = RegOpenKeyExA(parent, subKey.c_str(), options, samDesired, &opened);
  if (status == ERROR_SUCCESS) *result = FromHkey(opened);
  return status;
}

long Win32Registry::CreateKeyEx(RegKey key, const std::string& subKey, std::uint32_t samDesired,
                                RegKey* result) {
  HKEY parent;
  if (!Resolve(key, &parent)) return kErrorInvalidHandle;
  HKEY created = nullptr;
  char emptyClass[] = "";
  LONG status = RegCreateKeyExA(parent, subKey.c_str(), 0, emptyClass, REG_OPTION_NON_VOLATILE, samDesired,
                                nullptr, &created, nullptr);
  if (status == ERROR_SUCCESS) *result = FromHkey(created);
  return status;
}

long Win32Registry::EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t nameChars) {
  HKEY k;
  if (!Resolve(key, &k)) return kErrorInvalidHandle;
  return RegEnumKeyA(k, index, name, nameChars);
}

long Win32Registry::EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameChars,
                              std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataBytes) {
  HKEY k;
  if (!Resolve(key, &k)) return kErrorInvalidHandle;
  // Lengths and type go through locals so that a failed call leaves the
  // caller's counts as they were.
  DWORD nameLen = nameChars ? *nameChars : 0;
  DWORD dataLen = dataBytes ? *dataBytes : 0;
  DWORD valueType = 0;
  LONG status = RegEnumValueA(k, index, name, &nameLen, nullptr, &valueType, data, dataBytes ? &dataLen : nullptr);
  if (status != ERROR_SUCCESS) return status;
  if (nameChars) *nameChars = nameLen;
  if (dataBytes) *dataBytes = dataLen;
  if (type) *type = valueType;
  return status;
}

long Win32Registry::QueryValueEx(RegKey key, const std::string& valueName, std::uint32_t* type,
                                 std::uint8_t* data, std::uint32_t* dataBytes) {
  HKEY k;
  if (!Resolve(key, &k)) return kErrorInvalidHandle;
  DWORD dataLen = dataBytes ? *dataBytes : 0;
  DWORD valueType = 0;
  LONG status = RegQueryValueExA(k, valueName.c_str(), nullptr, &valueType, data, dataBytes ? &dataLen : nullptr);
  // Too small a buffer still tells the type and the length needed.
  if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    if (type) *type = valueType;
    if (dataBytes) *dataBytes = dataLen;
  }
  return status;
}

long Win32Registry::SetValueEx(RegKey key, const std::string& valueName, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t dataBytes) {
  HKEY k;
  if (!Resolve(key, &k)) return kErrorInvalidHandle;
  return RegSetValueExA(k, valueName.c_str(), 0, type, data, dataBytes);
}

long Win32Registry::DeleteValue(RegKey key, const std::string& valueName) {
  HKEY k;
  if (!Resolve(key, &k)) return kErrorInvalidHandle;
  return RegDeleteValueA(k, valueName.c_str());
}

long Win32Registry::CloseKey(RegKey key) {
  // Closing a root is harmless on Windows; a redirected root belongs to
  // whoever made the map and must stay open.
  if (IsPredefined(key)) {
    HKEY k;
    return Resolve(key, &k) ? kErrorSuccess : kErrorInvalidHandle;
  }
  return RegCloseKey(reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key)));
}

}  // namespace hw
