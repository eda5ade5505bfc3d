#include "platform/user_dialogs_win32.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <vector>

namespace hw {

namespace {

// Input box layout in dialog units.
constexpr short kBoxWidth = 240;
constexpr short kBoxHeight = 92;
constexpr short kMargin = 7;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr short kPromptHeight = 40;
constexpr short kEditHeight = 12;
constexpr WORD kFontPoints = 8;

// Builds a DLGTEMPLATE with its items in memory. Texts are set after
// creation (SetWindowTextA), so the template holds none.
class TemplateBuilder {
 public:
  void Dialog(DWORD style, WORD items, short cx, short cy) {
    DLGTEMPLATE t{};
    t.style = style;
    t.cdit = items;
    t.cx = cx;
    t.cy = cy;
    Append(&t, sizeof t);
    Word(0);  // no menu
    Word(0);  // default class
    Word(0);  // no title yet
    Word(kFontPoints);
    Text(L"MS Shell Dlg");
  }

  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom) {
    Align(4);
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = id;
    Append(&item, sizeof item);
    Word(0xFFFF);
    Word(atom);
    Word(0);  // no text
    Word(0);  // no creation data
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

 private:
  void Append(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void Word(WORD w) { Append(&w, sizeof w); }
  void Text(const wchar_t* s) { Append(s, (std::wcslen(s) + 1) * sizeof(wchar_t)); }
  void Align(std::size_t to) {
    while (bytes_.size() % to) bytes_.push_back(0);
  }
  // Heap storage is aligned well beyond the DWORD a template needs.
  std::vector<unsigned char> bytes_;
};

struct InputBoxState {
  const std::string* prompt;
  const std::string* title;
  std::string answer;
};

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<InputBoxState*>(lp);
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      SetWindowTextA(dialog, state->title->c_str());
      SetDlgItemTextA(dialog, kInputBoxPromptId, state->prompt->c_str());
      SetDlgItemTextA(dialog, IDOK, "OK");
      SetDlgItemTextA(dialog, IDCANCEL, "Cancel");
      SetFocus(GetDlgItem(dialog, kInputBoxEditId));
      return FALSE;  // focus set here
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrA(dialog, DWLP_USER));
        HWND edit = GetDlgItem(dialog, kInputBoxEditId);
        int n = GetWindowTextLengthA(edit);
        std::string text(static_cast<std::size_t>(n) + 1, '\0');
        n = GetWindowTextA(edit, &text[0], n + 1);
        text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
        state->answer = text;
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

UINT IconFlag(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::kInformation:
      return MB_ICONINFORMATION;
    case MsgIcon::kQuestion:
      return MB_ICONQUESTION;
    case MsgIcon::kExclamation:
      return MB_ICONEXCLAMATION;
    case MsgIcon::kCritical:
      return MB_ICONERROR;
    case MsgIcon::kNone:
      break;
  }
  return 0;
}

}  // namespace

MsgAnswer Win32UserDialogs::MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                                       MsgIcon icon) {
  UINT flags = (buttons == MsgButtons::kYesNo ? MB_YESNO : MB_OK) | IconFlag(icon);
  int answer = MessageBoxA(owner_, text.c_str(), title.c_str(), flags);
  if (answer == IDYES) return MsgAnswer::kYes;
  if (answer == IDNO) return MsgAnswer::kNo;
  return MsgAnswer::kOk;
}

std::string Win32UserDialogs::InputBox(const std::string& prompt, const std::string& title) {
  constexpr short kButtonX = kBoxWidth - kMargin - kButtonWidth;
  constexpr short kEditY = kBoxHeight - kMargin - kEditHeight;
  TemplateBuilder t;
  t.Dialog(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 4, kBoxWidth, kBoxHeight);
  t.Item(SS_LEFT, kMargin, kMargin, kButtonX - 2 * kMargin, kPromptHeight, kInputBoxPromptId, 0x0082);
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, kButtonX, kMargin, kButtonWidth, kButtonHeight, IDOK, 0x0080);
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, kButtonX, kMargin + kButtonHeight + 4, kButtonWidth, kButtonHeight, IDCANCEL,
         0x0080);
  t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, kMargin, kEditY, kBoxWidth - 2 * kMargin, kEditHeight,
         kInputBoxEditId, 0x0081);
  InputBoxState state{&prompt, &title, std::string()};
  INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), owner_, InputBoxProc,
                                           reinterpret_cast<LPARAM>(&state));
  return result == IDOK ? state.answer : std::string();
}

namespace {

std::wstring Wide(const std::string& s) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], n);
  w.resize(w.size() - 1);
  return w;
}

std::string Utf8(const wchar_t* w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w, -1, &s[0], n, nullptr, nullptr);
  s.resize(s.size() - 1);
  return s;
}

// A COM pointer released when it goes.
template <typename T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p) p->Release();
  }
  T* operator->() const { return p; }
};

// The old picker opens at the start folder through its callback.
int CALLBACK SelectStart(HWND window, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED && start) SendMessageA(window, BFFM_SETSELECTIONA, TRUE, start);
  return 0;
}

}  // namespace

std::string Win32UserDialogs::BrowseForFolder(const std::string& title, const std::string& startFolder) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  struct Uninit {
    bool on;
    ~Uninit() {
      if (on) CoUninitialize();
    }
  } uninit{SUCCEEDED(init)};

  Com<IFileOpenDialog> dialog;
  if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                 reinterpret_cast<void**>(&dialog.p)))) {
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->SetTitle(Wide(title).c_str());
    Com<IShellItem> start;
    const DWORD attributes = startFolder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Wide(startFolder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        SUCCEEDED(SHCreateItemFromParsingName(Wide(startFolder).c_str(), nullptr, IID_IShellItem,
                                              reinterpret_cast<void**>(&start.p))))
      dialog->SetFolder(start.p);
    if (FAILED(dialog->Show(owner_))) return std::string();
    Com<IShellItem> chosen;
    if (FAILED(dialog->GetResult(&chosen.p))) return std::string();
    wchar_t* path = nullptr;
    if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path) return std::string();
    std::string result = Utf8(path);
    CoTaskMemFree(path);
    return result;
  }

  BROWSEINFOA info{};
  info.hwndOwner = owner_;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = &SelectStart;
  info.lParam = reinterpret_cast<LPARAM>(startFolder.empty() ? nullptr : startFolder.c_str());
  LPITEMIDLIST item = SHBrowseForFolderA(&info);
  if (!item) return std::string();
  char path[MAX_PATH + 1] = {};
  BOOL ok = SHGetPathFromIDListA(item, path);
  CoTaskMemFree(item);
  return ok ? std::string(path) : std::string();
}

}  // namespace hw
