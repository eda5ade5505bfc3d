// What the program relies on from the registry functions, run against the
// real backend of each platform (hive files on Linux, Wine's registry).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/registry_api.h"
#include "support/scratch_registry.h"

namespace hw::test {
namespace {

struct Value {
  std::string name;
  std::uint32_t type;
  std::string data;
  long status = kErrorSuccess;  // of the query that read it
};

class RegistryApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = MakeScratchRegistry();
    api_ = &scratch_->Api();
  }
  RegKey Create(RegKey root, const std::string& path) {
    RegKey key = 0;
    EXPECT_EQ(kErrorSuccess, api_->CreateKeyEx(root, path, kKeyReadWrite, &key)) << path;
    return key;
  }
  RegKey Open(RegKey root, const std::string& path) {
    RegKey key = 0;
    EXPECT_EQ(kErrorSuccess, api_->OpenKeyEx(root, path, 0, kKeyRead, &key)) << path;
    return key;
  }
  long Set(RegKey key, const std::string& name, std::uint32_t type, const std::string& bytes) {
    return api_->SetValueEx(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                            static_cast<std::uint32_t>(bytes.size()));
  }
  Value Query(RegKey key, const std::string& name) {
    std::vector<std::uint8_t> buf(kMaxDataBytes * 2);
    std::uint32_t length = static_cast<std::uint32_t>(buf.size()), type = 99;
    const long status = api_->QueryValueEx(key, name, &type, buf.data(), &length);
    if (status != kErrorSuccess) return {name, 0, "", status};
    return {name, type, std::string(buf.begin(), buf.begin() + length)};
  }
  std::vector<std::string> SubkeyNames(RegKey key) {
    std::vector<std::string> names;
    char name[kMaxNameChars];
    long status;
    for (std::uint32_t i = 0; (status = api_->EnumKey(key, i, name, kMaxNameChars)) == kErrorSuccess; ++i)
      names.push_back(name);
    EXPECT_EQ(kErrorNoMoreItems, status);
    return names;
  }
  std::vector<Value> Values(RegKey key) {
    std::vector<Value> values;
    for (std::uint32_t i = 0;; ++i) {
      char name[kMaxNameChars];
      std::uint8_t data[kMaxDataBytes];
      std::uint32_t nameChars = kMaxNameChars, dataBytes = kMaxDataBytes, type = 0;
      const long status = api_->EnumValue(key, i, name, &nameChars, &type, data, &dataBytes);
      if (status != kErrorSuccess) {
        EXPECT_EQ(kErrorNoMoreItems, status);
        return values;
      }
      EXPECT_EQ(std::string(name).size(), nameChars);
      values.push_back({name, type, std::string(data, data + dataBytes)});
    }
  }

  std::unique_ptr<ScratchRegistry> scratch_;
  RegistryApi* api_ = nullptr;
};

TEST_F(RegistryApiTest, KeysAreMadeAlongThePathOpenAgainAndListCompletely) {
  for (RegKey root : {kHkeyLocalMachine, kHkeyCurrentUser}) {
    const std::string base = root == kHkeyLocalMachine ? "SOFTWARE\\HwContract" : "Software\\HwContract";
    EXPECT_EQ(kErrorSuccess, api_->CloseKey(Create(root, base + "\\One\\Two\\Three")));
    RegKey two = Open(root, base + "\\One\\Two");
    EXPECT_EQ(std::vector<std::string>{"Three"}, SubkeyNames(two));
    EXPECT_EQ(kErrorSuccess, api_->CloseKey(Open(two, "THREE"))) << "names ignore case";
    EXPECT_EQ(kErrorSuccess, api_->CloseKey(two));
    RegKey again = Create(root, base + "\\one\\two");  // finds the existing key
    EXPECT_EQ(std::vector<std::string>{"Three"}, SubkeyNames(again));
    api_->CloseKey(again);
    RegKey missing = 12345;
    EXPECT_NE(kErrorSuccess, api_->OpenKeyEx(root, base + "\\One\\Nowhere", 0, kKeyRead, &missing));
    EXPECT_EQ(12345u, missing) << "no handle on failure";
  }
  RegKey closed = Create(kHkeyCurrentUser, "Software\\HwContract");
  EXPECT_EQ(kErrorSuccess, api_->CloseKey(closed));
  EXPECT_NE(kErrorSuccess, api_->CloseKey(closed)) << "a closed handle is gone";

  // Enumeration is complete, stable while a handle stays open, and ends with 259.
  RegKey key = Create(kHkeyLocalMachine, "SOFTWARE\\HwContract\\Walk");
  std::set<std::string> made;
  for (const char* n : {"Zeta", "alpha", "Mid", "beta", "Omega"}) {
    api_->CloseKey(Create(key, n));
    made.insert(n);
    ASSERT_EQ(kErrorSuccess, Set(key, std::string("v") + n, kRegSz, std::string(n) + '\0'));
  }
  const std::vector<std::string> first = SubkeyNames(key);
  EXPECT_EQ(made, std::set<std::string>(first.begin(), first.end()));
  EXPECT_EQ(first, SubkeyNames(key)) << "same order while the handle stays open";
  const std::vector<Value> values = Values(key), again = Values(key);
  ASSERT_EQ(5u, values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(kRegSz, values[i].type);
    EXPECT_EQ(values[i].name.substr(1) + '\0', values[i].data);
    EXPECT_EQ(values[i].name, again[i].name);
  }
  RegKey other = Open(kHkeyLocalMachine, "SOFTWARE\\HwContract\\Walk");  // a fresh handle sees the same keys
  const std::vector<std::string> viaOther = SubkeyNames(other);
  EXPECT_EQ(made, std::set<std::string>(viaOther.begin(), viaOther.end()));
  api_->CloseKey(other);
  api_->CloseKey(key);
}

TEST_F(RegistryApiTest, SetsQueriesAndDeletesEachValueType) {
  RegKey key = Create(kHkeyLocalMachine, "SOFTWARE\\HwContract\\Types");
  const Value values[] = {{"Sz", kRegSz, std::string("C:\\Program Files\\App\\app.exe\0", 29)},
                          {"Expand", kRegExpandSz, std::string("%SystemRoot%\\system32\0", 22)},
                          {"Binary", kRegBinary, std::string("\x01\x00\x02\xFF", 4)},
                          {"Dword", kRegDword, std::string("\xFF\xFF\xFF\x7F", 4)},
                          {"Multi", kRegMultiSz, std::string("a\0bc\0\0", 6)},
                          {"", kRegSz, std::string("default text\0", 13)}};
  for (const Value& v : values) ASSERT_EQ(kErrorSuccess, Set(key, v.name, v.type, v.data)) << v.name;
  for (const Value& v : values) {
    const Value read = Query(key, v.name == "Multi" ? "MULTI" : v.name);
    EXPECT_EQ(kErrorSuccess, read.status) << v.name;
    EXPECT_EQ(v.type, read.type) << v.name;
    EXPECT_EQ(v.data, read.data) << v.name;
  }
  // Setting an existing name (in other case) replaces it, type and all.
  ASSERT_EQ(kErrorSuccess, Set(key, "SZ", kRegDword, std::string("\x05\x00\x00\x00", 4)));
  EXPECT_EQ(kRegDword, Query(key, "Sz").type);
  EXPECT_EQ(std::string("\x05\x00\x00\x00", 4), Query(key, "Sz").data);
  EXPECT_EQ(kErrorSuccess, api_->DeleteValue(key, "Binary"));
  EXPECT_NE(kErrorSuccess, api_->DeleteValue(key, "Binary")) << "already gone";
  EXPECT_EQ(kErrorSuccess, api_->DeleteValue(key, ""));
  std::set<std::string> left;
  for (const Value& v : Values(key)) left.insert(v.name);
  EXPECT_EQ((std::set<std::string>{"Sz", "Expand", "Dword", "Multi"}), left);
  EXPECT_NE(kErrorSuccess, Query(key, "Binary").status);
  api_->CloseKey(key);

  // A write through a handle opened for reading only is refused.
  RegKey readOnly = Open(kHkeyLocalMachine, "SOFTWARE\\HwContract\\Types");
  EXPECT_NE(kErrorSuccess, Set(readOnly, "New", kRegSz, std::string("x\0", 2)));
  EXPECT_NE(kErrorSuccess, api_->DeleteValue(readOnly, "Dword"));
  EXPECT_EQ(kErrorSuccess, Query(readOnly, "Dword").status) << "the refused delete left the value";
  api_->CloseKey(readOnly);
}

// Buffers too small: a query still gives type and length; an enumeration
// refuses a name or data that does not fit, and the value stays whole.
TEST_F(RegistryApiTest, TooSmallBuffersGiveTheLengthOrAreRefusedAndTheValueStaysWhole) {
  RegKey key = Create(kHkeyCurrentUser, "Software\\HwContract\\Sizes");
  ASSERT_EQ(kErrorSuccess, Set(key, "Text", kRegSz, std::string("0123456789\0", 11)));
  std::uint8_t small[4], none[1];
  const struct {
    std::uint8_t* buffer;
    std::uint32_t room;
    bool succeeds;
  } cases[] = {{nullptr, 0, true}, {small, sizeof small, false}, {none, 0, false}};
  for (const auto& c : cases) {
    std::uint32_t type = 0, length = c.room;
    const long status = api_->QueryValueEx(key, "Text", &type, c.buffer, &length);
    EXPECT_EQ(c.succeeds, status == kErrorSuccess) << c.room;
    if (c.buffer == small) {
      EXPECT_EQ(kErrorMoreData, status);
    }
    EXPECT_EQ(kRegSz, type) << c.room;
    EXPECT_EQ(11u, length) << c.room;
  }
  std::uint32_t type, length = 0;
  EXPECT_NE(kErrorSuccess, api_->QueryValueEx(key, "Missing", &type, nullptr, &length));
  ASSERT_EQ(kErrorSuccess, api_->DeleteValue(key, "Text"));

  api_->CloseKey(Create(key, "ASubkeyName"));
  char name[kMaxNameChars];
  EXPECT_NE(kErrorSuccess, api_->EnumKey(key, 0, name, 11));
  EXPECT_EQ(kErrorSuccess, api_->EnumKey(key, 0, name, 12));
  EXPECT_STREQ("ASubkeyName", name);
  std::uint8_t data[kMaxDataBytes];
  std::uint32_t nameChars, dataBytes;
  for (const Value& v : {Value{std::string(300, 'n'), kRegBinary, std::string("x\0", 2)},
                         Value{"Big", kRegBinary, std::string(kMaxDataBytes + 100, '\x5A')}}) {
    ASSERT_EQ(kErrorSuccess, Set(key, v.name, v.type, v.data));
    nameChars = kMaxNameChars, dataBytes = kMaxDataBytes;
    EXPECT_NE(kErrorSuccess, api_->EnumValue(key, 0, name, &nameChars, &type, data, &dataBytes)) << v.name.size();
    EXPECT_EQ(v.data, Query(key, v.name).data) << "the value itself is whole";
    ASSERT_EQ(kErrorSuccess, api_->DeleteValue(key, v.name));
  }
  api_->CloseKey(key);
}

// Program text is UTF-8 on every backend; names and data outside any one
// code page go in and come out exactly.
TEST_F(RegistryApiTest, TextOfAnyScriptRoundTrips) {
  const std::string keyName = u8"Café Ñandú € Дмитрий 用户", valueName = u8"Grüße Łódź";
  const std::string text = std::string(u8"Fußball – “zitiert” €… C:\\Users\\Дмитрий\\用户 😀") + '\0';
  RegKey key = Create(kHkeyCurrentUser, "Software\\HwContract\\" + keyName);
  ASSERT_EQ(kErrorSuccess, Set(key, valueName, kRegSz, text));
  api_->CloseKey(key);
  RegKey parent = Open(kHkeyCurrentUser, "Software\\HwContract");
  EXPECT_EQ(std::vector<std::string>{keyName}, SubkeyNames(parent));
  // Accented and Cyrillic letters also compare without case.
  RegKey upper = Open(parent, u8"CAFÉ ÑANDÚ € ДМИТРИЙ 用户");
  const std::vector<Value> values = Values(upper);
  ASSERT_EQ(1u, values.size());
  EXPECT_EQ(valueName, values[0].name);
  EXPECT_EQ(text, values[0].data);
  EXPECT_EQ(text, Query(upper, u8"GRÜßE łÓDŹ").data);
  api_->CloseKey(upper);
  api_->CloseKey(parent);
}

}  // namespace
}  // namespace hw::test
