#pragma once
// Wall-clock timing for the benchmark programs.
#include <chrono>
#include <functional>

namespace hw::test {

/// Seconds `work` took.
inline double Seconds(const std::function<void()>& work) {
  auto t0 = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace hw::test
