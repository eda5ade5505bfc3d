#include "repair/backup_file.h"

#include <algorithm>
#include <cstring>

#include "registry/module1.h"
#include "registry/runtime_error.h"
#include "registry/vb_text.h"
#include "repair/backup_survey.h"

namespace hw {
namespace {

constexpr std::size_t kRootOffset = 0;
constexpr std::size_t kKeyOffset = 4;
constexpr std::size_t kValueNameOffset = 260;
constexpr std::size_t kDataOffset = 516;
constexpr std::size_t kTypeOffset = 773;
constexpr std::size_t kExtOffset = 777;
constexpr std::size_t kExtHeaderLength = 24;
constexpr std::size_t kMainPayload = kBackupSlotLength - kExtOffset - kExtHeaderLength;  // 491
constexpr std::size_t kContinuationHeader = 5;
constexpr std::size_t kContinuationPayload = kBackupSlotLength - kContinuationHeader;  // 1287
constexpr char kExtMarker[] = "HWX1";
constexpr char kContinuationMarker[] = "HWC1";
// Far above any registry value; bounds what a damaged file can make us read.
constexpr std::uint64_t kMaxPayload = 64u << 20;
constexpr std::uint64_t kMaxFileLength = 1024ull << 20;

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

void PutField(std::uint8_t* p, const std::string& text, std::size_t width) {
  std::memset(p, ' ', width);
  std::memcpy(p, text.data(), std::min(text.size(), width));
}

std::uint32_t ExtensionCrc(const std::uint8_t* slot, const std::vector<std::uint8_t>& payload) {
  std::uint32_t crc = Crc32(slot + kRootOffset, 4);
  crc = Crc32(slot + kTypeOffset, kExtOffset + kExtHeaderLength - kTypeOffset - 4, crc);
  return Crc32(payload.data(), payload.size(), crc);
}

bool IsContinuation(const std::uint8_t* slot, std::size_t length) {
  return length >= kContinuationHeader && std::memcmp(slot, kContinuationMarker, 4) == 0 &&
         slot[kKeyOffset] == 0;
}

std::string FieldText(const std::uint8_t* p, std::size_t width) {
  return Trim(CutAtNul(std::string(reinterpret_cast<const char*>(p), width)));
}

std::vector<std::uint8_t> MultiStringFromField(const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> out;
  std::size_t i = 0;
  while (i < data.size()) {
    std::size_t end = i;
    while (end < data.size() && data[end] != 0) ++end;
    if (end == i) break;  // the empty string that closes the list
    out.insert(out.end(), data.begin() + i, data.begin() + end);
    out.push_back(0);
    i = end + 1;
  }
  out.push_back(0);
  return out;
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t length, std::uint32_t crc) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::vector<std::uint8_t> BackupRecord::ToSlots() const {
  std::vector<std::uint8_t> payload;
  payload.reserve(KeyName.size() + ValueName.size() + Data.size());
  payload.insert(payload.end(), KeyName.begin(), KeyName.end());
  payload.insert(payload.end(), ValueName.begin(), ValueName.end());
  payload.insert(payload.end(), Data.begin(), Data.end());
  const std::size_t rest = payload.size() > kMainPayload ? payload.size() - kMainPayload : 0;
  const std::size_t continuations = (rest + kContinuationPayload - 1) / kContinuationPayload;

  std::vector<std::uint8_t> out((1 + continuations) * kBackupSlotLength, 0);
  std::uint8_t* slot = out.data();
  Put32(slot + kRootOffset, RootKey);
  PutField(slot + kKeyOffset, KeyName, kBackupNameChars);
  PutField(slot + kValueNameOffset, ValueName, kBackupNameChars);
  std::memcpy(slot + kDataOffset, Data.data(), std::min(Data.size(), kBackupDataBytes));
  Put32(slot + kTypeOffset, ValueType);
  std::uint8_t* ext = slot + kExtOffset;
  std::memcpy(ext, kExtMarker, 4);
  Put32(ext + 4, static_cast<std::uint32_t>(KeyName.size()));
  Put32(ext + 8, static_cast<std::uint32_t>(ValueName.size()));
  Put32(ext + 12, static_cast<std::uint32_t>(Data.size()));
  Put32(ext + 16, static_cast<std::uint32_t>(continuations));
  Put32(ext + 20, ExtensionCrc(slot, payload));

  std::size_t taken = std::min(payload.size(), kMainPayload);
  std::memcpy(ext + kExtHeaderLength, payload.data(), taken);
  for (std::size_t c = 1; c <= continuations; ++c) {
    std::uint8_t* cont = out.data() + c * kBackupSlotLength;
    std::memcpy(cont, kContinuationMarker, 4);
    const std::size_t n = std::min(payload.size() - taken, kContinuationPayload);
    std::memcpy(cont + kContinuationHeader, payload.data() + taken, n);
    taken += n;
  }
  return out;
}

std::string BackupRecord::Describe() const {
  return Module1::RootKeyName(RootKey) + "\\" + KeyName + "\\" + (ValueName.empty() ? "(Default)" : ValueName);
}

BackupContents ParseBackupFile(const std::vector<std::uint8_t>& image) {
  BackupContents contents;
  const std::size_t slots = static_cast<std::size_t>(NextBackupSlot(image.size()));
  for (std::size_t s = 0; s < slots; ++s) {
    const std::uint8_t* slot = image.data() + s * kBackupSlotLength;
    const std::size_t length = std::min(kBackupSlotLength, image.size() - s * kBackupSlotLength);
    if (length < kBackupContentLength || IsContinuation(slot, length)) continue;
    // The classic rule for empty or never-written slots.
    if (slot[kKeyOffset] == 0 || FieldText(slot + kKeyOffset, kBackupNameChars).empty()) continue;

    BackupRecord r;
    r.RootKey = Get32(slot + kRootOffset);
    r.ValueType = Get32(slot + kTypeOffset);
    const std::uint8_t* ext = slot + kExtOffset;
    if (length == kBackupSlotLength && std::memcmp(ext, kExtMarker, 4) == 0) {
      const std::uint64_t keyLength = Get32(ext + 4), nameLength = Get32(ext + 8), dataLength = Get32(ext + 12);
      const std::uint64_t continuations = Get32(ext + 16);
      const std::uint64_t total = keyLength + nameLength + dataLength;
      const std::uint64_t rest = total > kMainPayload ? total - kMainPayload : 0;
      bool ok = total <= kMaxPayload && continuations == (rest + kContinuationPayload - 1) / kContinuationPayload &&
                (s + 1 + continuations) * kBackupSlotLength <= image.size();
      std::vector<std::uint8_t> payload;
      if (ok) {
        payload.assign(ext + kExtHeaderLength, ext + kExtHeaderLength + std::min<std::uint64_t>(total, kMainPayload));
        for (std::uint64_t c = 1; ok && c <= continuations; ++c) {
          const std::uint8_t* cont = slot + c * kBackupSlotLength;
          ok = IsContinuation(cont, kBackupSlotLength);
          const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(total - payload.size(), kContinuationPayload));
          payload.insert(payload.end(), cont + kContinuationHeader, cont + kContinuationHeader + n);
        }
        ok = ok && payload.size() == total && Get32(ext + 20) == ExtensionCrc(slot, payload);
      }
      if (!ok) {
        // Our record, cut short or damaged: its classic fields may hold only
        // part of the value, so it is not written back over anything.
        r.KeyName = FieldText(slot + kKeyOffset, kBackupNameChars);
        r.ValueName = FieldText(slot + kValueNameOffset, kBackupNameChars);
        contents.damaged.push_back(r.Describe());
        continue;
      }
      auto p = payload.begin();
      r.KeyName.assign(p, p + keyLength);
      p += keyLength;
      r.ValueName.assign(p, p + nameLength);
      p += nameLength;
      r.Data.assign(p, p + dataLength);
      r.exact = true;
      s += continuations;
    } else {
      r.KeyName = FieldText(slot + kKeyOffset, kBackupNameChars);
      r.ValueName = FieldText(slot + kValueNameOffset, kBackupNameChars);
      r.Data.assign(slot + kDataOffset, slot + kDataOffset + kBackupDataBytes);
      r.exact = false;
    }
    contents.records.push_back(std::move(r));
  }
  return contents;
}

void WriteBackupRecord(FileServices& files, const std::string& path, const BackupRecord& record) {
  auto file = files.OpenRecordFile(path);
  const std::vector<std::uint8_t> slots = record.ToSlots();
  file->WriteAt(NextBackupSlot(file->Length()) * kBackupSlotLength, slots.data(), slots.size());
  file->Sync();
  file->Close();
}

void ReadBinaryEntry(const std::vector<BinaryEntry>& entries, std::array<std::uint8_t, kEntryBytes>& data,
                     const std::string& valueText) {
  for (const BinaryEntry& e : entries) {
    if (Trim(e.Text) == valueText) data = e.Bytes;
  }
}

std::string BytesToText(const std::vector<std::uint8_t>& data) {
  std::string text;
  for (std::uint8_t b : data) {
    if (b != 0) text.push_back(static_cast<char>(b));
  }
  return text;
}

std::vector<std::uint8_t> RestoreData(const BackupRecord& r) {
  if (r.exact) return r.Data;
  std::vector<std::uint8_t> data = r.Data;
  data.resize(kBackupDataBytes, 0);
  switch (r.ValueType) {
    case kRegDword:
      data.resize(4);
      return data;
    case kRegBinary: {
      // The field does not keep the length; trailing zeros cannot be told
      // from padding.
      std::size_t n = data.size();
      while (n > 0 && data[n - 1] == 0) --n;
      data.resize(n);
      return data;
    }
    case kRegMultiSz:
      return MultiStringFromField(data);
    default: {
      std::string text = BytesToText(data);
      std::vector<std::uint8_t> out(text.begin(), text.end());
      out.push_back(0);
      return out;
    }
  }
}

RestoreResult RestoreBackupFile(RegistryApi& registry, FileServices& files, const std::string& path,
                                bool overwriteOtherData) {
  RestoreResult result;
  std::vector<std::uint8_t> image;
  try {
    auto file = files.OpenRecordFile(path);
    const std::uint64_t length = file->Length();
    if (length > kMaxFileLength) throw RuntimeError(kErrBadFileMode, "The backup file is too large");
    image.resize(static_cast<std::size_t>(length));
    if (file->ReadAt(0, image.data(), image.size()) != image.size())
      throw RuntimeError(kErrDeviceIo, "The backup file could not be read");
    file->Close();
  } catch (const RuntimeError& e) {
    result.failed.push_back(path + " (" + e.Description() + ")");
    return result;
  }

  BackupContents contents = ParseBackupFile(image);
  for (const std::string& d : contents.damaged) result.failed.push_back(d + " (damaged record)");
  std::vector<std::size_t> written;
  int alreadyBack = 0;
  for (std::size_t i = 0; i < contents.records.size(); ++i) {
    const BackupRecord& r = contents.records[i];
    bool ok = false;
    try {
      if (Module1::RootKeyName(r.RootKey).empty()) throw RuntimeError(kErrInvalidArgument, "unknown root key");
      const ValueNow now = CompareWithRegistry(registry, r);
      if (now == ValueNow::kSame) {
        ++alreadyBack;
        continue;
      }
      if (now == ValueNow::kOther && !overwriteOtherData) {
        result.failed.push_back(r.Describe() + " (exists with other data)");
        continue;
      }
      const std::vector<std::uint8_t> data = RestoreData(r);
      RegKey key = 0;
      if (registry.CreateKeyEx(r.RootKey, r.KeyName, kKeyReadWrite, &key) == kErrorSuccess) {
        ok = registry.SetValueEx(key, r.ValueName, r.ValueType, data.data(),
                                 static_cast<std::uint32_t>(data.size())) == kErrorSuccess;
        registry.CloseKey(key);
      }
    } catch (const RuntimeError&) {
      ok = false;
    }
    if (ok) {
      written.push_back(i);
    } else {
      result.failed.push_back(r.Describe());
    }
  }
  if (!written.empty() && registry.Flush() != kErrorSuccess) {
    // Nothing written is durable: every value counts as not restored.
    for (std::size_t i : written) result.failed.push_back(contents.records[i].Describe());
    written.clear();
  }
  result.restored = static_cast<int>(written.size()) + alreadyBack;
  return result;
}

}  // namespace hw
