#include "support/lnk_writer.h"

#include "platform/ansi_text.h"
#include "platform/code_page.h"

namespace hw::test::lnk {
namespace {

void Put16(std::string& s, std::uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
// NUL-terminated UTF-16LE.
std::string Utf16(const std::string& text) {
  std::string s = Utf16LeFromUtf8(text);
  Put16(s, 0);
  return s;
}
// One ID-list item: its 16-bit size, `type` and `body`.
std::string Item(unsigned char type, const std::string& body) {
  std::string item;
  Put16(item, static_cast<std::uint32_t>(body.size() + 3));
  item += static_cast<char>(type);
  return item + body;
}

}  // namespace

std::string MyComputerItem() {
  return Item(0x1F, std::string("\x50\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 17));
}
std::string ControlPanelItem() {
  return Item(0x1F, std::string("\x50\x20\x20\xEC\x21\xEA\x3A\x69\x10\xA2\xDD\x08\x00\x2B\x30\x30\x9D", 17));
}
std::string DriveItem(const std::string& root) { return Item(0x2F, root + std::string(22 - root.size(), '\0')); }
std::string FileItem(bool folder, const std::string& shortName, const std::string& longName) {
  std::string body(1, '\0');
  Put32(body, 0);          // size
  Put32(body, 0x2AC45090); // DOS date and time
  Put16(body, folder ? 0x10 : 0x20);
  body += shortName + '\0';
  if (body.size() % 2 == 0) body += '\0';  // the item so far (with its 3 leading bytes) is even
  if (!longName.empty()) {
    std::string block;
    std::string name = Utf16(longName);
    Put16(block, static_cast<std::uint32_t>(46 + name.size() + 2));
    Put16(block, 9);
    Put32(block, 0xBEEF0004);
    block += std::string(38, '\0');
    block += name;
    Put16(block, 0);  // offset of the block, not used by readers that search for it
    body += block;
  }
  return Item(folder ? 0x31 : 0x32, body);
}
std::string IdList(const std::vector<std::string>& items) {
  std::string list;
  for (const auto& i : items) list += i;
  Put16(list, 0);
  std::string out;
  Put16(out, static_cast<std::uint32_t>(list.size()));
  return out + list;
}
std::string LinkInfo(const std::string& base, const std::string& suffix, const std::string& unicodeBase) {
  const bool wide = !unicodeBase.empty();
  const std::uint32_t header = wide ? 0x24 : 0x1C;
  std::string volume;
  Put32(volume, 0x11);
  Put32(volume, 3);
  Put32(volume, 0x1234);
  Put32(volume, 0x10);
  volume += '\0';
  std::uint32_t volumeOffset = header;
  std::uint32_t baseOffset = volumeOffset + static_cast<std::uint32_t>(volume.size());
  std::uint32_t suffixOffset = baseOffset + static_cast<std::uint32_t>(base.size() + 1);
  std::uint32_t wideOffset = suffixOffset + static_cast<std::uint32_t>(suffix.size() + 1);
  std::string tail = volume + base + '\0' + suffix + '\0' + unicodeBase;
  std::string info;
  Put32(info, header + static_cast<std::uint32_t>(tail.size()));
  Put32(info, header);
  Put32(info, 1);
  Put32(info, volumeOffset);
  Put32(info, baseOffset);
  Put32(info, 0);
  Put32(info, suffixOffset);
  if (wide) {
    Put32(info, wideOffset);
    Put32(info, 0);
  }
  return info + tail;
}
std::string Shortcut(const std::string& idList, const std::string& linkInfo) {
  std::string s;
  Put32(s, 0x4C);
  s += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
  Put32(s, (idList.empty() ? 0 : 1) | (linkInfo.empty() ? 0 : 2));
  s += std::string(0x4C - s.size(), '\0');
  return s + idList + linkInfo + std::string(4, '\0');
}

std::string ShortcutTo(const std::string& target) {
  // A target beyond ASCII goes in the Unicode base path too, as the shell
  // writes it; the ANSI one then holds '?' for what the code page lacks.
  for (char c : target)
    if (static_cast<unsigned char>(c) >= 0x80)
      return Shortcut("", LinkInfo(AnsiFromText(target), "", Utf16LeFromUtf8(target) + std::string(2, '\0')));
  return Shortcut("", LinkInfo(target, ""));
}

}  // namespace hw::test::lnk
