#include "ui/scan_progress.h"

namespace hw {

int ProgressPercent(long value, long min, long max) {
  if (max <= min) return 0;
  if (value <= min) return 0;
  if (value >= max) return 100;
  return static_cast<int>((value - min) * 100 / (max - min));
}

std::string ProgressTitle(const std::string& title, int percent) {
  return std::to_string(percent) + "% - " + title;
}

}  // namespace hw
