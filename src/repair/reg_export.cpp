#include "repair/reg_export.h"

#include <cstdio>

#include "platform/code_page.h"
#include "registry/module1.h"
#include "platform/runtime_error.h"

namespace hw {
namespace {

// A record's names and string data as UTF-16. The one place that reads
// them from the record: records keep them as program text (UTF-8).
struct WideRecord {
  std::u16string keyPath;    ///< "HKEY_...\key"
  std::u16string valueName;  ///< empty: the default value
};

std::u16string Wide(const std::string& text) { return Utf16FromUtf8(text); }

WideRecord WideOf(const BackupRecord& r) {
  return {Wide(Module1::RootKeyName(r.RootKey) + "\\" + r.KeyName), Wide(r.ValueName)};
}

/// The bytes the registry keeps for the value: string types as UTF-16.
std::vector<std::uint8_t> StoredBytes(const BackupRecord& r) {
  const std::vector<std::uint8_t> data = RestoreData(r);
  if (r.ValueType != kRegSz && r.ValueType != kRegExpandSz && r.ValueType != kRegMultiSz) return data;
  const std::string wide = Utf16LeFromUtf8(std::string(data.begin(), data.end()));
  return std::vector<std::uint8_t>(wide.begin(), wide.end());
}

void Put(std::u16string& out, const char* ascii) {
  for (; *ascii; ++ascii) out.push_back(static_cast<char16_t>(*ascii));
}

std::u16string Quoted(const std::u16string& text) {
  std::u16string out = u"\"";
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"') out.push_back(u'\\');
    out.push_back(c);
  }
  out.push_back(u'"');
  return out;
}

/// The text of a REG_SZ value for the quoted form, when its bytes are one
/// string closed by one NUL with nothing a line cannot hold.
bool PlainString(const std::vector<std::uint8_t>& bytes, std::u16string* text) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return false;
  const std::size_t units = bytes.size() / 2;
  text->clear();
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t c = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    if (i + 1 == units) return c == 0;
    if (c < 0x20) return false;
    text->push_back(c);
  }
  return false;
}

/// hex:.. or hex(N):.., wrapped as the registry editor wraps its lines.
void PutHex(std::u16string& out, std::size_t lineStart, std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
  char head[24];
  if (type == kRegBinary) {
    std::snprintf(head, sizeof head, "hex:");
  } else {
    std::snprintf(head, sizeof head, "hex(%x):", type);
  }
  Put(out, head);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char b[4];
    std::snprintf(b, sizeof b, "%02x", bytes[i]);
    Put(out, b);
    if (i + 1 == bytes.size()) break;
    out.push_back(u',');
    if (out.size() - lineStart > 76) {
      Put(out, "\\\r\n  ");
      lineStart = out.size() - 2;
    }
  }
}

}  // namespace

std::string RegFileOf(const std::vector<BackupRecord>& records) {
  std::u16string text;
  Put(text, "Windows Registry Editor Version 5.00\r\n");
  std::u16string lastKey;
  for (const BackupRecord& r : records) {
    if (Module1::RootKeyName(r.RootKey).empty()) continue;
    const WideRecord names = WideOf(r);
    if (names.keyPath != lastKey) {
      Put(text, "\r\n[");
      text += names.keyPath;
      Put(text, "]\r\n");
      lastKey = names.keyPath;
    }
    const std::size_t lineStart = text.size();
    if (names.valueName.empty()) {
      text.push_back(u'@');
    } else {
      text += Quoted(names.valueName);
    }
    text.push_back(u'=');
    const std::vector<std::uint8_t> bytes = StoredBytes(r);
    std::u16string plain;
    if (r.ValueType == kRegSz && PlainString(bytes, &plain)) {
      text += Quoted(plain);
    } else if (r.ValueType == kRegDword && bytes.size() == 4) {
      char d[16];
      std::snprintf(d, sizeof d, "dword:%08x",
                    unsigned(bytes[0] | bytes[1] << 8 | bytes[2] << 16) | unsigned(bytes[3]) << 24);
      Put(text, d);
    } else {
      PutHex(text, lineStart, r.ValueType, bytes);
    }
    Put(text, "\r\n");
  }
  Put(text, "\r\n");
  std::string out = "\xFF\xFE";
  out.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

int ExportBackupAsRegFile(FileServices& files, const std::string& backupPath, const std::string& regPath) {
  std::vector<BackupRecord> records;
  for (BackupRecord& r : ParseBackupFile(ReadBackupImage(files, backupPath)).records)
    if (!Module1::RootKeyName(r.RootKey).empty()) records.push_back(std::move(r));
  if (records.empty()) return 0;
  const std::string bytes = RegFileOf(records);
  auto out = files.OpenRecordFile(regPath);
  out->Truncate(0);
  out->WriteAt(0, bytes.data(), bytes.size());
  out->Sync();
  out->Close();
  return static_cast<int>(records.size());
}

}  // namespace hw
