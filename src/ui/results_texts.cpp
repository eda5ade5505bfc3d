#include "ui/results_texts.h"

namespace hw {

bool ApplyResultsText(ResultsTexts& t, int id, const std::string& text) {
  std::string* const targets[] = {
      &t.sectionLabel,  &t.rootLabel,     &t.keyLabel,         &t.valueLabel,     &t.dataLabel,
      &t.shortcutLabel, &t.testedLabel,   &t.missingFile,      &t.missingFolder,  &t.missingDrive,
      &t.valueGone,     &t.openInRegedit, &t.openFileLocation, &t.copyDetails,    &t.exclude,
      &t.selectAll,     &t.selectNone,    &t.invertSelection,  &t.exclusionsPage, &t.removeButton,
      &t.sortByPath};
  constexpr int kFirst = 1124;
  const int index = id - kFirst;
  if (index < 0 || index >= static_cast<int>(sizeof targets / sizeof targets[0])) return false;
  *targets[index] = text;
  return true;
}

}  // namespace hw
