#pragma once
// What the results page says about one problem node: where the entry is,
// what was read there, which path the rule tested and what is missing.
// Found from the problem logs (the node's number in alerr.log) and from the
// entry itself, read again at the moment it is asked for.
#include <optional>
#include <string>

#include "registry/module1.h"
#include "scan/tree_model.h"
#include "ui/results_texts.h"

namespace hw {

struct ProblemFacts {
  enum class Missing { kFile, kFolder, kDrive };

  /// Section code ("RI" ... "VD", or "Scan" for a shortcut) and its
  /// caption (a shortcut's with its drive node's text).
  std::string sectionCode, section;
  /// A registry problem: its location; the value name is "(Default)" for
  /// the default value.
  std::string root, key, valueName;
  /// A shortcut problem: the shortcut file.
  std::string shortcutFile;
  /// The data as read now (a shortcut's target); valueFound is false when
  /// the value is no longer there.
  std::string data;
  bool valueFound = true;
  std::string testedPath;
  Missing missing = Missing::kFile;
  /// The file, folder or drive ("Q:") that does not exist.
  std::string missingPath;

  bool IsShortcut() const { return sectionCode == "Scan"; }
  /// The exclusion entry of this problem: its location, or the shortcut file.
  std::string ExclusionEntry() const;
};

/// The facts of a problem node (one made from err.log); none for any other
/// node or when its logs are gone.
std::optional<ProblemFacts> FactsOfProblem(Module1& m, const TreeNode& node);

/// The details text, one fact a line (CR LF), as the pane and the clipboard
/// show it.
std::string ProblemDetailsText(const ProblemFacts& facts, const ResultsTexts& texts);

}  // namespace hw
