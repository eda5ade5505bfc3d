#pragma once
// The texts the main window and the procedures behind its buttons show,
// with their built-in English defaults; a language file replaces them.
#include <string>

#include "repair/repair_texts.h"

namespace hw {

inline constexpr char kCopyrightNotice[] = "Copyright (C) 2002 Tarnwick. All rights reserved.";

struct MainTexts {
  std::string versionText = "Version 1.0 (20020225)";
  std::string abortCaption = "Abort";
  std::string returnCaption = "Return";
  std::string problemsDetectedSuffix = " Problems Detected";
  std::string noProblemsText = "No Problems Detected";
  std::string noSectionMessage = "No Section is selected for scan";
  std::string nextButtonHint = "Please Click on Next Button";
  std::string ProblemsFoundText = " Problem(s) Found";
  std::string backupNamePrompt = "Please Provide the name of backup";
  std::string backupNameTitle = "Backup Registry";
  std::string backupQuestion = "Do you want to save a backup before repairing?";
  std::string pauseCaption = "Pause";
  std::string resumeCaption = "Resume";
  std::string repairDoneMessage =
      "Selected Problem(s) Has been Repaired succesfully.Thank you for choosing Hivewright.";
  std::string fixedDriveMark = "(Fixed)";
  std::string scanningPrefix = "Scanning: ";
  std::string damagedRecordNote = "damaged record: not restored, the backup is kept";
  std::string spareText;
  // Repair and backup manager; "%1", "%2" stand for numbers and names.
  std::string notRepairedMessage = "%1 of %2 selected problem(s) could not be repaired:";
  std::string noLongerAProblem = "no longer a problem";
  std::string notRestoredMessage = "These values could not be restored:";
  std::string moreNotRestored = "... and %1 more";
  std::string backupsKeptMessage = "These backups were kept:";
  std::string deviceNameMessage =
      "\"%1\" is the name of a device, not of a file. Please give the backup another name.";
  std::string overwriteQuestion = "%1 values exist with other data. Overwrite them?";
  std::string noBackupMessage = "%1 holds no backup. It was left in place.";
  std::string exportDoneMessage = "The backup was exported to %1";
  // Why a problem was not repaired (language ids 1111-1122).
  RepairTexts repairReasons;
};

}  // namespace hw
