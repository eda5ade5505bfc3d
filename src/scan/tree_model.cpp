#include "scan/tree_model.h"

#include <algorithm>
#include <functional>

#include "platform/runtime_error.h"

namespace hw {

TreeNode& TreeModel::Add(const std::string& relativeKey, const std::string& key,
                         const std::string& text, const std::string& image) {
  TreeNode* parent = nullptr;
  if (!relativeKey.empty()) {
    parent = Find(relativeKey);
    if (!parent) throw RuntimeError(35601, "Element not found");
  }
  if (!key.empty() && Find(key)) throw RuntimeError(35602, "Key is not unique in collection");
  storage_.push_back(std::make_unique<TreeNode>());
  TreeNode* node = storage_.back().get();
  node->key = key;
  node->text = text;
  node->image = image;
  node->selectedImage = image;
  node->parent_ = parent;
  (parent ? parent->children_ : roots_).push_back(node);
  order_.push_back(node);
  node->index_ = order_.size();
  if (!key.empty()) byKey_[key] = node;
  return *node;
}

TreeNode* TreeModel::Find(const std::string& key) const {
  if (key.empty()) return nullptr;
  auto it = byKey_.find(key);
  return it == byKey_.end() ? nullptr : it->second;
}

void TreeModel::Remove(TreeNode& node) {
  std::vector<TreeNode*> doomed;
  std::function<void(TreeNode*)> collect = [&](TreeNode* n) {
    doomed.push_back(n);
    for (TreeNode* c : n->children_) collect(c);
  };
  collect(&node);
  for (TreeNode* n : doomed) byKey_.erase(n->key);
  auto& siblings = node.parent_ ? node.parent_->children_ : roots_;
  siblings.erase(std::find(siblings.begin(), siblings.end(), &node));
  auto gone = [&doomed](TreeNode* n) {
    return std::find(doomed.begin(), doomed.end(), n) != doomed.end();
  };
  order_.erase(std::remove_if(order_.begin(), order_.end(), gone), order_.end());
  storage_.erase(std::remove_if(storage_.begin(), storage_.end(),
                                [&gone](const std::unique_ptr<TreeNode>& p) { return gone(p.get()); }),
                 storage_.end());
  Renumber();
}

void TreeModel::Clear() {
  byKey_.clear();
  order_.clear();
  roots_.clear();
  storage_.clear();
}

bool TreeModel::SortChildren(TreeNode& parent,
                             const std::function<bool(const TreeNode&, const TreeNode&)>& less) {
  for (const TreeNode* child : parent.children_)
    if (!child->children_.empty()) return false;
  std::vector<std::size_t> places;
  for (const TreeNode* child : parent.children_) places.push_back(child->index_ - 1);
  std::sort(places.begin(), places.end());
  std::stable_sort(parent.children_.begin(), parent.children_.end(),
                   [&less](const TreeNode* a, const TreeNode* b) { return less(*a, *b); });
  for (std::size_t i = 0; i < places.size(); ++i) order_[places[i]] = parent.children_[i];
  Renumber();
  return true;
}

void TreeModel::Renumber() {
  for (std::size_t i = 0; i < order_.size(); ++i) order_[i]->index_ = i + 1;
}

}  // namespace hw
