// The language files shipped in resources/Ref, read as the program reads
// them (identifier in characters 1 to 4, one separator, the text from
// character 6 unchanged). English.ini must give back exactly the built-in
// texts, so choosing "English" changes nothing on screen; every file must
// carry every identifier the readers know, in the shipped line form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace hw::test {
namespace {

const char kClickToScan[] = "Click on the start Button for Scanning...";
const char kCopyright[] = "Copyright (C) 2002 Tarnwick. All rights reserved.";

// The main window's and then the settings dialog's identifiers, each with
// the text that reproduces its default; one shared by two controls with
// different defaults lists both; spaces count (the reader keeps them). The
// space of " Problem(s) Found" (1032) is the reader's own.
const std::vector<std::pair<int, std::vector<std::string>>> kKnownTexts = {
      {1000, {"Sections to Scan :"}}, {1001, {"My Computer"}}, {1002, {"Scan Registry"}},
      {1003, {"Registry Integrity"}}, {1004, {"Custome Controls"}}, {1005, {"Software Locations"}},
      {1006, {"Device Drivers"}}, {1007, {"Windows Fonts"}}, {1008, {"Help And Resources"}},
      {1009, {"Shared Programmes"}}, {1010, {"Startup Programmes"}}, {1011, {"Add/Remove Programmes"}},
      {1012, {"Virtual Devices"}}, {1013, {"Scan for Shortcuts"}}, {1014, {"No Section is selected for scan"}},
      {1015, {"Scan Now :"}}, {1016, {"Scan"}}, {1017, {kClickToScan}}, {1018, {"Restore Configuration ..."}},
      {1019, {"backup", " Backup"}}, {1020, {kClickToScan}}, {1021, {"Customize ..."}}, {1022, {kClickToScan}},
      {1023, {"Settings"}}, {1024, {"Support"}}, {1025, {"Help"}}, {1026, {"Hivewright"}}, {1028, {kCopyright}},
      {1029, {"Abort"}}, {1030, {" Repair"}}, {1031, {"Please Click on Next Button"}}, {1032, {"Problem(s) Found"}},
      {1033, {"Registry Integrity"}}, {1034, {"Custome Controls"}}, {1035, {"Software Locations"}},
      {1036, {"Device Drivers"}}, {1037, {"Windows Fonts"}}, {1038, {"Help And Resources"}},
      {1039, {"Shared Programmes"}}, {1040, {"Startup Programmes"}}, {1041, {"Add/Remove Programmes"}},
      {1042, {"Virtual Devices"}}, {1043, {"Shortcuts And Links"}}, {1044, {"Performing Scan.."}},
      {1045, {"Summary"}}, {1047, {""}},
      {1048, {"Selected Problem(s) Has been Repaired succesfully.Thank you for choosing Hivewright."}},
      {1056, {"Ok", "&OK"}}, {1069, {"Clean"}}, {1070, {"Restore"}}, {1071, {"Name"}}, {1072, {"Creation Date"}},
      {1073, {"Size"}}, {1074, {" Backup manager"}}, {1075, {"    Detected Problems..."}},
      {1076, {" Problems Detected"}}, {1077, {" Repair"}}, {1078, {"Return"}}, {1079, {"No Problems Detected"}},
      {1080, {"Please Provide the name of backup"}}, {1081, {"Backup Registry"}}, {1082, {"Pause"}},
      {1083, {"Resume"}}, {1086, {"Do you want to save a backup before repairing?"}},
      {1098, {"Version 1.0 (20020225)"}}, {1099, {"(Fixed)"}}, {1100, {"Scanning: "}},
      {1101, {"%1 of %2 selected problem(s) could not be repaired:"}}, {1102, {"no longer a problem"}},
      {1103, {"These values could not be restored:"}}, {1104, {"... and %1 more"}},
      {1105, {"These backups were kept:"}},
      {1106, {"\"%1\" is the name of a device, not of a file. Please give the backup another name."}},
      {1107, {"%1 values exist with other data. Overwrite them?"}},
      {1108, {"%1 holds no backup. It was left in place."}}, {1109, {"Export"}},
      {1110, {"The backup was exported to %1"}}, {1111, {"its line is no longer in the problem log"}},
      {1112, {"its registry location is not known"}},
      {1113, {"its registry key no longer exists or cannot be opened"}},
      {1114, {"the registry value no longer exists"}},
      {1115, {"the value could not be read for the backup, so it was left in place"}},
      {1116, {"the backup could not be written, so the value was left in place"}},
      {1117, {"the registry refused to delete the value"}}, {1118, {"the registry could not be saved"}},
      {1119, {"the shortcut file no longer exists"}}, {1120, {"the shortcut file could not be deleted"}},
      {1121, {"the shortcut file could not be moved into the backup, so it was left in place"}},
      {1122, {"the shortcut file could not be moved to the Recycle Bin, so it was left in place"}},
      {1123, {"damaged record: not restored, the backup is kept"}}, {1124, {"Section"}}, {1125, {"Root"}},
      {1126, {"Key"}}, {1127, {"Value name"}}, {1128, {"Data"}}, {1129, {"Shortcut file"}}, {1130, {"Path tested"}},
      {1131, {"The file %1 does not exist."}}, {1132, {"The folder %1 does not exist."}},
      {1133, {"The drive %1 does not exist."}}, {1134, {"(the value is no longer there)"}},
      {1135, {"Open in Registry Editor"}}, {1136, {"Open file location"}}, {1137, {"Copy details"}},
      {1138, {"Exclude"}}, {1139, {"Select all"}}, {1140, {"Select none"}}, {1141, {"Invert selection"}},
      {1142, {"Exclusions"}}, {1143, {"Remove"}}, {1144, {"Sort by path"}},
      {1055, {"&Cancel"}}, {1057, {"Custom Settings"}},
      {1058, {"Remove All Problems Automatically"}}, {1059, {"Start on Windows Startup"}}, {1060, {"Language"}},
      {1061, {"Log Files :"}}, {1062, {"Ref. Files :"}}, {1063, {"Wave Files :"}}, {1064, {"Backups :"}},
      {1065, {"Choose Directory.."}}, {1066, {"Options"}}, {1067, {"Paths"}}, {1068, {"About"}},
      {1087, {"Automatically create backup before repair"}},
};

struct LanguageFile {
  std::string raw;
  std::map<int, std::string> texts;
  std::vector<std::string> faults;  // CR LF ends, no empty or malformed line, no identifier twice
};

LanguageFile ReadLanguageFile(const std::string& name) {
  LanguageFile f;
  f.raw = ReadSourceFile("/resources/Ref/" + name);
  if (f.raw.size() < 2 || f.raw.compare(f.raw.size() - 2, 2, "\r\n") != 0) {
    f.faults.push_back("last line without CR LF");
  }
  int number = 0;
  for (size_t pos = 0, end; pos < f.raw.size(); pos = end + 1) {
    end = std::min(f.raw.find('\n', pos), f.raw.size());
    std::string line = f.raw.substr(pos, end - pos);
    const std::string where = name + " line " + std::to_string(++number) + ": ";
    if (!line.empty() && line.back() == '\r') line.pop_back();
    else if (end < f.raw.size()) f.faults.push_back(where + "LF without CR");
    bool digits = line.size() >= 5 && line[4] == '=' && line.find('\r') == std::string::npos;
    for (size_t i = 0; digits && i < 4; ++i) digits = std::isdigit(static_cast<unsigned char>(line[i])) != 0;
    if (!digits) f.faults.push_back(where + "not 4 digits and '=': " + line);
    else if (!f.texts.emplace(std::stoi(line.substr(0, 4)), line.substr(5)).second) f.faults.push_back(where + "twice");
  }
  return f;
}

std::string Join(const std::vector<std::string>& v) {
  std::string out;
  for (const auto& s : v) out += s + "\n";
  return out;
}

TEST(LanguageFiles, EnglishReproducesEveryBuiltInText) {
  const LanguageFile f = ReadLanguageFile("English.ini");
  EXPECT_TRUE(f.faults.empty()) << Join(f.faults);
  std::set<int> known;
  for (const auto& [id, defaults] : kKnownTexts) {
    known.insert(id);
    auto it = f.texts.find(id);
    EXPECT_TRUE(it != f.texts.end() && std::find(defaults.begin(), defaults.end(), it->second) != defaults.end())
        << id << " is not '" << defaults.front() << "'";
  }
  // Nothing beyond the table: a stray identifier means a typo.
  for (const auto& [id, text] : f.texts) EXPECT_EQ(1u, known.count(id)) << "unknown " << id;
}

TEST(LanguageFiles, GermanTranslatesEveryIdentifierInWindows1252) {
  const LanguageFile de = ReadLanguageFile("Deutsch.ini"), en = ReadLanguageFile("English.ini");
  EXPECT_TRUE(de.faults.empty()) << Join(de.faults);
  int translated = 0;
  for (const auto& [id, english] : en.texts) {
    ASSERT_EQ(1u, de.texts.count(id)) << id;
    const std::string& text = de.texts.at(id);
    EXPECT_TRUE(id == 1047 || !text.empty()) << id;
    // Texts the readers glue to others keep the English spacing.
    EXPECT_EQ(english.find_first_not_of(' '), text.find_first_not_of(' ')) << "leading spaces of " << id;
    translated += text != english;
  }
  EXPECT_EQ(en.texts.size(), de.texts.size());
  EXPECT_GT(translated, 60);
  EXPECT_EQ("Arbeitsplatz", de.texts.at(1001));
  // Umlauts as single Windows-1252 bytes, never as UTF-8 (which begins them with 0xC3).
  EXPECT_NE(std::string::npos, de.raw.find('\xFC'));
  EXPECT_NE(std::string::npos, de.raw.find('\xE4'));
  EXPECT_EQ(std::string::npos, de.raw.find('\xC3'));
}

}  // namespace
}  // namespace hw::test
