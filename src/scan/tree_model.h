#pragma once
// A tree of nodes as the section tree and the results tree need it, free of
// any window: keys, texts, image keys, bold/expanded/selected state, a grey
// text flag, children in order and one collection of every node in the
// order they were added. A platform tree control mirrors it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace hw {

class TreeNode {
 public:
  std::string key;            ///< unique in its model; may be empty
  std::string text;
  std::string image;          ///< image key, e.g. "AllReg"
  std::string selectedImage;  ///< image key shown while selected
  bool bold = false;
  bool expanded = false;
  bool selected = false;
  /// Text colour: 0 means the control's default, otherwise 0x00BBGGRR.
  std::uint32_t foreColor = 0;
  /// Text shown in the system's grey (disabled) colour; wins over foreColor.
  bool greyText = false;
  /// For a problem node: the number of its err.log line (0 for other
  /// nodes), so a repair acts on the node's own problem.
  long problemNumber = 0;

  TreeNode* Parent() const { return parent_; }
  /// Children in display order.
  const std::vector<TreeNode*>& Children() const { return children_; }
  std::size_t ChildCount() const { return children_.size(); }
  /// 1-based position in the model's collection.
  std::size_t Index() const { return index_; }

 private:
  friend class TreeModel;
  TreeNode* parent_ = nullptr;
  std::vector<TreeNode*> children_;
  std::size_t index_ = 0;
};

class TreeModel {
 public:
  /// Adds a node: a root when `relativeKey` is empty, else the last child
  /// of the node with that key. The selected image starts as `image`.
  /// Throws RuntimeError (35601) when the relative key is unknown and
  /// (35602) when `key` is not empty and already used.
  TreeNode& Add(const std::string& relativeKey, const std::string& key, const std::string& text,
                const std::string& image);

  /// The node with this key (exact); null when there is none.
  TreeNode* Find(const std::string& key) const;

  /// Every node in the order of adding (the collection order).
  const std::vector<TreeNode*>& Nodes() const { return order_; }
  /// The root nodes in order.
  const std::vector<TreeNode*>& Roots() const { return roots_; }
  std::size_t Count() const { return order_.size(); }

  /// Removes the node and its whole subtree; later nodes move up in the
  /// collection.
  void Remove(TreeNode& node);
  void Clear();
  /// Orders `parent`'s children by `less` (stably), in the display and in
  /// the collection, where they take the places they held between them, so
  /// every other node keeps its position. False, nothing changed, when a
  /// child has children of its own.
  bool SortChildren(TreeNode& parent, const std::function<bool(const TreeNode&, const TreeNode&)>& less);

 private:
  void Renumber();

  std::vector<std::unique_ptr<TreeNode>> storage_;
  // Keys are looked up for every node added: a results tree of tens of
  // thousands of problems would otherwise fill in quadratic time.
  std::unordered_map<std::string, TreeNode*> byKey_;
  std::vector<TreeNode*> order_;
  std::vector<TreeNode*> roots_;
};

}  // namespace hw
