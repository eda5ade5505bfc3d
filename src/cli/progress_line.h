#pragma once
// One line of progress on a terminal, rewritten in place: the section, the
// items walked and the problems so far, at most ten times a second.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace hw {

class ProgressLine {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  /// `enabled` false: nothing is ever written (not a terminal, --quiet).
  ProgressLine(std::FILE* out, bool enabled, Clock clock = std::chrono::steady_clock::now);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Section(const std::string& caption);
  void Counts(long itemsWalked, long problems);
  /// Clears the line, so that what follows starts on a clean one.
  void Finish();
  /// Lines written so far (each a rewrite of the one line).
  long Writes() const { return writes_; }

 private:
  void Show(bool force);

  std::FILE* out_;
  bool enabled_;
  Clock clock_;
  std::chrono::steady_clock::time_point last_{};
  bool shownOnce_ = false;
  std::string section_;
  long items_ = 0, problems_ = 0;
  std::size_t width_ = 0;
  long writes_ = 0;
};

}  // namespace hw
