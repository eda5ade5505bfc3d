#include "ui/form_model.h"

namespace hw {

const ControlState& FormModel::Get(const std::string& name) const {
  static const ControlState kDefault;
  auto it = controls_.find(name);
  return it == controls_.end() ? kDefault : it->second;
}

void FormModel::SetText(const std::string& name, const std::string& text) {
  Mutable(name).text = text;
  Notify(name, Change::kText);
}

void FormModel::SetVisible(const std::string& name, bool visible) {
  Mutable(name).visible = visible;
  Notify(name, Change::kVisible);
}

void FormModel::SetEnabled(const std::string& name, bool enabled) {
  Mutable(name).enabled = enabled;
  Notify(name, Change::kEnabled);
}

void FormModel::SetLeft(const std::string& name, int twips) {
  Mutable(name).left = twips;
  Notify(name, Change::kPosition);
}

void FormModel::SetTop(const std::string& name, int twips) {
  Mutable(name).top = twips;
  Notify(name, Change::kPosition);
}

void FormModel::SetWidth(const std::string& name, int twips) {
  Mutable(name).width = twips;
  Notify(name, Change::kPosition);
}

void FormModel::SetHeight(const std::string& name, int twips) {
  Mutable(name).height = twips;
  Notify(name, Change::kPosition);
}

void FormModel::SetAutoSize(const std::string& name, bool autoSize) {
  Mutable(name).autoSize = autoSize;
  Notify(name, Change::kPosition);
}

void FormModel::SetBold(const std::string& name, bool bold) {
  Mutable(name).bold = bold;
  Notify(name, Change::kText);
}

void FormModel::SetPicture(const std::string& name, const std::string& picture) {
  Mutable(name).picture = picture;
  Notify(name, Change::kPicture);
}

void FormModel::SetRange(const std::string& name, long min, long max) {
  ControlState& c = Mutable(name);
  c.min = min;
  c.max = max;
  Notify(name, Change::kValue);
}

void FormModel::SetValue(const std::string& name, long value) {
  Mutable(name).value = value;
  Notify(name, Change::kValue);
}

void FormModel::BringToFront(const std::string& name) {
  Mutable(name).zOrder = ++zCounter_;
  Notify(name, Change::kZOrder);
}

void FormModel::Refresh(const std::string& name) { Notify(name, Change::kRefresh); }

const std::vector<ListItem>& FormModel::Items(const std::string& name) const {
  static const std::vector<ListItem> kEmpty;
  auto it = lists_.find(name);
  return it == lists_.end() ? kEmpty : it->second;
}

void FormModel::ItemsChanged(const std::string& name) { Notify(name, Change::kItems); }

}  // namespace hw
