#pragma once
// The base block of a hive file, read only as far as it tells whether the
// hive was saved cleanly: Windows raises the primary sequence number
// (offset 4) before it writes and the secondary one (offset 8) when it has
// written, so numbers that differ mean changes that are only in the hive's
// transaction logs (.LOG1, .LOG2).
#include <cstdint>
#include <string>

namespace hw {

struct HiveHeader {
  enum class Read { kOk, kUnreadable, kNotAHive } read = Read::kUnreadable;
  std::uint32_t primarySequence = 0, secondarySequence = 0;
  bool Clean() const { return read == Read::kOk && primarySequence == secondarySequence; }
};

/// Reads the first 12 bytes of the host file `path` ("regf" and the two
/// sequence numbers, little-endian). Nothing else of the file is read.
HiveHeader ReadHiveHeader(const std::string& path);

}  // namespace hw
