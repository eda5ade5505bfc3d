#pragma once
// The eleven sections of a scan: code, caption, order, log header and the
// search each one runs. Constant data; the driver, the selection tree, the
// rules and the result loader all read it from here.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace hw {

enum class SectionSearch {
  kRegistry,  ///< one or more walks of the registry walker
  kNone,      ///< header only, no search ("DD")
  kFiles,     ///< shortcut search on each selected fixed drive ("Scan")
};

/// One walk of a registry section.
struct SectionPass {
  const char* rootName;  ///< "HKEY_..."
  const char* startKey;
  std::int32_t flags;
  const char* searchText;
};

struct Section {
  const char* code;
  const char* caption;     ///< English; log headers and result lookup use it
  int order;               ///< 1 to 11
  const char* logHeader;   ///< "[" caption "]"
  SectionSearch search;
  /// Walks in the order they run; empty for "DD", "Scan" and "WF" (whose
  /// key depends on the Windows family: see SectionPasses).
  std::vector<SectionPass> passes;

  int CounterIndex() const { return order - 1; }
};

constexpr int kSectionCount = 11;
constexpr int kRegistrySectionCount = 10;
constexpr int kShortcutCounterIndex = 10;

/// The sections in catalogue order ("RI" first, "Scan" last).
const std::array<Section, kSectionCount>& SectionCatalogue();

/// The section with this code (exact); null when there is none.
const Section* FindSection(const std::string& code);

/// The walks the driver runs for a section. "WF" walks the fonts key of the
/// family, or nothing when the family is unknown.
std::vector<SectionPass> SectionPasses(const Section& section, const std::string& windowsFamily);

/// The pattern of the shortcut search.
inline constexpr char kShortcutPattern[] = "*.lnk";

}  // namespace hw
