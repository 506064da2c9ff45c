// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Command and control ids of the program's windows. The numbers are those the program has always
// used: the help context ids are made from them, and tests and the help find controls by them.
namespace Id {

// File menu
inline constexpr int kAddPassage = 33036;
inline constexpr int kDeletePassage = 33132;
inline constexpr int kEditPassage = 33037;
inline constexpr int kExportPocketPc = 33465;
inline constexpr int kPrint = 33031;
inline constexpr int kPrintCards = 34020; // many passages as cards, several to a page
inline constexpr int kSave = 57603;
inline constexpr int kExit = 33030;
// Exchange with flashcard programs, beside the handheld export
inline constexpr int kExportFlashcards = 34010;
inline constexpr int kImportPassages = 34011;

// View menu
inline constexpr int kFirstCategory = 32776; // + frequency class 0..3
inline constexpr int kParallelPassages = 33466;
inline constexpr int kSameTopic = 33494;
inline constexpr int kFindWord = 33489;
inline constexpr int kCheckRecitation = 34000;
inline constexpr int kProgressOverTime = 34047;
inline constexpr int kListen = 34051; // reads the passage shown aloud; again, stops
inline constexpr int kReviewDue = 34050; // the review session over the passages due today

// Preferences menu
inline constexpr int kFlyoverDisable = 33024;
inline constexpr int kFlyoverEnable = 33025;
inline constexpr int kFirstFontSize = 33020;   // + font choice 0..3
inline constexpr int kFirstBackground = 33100; // + background index 0..24
inline constexpr int kHintSeveralWords = 33496;
inline constexpr int kHintLetters = 33497;
inline constexpr int kTranslationHeading = 33456;
inline constexpr int kFirstTranslation = 33135; // + translation filter 0..33
inline constexpr int kLastTranslation = 33168;
inline constexpr int kVisitVersions = 33454;
inline constexpr int kVisitBibleSite = 33455;
inline constexpr int kConfirmDelete = 33458;
inline constexpr int kConfirmEdit = 33459;
inline constexpr int kConfirmExportPpc = 33491;
inline constexpr int kTrainee = 33028;
inline constexpr int kTrainer = 33029;
inline constexpr int kTopicFilter = 33493;
inline constexpr int kResetDefaults = 33026;
inline constexpr int kReviewIntervals = 34044;
inline constexpr int kFirstListenSpeed = 34060; // + speed of reading aloud 0..4
inline constexpr int kBibleVerses = 34055; // verses around a passage taken from the Bible

// Help menu
inline constexpr int kOverview = 57670;
inline constexpr int kHelpTopics = 33035;
inline constexpr int kTutorial = 33018;
inline constexpr int kUserGuide = 33019;
inline constexpr int kUserManual = 33462;
inline constexpr int kContactUs = 33129;
inline constexpr int kHomePage = 33130;
inline constexpr int kSlideshow = 33464;
inline constexpr int kCheckForUpdate = 33463;
inline constexpr int kTipOfTheDay = 33044;
inline constexpr int kSlowLaunch = 33495;
inline constexpr int kAbout = 16;

// Commands on the menu bar itself
inline constexpr int kEdThis = 33453;
inline constexpr int kEdNx = 33452;
inline constexpr int kDelThis = 33460;
inline constexpr int kFirst = 32772;
inline constexpr int kPrevious = 32773;
inline constexpr int kNext = 32774;
inline constexpr int kLast = 32775;

// Main window controls
inline constexpr int kFrequencyGroup = 1002;
inline constexpr int kProgressGroup = 1008;
inline constexpr int kVisibilityGroup = 1004;
inline constexpr int kFirstFrequencyRadio = 33014;  // + frequency class 0..3
inline constexpr int kFirstProgressRadio = 33004;   // + progress 0..4
inline constexpr int kFirstVisibilityRadio = 33009; // + visibility mode 0..3
inline constexpr int kUnusedEdit = 1007;
inline constexpr int kPassageTree = 33003;
inline constexpr int kTextBox = 1000;
inline constexpr int kReviewStatus = 34045; // the review's status line under the text box
// Shown in the text box at Blank and Hint: opens Check Recitation.
inline constexpr int kRecitationButton = 34001;

} // namespace Id
