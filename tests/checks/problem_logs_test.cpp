#include "checks/problem_logs.h"

#include <gtest/gtest.h>

#include "checks/exact_logs.h"
#include "platform/vb_text.h"
#include "support/test_platform.h"

namespace hw {
namespace {

class ProblemLogsTest : public ::testing::Test {
 protected:
  test::TestPlatform tp;
  Module1 m{tp.Get()};
  ProblemLogs logs{m};
  ScanState state;
};

TEST_F(ProblemLogsTest, AScanRecreatesTheTextLogs) {
  const std::string folder = m.GetLogFolder();
  EXPECT_EQ(tp.ProgramFolder() + "\\Log", folder);
  tp.Folder().WriteFile(folder + "\\err.log", "old\r\n");
  tp.Folder().WriteFile(folder + "\\alerr.log", "old\r\n");

  logs.StartProblemLogs(state);
  state.ErrLog->WriteLine("[Registry Integrity]");
  state.AlErrLog->WriteLine("1.HKEY_CURRENT_USER,/X#(a)");
  // A second start (after an aborted scan) closes the open streams first.
  logs.StartProblemLogs(state);
  state.ErrLog->WriteLine("[Custome Controls]");
  ProblemLogs::FinishProblemLogs(state);
  EXPECT_EQ("[Custome Controls]\r\n", tp.Folder().ReadFile(folder + "\\err.log"));
  EXPECT_EQ("", tp.Folder().ReadFile(folder + "\\alerr.log"));
  ProblemLogs::CloseProblemLogs(state);  // nothing open: nothing happens
}

// The logs stay in the ANSI code page; their twins keep the exact lines,
// and count only while they match their log line for line.
TEST_F(ProblemLogsTest, TwinsKeepTheExactLinesWhileTheyMatchTheirLog) {
  const std::string err = m.GetLogFolder() + "\\err.log";
  const std::vector<std::string> exact = {"[Startup Programmes]", u8"1.C:\\Дмитрий\\нет.exe", u8"2.C:\\Łódź"};
  logs.StartProblemLogs(state);
  for (const std::string& line : exact) state.ErrLog->WriteLine(line);
  ProblemLogs::FinishProblemLogs(state);
  EXPECT_EQ("[Startup Programmes]\r\n1.C:\\???????\\???.exe\r\n2.C:\\?\xF3" "d?\r\n", tp.Folder().ReadFile(err));
  EXPECT_EQ(exact, ReadExactLog(tp.Files(), err));

  struct Case {
    const char* what;
    std::string twin;  // empty: no twin
    std::vector<std::string> read;
  };
  const std::vector<std::string> ansi = {"[Startup Programmes]", "1.C:\\???????\\???.exe", u8"2.C:\\?ód?"};
  const std::string twin = tp.Folder().ReadFile(ExactTwinPath(err));
  for (const Case& c : std::vector<Case>{
           {"an older scan without a twin", "", ansi},
           {"a twin a line short", twin.substr(0, twin.rfind("2.")), ansi},
           {"a twin of another scan", Replace(twin, u8"Łódź", "Lodz"), ansi},
       }) {
    tp.Folder().WriteFile(ExactTwinPath(err), c.twin);
    if (c.twin.empty()) tp.Files().DeleteFile(ExactTwinPath(err), true);
    EXPECT_EQ(c.read, ReadExactLog(tp.Files(), err)) << c.what;
  }
  // A rewrite keeps log and twin together.
  RewriteExactLog(tp.Files(), err, {exact[0], exact[2]});
  EXPECT_EQ((std::vector<std::string>{exact[0], exact[2]}), ReadExactLog(tp.Files(), err));
}

TEST_F(ProblemLogsTest, RecordsAreFixedSlotsAppendedAtTheEnd) {
  BinaryEntry a;
  std::vector<std::uint8_t> data(300);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i + 1);
  logs.CopyEntryBytes(data, a.Bytes);  // longer than the field: cut at 257
  a.SetText(std::string(300, 'T'));      // cut at 256
  BinaryEntry bEntry;
  bEntry.Bytes.fill(9);
  logs.CopyEntryBytes({1, 2}, bEntry.Bytes);  // the rest keeps its content
  bEntry.SetText("C:\\x.dll");
  logs.AppendBinaryEntry(a);
  logs.AppendBinaryEntry(bEntry);

  std::string expected;
  for (std::size_t i = 0; i < 257; ++i) expected += static_cast<char>(i + 1);
  expected += std::string(256, 'T') + std::string(256, '\0');
  expected += "\x01\x02" + std::string(255, '\x09') + "C:\\x.dll" + std::string(248, ' ') +
              std::string(256, '\0');
  const std::string path = logs.BinaryEntriesLogPath();
  EXPECT_TRUE(expected == tp.Folder().ReadFile(path));
  EXPECT_TRUE(tp.dialogs.messages.empty());

  // A cut-off last slot is left alone: the next record starts a new slot.
  tp.Folder().WriteFile(path, tp.Folder().ReadFile(path) + "xyz");
  logs.AppendBinaryEntry(bEntry);
  EXPECT_EQ(4u * 769, tp.Folder().ReadFile(path).size());
  auto records = logs.ReadBinaryEntries();
  ASSERT_EQ(4u, records.size());
  EXPECT_EQ(std::uint8_t{'x'}, records[2].Bytes[0]);  // the cut-off slot
  EXPECT_EQ("C:\\x.dll" + std::string(248, ' '), records[3].Text);

  // A source beyond the 16-bit loop counter: the message, the bytes that fit.
  BinaryEntry c;
  logs.CopyEntryBytes(std::vector<std::uint8_t>(40000, 5), c.Bytes);
  EXPECT_EQ(5, c.Bytes[256]);
  ASSERT_EQ(1u, tp.dialogs.messages.size());
  EXPECT_EQ("This Error Occured while copy Array", tp.dialogs.messages[0].text);
}

}  // namespace
}  // namespace hw
