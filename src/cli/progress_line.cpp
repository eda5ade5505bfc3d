#include "cli/progress_line.h"

namespace hw {
namespace {

constexpr auto kInterval = std::chrono::milliseconds(100);
constexpr std::size_t kMaxWidth = 79;

}  // namespace

ProgressLine::ProgressLine(std::FILE* out, bool enabled, Clock clock)
    : out_(out), enabled_(enabled), clock_(std::move(clock)) {}

ProgressLine::~ProgressLine() { Finish(); }

void ProgressLine::Section(const std::string& caption) {
  section_ = caption;
  Show(false);
}

void ProgressLine::Counts(long itemsWalked, long problems) {
  items_ = itemsWalked;
  problems_ = problems;
  Show(false);
}

void ProgressLine::Show(bool force) {
  if (!enabled_) return;
  const auto now = clock_();
  if (!force && shownOnce_ && now - last_ < kInterval) return;
  last_ = now;
  shownOnce_ = true;
  std::string text = section_ + ": " + std::to_string(items_) + " items, " + std::to_string(problems_) +
                     (problems_ == 1 ? " problem" : " problems");
  if (text.size() > kMaxWidth) text = text.substr(0, kMaxWidth);
  // Spaces over the rest of a longer line before: no terminal codes, so
  // the Windows console shows it the same.
  const std::size_t pad = width_ > text.size() ? width_ - text.size() : 0;
  std::fprintf(out_, "\r%s%*s", text.c_str(), static_cast<int>(pad), "");
  std::fflush(out_);
  width_ = text.size();
  ++writes_;
}

void ProgressLine::Finish() {
  if (!enabled_ || width_ == 0) return;
  std::fprintf(out_, "\r%*s\r", static_cast<int>(width_), "");
  std::fflush(out_);
  width_ = 0;
}

}  // namespace hw
