#include "cli/cli_target.h"

namespace hw {

std::string DirtyHiveRefusal(const std::vector<std::string>& hives) {
  std::string names;
  for (const std::string& h : hives) names += (names.empty() ? "" : ", ") + h;
  return "refused: the hive " + names +
         " was not saved cleanly (its changes are still in its .LOG1/.LOG2); hivex does not replay the logs; "
         "writing would lose the changes in them. Start that Windows once and shut it down cleanly, then try again.";
}

}  // namespace hw
