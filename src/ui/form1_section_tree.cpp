// The section tree: what the user ticks to scan. A node's state lives only
// in its picture key: "All", "Some" or "None" followed by its kind.
#include "checks/section_catalogue.h"
#include "platform/vb_text.h"
#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw {
namespace {

std::string KindOf(const std::string& image) {
  for (const char* state : {"All", "None", "Some"}) {
    if (Left(image, std::string(state).size()) == state) return image.substr(std::string(state).size());
  }
  return image;
}

void SetImage(TreeNode& node, const std::string& image) {
  node.image = image;
  node.selectedImage = image;
}

bool IsAllImage(const std::string& image) {
  return image == "AllDrive" || image == "AllComp" || image == "AllReg";
}

bool IsNoneImage(const std::string& image) {
  return image == "NoneDrive" || image == "NoneComp" || image == "NoneReg";
}

}  // namespace

void Form1::BuildSectionTree() {
  tvwTree.Clear();
  auto add = [this](const std::string& parent, const std::string& key, const std::string& text,
                    const std::string& image) {
    TreeNode& n = tvwTree.Add(parent, key, text, image);
    n.expanded = true;
  };
  add("", "My", "My Computer", "NoneComp");
  add("My", "Reg", "Scan Registry", "NoneReg");
  for (const Section& s : SectionCatalogue()) {
    if (s.search != SectionSearch::kFiles) add("Reg", s.code, s.caption, "NoneReg");
  }
  add("My", "Scan", "Scan for Shortcuts", "NoneDrive");
  GetAllDrivesTypes();
  NewSearchEngine();
  scanState.CurrentSection.clear();
  for (TreeNode* node : tvwTree.Nodes()) node->bold = true;
  view.TreeChanged();
}

void Form1::GetAllDrivesTypes() {
  for (char letter : FixedDriveLetters(p.system, p.dialogs)) {
    TreeNode& n = tvwTree.Add("Scan", std::string(1, letter), std::string(1, letter) + " " + texts.fixedDriveMark,
                              "NoneDrive");
    n.expanded = true;
  }
}

void Form1::ProcessStateChange(TreeNode& nodeCurrent) {
  const std::string kind = KindOf(nodeCurrent.image);
  if (Contains(nodeCurrent.image, "None", true) || Contains(nodeCurrent.image, "Some", true)) {
    SetImage(nodeCurrent, "All" + kind);
  } else if (nodeCurrent.text == "My Computer") {
    SetImage(nodeCurrent, "NoneComp");
  } else {
    SetImage(nodeCurrent, "None" + kind);
    nodeCurrent.selected = false;
  }
  CheckChildren(nodeCurrent);
  CheckParent(nodeCurrent);
  view.TreeChanged();
}

void Form1::CheckChildren(TreeNode& nodeSource) {
  for (TreeNode* child : nodeSource.Children()) {
    const std::string kind = KindOf(child->image);
    if (IsAllImage(nodeSource.image)) {
      SetImage(*child, "All" + kind);
    } else if (IsNoneImage(nodeSource.image)) {
      SetImage(*child, "None" + kind);
    }
    CheckChildren(*child);
  }
}

void Form1::CheckParent(TreeNode& nodeSource) {
  if (tvwTree.Roots().empty() || nodeSource.text == tvwTree.Roots().front()->text) return;
  TreeNode* parent = nodeSource.Parent();
  if (!parent) return;
  bool all = true, none = true;
  for (TreeNode* child : parent->Children()) {
    if (Contains(child->image, "All", true)) {
      none = false;
    } else if (Contains(child->image, "None", true)) {
      all = false;
    } else if (Contains(child->image, "Some", true)) {
      all = false;
      none = false;
    }
  }
  const std::string kind = KindOf(parent->image);
  SetImage(*parent, all ? "All" + kind : none ? "None" + kind : "Some" + kind);
  if (parent->Parent()) CheckParent(*parent);
}

void Form1::tvwTree_MouseDown(float x, float y) {
  if (!controls.Enabled(ctl::tvwTree)) return;
  mx = x;
  my = y;
}

void Form1::tvwTree_NodeClick(TreeNode& node) {
  if (!controls.Enabled(ctl::tvwTree)) return;
  node.selected = false;
  const std::string key = node.key;  // the node may be replaced by what follows
  ProcessStateChange(node);
  if (!scanFinished) return;
  if (const Section* s = FindSection(key)) {
    if (s->search != SectionSearch::kFiles) FillSectionResults(s->caption, key);
  } else if (TreeNode* n = tvwTree.Find(key); n && n->Parent() && n->Parent()->key == "Scan") {
    FillSectionResults(key + "Scan for Shortcuts", key);
  }
}

void Form1::tvwTree_SpaceKey(TreeNode& node) {
  if (!controls.Enabled(ctl::tvwTree)) return;
  const std::string key = node.key;
  tvwTree_NodeClick(node);
  if (TreeNode* n = tvwTree.Find(key)) {
    for (TreeNode* other : tvwTree.Nodes()) other->selected = other == n;
    view.TreeChanged();
  }
}

void Form1::tvwTree_Click() {
  if (!controls.Enabled(ctl::tvwTree)) return;
  TreeNode* at = view.HitTest(mx, my);
  TreeNode* left = view.HitTest(mx - 210, my);
  if (at && left) ProcessStateChange(*at);
}

void Form1::tvwTree_Collapse(TreeNode& node) {
  if (controls.Enabled(ctl::tvwTree)) node.selected = false;
}

void Form1::tvwTree_Expand(TreeNode& node) {
  if (controls.Enabled(ctl::tvwTree)) node.selected = false;
}

}  // namespace hw
