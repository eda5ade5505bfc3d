#pragma once
// A person clicking the section tree: a view whose hit test lays the
// visible nodes out in rows of 240 twips, each indented 300 twips per
// level, with its 210-twip picture first and its text after it; and the
// sequence of events a real tree control sends for one click.
#include <string>
#include <vector>

#include "ui/form1.h"
#include "ui/form1_view.h"

namespace hw::test {

class ScriptedTreeView : public NullForm1View {
 public:
  static constexpr float kRow = 240, kIndent = 300, kPicture = 210, kTextWidth = 1500;

  /// The tree laid out; set once the form exists.
  TreeModel* tree = nullptr;

  TreeNode* HitTest(float x, float y) override {
    std::vector<std::pair<TreeNode*, int>> rows;
    for (TreeNode* root : tree->Roots()) Layout(root, 0, rows);
    if (y < 0) return nullptr;
    const std::size_t row = static_cast<std::size_t>(y / kRow);
    if (row >= rows.size()) return nullptr;
    const float start = rows[row].second * kIndent;
    return x >= start && x < start + kPicture + kTextWidth ? rows[row].first : nullptr;
  }
  void TreeChanged() override { ++treeChanges; }
  void ScrollTreeToTop() override { ++scrolledToTop; }

  /// Where a person points at the picture or at the text of a node.
  struct Point {
    float x, y;
  };
  Point PictureOf(const std::string& key) { return At(key, kPicture / 2); }
  Point TextOf(const std::string& key) { return At(key, kPicture + kTextWidth / 2); }

  int treeChanges = 0;
  int scrolledToTop = 0;

 private:
  Point At(const std::string& key, float offset) {
    std::vector<std::pair<TreeNode*, int>> rows;
    for (TreeNode* root : tree->Roots()) Layout(root, 0, rows);
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].first->key == key) return {rows[i].second * kIndent + offset, (static_cast<float>(i) + 0.5f) * kRow};
    return {-1000, -1000};
  }
  static void Layout(TreeNode* node, int level, std::vector<std::pair<TreeNode*, int>>& rows) {
    rows.emplace_back(node, level);
    if (!node->expanded) return;
    for (TreeNode* child : node->Children()) Layout(child, level + 1, rows);
  }

};

/// One click of the left button at (x, y) as the tree control reports it:
/// the press, the node click when a node is hit, then the click.
inline void ClickTree(Form1& form, Form1View& view, ScriptedTreeView::Point at) {
  form.tvwTree_MouseDown(at.x, at.y);
  if (TreeNode* node = view.HitTest(at.x, at.y)) form.tvwTree_NodeClick(*node);
  form.tvwTree_Click();
}

}  // namespace hw::test
