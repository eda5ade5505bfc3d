// The shortcut-reader contract, run on each platform's real reader over
// links made as that platform makes them (Wine's shell; the .lnk writer on
// Linux). A backend's own test covers only what this cannot.
#include <gtest/gtest.h>

#include "platform/vb_text.h"
#include "support/lnk_writer.h"
#include "support/shortcut_maker.h"
#include "support/test_platform.h"

namespace hw::test {
namespace {

TEST(ShortcutReaderContract, GivesTheLocalTargetOrNothing) {
  auto s = MakeScratchFolder();
  const std::string r = s->Root();
  auto reader = MakeRealShortcutReader(*s);
  s->WriteFile(r + "\\app.exe", "MZ");
  s->MakeFolder(r + "\\Folder");
  s->WriteFile(r + "\\junk.lnk", "not a shortcut at all");
  // As a process of another code page leaves it: "?" where the name was,
  // nothing exact to judge by.
  s->WriteFile(r + "\\lost.lnk", lnk::Shortcut("", lnk::LinkInfo(r + "\\??????\\app.exe", "")));
  const struct {
    const char *link, *read;
    std::string target, expected;  // target empty: the link is not made here
  } cases[] = {
      {"file.lnk", "FILE.LNK", r + "\\app.exe", r + "\\app.exe"},
      {"missing.lnk", "missing.lnk", r + "\\gone.exe", r + "\\gone.exe"},
      {"folder.lnk", "folder.lnk", r + "\\Folder", r + "\\Folder"},
      {"drive.lnk", "drive.lnk", "C:\\", "C:\\"},
      {"junk.lnk", "junk.lnk", "", ""},
      {"lost.lnk", "lost.lnk", "", ""},
      {"nothing.lnk", "nothing.lnk", "", ""},
  };
  for (const auto& c : cases) {
    if (!c.target.empty()) {
      ASSERT_TRUE(MakeShortcutFile(*s, r + "\\" + c.link, c.target)) << c.link;
    }
    const std::string got = reader->TargetPath(r + "\\" + c.read);
    EXPECT_TRUE(EqualsNoCase(got, c.expected)) << c.link << ": " << got;
  }
}

}  // namespace
}  // namespace hw::test
