#pragma once
// Which problems of a fresh scan a report (perhaps edited) still asks to
// repair: the same section and the same place, never more than the fresh
// scan confirms.
#include <string>
#include <vector>

#include "scan/found_problem.h"

namespace hw {

/// Same section, and the same shortcut file, or the same root, key and
/// value (a key match only with a key match). Registry names compare
/// without regard to case, as the registry compares them.
bool SameProblem(const FoundProblem& fresh, const FoundProblem& listed);

/// The numbers of the fresh problems that `listed` names, in fresh order.
std::vector<long> ConfirmedNumbers(const std::vector<FoundProblem>& fresh, const std::vector<FoundProblem>& listed);

/// The section codes a report's problems belong to, in catalogue order,
/// and the drive letters of its shortcut files.
std::vector<std::string> SectionsListed(const std::vector<FoundProblem>& listed);
std::vector<std::string> DrivesListed(const std::vector<FoundProblem>& listed);

}  // namespace hw
