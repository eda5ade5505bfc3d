#include "ui/tree_selection.h"

#include <string>

namespace hw {
namespace {

enum class Tick { kAll, kSome, kNone };

const char* const kStates[] = {"All", "Some", "None"};

Tick TickOf(const TreeNode& node) {
  for (int i = 0; i < 3; ++i)
    if (node.image.compare(0, std::char_traits<char>::length(kStates[i]), kStates[i]) == 0) return Tick(i);
  return Tick::kNone;
}

void SetTick(TreeNode& node, Tick tick) {
  std::string kind = node.image;
  for (const char* state : kStates) {
    const std::string s(state);
    if (kind.compare(0, s.size(), s) == 0) {
      kind = kind.substr(s.size());
      break;
    }
  }
  node.image = node.selectedImage = kStates[int(tick)] + kind;
}

Tick FromChildren(const TreeNode& node) {
  bool all = true, none = true;
  for (const TreeNode* child : node.Children()) {
    const Tick t = TickOf(*child);
    if (t != Tick::kAll) all = false;
    if (t != Tick::kNone) none = false;
  }
  return all ? Tick::kAll : none ? Tick::kNone : Tick::kSome;
}

void Apply(TreeNode& node, SubtreeChoice choice) {
  if (node.ChildCount() == 0) {
    const Tick t = choice == SubtreeChoice::kAll    ? Tick::kAll
                   : choice == SubtreeChoice::kNone ? Tick::kNone
                   : TickOf(node) == Tick::kAll     ? Tick::kNone
                                                    : Tick::kAll;
    SetTick(node, t);
    return;
  }
  for (TreeNode* child : node.Children()) Apply(*child, choice);
  SetTick(node, FromChildren(node));
}

}  // namespace

void SelectSubtree(TreeNode& node, SubtreeChoice choice) {
  Apply(node, choice);
  for (TreeNode* up = node.Parent(); up; up = up->Parent()) SetTick(*up, FromChildren(*up));
}

void SettleTicks(TreeNode& node) {
  if (node.ChildCount() > 0) SetTick(node, FromChildren(node));
  for (TreeNode* up = node.Parent(); up; up = up->Parent()) SetTick(*up, FromChildren(*up));
}

}  // namespace hw
