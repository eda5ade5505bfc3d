#include "cli/offline_environment.h"

#include <vector>

#include "platform/vb_text.h"

namespace hw {
namespace {

using Vars = std::vector<std::pair<std::string, std::string>>;

constexpr char kSessionEnvironment[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kNtCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

struct Value {
  std::uint32_t type = kRegNone;
  std::string text;
};

class Key {
 public:
  Key(RegistryApi& r, RegKey root, const std::string& path) : r_(r) {
    if (r_.OpenKeyEx(root, path, 0, kKeyRead, &key_) != kErrorSuccess) key_ = 0;
  }
  ~Key() {
    if (key_) r_.CloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  bool Open() const { return key_ != 0; }
  RegKey Handle() const { return key_; }

  bool Read(const std::string& name, Value* v) {
    if (!key_) return false;
    std::uint32_t type = 0, size = 0;
    if (r_.QueryValueEx(key_, name, &type, nullptr, &size) != kErrorSuccess) return false;
    std::string data(size, '\0');
    if (size && r_.QueryValueEx(key_, name, &type, reinterpret_cast<std::uint8_t*>(&data[0]), &size) != kErrorSuccess)
      return false;
    data.resize(size);
    if (type != kRegSz && type != kRegExpandSz) return false;
    v->type = type;
    v->text = CutAtNul(data);
    return true;
  }
  /// String values in the key's order.
  std::vector<std::pair<std::string, Value>> Strings() {
    std::vector<std::pair<std::string, Value>> all;
    for (std::uint32_t i = 0; key_; ++i) {
      char name[kMaxNameChars] = {};
      std::uint32_t nameChars = kMaxNameChars, type = 0, bytes = kMaxDataBytes;
      std::vector<std::uint8_t> data(kMaxDataBytes);
      const long s = r_.EnumValue(key_, i, name, &nameChars, &type, data.data(), &bytes);
      if (s == kErrorNoMoreItems || i > 100000) break;
      if (s != kErrorSuccess || (type != kRegSz && type != kRegExpandSz)) continue;
      all.push_back({std::string(name, nameChars),
                     Value{type, CutAtNul(std::string(reinterpret_cast<char*>(data.data()), bytes))}});
    }
    return all;
  }
  std::vector<std::string> Subkeys() {
    std::vector<std::string> names;
    for (std::uint32_t i = 0; key_ && i < 100000; ++i) {
      char name[kMaxNameChars] = {};
      if (r_.EnumKey(key_, i, name, kMaxNameChars) != kErrorSuccess) break;
      names.push_back(name);
    }
    return names;
  }

 private:
  RegistryApi& r_;
  RegKey key_ = 0;
};

std::string* Find(Vars& vars, const std::string& name) {
  for (auto& v : vars)
    if (EqualsNoCase(v.first, name)) return &v.second;
  return nullptr;
}

void Set(Vars& vars, const std::string& name, const std::string& value) {
  if (std::string* at = Find(vars, name)) *at = value;
  else vars.push_back({name, value});
}

void SetIfMissing(Vars& vars, const std::string& name, const std::string& value) {
  if (!Find(vars, name) && !value.empty()) vars.push_back({name, value});
}

std::string Expanded(const Vars& vars, const Value& v) {
  return v.type == kRegExpandSz ? ExpandVariables(vars, v.text) : v.text;
}

std::string LastComponent(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ExpandVariables(const Vars& vars, const std::string& text) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('%', at);
    if (open == std::string::npos) break;
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string::npos) break;
    out += text.substr(at, open - at);
    const std::string name = text.substr(open + 1, close - open - 1);
    const std::string* value = nullptr;
    for (const auto& v : vars)
      if (!name.empty() && EqualsNoCase(v.first, name)) value = &v.second;
    if (value) {
      out += *value;
      at = close + 1;
    } else {
      // Not a variable: the first % stays, the second may open one.
      out += '%';
      at = open + 1;
    }
  }
  return out + text.substr(std::min(at, text.size()));
}

std::string OfflineComputerName(RegistryApi& registry) {
  Key k(registry, kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName");
  Value v;
  return k.Read("ComputerName", &v) ? v.text : std::string();
}

PlatformFamily OfflineFamily(RegistryApi& registry) {
  Key nt(registry, kHkeyLocalMachine, kNtCurrentVersion);
  if (nt.Open()) return PlatformFamily::kWinNt;
  Key nine(registry, kHkeyLocalMachine, kCurrentVersion);
  return nine.Open() ? PlatformFamily::kWin9x : PlatformFamily::kUnknown;
}

Vars OfflineEnvironment(RegistryApi& registry, const OfflineFacts& facts) {
  Vars vars;
  const std::string drive = Left(facts.windowsFolder, 2);
  Set(vars, "SystemDrive", drive);
  Set(vars, "SystemRoot", facts.windowsFolder);
  Set(vars, "windir", facts.windowsFolder);

  Key cv(registry, kHkeyLocalMachine, kCurrentVersion);
  const struct {
    const char* variable;
    const char* value;
  } folders[] = {{"ProgramFiles", "ProgramFilesDir"},
                 {"ProgramFiles(x86)", "ProgramFilesDir (x86)"},
                 {"ProgramW6432", "ProgramW6432Dir"},
                 {"CommonProgramFiles", "CommonFilesDir"},
                 {"CommonProgramFiles(x86)", "CommonFilesDir (x86)"},
                 {"CommonProgramW6432", "CommonW6432Dir"}};
  for (const auto& f : folders) {
    Value v;
    if (cv.Read(f.value, &v)) Set(vars, f.variable, Expanded(vars, v));
  }
  SetIfMissing(vars, "ProgramFiles", drive + "\\Program Files");
  SetIfMissing(vars, "CommonProgramFiles", *Find(vars, "ProgramFiles") + "\\Common Files");

  Key profiles(registry, kHkeyLocalMachine, kProfileList);
  Value v;
  std::string profilesDirectory = drive + "\\Users";
  if (profiles.Read("ProfilesDirectory", &v)) profilesDirectory = Expanded(vars, v);
  if (profiles.Read("ProgramData", &v)) {
    Set(vars, "ProgramData", Expanded(vars, v));
    Set(vars, "ALLUSERSPROFILE", Expanded(vars, v));
  } else if (profiles.Read("AllUsersProfile", &v)) {
    Set(vars, "ALLUSERSPROFILE", profilesDirectory + "\\" + v.text);
  }
  if (profiles.Read("Public", &v)) Set(vars, "PUBLIC", Expanded(vars, v));

  const std::string computer = OfflineComputerName(registry);
  if (!computer.empty()) Set(vars, "COMPUTERNAME", computer);

  Key session(registry, kHkeyLocalMachine, kSessionEnvironment);
  for (const auto& [name, value] : session.Strings()) Set(vars, name, Expanded(vars, value));

  if (facts.user.empty()) return vars;
  std::string profile = facts.profileFolder;
  // The profile list knows the folder by the SID; the one whose folder is
  // the chosen profile's gives USERPROFILE as Windows spells it.
  for (const std::string& sid : profiles.Subkeys()) {
    Key entry(registry, profiles.Handle(), sid);
    Value image;
    if (!entry.Read("ProfileImagePath", &image)) continue;
    const std::string path = Expanded(vars, image);
    if (EqualsNoCase(LastComponent(path), LastComponent(facts.profileFolder))) {
      profile = path;
      break;
    }
  }
  Set(vars, "USERPROFILE", profile);
  Set(vars, "USERNAME", facts.user);
  Set(vars, "HOMEDRIVE", Left(profile, 2));
  Set(vars, "HOMEPATH", Mid(profile, 3));

  Key shell(registry, kHkeyCurrentUser, kShellFolders);
  if (shell.Read("AppData", &v)) Set(vars, "APPDATA", Expanded(vars, v));
  if (shell.Read("Local AppData", &v)) Set(vars, "LOCALAPPDATA", Expanded(vars, v));

  Key own(registry, kHkeyCurrentUser, "Environment");
  for (const auto& [name, value] : own.Strings()) {
    const std::string text = Expanded(vars, value);
    const std::string* machinePath = EqualsNoCase(name, "Path") ? Find(vars, "Path") : nullptr;
    Set(vars, name, machinePath && !machinePath->empty() ? *machinePath + ";" + text : text);
  }
  return vars;
}

}  // namespace hw
