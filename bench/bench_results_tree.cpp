// Filling the results tree from err.log: 3,000 and 30,000 problems under
// one section, so the growth shows, and 30,000 more in the same run, whose
// keys go past the largest node number.
#include <cstdio>
#include <string>

#include "registry/settings.h"
#include "support/stopwatch.h"
#include "support/test_platform.h"
#include "ui/form1.h"

namespace hw {
namespace {

void WriteErrLog(test::TestPlatform& tp, const std::string& path, int problems) {
  std::string log = "[Custome Controls]\r\n";
  for (int i = 1; i <= problems; ++i) log += std::to_string(i) + ".C:\\Program Files\\App\\lib" + std::to_string(i) + ".dll\r\n";
  tp.Folder().WriteFile(path, log);
}

double Fill(Form1& form) {
  form.BuildSectionTree();
  return test::Seconds([&] { form.FillSectionResults("Custome Controls", "CC"); });
}

}  // namespace
}  // namespace hw

int main() {
  using namespace hw;
  for (int problems : {3000, 30000}) {
    test::TestPlatform tp;
    NullForm1View view;
    Form1 form(tp.Get(), view);
    form.settings.Write(kLocalMachine, kPathKey, "LogFile", tp.Root());
    form.Form_Load();
    WriteErrLog(tp, tp.Root() + "\\err.log", problems);
    const double first = Fill(form);
    std::printf("%6d problems: %.3f s, %zu nodes\n", problems, first, form.tvwTree.Find("CC")->ChildCount());
    if (problems == 30000) {
      const double again = Fill(form);
      std::printf("%6d more in the same run (keys past 32767): %.3f s, %zu nodes\n", problems, again,
                  form.tvwTree.Find("CC")->ChildCount());
    }
  }
  return 0;
}
