#include <gtest/gtest.h>

#include "cli/progress_line.h"
#include "cli/cli_run.h"

namespace hw {
namespace {

using namespace std::chrono;

// At most ten lines a second, each over the one before, and nothing at all
// when it is off.
TEST(ProgressLine, RewritesOneLineAtMostTenTimesASecond) {
  for (const bool enabled : {true, false}) {
    steady_clock::time_point now{};
    std::FILE* f = std::tmpfile();
    {
      ProgressLine line(f, enabled, [&] { return now; });
      line.Section("Shared Libraries");
      const int at[] = {10, 50, 99, 110, 150, 260, 300, 361};  // ms
      for (int i = 0; i < 8; ++i) {
        now = steady_clock::time_point{} + milliseconds(at[i]);
        line.Counts(1000L * (i + 1), i);
      }
      EXPECT_EQ(line.Writes(), enabled ? 4 : 0);  // at 0, 110, 260, 361
      line.Finish();
    }
    const std::string text = test::ReadBack(f);
    if (!enabled) {
      EXPECT_EQ(text, "");
      continue;
    }
    EXPECT_EQ(text.find('\n'), std::string::npos) << "one line only";
    EXPECT_NE(text.find("\rShared Libraries: 8000 items, 7 problems"), std::string::npos) << text;
    EXPECT_NE(text.find("\rShared Libraries: 4000 items, 3 problems"), std::string::npos) << text;
    EXPECT_EQ(text.find("2000 items"), std::string::npos) << "shown within 100 ms of the one before";
    // Finish leaves the line blank, the cursor at its start.
    EXPECT_EQ(text.substr(text.size() - 1), "\r");
  }
}

}  // namespace
}  // namespace hw
