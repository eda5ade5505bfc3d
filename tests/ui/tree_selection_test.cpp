#include "ui/tree_selection.h"

#include <gtest/gtest.h>

#include <string>

namespace hw {
namespace {

// The pictures of every node in collection order, by their state letters:
// A(ll), S(ome), N(one).
std::string States(const TreeModel& tree) {
  std::string s;
  for (const TreeNode* n : tree.Nodes()) s += n->image.substr(0, 1);
  return s;
}

TEST(TreeSelection, AllNoneAndInvertActOnTheSubtreeAndSettleItsAncestors) {
  // My > Reg > {CC > {1Err, 2Err, 3Err}, SuP}, Scan > C > {4Err}
  auto build = [](TreeModel& t) {
    t.Add("", "My", "My Computer", "SomeComp");
    t.Add("My", "Reg", "Scan Registry", "SomeReg");
    t.Add("Reg", "CC", "Custome Controls", "SomeReg");
    t.Add("CC", "1Err", "a", "AllReg");
    t.Add("CC", "2Err", "b", "NoneReg");
    t.Add("CC", "3Err", "c", "AllReg");
    t.Add("Reg", "SuP", "Startup Programmes", "NoneReg");
    t.Add("My", "Scan", "Scan for Shortcuts", "AllDrive");
    t.Add("Scan", "C", "C (Fixed)", "AllDrive");
    t.Add("C", "4Err", "d", "AllDrive");
  };
  struct Row {
    const char* node;
    SubtreeChoice choice;
    const char* states;  // My Reg CC 1 2 3 SuP Scan C 4
  };
  const Row rows[] = {
      {"CC", SubtreeChoice::kAll, "SSAAAANAAA"},
      {"CC", SubtreeChoice::kNone, "SNNNNNNAAA"},
      {"CC", SubtreeChoice::kInvert, "SSSNANNAAA"},
      {"Reg", SubtreeChoice::kInvert, "SSSNANAAAA"},
      {"Reg", SubtreeChoice::kAll, "AAAAAAAAAA"},
      {"My", SubtreeChoice::kNone, "NNNNNNNNNN"},
      {"My", SubtreeChoice::kInvert, "SSSNANANNN"},
      {"2Err", SubtreeChoice::kInvert, "SSAAAANAAA"},
      {"4Err", SubtreeChoice::kNone, "SSSANANNNN"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.node) + " " + std::to_string(int(row.choice)));
    TreeModel tree;
    build(tree);
    SelectSubtree(*tree.Find(row.node), row.choice);
    EXPECT_EQ(row.states, States(tree));
    // The kind stays; the selected picture follows.
    for (const TreeNode* n : tree.Nodes()) {
      EXPECT_EQ(n->image, n->selectedImage);
      EXPECT_TRUE(n->image.find("Reg") != std::string::npos || n->image.find("Comp") != std::string::npos ||
                  n->image.find("Drive") != std::string::npos);
    }
  }
}

}  // namespace
}  // namespace hw
