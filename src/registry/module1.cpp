#include "registry/module1.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/system_info.h"
#include "platform/file_services.h"
#include "platform/runtime_error.h"
#include "registry/settings.h"
#include "platform/vb_text.h"
#include "platform/user_dialogs.h"

namespace hw {
namespace {

struct RootEntry {
  const char* name;
  RegKey key;
};

constexpr RootEntry kRoots[] = {
    {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},     {"HKEY_CURRENT_USER", kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},   {"HKEY_USERS", kHkeyUsers},
    {"HKEY_PERFORMANCE_DATA", kHkeyPerformanceData}, {"HKEY_CURRENT_CONFIG", kHkeyCurrentConfig},
    {"HKEY_DYN_DATA", kHkeyDynData},
};

std::int32_t TextToLong(const std::string& text) {
  std::string t = Trim(text);
  if (t.empty()) throw RuntimeError(kErrTypeMismatch, "Type mismatch");
  char* end = nullptr;
  errno = 0;
  double d = std::strtod(t.c_str(), &end);
  if (end == t.c_str() || *end != '\0') throw RuntimeError(kErrTypeMismatch, "Type mismatch");
  if (errno == ERANGE || d < -2147483648.5 || d >= 2147483647.5) throw RuntimeError(kErrOverflow, "Overflow");
  // Halves go to the even neighbour, as the number conversion of the
  // original language does.
  double r = std::nearbyint(d);
  return static_cast<std::int32_t>(r);
}

}  // namespace

RegKey Module1::RootKeyFromName(const std::string& rootName) {
  for (const auto& r : kRoots) {
    if (rootName == r.name) return r.key;
  }
  return 0;
}

std::string Module1::RootKeyName(RegKey root) {
  for (const auto& r : kRoots) {
    if (root == r.key) return r.name;
  }
  return std::string();
}

void Module1::SplitRegistryPath(std::string& path, RegKey& root) {
  if (Left(path, 5) != "HKEY_" || Right(path, 1) == "\\") {
    p_.dialogs.MessageBox("Incorrect Format:\n\n" + path, kAppTitle, MsgButtons::kOk);
    root = 0;
    return;
  }
  std::size_t slash = InStr(path, "\\");
  if (slash > 0) {
    root = RootKeyFromName(Left(path, slash - 1));
    path = Mid(path, slash + 1);
  } else {
    root = RootKeyFromName(path);
    path.clear();
  }
}

std::string Module1::ReadStringAtPath(const std::string& fullPath, const std::string& valueName) {
  std::string subKey = fullPath;
  RegKey root = 0;
  SplitRegistryPath(subKey, root);
  if (root == 0) return std::string();
  RegKey key = 0;
  if (p_.registry.OpenKeyEx(root, subKey, 0, kKeyRead, &key) != kErrorSuccess) return "Error";
  std::string buffer(255, ' ');
  std::uint32_t type = 0, length = 255;
  long status = p_.registry.QueryValueEx(key, valueName, &type,
                                         reinterpret_cast<std::uint8_t*>(&buffer[0]), &length);
  p_.registry.CloseKey(key);
  if (status != kErrorSuccess) return "Error";
  std::string trimmed = Trim(buffer);
  return trimmed.empty() ? trimmed : trimmed.substr(0, trimmed.size() - 1);
}

std::string Module1::getstr(const std::string& rootName, const std::string& subKey,
                            const std::string& valueName) {
  std::string result;
  try {
    RegKey key = 0;
    if (p_.registry.OpenKeyEx(RootKeyFromName(rootName), subKey, 0, kKeyRead, &key) == kErrorSuccess) {
      std::uint32_t type = 0, size = 0;
      long status = p_.registry.QueryValueEx(key, valueName, &type, nullptr, &size);
      if (status == kErrorSuccess && type == kRegSz && size > 0) {
        std::string buffer(size, ' ');
        if (p_.registry.QueryValueEx(key, valueName, &type, reinterpret_cast<std::uint8_t*>(&buffer[0]),
                                     &size) == kErrorSuccess) {
          result = CutAtNul(buffer);
        }
      }
      p_.registry.CloseKey(key);
    }
  } catch (const RuntimeError& e) {
    p_.dialogs.MessageBox(e.Description(), kAppTitle, MsgButtons::kOk);
    p_.dialogs.MessageBox("error has occured in getstr", kAppTitle, MsgButtons::kOk);
  }
  return result.empty() ? " " : result;
}

void Module1::WriteRaw(RegKey root, const std::string& subKey, const std::string& valueName,
                       std::uint32_t type, const std::uint8_t* data, std::uint32_t length) {
  RegKey key = 0;
  // A failed create is not tested: the write below then fails silently.
  if (p_.registry.CreateKeyEx(root, subKey, kKeyReadWrite, &key) != kErrorSuccess) return;
  p_.registry.SetValueEx(key, valueName, type, data, length);
  p_.registry.CloseKey(key);
}

void Module1::WriteRegistryValue(RegKey root, const std::string& subKey, const std::string& valueName,
                                 const std::string& text, std::uint32_t type) {
  switch (type) {
    case kRegBinary:
      throw RuntimeError(kErrTypeMismatch, "Type mismatch");
    case kRegDword:
      WriteRegistryValue(root, subKey, valueName, TextToLong(text), type);
      return;
    case kRegMultiSz:
      WriteRaw(root, subKey, valueName, type, reinterpret_cast<const std::uint8_t*>(text.data()),
               static_cast<std::uint32_t>(text.size()));
      return;
    default: {
      std::string withNul = text;
      withNul.push_back('\0');
      WriteRaw(root, subKey, valueName, type, reinterpret_cast<const std::uint8_t*>(withNul.data()),
               static_cast<std::uint32_t>(withNul.size()));
      return;
    }
  }
}

void Module1::WriteRegistryValue(RegKey root, const std::string& subKey, const std::string& valueName,
                                 std::int32_t number, std::uint32_t type) {
  if (type != kRegDword) {
    WriteRegistryValue(root, subKey, valueName, std::to_string(number), type);
    return;
  }
  std::uint8_t data[4];
  std::uint32_t u = static_cast<std::uint32_t>(number);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<std::uint8_t>(u >> (8 * i));
  WriteRaw(root, subKey, valueName, type, data, 4);
}

void Module1::RegistryCreateNewKey(RegKey root, const std::string& subKey) {
  try {
    RegKey key = 0;
    if (p_.registry.CreateKeyEx(root, subKey, kKeyWrite, &key) == kErrorSuccess) p_.registry.CloseKey(key);
  } catch (const RuntimeError& e) {
    p_.dialogs.MessageBox("Error: " + std::to_string(e.Number()) + ". " + e.Description(),
                          "RegistryCreateNewKey", MsgButtons::kOk);
  }
}

void Module1::RegistryDeleteValue(RegKey root, const std::string& subKey, const std::string& valueName) {
  try {
    RegKey key = 0;
    if (p_.registry.OpenKeyEx(root, subKey, 0, kKeyWrite, &key) == kErrorSuccess) {
      p_.registry.DeleteValue(key, valueName);
      p_.registry.CloseKey(key);
    }
  } catch (const RuntimeError& e) {
    p_.dialogs.MessageBox("Error: " + std::to_string(e.Number()) + ". " + e.Description(),
                          "RegistryDeleteValue", MsgButtons::kOk);
  }
}

std::string Module1::GetLogFolder() {
  std::string folder = LogFolderOverride.empty() ? Trim(getstr(kLocalMachine, kPathKey, "LogFile")) : LogFolderOverride;
  if (folder.empty()) folder = p_.system.ProgramFolder() + "\\Log";
  EnsureFolderPath(folder);
  return folder;
}

void Module1::EnsureFolderPath(const std::string& folderPath) {
  std::size_t slash = InStr(folderPath, "\\");
  while (slash > 0) {
    std::size_t next = InStr(slash + 1, folderPath, "\\");
    std::string prefix = next > 0 ? Left(folderPath, next - 1) : folderPath;
    if (!p_.files.FolderExists(prefix)) p_.files.CreateFolder(prefix);
    slash = next;
  }
}

}  // namespace hw
