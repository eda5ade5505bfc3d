// The problems of a scan hung under their section nodes, from err.log.
#include "checks/exact_logs.h"
#include "platform/vb_text.h"
#include "ui/form1.h"

namespace hw {
namespace {

std::string ProblemImageFor(const TreeNode& section) {
  const TreeNode* group = section.Parent();
  const std::string key = group ? group->key : std::string();
  if (key == "Reg") return "AllReg";
  if (key == "Scan") return "AllDrive";
  return "AllComp";
}

}  // namespace

void Form1::FillSectionResults(const std::string& caption, const std::string& sectionKey) {
  TreeNode* section = tvwTree.Find(sectionKey);
  if (!section || section->ChildCount() > 0) return;

  const std::string path = problemLogs.ErrLogPath();
  if (!p.files.FileExists(path)) return;
  std::unique_ptr<TextReader> in = OpenExactLog(p.files, path);

  // A drive of the shortcut scan is passed as its letter followed by the
  // 19-character caption of that section; its lines are those whose path
  // starts with the letter.
  const bool driveFilter = caption.size() == 19;
  const std::string header = driveFilter ? "[" + caption.substr(1) + "]" : "[" + caption + "]";
  const std::string driveLetter = driveFilter ? caption.substr(0, 1) : std::string();
  const std::string image = ProblemImageFor(*section);
  const bool expandSection = section->Parent() && section->Parent()->key == "Scan";

  std::string line = in->AtEndOfStream() ? std::string() : in->ReadLine();
  bool atEnd = in->AtEndOfStream() && line.empty();
  while (!atEnd) {
    if (line != header) {
      if (in->AtEndOfStream()) break;
      line = in->ReadLine();
      continue;
    }
    if (in->AtEndOfStream()) break;
    line = CollapseBackslashes(in->ReadLine());
    for (;;) {
      if (Right(line, 1) == "]" || Left(line, 1) == "[") break;  // the block is over
      const std::size_t dot = InStr(line, ".");
      const bool taken = !driveFilter || Mid(line, dot + 1, 1) == driveLetter;
      if (taken) {
        nodeNumber = static_cast<std::int16_t>(nodeNumber == 32767 ? 32767 : nodeNumber + 1);
        std::string key = std::to_string(nodeNumber) + "Err";
        // Past the largest node number keys would repeat; later problems get
        // their own suffix instead of failing the whole list.
        // The suffix goes on from the last one used, so no key is tried twice.
        while (tvwTree.Find(key)) key = std::to_string(nodeNumber) + "_" + std::to_string(++keySuffix_) + "Err";
        TreeNode& node = tvwTree.Add(sectionKey, key, dot > 0 ? Mid(line, dot + 1) : line, image);
        node.problemNumber = dot > 1 ? std::atol(Left(line, dot - 1).c_str()) : 0;
        node.selected = true;
        node.expanded = true;
        if (expandSection) section->expanded = true;
      }
      if (in->AtEndOfStream()) {
        atEnd = true;
        break;
      }
      line = in->ReadLine();
    }
  }
  in->Close();
  view.TreeChanged();
}

std::string Form1::CollapseBackslashes(const std::string& text) { return Repairer::CollapseBackslashes(text); }

}  // namespace hw
