#pragma once
// The labels of the main window that the checks update during a scan,
// reached without any window code. The captions are the counters' storage.
#include <string>

namespace hw {

class ScanCountersView {
 public:
  virtual ~ScanCountersView() = default;
  /// `ProbFoLb`: problems so far and the problems-found text.
  virtual void SetProbFoLbCaption(const std::string& caption) = 0;
  /// The text after the count in `ProbFoLb` (the window's language text).
  virtual std::string ProblemsFoundText() = 0;
  /// `Label3`: the key being searched.
  virtual void SetLabel3Caption(const std::string& caption) = 0;
  /// `NumSecEr(index)`, index 0 to 10 (the section's counter index).
  virtual std::string NumSecErCaption(int index) = 0;
  virtual void SetNumSecErCaption(int index, const std::string& caption) = 0;
  /// Puts the window back into its first-page layout (after an error trap).
  virtual void RestoreFirstPageLayout() = 0;
  /// True while key-name updates of Label3 are to be left out (for example
  /// while the window is minimised).
  virtual bool SuppressKeyStatus() { return false; }
};

}  // namespace hw
