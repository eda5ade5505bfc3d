#include "scan/tree_model.h"

#include <algorithm>
#include <functional>

#include "registry/runtime_error.h"

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
  return *node;
}

TreeNode* TreeModel::Find(const std::string& key) const {
  if (key.empty()) return nullptr;
  for (TreeNode* n : order_)
    if (n->key == key) return n;
  return nullptr;
}

void TreeModel::Remove(TreeNode& node) {
  std::vector<TreeNode*> doomed;
  std::function<void(TreeNode*)> collect = [&](TreeNode* n) {
    doomed.push_back(n);
    for (TreeNode* c : n->children_) collect(c);
  };
  collect(&node);
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
  order_.clear();
  roots_.clear();
  storage_.clear();
}

void TreeModel::Renumber() {
  for (std::size_t i = 0; i < order_.size(); ++i) order_[i]->index_ = i + 1;
}

}  // namespace hw
