#include "cli/report_match.h"

#include <algorithm>
#include <cctype>

#include "checks/section_catalogue.h"
#include "platform/vb_text.h"

namespace hw {

bool SameProblem(const FoundProblem& fresh, const FoundProblem& listed) {
  if (fresh.section != listed.section) return false;
  if (fresh.shortcut || listed.shortcut)
    return fresh.shortcut && listed.shortcut && EqualsNoCase(*fresh.shortcut, *listed.shortcut);
  if (fresh.value.has_value() != listed.value.has_value()) return false;
  return EqualsNoCase(fresh.root, listed.root) && EqualsNoCase(fresh.key, listed.key) &&
         (!fresh.value || EqualsNoCase(*fresh.value, *listed.value));
}

std::vector<long> ConfirmedNumbers(const std::vector<FoundProblem>& fresh, const std::vector<FoundProblem>& listed) {
  std::vector<long> numbers;
  for (const FoundProblem& f : fresh)
    if (std::any_of(listed.begin(), listed.end(), [&](const FoundProblem& l) { return SameProblem(f, l); }))
      numbers.push_back(f.number);
  return numbers;
}

std::vector<std::string> SectionsListed(const std::vector<FoundProblem>& listed) {
  std::vector<std::string> codes;
  for (const Section& s : SectionCatalogue())
    if (std::any_of(listed.begin(), listed.end(), [&](const FoundProblem& p) { return p.section == s.code; }))
      codes.push_back(s.code);
  return codes;
}

std::vector<std::string> DrivesListed(const std::vector<FoundProblem>& listed) {
  std::vector<std::string> letters;
  for (const FoundProblem& p : listed) {
    if (!p.shortcut || p.shortcut->size() < 2 || (*p.shortcut)[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>((*p.shortcut)[0])))
      continue;
    const std::string letter(1, char(std::toupper(static_cast<unsigned char>((*p.shortcut)[0]))));
    if (std::find(letters.begin(), letters.end(), letter) == letters.end()) letters.push_back(letter);
  }
  return letters;
}

}  // namespace hw
