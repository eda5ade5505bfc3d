#include "repair/backup_file.h"

#include <algorithm>
#include <cstring>

#include "platform/ansi_text.h"
#include "platform/code_page.h"
#include "registry/module1.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"
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
constexpr std::size_t kCrcOffset = kExtOffset + 20;
constexpr std::size_t kTrailerOffset = kBackupSlotLength - 4;
constexpr std::size_t kContinuationHeader = 5;
constexpr char kExtMarker1[] = "HWX1";
constexpr char kContinuationMarker1[] = "HWC1";
constexpr char kExtMarker[] = "HWX2";
constexpr char kContinuationMarker[] = "HWC2";
// Far above any registry value; bounds what a damaged file can make us read.
constexpr std::uint64_t kMaxPayload = 64u << 20;
constexpr std::uint64_t kMaxFileLength = 1024ull << 20;

// Version 1 (older builds): no trailer, payload in the ANSI code page.
// Version 2: a trailer marker at the end of every slot, so no single changed
// byte makes one of our slots look like a classic record, and the payload
// in UTF-16LE.
std::size_t MainPayload(int version) { return kBackupSlotLength - kExtOffset - kExtHeaderLength - (version == 2 ? 4 : 0); }
std::size_t ContinuationPayload(int version) {
  return kBackupSlotLength - kContinuationHeader - (version == 2 ? 4 : 0);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

bool Is(const std::uint8_t* p, const char* marker) { return std::memcmp(p, marker, 4) == 0; }

void PutField(std::uint8_t* p, const std::string& text, std::size_t width) {
  std::memset(p, ' ', width);
  std::memcpy(p, text.data(), std::min(text.size(), width));
}

bool IsStringData(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

// Version 1 covered only part of the slot: kept to read its records.
std::uint32_t ExtensionCrc1(const std::uint8_t* slot, const std::vector<std::uint8_t>& payload) {
  std::uint32_t crc = Crc32(slot + kRootOffset, 4);
  crc = Crc32(slot + kTypeOffset, kExtOffset + kExtHeaderLength - kTypeOffset - 4, crc);
  return Crc32(payload.data(), payload.size(), crc);
}

// Version 2: every byte of the main slot but the checksum itself, and every
// byte of its continuation slots.
std::uint32_t ExtensionCrc2(const std::uint8_t* slot, std::size_t continuations) {
  std::uint32_t crc = Crc32(slot, kCrcOffset);
  crc = Crc32(slot + kCrcOffset + 4, kBackupSlotLength - kCrcOffset - 4, crc);
  return Crc32(slot + kBackupSlotLength, continuations * kBackupSlotLength, crc);
}

// Whether bytes [from, from + length) of `p` begin like `marker` (a slot cut
// inside its marker still shows the marker's first bytes).
bool StartsLike(const std::uint8_t* p, std::size_t length, const char* marker) {
  return length > 0 && std::memcmp(p, marker, std::min<std::size_t>(length, 4)) == 0;
}

// One of our main slots, whole or damaged; 0 for a classic slot.
int MainVersion(const std::uint8_t* slot, std::size_t length) {
  if (length > kExtOffset) {
    const std::size_t n = length - kExtOffset;
    if (StartsLike(slot + kExtOffset, n, kExtMarker)) return 2;
    if (StartsLike(slot + kExtOffset, n, kExtMarker1)) return 1;
  }
  if (length == kBackupSlotLength && Is(slot + kTrailerOffset, kExtMarker)) return 2;
  return 0;
}

// A continuation slot, whole or damaged. Its first four bytes can never be
// a classic record's root key.
int ContinuationVersion(const std::uint8_t* slot, std::size_t length) {
  if (StartsLike(slot, length, kContinuationMarker) && length >= 4) return 2;
  if (StartsLike(slot, length, kContinuationMarker1) && length >= 4) return 1;
  if (length == kBackupSlotLength && Is(slot + kTrailerOffset, kContinuationMarker)) return 2;
  return 0;
}

bool IsWholeContinuation(const std::uint8_t* slot, std::size_t length, int version) {
  if (length != kBackupSlotLength || slot[kKeyOffset] != 0) return false;
  if (version == 2) return Is(slot, kContinuationMarker) && Is(slot + kTrailerOffset, kContinuationMarker);
  return Is(slot, kContinuationMarker1);
}

std::string FieldText(const std::uint8_t* p, std::size_t width) {
  return Trim(TextFromAnsi(CutAtNul(std::string(reinterpret_cast<const char*>(p), width))));
}

std::vector<std::uint8_t> MultiStringFromField(const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> out;
  std::size_t i = 0;
  while (i < data.size()) {
    std::size_t end = i;
    while (end < data.size() && data[end] != 0) ++end;
    if (end == i) break;  // the empty string that closes the list
    const std::string text = TextFromAnsi(std::string(data.begin() + i, data.begin() + end));
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    i = end + 1;
  }
  out.push_back(0);
  return out;
}

std::vector<std::uint8_t> ToBytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }
std::string ToText(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

std::string Utf16Of(const std::string& text) { return Utf16LeFromUtf8(text); }
std::string TextOfUtf16(const std::uint8_t* p, std::size_t n) { return Utf8FromUtf16Le(p, n); }

// Reads our record at `slot` (checked for its version); false when it does
// not check out. `*continuations` is how many slots follow it.
bool ParseExtension(const std::uint8_t* slot, std::size_t bytesLeft, int version, BackupRecord* r,
                    std::uint64_t* continuations) {
  const std::uint8_t* ext = slot + kExtOffset;
  if (bytesLeft < kBackupSlotLength || !Is(ext, version == 2 ? kExtMarker : kExtMarker1)) return false;
  if (version == 2 && !Is(slot + kTrailerOffset, kExtMarker)) return false;
  const std::uint64_t keyLength = Get32(ext + 4), nameLength = Get32(ext + 8), dataLength = Get32(ext + 12);
  *continuations = Get32(ext + 16);
  const std::uint64_t total = keyLength + nameLength + dataLength;
  const std::size_t mainPayload = MainPayload(version), contPayload = ContinuationPayload(version);
  const std::uint64_t rest = total > mainPayload ? total - mainPayload : 0;
  if (total > kMaxPayload || *continuations != (rest + contPayload - 1) / contPayload ||
      (1 + *continuations) * kBackupSlotLength > bytesLeft)
    return false;
  std::vector<std::uint8_t> payload(ext + kExtHeaderLength,
                                    ext + kExtHeaderLength + std::min<std::uint64_t>(total, mainPayload));
  for (std::uint64_t c = 1; c <= *continuations; ++c) {
    const std::uint8_t* cont = slot + c * kBackupSlotLength;
    if (!IsWholeContinuation(cont, kBackupSlotLength, version)) return false;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(total - payload.size(), contPayload));
    payload.insert(payload.end(), cont + kContinuationHeader, cont + kContinuationHeader + n);
  }
  if (payload.size() != total) return false;
  const std::uint32_t crc = version == 2 ? ExtensionCrc2(slot, static_cast<std::size_t>(*continuations))
                                         : ExtensionCrc1(slot, payload);
  if (Get32(ext + 20) != crc) return false;
  if (version == 2 && (keyLength % 2 || nameLength % 2 || (IsStringData(r->ValueType) && dataLength % 2)))
    return false;

  const std::uint8_t* p = payload.data();
  if (version == 2) {
    r->KeyName = TextOfUtf16(p, keyLength);
    r->ValueName = TextOfUtf16(p + keyLength, nameLength);
    const std::uint8_t* d = p + keyLength + nameLength;
    r->Data = IsStringData(r->ValueType) ? ToBytes(TextOfUtf16(d, dataLength))
                                          : std::vector<std::uint8_t>(d, d + dataLength);
  } else {
    r->KeyName = TextFromAnsi(std::string(p, p + keyLength));
    r->ValueName = TextFromAnsi(std::string(p + keyLength, p + keyLength + nameLength));
    const std::uint8_t* d = p + keyLength + nameLength;
    r->Data = std::vector<std::uint8_t>(d, d + dataLength);
    if (IsStringData(r->ValueType)) r->Data = ToBytes(TextFromAnsi(ToText(r->Data)));
  }
  r->exact = true;
  return true;
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
  // The extension holds the exact text as UTF-16LE; the classic fields the
  // system's ANSI form.
  const std::string key16 = Utf16Of(KeyName), name16 = Utf16Of(ValueName);
  const std::string data16 = IsStringData(ValueType) ? Utf16Of(ToText(Data)) : ToText(Data);
  std::vector<std::uint8_t> payload;
  payload.reserve(key16.size() + name16.size() + data16.size());
  payload.insert(payload.end(), key16.begin(), key16.end());
  payload.insert(payload.end(), name16.begin(), name16.end());
  payload.insert(payload.end(), data16.begin(), data16.end());
  const std::size_t mainPayload = MainPayload(2), contPayload = ContinuationPayload(2);
  const std::size_t rest = payload.size() > mainPayload ? payload.size() - mainPayload : 0;
  const std::size_t continuations = (rest + contPayload - 1) / contPayload;

  std::vector<std::uint8_t> out((1 + continuations) * kBackupSlotLength, 0);
  std::uint8_t* slot = out.data();
  Put32(slot + kRootOffset, RootKey);
  PutField(slot + kKeyOffset, AnsiFromText(KeyName), kBackupNameChars);
  PutField(slot + kValueNameOffset, AnsiFromText(ValueName), kBackupNameChars);
  const std::string classicData = IsStringData(ValueType) ? AnsiFromText(ToText(Data)) : ToText(Data);
  std::memcpy(slot + kDataOffset, classicData.data(), std::min(classicData.size(), kBackupDataBytes));
  Put32(slot + kTypeOffset, ValueType);
  std::uint8_t* ext = slot + kExtOffset;
  std::memcpy(ext, kExtMarker, 4);
  Put32(ext + 4, static_cast<std::uint32_t>(key16.size()));
  Put32(ext + 8, static_cast<std::uint32_t>(name16.size()));
  Put32(ext + 12, static_cast<std::uint32_t>(data16.size()));
  Put32(ext + 16, static_cast<std::uint32_t>(continuations));
  std::memcpy(slot + kTrailerOffset, kExtMarker, 4);

  std::size_t taken = std::min(payload.size(), mainPayload);
  std::memcpy(ext + kExtHeaderLength, payload.data(), taken);
  for (std::size_t c = 1; c <= continuations; ++c) {
    std::uint8_t* cont = out.data() + c * kBackupSlotLength;
    std::memcpy(cont, kContinuationMarker, 4);
    std::memcpy(cont + kTrailerOffset, kContinuationMarker, 4);
    const std::size_t n = std::min(payload.size() - taken, contPayload);
    std::memcpy(cont + kContinuationHeader, payload.data() + taken, n);
    taken += n;
  }
  Put32(ext + 20, ExtensionCrc2(slot, continuations));
  return out;
}

std::string BackupRecord::Describe() const {
  return Module1::RootKeyName(RootKey) + "\\" + KeyName + "\\" + (ValueName.empty() ? "(Default)" : ValueName);
}

BackupContents ParseBackupFile(const std::vector<std::uint8_t>& image) {
  BackupContents contents;
  const std::size_t slots = static_cast<std::size_t>(NextBackupSlot(image.size()));
  // Continuation slots behind a damaged record were told about with it.
  bool afterDamaged = false;
  // Our writer writes whole slots: in a file of ours a short last slot is a
  // write cut short, even where it ends before the extension's marker.
  bool ours = false;
  for (std::size_t s = 0; s < slots; ++s) {
    const std::uint8_t* slot = image.data() + s * kBackupSlotLength;
    const std::size_t length = std::min(kBackupSlotLength, image.size() - s * kBackupSlotLength);
    // A short last slot is read as if zero padded, never past its end.
    std::vector<std::uint8_t> padded;
    if (length < kBackupSlotLength) {
      padded.assign(slot, slot + length);
      padded.resize(kBackupSlotLength, 0);
      slot = padded.data();
    }

    if (ContinuationVersion(slot, length) != 0) {
      ours = true;
      if (!afterDamaged) contents.damaged.push_back("part of a record without its beginning (slot " +
                                                    std::to_string(s + 1) + ")");
      afterDamaged = true;
      continue;
    }
    BackupRecord r;
    r.RootKey = Get32(slot + kRootOffset);
    r.ValueType = Get32(slot + kTypeOffset);
    const int version = MainVersion(slot, length);
    ours = ours || version != 0;
    if (version != 0 || (ours && length < kBackupSlotLength)) {
      std::uint64_t continuations = 0;
      if (version != 0 && length == kBackupSlotLength && ParseExtension(slot, image.size() - s * kBackupSlotLength, version, &r, &continuations)) {
        s += static_cast<std::size_t>(continuations);
        afterDamaged = false;
        contents.records.push_back(std::move(r));
        continue;
      }
      // Our record, cut short or changed: its classic fields may hold only
      // part of the value, so it is never written back in a lesser form.
      r.KeyName = FieldText(slot + kKeyOffset, kBackupNameChars);
      r.ValueName = FieldText(slot + kValueNameOffset, kBackupNameChars);
      contents.damaged.push_back(r.Describe());
      afterDamaged = true;
      continue;
    }
    if (length < kBackupContentLength) {
      // A last slot without all its content: something was written there.
      if (std::any_of(slot, slot + length, [](std::uint8_t b) { return b != 0; })) {
        contents.damaged.push_back("an incomplete record at the end of the file");
        contents.incompleteTail = true;
      }
      continue;
    }
    afterDamaged = false;
    // The classic rule for empty or never-written slots.
    if (slot[kKeyOffset] == 0 || FieldText(slot + kKeyOffset, kBackupNameChars).empty()) continue;
    r.KeyName = FieldText(slot + kKeyOffset, kBackupNameChars);
    r.ValueName = FieldText(slot + kValueNameOffset, kBackupNameChars);
    r.Data.assign(slot + kDataOffset, slot + kDataOffset + kBackupDataBytes);
    r.exact = false;
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
      std::string text = TextFromAnsi(BytesToText(data));
      std::vector<std::uint8_t> out(text.begin(), text.end());
      out.push_back(0);
      return out;
    }
  }
}

std::vector<std::uint8_t> ReadBackupImage(FileServices& files, const std::string& path) {
  auto file = files.OpenRecordFile(path);
  const std::uint64_t length = file->Length();
  if (length > kMaxFileLength) throw RuntimeError(kErrBadFileMode, "The backup file is too large");
  std::vector<std::uint8_t> image(static_cast<std::size_t>(length));
  if (file->ReadAt(0, image.data(), image.size()) != image.size())
    throw RuntimeError(kErrDeviceIo, "The backup file could not be read");
  file->Close();
  return image;
}

RestoreResult RestoreBackupFile(RegistryApi& registry, FileServices& files, const std::string& path,
                                bool overwriteOtherData, const std::string& damagedNote) {
  RestoreResult result;
  std::vector<std::uint8_t> image;
  try {
    image = ReadBackupImage(files, path);
  } catch (const RuntimeError& e) {
    result.failed.push_back(path + " (" + e.Description() + ")");
    return result;
  }

  BackupContents contents = ParseBackupFile(image);
  for (const std::string& d : contents.damaged) result.failed.push_back(d + " (" + damagedNote + ")");
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
        ++result.skipped;
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
