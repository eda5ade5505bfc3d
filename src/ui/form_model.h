#pragma once
// The state of a window's controls, held by the page logic: captions,
// visibility, positions in twips, pictures. The page logic changes it and
// reads it back (label captions are counters); a platform window observes
// it and shows each change, and tests read it instead of a screen.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace hw {

struct ControlState {
  std::string text;
  bool visible = true;
  bool enabled = true;
  int left = 0, top = 0, width = 0, height = 0;  // twips
  std::string picture;  // key of the picture it shows, empty for none
  bool autoSize = false;
  bool bold = false;
  long value = 0, min = 0, max = 100;  // progress controls
  unsigned long zOrder = 0;            // larger is further in front
};

/// One item of a list control (report style with check boxes).
struct ListItem {
  std::string text;
  std::vector<std::string> subItems;
  bool checked = false;
};

class FormModel {
 public:
  enum class Change { kText, kVisible, kEnabled, kPosition, kPicture, kValue, kZOrder, kRefresh, kItems };
  using Observer = std::function<void(const std::string& control, Change what)>;

  void SetObserver(Observer observer) { observer_ = std::move(observer); }

  /// The state of a control; a control not yet touched has the defaults.
  const ControlState& Get(const std::string& name) const;
  const std::string& Text(const std::string& name) const { return Get(name).text; }
  bool Visible(const std::string& name) const { return Get(name).visible; }
  bool Enabled(const std::string& name) const { return Get(name).enabled; }

  void SetText(const std::string& name, const std::string& text);
  void SetVisible(const std::string& name, bool visible);
  void SetEnabled(const std::string& name, bool enabled);
  void SetLeft(const std::string& name, int twips);
  void SetTop(const std::string& name, int twips);
  void SetWidth(const std::string& name, int twips);
  void SetHeight(const std::string& name, int twips);
  void SetAutoSize(const std::string& name, bool autoSize);
  void SetBold(const std::string& name, bool bold);
  void SetPicture(const std::string& name, const std::string& picture);
  void SetRange(const std::string& name, long min, long max);
  void SetValue(const std::string& name, long value);
  /// Brings a control in front of its siblings (ZOrder 0).
  void BringToFront(const std::string& name);
  /// Asks the window to repaint the control now.
  void Refresh(const std::string& name);

  /// List controls.
  std::vector<ListItem>& Items(const std::string& name) { return lists_[name]; }
  const std::vector<ListItem>& Items(const std::string& name) const;
  void ItemsChanged(const std::string& name);

  /// Controls in name order (for windows that apply everything at once).
  const std::map<std::string, ControlState>& All() const { return controls_; }

 private:
  ControlState& Mutable(const std::string& name) { return controls_[name]; }
  void Notify(const std::string& name, Change what) {
    if (observer_) observer_(name, what);
  }

  std::map<std::string, ControlState> controls_;
  std::map<std::string, std::vector<ListItem>> lists_;
  unsigned long zCounter_ = 0;
  Observer observer_;
};

}  // namespace hw
