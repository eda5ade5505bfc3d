#include <gtest/gtest.h>

#include <string>

#include "platform/windows_win32.h"
#include "platform/user_dialogs_win32.h"
#include "support/window_driver_win32.h"

namespace hw {
namespace {

constexpr char kTitle[] = "Hivewright input test";

// A person who, once the input box is up, reads its prompt, types `typed`
// and presses the button `press`.
std::string AnswerWith(const char* typed, int press, std::string* prompt = nullptr) {
  test::WhenWindowShows(nullptr, kTitle, [=](HWND dialog) {
    char text[256] = {};
    GetDlgItemTextA(dialog, kInputBoxPromptId, text, sizeof text);
    if (prompt) *prompt = text;
    HWND edit = GetDlgItem(dialog, kInputBoxEditId);
    for (const char* c = typed; *c; ++c) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(*c), 0);
    SendMessageA(GetDlgItem(dialog, press), BM_CLICK, 0, 0);
  });
  return Win32UserDialogs().InputBox("Name of the backup:", kTitle);
}

TEST(Win32UserDialogs, InputBoxGivesTypedTextOrEmptyOnCancel) {
  std::string prompt;
  EXPECT_EQ("Before repair 1", AnswerWith("Before repair 1", IDOK, &prompt));
  EXPECT_EQ("Name of the backup:", prompt);
  EXPECT_EQ("", AnswerWith("typed then cancelled", IDCANCEL));
  EXPECT_EQ("", AnswerWith("", IDOK));
}

}  // namespace
}  // namespace hw
