// What the program relies on from the registry functions, run against the
// real backend of each platform (hive files on Linux, Wine's registry).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/registry_api.h"
#include "support/scratch_registry.h"

namespace hw::test {
namespace {

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

  long Set(RegKey key, const std::string& name, std::uint32_t type, const std::string& bytes) {
    return api_->SetValueEx(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                            static_cast<std::uint32_t>(bytes.size()));
  }

  // Type and bytes of a value; status in *status.
  std::string Query(RegKey key, const std::string& name, std::uint32_t* type, long* status) {
    std::vector<std::uint8_t> buf(kMaxDataBytes * 2);
    std::uint32_t length = static_cast<std::uint32_t>(buf.size());
    *status = api_->QueryValueEx(key, name, type, buf.data(), &length);
    return *status == kErrorSuccess ? std::string(buf.begin(), buf.begin() + length) : std::string();
  }

  std::vector<std::string> SubkeyNames(RegKey key) {
    std::vector<std::string> names;
    char name[kMaxNameChars];
    for (std::uint32_t i = 0;; ++i) {
      long status = api_->EnumKey(key, i, name, kMaxNameChars);
      if (status != kErrorSuccess) {
        EXPECT_EQ(kErrorNoMoreItems, status);
        break;
      }
      names.push_back(name);
    }
    return names;
  }

  struct Value {
    std::string name;
    std::uint32_t type;
    std::string data;
  };
  std::vector<Value> Values(RegKey key) {
    std::vector<Value> values;
    for (std::uint32_t i = 0;; ++i) {
      char name[kMaxNameChars];
      std::uint8_t data[kMaxDataBytes];
      std::uint32_t nameChars = kMaxNameChars, dataBytes = kMaxDataBytes, type = 0;
      long status = api_->EnumValue(key, i, name, &nameChars, &type, data, &dataBytes);
      if (status != kErrorSuccess) {
        EXPECT_EQ(kErrorNoMoreItems, status);
        break;
      }
      EXPECT_EQ(std::string(name).size(), nameChars);
      values.push_back({name, type, std::string(data, data + dataBytes)});
    }
    return values;
  }

  std::unique_ptr<ScratchRegistry> scratch_;
  RegistryApi* api_ = nullptr;
};

TEST_F(RegistryApiTest, CreatesEveryKeyAlongThePathAndOpensThemAgain) {
  for (RegKey root : {kHkeyLocalMachine, kHkeyCurrentUser}) {
    const std::string base = root == kHkeyLocalMachine ? "SOFTWARE\\HwContract" : "Software\\HwContract";
    RegKey deep = Create(root, base + "\\One\\Two\\Three");
    EXPECT_EQ(kErrorSuccess, api_->CloseKey(deep));

    RegKey two = 0;
    ASSERT_EQ(kErrorSuccess, api_->OpenKeyEx(root, base + "\\One\\Two", 0, kKeyRead, &two));
    EXPECT_EQ(std::vector<std::string>{"Three"}, SubkeyNames(two));
    RegKey three = 0;
    ASSERT_EQ(kErrorSuccess, api_->OpenKeyEx(two, "THREE", 0, kKeyRead, &three)) << "names ignore case";
    EXPECT_EQ(kErrorSuccess, api_->CloseKey(three));
    EXPECT_EQ(kErrorSuccess, api_->CloseKey(two));

    // Opening again through CreateKeyEx finds the existing key.
    RegKey again = Create(root, base + "\\one\\two");
    EXPECT_EQ(std::vector<std::string>{"Three"}, SubkeyNames(again));
    api_->CloseKey(again);

    RegKey missing = 12345;
    EXPECT_NE(kErrorSuccess, api_->OpenKeyEx(root, base + "\\One\\Nowhere", 0, kKeyRead, &missing));
    EXPECT_EQ(12345u, missing) << "no handle on failure";
  }
  RegKey closed = Create(kHkeyCurrentUser, "Software\\HwContract");
  EXPECT_EQ(kErrorSuccess, api_->CloseKey(closed));
  EXPECT_NE(kErrorSuccess, api_->CloseKey(closed)) << "a closed handle is gone";
}

TEST_F(RegistryApiTest, SetsQueriesAndDeletesEachValueType) {
  RegKey key = Create(kHkeyLocalMachine, "SOFTWARE\\HwContract\\Types");
  const std::string sz("C:\\Program Files\\App\\app.exe\0", 29);
  const std::string expand("%SystemRoot%\\system32\0", 22);
  const std::string binary("\x01\x00\x02\xFF", 4);
  const std::string dword("\xFF\xFF\xFF\x7F", 4);
  const std::string multi("a\0bc\0\0", 6);
  const std::string deflt("default text\0", 13);
  ASSERT_EQ(kErrorSuccess, Set(key, "Sz", kRegSz, sz));
  ASSERT_EQ(kErrorSuccess, Set(key, "Expand", kRegExpandSz, expand));
  ASSERT_EQ(kErrorSuccess, Set(key, "Binary", kRegBinary, binary));
  ASSERT_EQ(kErrorSuccess, Set(key, "Dword", kRegDword, dword));
  ASSERT_EQ(kErrorSuccess, Set(key, "Multi", kRegMultiSz, multi));
  ASSERT_EQ(kErrorSuccess, Set(key, "", kRegSz, deflt));

  struct Expect {
    std::string name;
    std::uint32_t type;
    std::string data;
  };
  for (const Expect& e : {Expect{"Sz", kRegSz, sz}, Expect{"Expand", kRegExpandSz, expand},
                          Expect{"binary", kRegBinary, binary}, Expect{"Dword", kRegDword, dword},
                          Expect{"MULTI", kRegMultiSz, multi}, Expect{"", kRegSz, deflt}}) {
    std::uint32_t type = 99;
    long status;
    EXPECT_EQ(e.data, Query(key, e.name, &type, &status)) << e.name;
    EXPECT_EQ(kErrorSuccess, status) << e.name;
    EXPECT_EQ(e.type, type) << e.name;
  }

  // Setting an existing name (in other case) replaces it, type and all.
  ASSERT_EQ(kErrorSuccess, Set(key, "SZ", kRegDword, std::string("\x05\x00\x00\x00", 4)));
  std::uint32_t type = 0;
  long status;
  EXPECT_EQ(std::string("\x05\x00\x00\x00", 4), Query(key, "Sz", &type, &status));
  EXPECT_EQ(kRegDword, type);
  EXPECT_EQ(6u, Values(key).size());

  EXPECT_EQ(kErrorSuccess, api_->DeleteValue(key, "Binary"));
  Query(key, "Binary", &type, &status);
  EXPECT_NE(kErrorSuccess, status);
  EXPECT_NE(kErrorSuccess, api_->DeleteValue(key, "Binary")) << "already gone";
  EXPECT_EQ(kErrorSuccess, api_->DeleteValue(key, ""));
  Query(key, "", &type, &status);
  EXPECT_NE(kErrorSuccess, status);
  std::set<std::string> left;
  for (const Value& v : Values(key)) left.insert(v.name);
  EXPECT_EQ((std::set<std::string>{"Sz", "Expand", "Dword", "Multi"}), left);
  api_->CloseKey(key);

  // A write through a handle opened for reading only is refused.
  RegKey readOnly = 0;
  ASSERT_EQ(kErrorSuccess, api_->OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\HwContract\\Types", 0, kKeyRead, &readOnly));
  EXPECT_NE(kErrorSuccess, Set(readOnly, "New", kRegSz, std::string("x\0", 2)));
  EXPECT_NE(kErrorSuccess, api_->DeleteValue(readOnly, "Dword"));
  Query(readOnly, "Dword", &type, &status);
  EXPECT_EQ(kErrorSuccess, status) << "the refused delete left the value";
  api_->CloseKey(readOnly);
}

TEST_F(RegistryApiTest, QueryWithoutRoomStillGivesTypeAndLength) {
  RegKey key = Create(kHkeyCurrentUser, "Software\\HwContract\\Sizes");
  const std::string text("0123456789\0", 11);
  ASSERT_EQ(kErrorSuccess, Set(key, "Text", kRegSz, text));

  std::uint32_t type = 0, length = 0;
  EXPECT_EQ(kErrorSuccess, api_->QueryValueEx(key, "Text", &type, nullptr, &length));
  EXPECT_EQ(kRegSz, type);
  EXPECT_EQ(11u, length);

  std::uint8_t small[4] = {'x', 'x', 'x', 'x'};
  type = 0;
  length = sizeof small;
  EXPECT_EQ(kErrorMoreData, api_->QueryValueEx(key, "Text", &type, small, &length));
  EXPECT_EQ(kRegSz, type);
  EXPECT_EQ(11u, length);

  type = 0;
  length = 0;
  std::uint8_t none[1];
  EXPECT_NE(kErrorSuccess, api_->QueryValueEx(key, "Text", &type, none, &length));
  EXPECT_EQ(kRegSz, type);
  EXPECT_EQ(11u, length);

  EXPECT_NE(kErrorSuccess, api_->QueryValueEx(key, "Missing", &type, nullptr, &length));
  api_->CloseKey(key);
}

TEST_F(RegistryApiTest, EnumerationIsCompleteStableAndEndsWith259) {
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

  const std::vector<Value> values = Values(key);
  ASSERT_EQ(5u, values.size());
  for (const Value& v : values) {
    EXPECT_EQ(kRegSz, v.type);
    EXPECT_EQ(v.name.substr(1) + '\0', v.data);
  }
  const std::vector<Value> again = Values(key);
  for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(values[i].name, again[i].name);

  char name[kMaxNameChars];
  std::uint32_t nameChars = kMaxNameChars, type, dataBytes = kMaxDataBytes;
  std::uint8_t data[kMaxDataBytes];
  EXPECT_EQ(kErrorNoMoreItems, api_->EnumKey(key, 5, name, kMaxNameChars));
  EXPECT_EQ(kErrorNoMoreItems, api_->EnumValue(key, 5, name, &nameChars, &type, data, &dataBytes));

  // A fresh handle enumerates the same keys.
  RegKey other = 0;
  ASSERT_EQ(kErrorSuccess, api_->OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\HwContract\\Walk", 0, kKeyRead, &other));
  const std::vector<std::string> viaOther = SubkeyNames(other);
  EXPECT_EQ(made, std::set<std::string>(viaOther.begin(), viaOther.end()));
  api_->CloseKey(other);
  api_->CloseKey(key);
}

TEST_F(RegistryApiTest, NamesAndDataTooLongForTheBuffersAreRefused) {
  RegKey key = Create(kHkeyCurrentUser, "Software\\HwContract\\Long");
  api_->CloseKey(Create(key, "ASubkeyName"));
  char name[kMaxNameChars];
  EXPECT_NE(kErrorSuccess, api_->EnumKey(key, 0, name, 5));
  EXPECT_EQ(kErrorSuccess, api_->EnumKey(key, 0, name, 12));
  EXPECT_STREQ("ASubkeyName", name);

  const std::string longName(300, 'n');
  ASSERT_EQ(kErrorSuccess, Set(key, longName, kRegSz, std::string("x\0", 2)));
  std::uint8_t data[kMaxDataBytes];
  std::uint32_t nameChars = kMaxNameChars, type = 0, dataBytes = kMaxDataBytes;
  EXPECT_NE(kErrorSuccess, api_->EnumValue(key, 0, name, &nameChars, &type, data, &dataBytes));
  ASSERT_EQ(kErrorSuccess, api_->DeleteValue(key, longName));

  const std::string big(kMaxDataBytes + 100, '\x5A');
  ASSERT_EQ(kErrorSuccess, Set(key, "Big", kRegBinary, big));
  nameChars = kMaxNameChars;
  dataBytes = kMaxDataBytes;
  EXPECT_NE(kErrorSuccess, api_->EnumValue(key, 0, name, &nameChars, &type, data, &dataBytes));
  long status;
  EXPECT_EQ(big, Query(key, "Big", &type, &status)) << "the value itself is whole";
  api_->CloseKey(key);
}

// Program text is UTF-8 on every backend; names and data outside any one
// code page go in and come out exactly.
TEST_F(RegistryApiTest, TextOfAnyScriptRoundTrips) {
  const std::string keyName = u8"Café Ñandú € Дмитрий 用户";
  const std::string valueName = u8"Grüße Łódź";
  const std::string text = u8"Fußball – “zitiert” €… C:\\Users\\Дмитрий\\用户 😀";
  RegKey key = Create(kHkeyCurrentUser, "Software\\HwContract\\" + keyName);
  ASSERT_EQ(kErrorSuccess, Set(key, valueName, kRegSz, text + '\0'));
  api_->CloseKey(key);

  RegKey parent = 0;
  ASSERT_EQ(kErrorSuccess, api_->OpenKeyEx(kHkeyCurrentUser, "Software\\HwContract", 0, kKeyRead, &parent));
  EXPECT_EQ(std::vector<std::string>{keyName}, SubkeyNames(parent));
  RegKey upper = 0;
  ASSERT_EQ(kErrorSuccess, api_->OpenKeyEx(parent, u8"CAFÉ ÑANDÚ € ДМИТРИЙ 用户", 0, kKeyRead, &upper))
      << "accented and Cyrillic letters also compare without case";
  const std::vector<Value> values = Values(upper);
  ASSERT_EQ(1u, values.size());
  EXPECT_EQ(valueName, values[0].name);
  EXPECT_EQ(text + '\0', values[0].data);
  std::uint32_t type;
  long status;
  EXPECT_EQ(text + '\0', Query(upper, u8"GRÜßE łÓDŹ", &type, &status));
  api_->CloseKey(upper);
  api_->CloseKey(parent);
}

}  // namespace
}  // namespace hw::test
