#pragma once
// Select all, none, or the opposite within one node's subtree of the
// section and results tree, leaving every node's tick picture ("All",
// "Some", "None" and its kind) as clicks would have left it.
#include "scan/tree_model.h"

namespace hw {

enum class SubtreeChoice { kAll, kNone, kInvert };

/// Ticks, clears or inverts each leaf below (and including) `node`; inner
/// nodes of the subtree and every ancestor then say All, None or Some by
/// their children.
void SelectSubtree(TreeNode& node, SubtreeChoice choice);

/// After children were removed: `node` (when it still has children) and
/// every ancestor say All, None or Some by their children.
void SettleTicks(TreeNode& node);

}  // namespace hw
