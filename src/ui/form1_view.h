#pragma once
// What the main window's page logic asks of a real window beyond showing
// its control state (ui/form_model.h): hit tests, the tree control, the
// mouse pointer, the modal settings dialog, focus.
#include <cstdint>
#include <string>

namespace hw {

class TreeNode;

class Form1View {
 public:
  virtual ~Form1View() = default;
  /// The node of the section tree at (x, y), twips from the tree's top
  /// left corner; null when there is none.
  virtual TreeNode* HitTest(float x, float y) = 0;
  /// The tree's nodes changed (added, removed, texts, pictures, bold,
  /// colours, expanded, selected): show them.
  virtual void TreeChanged() = 0;
  virtual void ScrollTreeToTop() = 0;
  /// 0 the default pointer, 11 the hourglass.
  virtual void SetMousePointer(int pointer) = 0;
  /// Shows the settings dialog modally; returns when it has closed.
  virtual void ShowSettingsDialog() = 0;
  /// The control that has the focus ("" when none of ours).
  virtual std::string FocusedControl() = 0;
  virtual void SetFocus(const std::string& control) = 0;
  /// Band colours, gradients and button faces of the window (styling).
  virtual void CheckAndChangeApperance() {}
  /// Every picture pair of the window composed again (after captions changed).
  virtual void RefreshButtonSkins() {}
  /// Image-list pictures, borders and gradients of the first page.
  virtual void SetImgLstPic() {}
  /// Owner window for message boxes and shell calls; 0 without a window.
  virtual std::uintptr_t WindowHandle() { return 0; }
  /// True while the window is minimised (status updates are left out).
  virtual bool IsMinimized() { return false; }
};

/// A view for running the page logic without any window (tools, tests that
/// need no clicks): no hit, nothing shown.
class NullForm1View : public Form1View {
 public:
  TreeNode* HitTest(float, float) override { return nullptr; }
  void TreeChanged() override {}
  void ScrollTreeToTop() override {}
  void SetMousePointer(int) override {}
  void ShowSettingsDialog() override {}
  std::string FocusedControl() override { return std::string(); }
  void SetFocus(const std::string&) override {}
};

}  // namespace hw
