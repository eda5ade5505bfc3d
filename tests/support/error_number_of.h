#pragma once
// The number of the RuntimeError an action raises, 0 when it raises none.
#include <functional>

#include "platform/runtime_error.h"

namespace hw::test {

inline long ErrorNumberOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RuntimeError& e) {
    return e.Number();
  }
  return 0;
}

}  // namespace hw::test
