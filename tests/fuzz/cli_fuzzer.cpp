#include "fuzz/fuzz_target.h"

HW_FUZZ_TARGET(hw::fuzz::CheckCommandLine, nullptr)
