#pragma once
// The real main window over a scratch registry and folder, with the real
// message loop behind the scan's yields and a person's actions at them.
#include <gtest/gtest.h>

#include "platform/windows_win32.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/message_pump_win32.h"
#include "registry/settings.h"
#include "support/program_folder_system_info.h"
#include "support/scratch_folder.h"
#include "support/scratch_registry.h"
#include "support/scripted_dialogs.h"
#include "support/test_paths.h"
#include "support/test_platform.h"
#include "support/window_driver_win32.h"
#include "ui/control_names.h"
#include "ui/win32/form1_window_win32.h"

namespace hw::test {

/// The machine's own system facts, its drives seen as network drives
/// (except `fixed`, when set), so a test that ticks the whole tree does not
/// walk every disk of the host.
class NoFixedDrives : public ProgramFolderSystemInfo {
 public:
  using ProgramFolderSystemInfo::ProgramFolderSystemInfo;
  std::uint32_t DriveType(const std::string& root) override {
    return fixed && !root.empty() && root[0] == fixed ? kDriveFixed : kDriveRemote;
  }
  char fixed = 0;
};

/// The real message loop, plus what a person does at a given yield of a
/// running scan (a click on Pause, a look at the screen).
class ClickingPump : public MessagePump {
 public:
  void At(long yield, std::function<void()> action) { actions_[yield] = std::move(action); }
  /// Once, at the first yield where `condition` holds.
  void When(std::function<bool()> condition, std::function<void()> action) {
    when_ = std::move(condition);
    whenAction_ = std::move(action);
  }
  void DoEvents() override {
    ++count_;
    real_.DoEvents();
    std::function<void()> action;
    if (auto it = actions_.find(count_); it != actions_.end()) {
      action = std::move(it->second);
      actions_.erase(it);
    } else if (when_ && when_()) {
      action = std::move(whenAction_);
      when_ = nullptr;
    }
    if (!action) return;
    action();
    real_.DoEvents();
  }
  /// Keyboard navigation of the main window during the yield, as the program's pump does.
  void SetDialogWindow(HWND window) { real_.SetDialogWindow(window); }
  long Count() const { return count_; }

 private:
  Win32MessagePump real_{0};
  long count_ = 0;
  std::map<long, std::function<void()>> actions_;
  std::function<bool()> when_;
  std::function<void()> whenAction_;
};

class Form1WindowFixture : public ::testing::Test {
 protected:
  Form1WindowFixture()
      : registry_(MakeScratchRegistry()),
        folder_(MakeScratchFolder()),
        system_(std::make_unique<NoFixedDrives>(MakeRealSystemInfo(*folder_, ProgramFolder()), ProgramFolder())),
        shortcuts_(MakeRealShortcutReader(*folder_)),
        platform_{registry_->Api(), folder_->Files(), *system_, *shortcuts_, pump, dialogs, shell},
        window(platform_) {
    folder_->MakeFolder(ProgramFolder());
  }
  void SetUp() override {
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr)));
    pump.SetDialogWindow(window.Handle());
    DropQuitMessages();
    form().settings.Write(kLocalMachine, kPathKey, "LogFile", folder_->Root() + "\\Logs");
    folder_->MakeFolder(folder_->Root() + "\\Logs");
  }
  std::string ProgramFolder() const { return folder_->Root() + "\\Prog"; }
  Form1& form() { return window.Form(); }
  HWND Control(const std::string& name) { return window.ControlWindow(name); }
  void Load() {
    form().Form_Load();
    form().DrawControls();
    window.Show();
    PumpFor(150);
  }
  void Click(const std::string& button, DWORD ms = 200) {
    PostClickMiddle(Control(button));
    PumpFor(ms);
  }
  TreeNode& Node(const std::string& key) {
    TreeNode* n = form().tvwTree.Find(key);
    EXPECT_NE(nullptr, n) << key;
    return *n;
  }
  /// The middle of a node's picture or text, in tree pixels.
  POINT NodePoint(const std::string& key, bool onPicture) {
    RECT text{};
    TreeView_GetItemRect(Control(ctl::tvwTree), window.TreeItemOf(&Node(key)), &text, TRUE);
    const LONG y = (text.top + text.bottom) / 2;
    return onPicture ? POINT{text.left - 10, y} : POINT{(text.left + text.right) / 2, y};
  }
  void ClickNode(const std::string& key, bool onPicture = true) {
    PostClick(Control(ctl::tvwTree), NodePoint(key, onPicture));
    PumpFor(150);
  }
  int ImageOf(const std::string& key) {
    TVITEMA item{};
    item.mask = TVIF_IMAGE | TVIF_HANDLE;
    item.hItem = window.TreeItemOf(&Node(key));
    SendMessageA(Control(ctl::tvwTree), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
  }
  /// The tree control holds as many items as the model has nodes.
  bool TreeMirrorsModel() {
    return form().tvwTree.Count() == static_cast<std::size_t>(TreeView_GetCount(Control(ctl::tvwTree)));
  }
  /// A language file of the shipped ones copied into the scratch area and chosen.
  void UseShippedLanguages(const char* chosen) {
    const std::string ref = folder_->Root() + "\\Ref";
    folder_->MakeFolder(ref);
    for (const std::string name : {"Deutsch.ini", "English.ini"})
      folder_->WriteFile(ref + "\\" + name, ReadSourceFile("/resources/Ref/" + name));
    form().settings.Write(kLocalMachine, kPathKey, "RefFile", ref);
    if (chosen) form().settings.Write(kCurrentUser, kLanguageKey, "default", chosen);
  }

  std::unique_ptr<ScratchRegistry> registry_;
  std::unique_ptr<ScratchFolder> folder_;
  std::unique_ptr<NoFixedDrives> system_;
  std::unique_ptr<ShortcutReader> shortcuts_;
  ClickingPump pump;
  ScriptedDialogs dialogs;
  RecordingShell shell;
  Platform platform_;
  Form1Window window;
};

}  // namespace hw::test
