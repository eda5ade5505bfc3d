#pragma once
// The registry sections run as the scan driver frames them: each section's
// header in err.log, then the catalogue's walks with CurrentSection set.
#include <string>
#include <vector>

#include "checks/scan_state.h"
#include "checks/section_catalogue.h"
#include "engine/mani.h"
#include "registry/module1.h"

namespace hw::test {

inline void ScanRegistrySections(const std::vector<std::string>& codes, const std::string& family,
                                 ScanState& state, Mani& sReg, SearchParameters& params) {
  for (const std::string& code : codes) {
    const Section* s = FindSection(code);
    if (!s) continue;
    state.CurrentSection = code;
    state.ErrLog->WriteLine(s->logHeader);
    for (const SectionPass& p : SectionPasses(*s, family)) {
      params.lSearchRoot = Module1::RootKeyFromName(p.rootName);
      params.lSearchFlags = p.flags;
      params.sSearchText = p.searchText;
      params.sStartKey = p.startKey;
      sReg.DoSearch();
    }
  }
}

}  // namespace hw::test
