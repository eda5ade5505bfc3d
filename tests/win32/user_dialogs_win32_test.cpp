#include <gtest/gtest.h>

#include <string>

#include "platform/windows_win32.h"
#include "platform/user_dialogs_win32.h"

namespace hw {
namespace {

// The scripted person: when the dialog titled kTitle is up, types kTyped
// into the edit box and presses the button g_press.
constexpr char kTitle[] = "Hivewright input test";
const char* g_typed = nullptr;
int g_press = IDOK;
std::string g_promptSeen;

void CALLBACK ActLikeAPerson(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowA(nullptr, kTitle);
  if (!dialog) return;
  KillTimer(nullptr, timer);
  char prompt[256] = {};
  GetDlgItemTextA(dialog, kInputBoxPromptId, prompt, sizeof prompt);
  g_promptSeen = prompt;
  HWND edit = GetDlgItem(dialog, kInputBoxEditId);
  for (const char* c = g_typed; c && *c; ++c) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(*c), 0);
  SendMessageA(GetDlgItem(dialog, g_press), BM_CLICK, 0, 0);
}

std::string AnswerWith(const char* typed, int press) {
  g_typed = typed;
  g_press = press;
  g_promptSeen.clear();
  SetTimer(nullptr, 0, 50, ActLikeAPerson);
  Win32UserDialogs dialogs;
  return dialogs.InputBox("Name of the backup:", kTitle);
}

TEST(Win32UserDialogs, InputBoxGivesTypedTextOrEmptyOnCancel) {
  EXPECT_EQ("Before repair 1", AnswerWith("Before repair 1", IDOK));
  EXPECT_EQ("Name of the backup:", g_promptSeen);
  EXPECT_EQ("", AnswerWith("typed then cancelled", IDCANCEL));
  EXPECT_EQ("", AnswerWith("", IDOK));
}

}  // namespace
}  // namespace hw
