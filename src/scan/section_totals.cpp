#include "scan/section_totals.h"

#include "checks/section_checks.h"

namespace hw {

void ShowSectionTotals(TreeModel& tree, ScanCountersView& view) {
  std::int16_t total = 0;
  for (int i = 0; i < 10; ++i) total = CheckedAdd16(total, CaptionNumber(view.NumSecErCaption(i)));
  const std::int16_t shortcuts = CaptionNumber(view.NumSecErCaption(10));
  const auto& nodes = tree.Nodes();
  for (std::size_t k = 0; k < nodes.size() && k < 13; ++k) {
    TreeNode& node = *nodes[k];
    if (!node.bold) continue;
    std::string count;
    if (k == 0)
      count = std::to_string(CheckedAdd16(total, shortcuts));
    else if (k == 1)
      count = std::to_string(total);
    else if (k == 12)
      count = std::to_string(shortcuts);
    else
      count = view.NumSecErCaption(static_cast<int>(k) - 2);
    node.text += " (" + count + ")";
    if (CaptionNumber(count) <= 0) node.greyText = true;
  }
}

}  // namespace hw
