#pragma once
// The scan page's labels as captions in memory: the window's part in a test
// of the checks. Records how often the first-page layout was asked for.
#include <array>
#include <string>

#include "checks/scan_counters_view.h"

namespace hw::test {

class CaptionView : public ScanCountersView {
 public:
  std::string probFoLb, label3;
  std::array<std::string, 11> numSecEr;
  int restoredLayouts = 0;
  bool suppress = false;

  CaptionView() { numSecEr.fill("0"); }
  void SetProbFoLbCaption(const std::string& c) override { probFoLb = c; }
  std::string ProblemsFoundText() override { return " Problem(s) Found"; }
  void SetLabel3Caption(const std::string& c) override { label3 = c; }
  std::string NumSecErCaption(int i) override { return numSecEr.at(i); }
  void SetNumSecErCaption(int i, const std::string& c) override { numSecEr.at(i) = c; }
  void RestoreFirstPageLayout() override { ++restoredLayouts; }
  bool SuppressKeyStatus() override { return suppress; }
};

}  // namespace hw::test
