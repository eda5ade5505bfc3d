#pragma once
// The libFuzzer entry point of one check: a broken promise or an exception
// that escapes the reader ends the run as a crash, with its message. With
// HW_FUZZ_WRITE_SEEDS set to a folder, the target writes the inputs its
// program's writers make (if any) there and ends (scripts/fuzz.sh).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>

#include "fuzz/fuzz_checks.h"

namespace hw::fuzz {
using Seeds = std::vector<std::string> (*)();
inline void WriteSeedsIfAsked(Seeds seeds) {
  const char* folder = std::getenv("HW_FUZZ_WRITE_SEEDS");
  if (!folder) return;
  int n = 0;
  for (const std::string& s : seeds ? seeds() : std::vector<std::string>{}) {
    std::ofstream(std::string(folder) + "/made-" + std::to_string(++n), std::ios::binary) << s;
  }
  std::exit(0);
}
}  // namespace hw::fuzz

#define HW_FUZZ_TARGET(check, seeds)                                                 \
  extern "C" int LLVMFuzzerInitialize(int*, char***) {                               \
    hw::fuzz::WriteSeedsIfAsked(seeds);                                              \
    return 0;                                                                        \
  }                                                                                  \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    try {                                                                            \
      check(std::string(reinterpret_cast<const char*>(data), size));                 \
    } catch (const std::exception& e) {                                              \
      std::fprintf(stderr, "fuzz check failed: %s\n", e.what());                     \
      std::abort();                                                                  \
    }                                                                                \
    return 0;                                                                        \
  }
