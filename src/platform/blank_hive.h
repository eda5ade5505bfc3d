#pragma once
// A blank registry hive file made by the program itself: the base block and
// one bin holding the root key, its security cell and free space.
#include <cstdint>
#include <string>

namespace hw {

/// The bytes (8192) of a valid, clean, empty hive (format 1.3) whose root key
/// is named `rootName` (ASCII, at most 255 characters; longer names are cut).
/// `fileName` goes into the base block's informational name field (its last
/// 31 characters). `fileTime` is the time stamp of the hive and its root key,
/// in Windows FILETIME units.
std::string MakeBlankHive(const std::string& rootName = "ROOT", const std::string& fileName = "",
                          std::uint64_t fileTime = 0);

/// The base block checksum: XOR of the first 127 dwords, never 0 or ~0.
std::uint32_t HiveHeaderChecksum(const std::string& baseBlock);

}  // namespace hw
