#pragma once
// A machine with registry values of every kind listed as problems in
// hand-written problem logs, and a snapshot of values to compare against.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "checks/problem_logs.h"
#include "checks/section_catalogue.h"
#include "registry/module1.h"
#include "support/registry_builder.h"
#include "support/scratch_folder.h"
#include "ui/form1.h"

namespace hw::test {

struct ValueRef {
  RegKey root;
  std::string key, name;
  bool operator<(const ValueRef& o) const { return std::tie(root, key, name) < std::tie(o.root, o.key, o.name); }
  bool operator==(const ValueRef& o) const { return root == o.root && key == o.key && name == o.name; }
};

struct ValueState {
  bool present = false;
  std::uint32_t type = 0;
  Bytes data;
  bool operator==(const ValueState& o) const { return present == o.present && type == o.type && data == o.data; }
};

inline ValueState ReadValue(RegistryApi& api, const ValueRef& v) {
  ValueState s;
  RegKey h = 0;
  if (api.OpenKeyEx(v.root, v.key, 0, kKeyRead, &h) != kErrorSuccess) return s;
  std::uint32_t size = 0;
  if (api.QueryValueEx(h, v.name, &s.type, nullptr, &size) == kErrorSuccess) {
    s.data.resize(size);
    s.present = api.QueryValueEx(h, v.name, &s.type, s.data.empty() ? nullptr : s.data.data(), &size) ==
                kErrorSuccess;
    s.data.resize(size);
  }
  api.CloseKey(h);
  return s;
}

/// One problem written into the logs: its value and the text shown.
struct LoggedProblem {
  ValueRef value;
  std::uint32_t type;
  Bytes data;
  std::string text;
  /// The section whose rule makes it a problem with `text`.
  std::string section = "SuP";
};

/// The values of a round trip: every type, the default value, long data,
/// a key path longer than the 256-character field, a name with edge spaces.
/// Each is a problem by its section's rule (strings by their data, the
/// others by a name that is a missing path).
inline std::vector<LoggedProblem> EveryKindOfValue(const std::string& root) {
  const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  // Longer than the 256-character field, and within the 259 characters the
  // ANSI registry functions take for a key path.
  const std::string longKey = "Software\\HwTest\\" + std::string(120, 'a') + "\\" + std::string(121, 'b');
  Bytes longBinary(5000);
  for (std::size_t i = 0; i < longBinary.size(); ++i) longBinary[i] = std::uint8_t(i * 7 + 1);
  longBinary[3] = 0;
  longBinary.back() = 0;
  const std::string longText = root + "\\" + std::string(700, 'x') + ".exe";
  auto sz = [](const std::string& t) { return Sz(t); };
  return {
      {{kHkeyLocalMachine, run, "quoted"}, kRegSz, sz("\"" + root + "\\Gone\\a.exe\" /min -x"), root + "\\Gone\\a.exe"},
      {{kHkeyCurrentUser, run, "expand"}, kRegExpandSz, sz(root + "\\%HWX%\\gone.exe"), root + "\\%HWX%\\gone.exe"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Multi", "multi"}, kRegMultiSz,
       sz(root + "\\one.exe" + std::string("\0two\0", 5)), root + "\\one.exe"},
      {{kHkeyClassesRoot, "CLSID\\{HW-1}\\InprocServer32", ""}, kRegSz, sz(root + "\\gone.dll"), root + "\\gone.dll"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Long", "longtext"}, kRegSz, sz(longText), longText},
      {{kHkeyLocalMachine, longKey, " spaced name "}, kRegSz, sz(root + "\\deep.exe"), root + "\\deep.exe"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Bin", root + "\\gone.bin"}, kRegBinary, Bytes{0, 0, 9, 0, 7, 0},
       root + "\\gone.bin", "SP"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Dlls", root + "\\zero.dll"}, kRegDword, Bytes{0, 0, 0, 0},
       root + "\\zero.dll", "SP"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Dlls", root + "\\five.dll"}, kRegDword, Bytes{5, 0, 0, 0},
       root + "\\five.dll", "SP"},
      {{kHkeyLocalMachine, "Software\\HwTest\\Long", root + "\\long.bin"}, kRegBinary, longBinary,
       root + "\\long.bin", "SP"},
  };
}

/// Creates the values and writes err.log and alerr.log listing them as
/// problems 1..n (numbered as a scan does), a section header wherever the
/// section changes.
inline void SetUpProblems(RegistryApi& api, ScratchFolder& folder, Module1& m, const std::vector<LoggedProblem>& ps) {
  RegistryBuilder b(api);
  for (const LoggedProblem& p : ps)
    ASSERT_TRUE(b.Value(p.value.root, p.value.key, p.value.name, p.type, p.data)) << p.value.key << " " << p.value.name;
  std::string err, alerr, section;
  for (std::size_t i = 0; i < ps.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    const ValueRef& v = ps[i].value;
    if (ps[i].section != section) err += std::string(FindSection(section = ps[i].section)->logHeader) + "\r\n";
    err += n + "." + ps[i].text + "\r\n";
    alerr += n + "." + Module1::RootKeyName(v.root) + ",/" + v.key + "#(" + (v.name.empty() ? "(Default)" : v.name) +
             ")\r\n";
  }
  const std::string logs = m.GetLogFolder();
  folder.WriteFile(logs + "\\" + kErrLogName, err);
  folder.WriteFile(logs + "\\" + kAlErrLogName, alerr);
}

inline std::map<ValueRef, ValueState> Snapshot(RegistryApi& api, const std::vector<LoggedProblem>& ps) {
  std::map<ValueRef, ValueState> s;
  for (const LoggedProblem& p : ps) s[p.value] = ReadValue(api, p.value);
  return s;
}

}  // namespace hw::test
