#pragma once
// The walk parameters of the registry search, set by the scan driver before
// every DoSearch and kept between calls. One instance lives for the run.
#include <cstdint>
#include <string>

#include "platform/registry_api.h"

namespace hw {

/// Bits of `lSearchFlags`. Key names are always tested.
constexpr std::int32_t kSearchValueNames = 1;
constexpr std::int32_t kSearchValueData = 2;
/// A name or text matches only when it equals the search text as a whole.
constexpr std::int32_t kSearchWholeText = 4;

struct SearchParameters {
  RegKey lSearchRoot = 0;
  std::int32_t lSearchFlags = 0;
  std::string sSearchText;
  /// Subkey path below the root where the walk starts (may be empty).
  std::string sStartKey;
};

}  // namespace hw
