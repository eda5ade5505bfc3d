#pragma once
// Backup files: one record per deleted registry value, in fixed slots of
// 1292 bytes, so the backup manager can write the values back.
//
// Slot layout (little-endian numbers, single-byte text in the system's ANSI
// code page, '?' for a character it lacks):
//   0    4    root key (0x80000000..0x80000006, 0 for an unknown root)
//   4    256  key name, space padded, cut to 256
//   260  256  value name, space padded (the default value is 256 spaces)
//   516  257  the value's first 257 data bytes, zero padded (strings in ANSI)
//   773  4    value type
//   777  515  rest of the slot; readers of the layout ignore it
// The last slot of a file may end after its 777 content bytes.
//
// Our extension, so a restore gives back exactly what was deleted (names
// in any script, longer than their fields or with edge spaces, data of any
// length): the rest of the main slot holds
//   777  4    marker "HWX2"
//   781  4    key name bytes      785  4  value name bytes
//   789  4    data bytes          793  4  number of continuation slots
//   797  4    CRC-32 of every other byte of the main slot and of every
//             byte of its continuation slots
//   801  487  payload: key name, value name (UTF-16LE) and data (strings
//             in UTF-16LE, other types as stored), back to back
//   1288 4    marker "HWX2" again
// and the payload goes on in continuation slots that directly follow:
//   0 "HWC2", 4 a NUL byte, 5..1287 payload (zero padded in the last one),
//   1288 "HWC2".
// A continuation slot's key name begins with NUL, which every reader of the
// layout passes over as an empty slot; a foreign reader restores the main
// slot's classic fields and never sees the rest. Each of our slots carries
// its marker twice, so no single changed byte makes it look classic; a slot
// of ours that does not check out is damaged, never restored in part.
// Records of older builds ("HWX1"/"HWC1": no trailer, payload in the ANSI
// code page, a checksum of fewer bytes) are still read.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "checks/problem_logs.h"
#include "platform/file_services.h"
#include "platform/registry_api.h"

namespace hw {

constexpr std::size_t kBackupSlotLength = 1292;
constexpr std::size_t kBackupContentLength = 777;
constexpr std::size_t kBackupNameChars = 256;
constexpr std::size_t kBackupDataBytes = 257;

/// One deleted value. `exact` records carry the whole value; others were
/// read from the classic fields only (names cut to 256 characters and
/// trimmed, at most 257 data bytes).
struct BackupRecord {
  std::uint32_t RootKey = 0;
  std::string KeyName;
  std::string ValueName;
  std::uint32_t ValueType = 0;
  std::vector<std::uint8_t> Data;
  bool exact = true;

  /// The slots of this record: one main slot and, when the exact value
  /// does not fit the main slot's rest, continuation slots. Always a whole
  /// number of 1292-byte slots.
  std::vector<std::uint8_t> ToSlots() const;
  /// "HKEY_...\key\name" for messages ("(Default)" for the default value).
  std::string Describe() const;
};

/// What a backup file holds, slot by slot.
struct BackupContents {
  std::vector<BackupRecord> records;
  /// Records that cannot be used although they are records (an extension
  /// that does not check out: a write cut short, a changed byte).
  /// Described for messages.
  std::vector<std::string> damaged;
  /// One of `damaged` is a short last slot that is not of our layout: on
  /// its own it does not make a file a backup.
  bool incompleteTail = false;
};

/// Reads a whole backup file image. Empty classic slots (key name empty or
/// beginning with NUL) and the continuation slots of good records are
/// passed over; our records that do not check out, continuation slots
/// without their record and a non-empty last slot shorter than 777 bytes
/// are damaged.
BackupContents ParseBackupFile(const std::vector<std::uint8_t>& image);

/// The whole image of a backup file, for ParseBackupFile. Throws
/// RuntimeError when it cannot be read whole or is larger than any backup
/// (1 GiB).
std::vector<std::uint8_t> ReadBackupImage(FileServices& files, const std::string& path);

/// The slot number (from 0) where the next record of a file of `length`
/// bytes goes: behind the last slot, a short last slot counting as one.
inline std::uint64_t NextBackupSlot(std::uint64_t length) {
  return (length + kBackupSlotLength - 1) / kBackupSlotLength;
}

/// Appends a record to the backup file at `path` (created when missing)
/// and makes it durable (Sync) before returning. Throws RuntimeError on
/// failure; the file may then hold part of the record, which
/// ParseBackupFile recognises as damaged or as no record.
void WriteBackupRecord(FileServices& files, const std::string& path, const BackupRecord& record);

/// Every non-zero byte of `data`, in order, as a character.
std::string BytesToText(const std::vector<std::uint8_t>& data);

/// What a restore achieved.
struct RestoreResult {
  int restored = 0;
  /// Values that could not be written back, described for the user.
  std::vector<std::string> failed;
  /// Of `failed`, the values left because they hold other data and were
  /// not to be overwritten.
  int skipped = 0;
  bool Complete() const { return failed.empty(); }
};

/// Writes every usable record of the backup file back into the registry
/// (creating missing keys), then makes the registry durable (Flush). A
/// file that cannot be read gives a failure naming the file. A value that
/// already holds the record's data counts as restored; one that exists
/// with other data is written only with `overwriteOtherData`. A damaged
/// record is never written back and counts as not restored; its
/// description ends with `damagedNote` in brackets.
RestoreResult RestoreBackupFile(RegistryApi& registry, FileServices& files, const std::string& path,
                                bool overwriteOtherData = true,
                                const std::string& damagedNote = "damaged record: not restored, the backup is kept");

/// The value a record writes back: exact records their own bytes; classic
/// records by the layout's rules (type 4: bytes 0-3; type 3: up to the
/// last non-zero byte; type 7: the strings before the first empty one,
/// each ended by NUL, then the closing NUL; other types: the non-zero bytes
/// as text with a closing NUL).
std::vector<std::uint8_t> RestoreData(const BackupRecord& record);

/// CRC-32 (the zlib polynomial), continuing from `crc`.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t length, std::uint32_t crc = 0);

}  // namespace hw
