#pragma once
// How far a running scan is, as the window's title and its taskbar button
// show it.
#include <string>

namespace hw {

/// The percentage of a progress bar's range that `value` has reached,
/// 0 to 100; 0 for an empty range.
int ProgressPercent(long value, long min, long max);

/// The window's title while a scan runs: "37% - Hivewright".
std::string ProgressTitle(const std::string& title, int percent);

}  // namespace hw
