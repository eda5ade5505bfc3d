#pragma once
// Whether a stream is a terminal. Backends: console_facts_posix.cpp,
// console_facts_win32.cpp.
#include <cstdio>

namespace hw {

bool IsTerminal(std::FILE* stream);

}  // namespace hw
