#pragma once
// The texts of the results page's details pane, its context menu and the
// exclusion list, with their English defaults; a language file replaces
// them (identifiers 1124 on). "%1" stands for a path or a drive; the
// details pane puts ": " after each label.
#include <string>

namespace hw {

struct ResultsTexts {
  std::string sectionLabel = "Section";
  std::string rootLabel = "Root";
  std::string keyLabel = "Key";
  std::string valueLabel = "Value name";
  std::string dataLabel = "Data";
  std::string shortcutLabel = "Shortcut file";
  std::string testedLabel = "Path tested";
  std::string missingFile = "The file %1 does not exist.";
  std::string missingFolder = "The folder %1 does not exist.";
  std::string missingDrive = "The drive %1 does not exist.";
  std::string valueGone = "(the value is no longer there)";
  std::string openInRegedit = "Open in Registry Editor";
  std::string openFileLocation = "Open file location";
  std::string copyDetails = "Copy details";
  std::string exclude = "Exclude";
  std::string selectAll = "Select all";
  std::string selectNone = "Select none";
  std::string invertSelection = "Invert selection";
  std::string exclusionsPage = "Exclusions";
  std::string removeButton = "Remove";
  std::string sortByPath = "Sort by path";
};

/// Applies one line of a language file; false when `id` is not one of these.
bool ApplyResultsText(ResultsTexts& texts, int id, const std::string& text);

}  // namespace hw
