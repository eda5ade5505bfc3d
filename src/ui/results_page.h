#pragma once
// The results page beyond the tree: the details pane under it and the
// context menu of a node. Page logic over Form1; the window shows the
// menu and puts copied text on the clipboard.
#include <string>
#include <vector>

#include "ui/form1.h"

namespace hw {

enum class ResultsCommand {
  kOpenInRegistryEditor = 1,
  kOpenFileLocation,
  kCopyDetails,
  kExclude,
  kSelectAll,
  kSelectNone,
  kInvertSelection,
  kSortByPath,
};

struct ResultsMenuItem {
  ResultsCommand command;
  std::string caption;
  /// A line between this item and the one before it.
  bool separatorBefore = false;
};

/// Where regedit keeps the key it opens at.
inline constexpr char kRegeditKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
inline constexpr char kRegeditLastKey[] = "LastKey";

/// The tree's and the pane's places on the results page (twips, in the
/// main area), and the pane hidden on every other page.
void LayoutResultsDetails(Form1& form, bool resultsPage);

/// Shows in the pane what is known about `node` (nothing for a node that
/// is not a problem, or none).
void ShowProblemDetails(Form1& form, const TreeNode* node);

/// The items of `node`'s context menu: the problem's own first (a registry
/// problem opens in the editor, a shortcut at its file), then the
/// selection of its subtree and the order of the results, offered on any
/// node.
std::vector<ResultsMenuItem> ResultsMenuFor(Form1& form, const TreeNode& node);

/// Carries out a menu item on the node with key `nodeKey`. Returns the
/// text for the clipboard (Copy details), else empty. Exclude adds the
/// problem to the exclusion list and takes its node out of the results,
/// so the repair leaves it alone. Sort by path orders the problems of
/// every section by their text, A to Z without regard to letter case.
std::string RunResultsCommand(Form1& form, const std::string& nodeKey, ResultsCommand command);

/// The LastKey text that opens regedit at `root`\`key`: with the first
/// part of the editor's own last key (its name for the computer) when it
/// has one, else "Computer".
std::string RegeditLastKeyText(const std::string& previous, const std::string& root, const std::string& key);

}  // namespace hw
