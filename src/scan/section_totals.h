#pragma once
#include "checks/scan_counters_view.h"
#include "scan/tree_model.h"

namespace hw {

/// After a scan: appends " (count)" to every bold node among the first 13
/// nodes of the section tree (My Computer, Scan Registry, the ten registry
/// sections, Scan for Shortcuts) and greys those with no problem.
void ShowSectionTotals(TreeModel& tree, ScanCountersView& view);

}  // namespace hw
