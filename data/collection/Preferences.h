// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"

#include <cstdint>
#include <string>

// The names of the values the program keeps in the settings. Every reader and writer takes them
// from here: the application, the handheld export, the tip sequence, the review schedule and the
// installer step.
namespace SettingKey {
// Section "Params"
inline constexpr const char* kRunCount = "RunCount";
inline constexpr const char* kFirstRunTime = "FirstRunTime";
inline constexpr const char* kMostRecentRunTime = "MostRecentRunTime";
inline constexpr const char* kBackgroundFilename = "BackgroundFilename";
inline constexpr const char* kEditNextMode = "EditNextMode";
inline constexpr const char* kPrefFlyoverChoiceAllowed = "PrefFlyoverChoiceAllowed";
inline constexpr const char* kPrefFlyoverChoice = "PrefFlyoverChoice";
inline constexpr const char* kPrefConfirmChoiceAllowed = "PrefConfirmChoiceAllowed";
inline constexpr const char* kPrefConfirmDelete = "PrefConfirmDelete";
inline constexpr const char* kPrefConfirmEdit = "PrefConfirmEdit";
inline constexpr const char* kPrefFontChoiceAllowed = "PrefFontChoiceAllowed";
inline constexpr const char* kPrefFontChoice = "PrefFontChoice";
inline constexpr const char* kTopicFilterChoice = "TopicFilterChoice";
inline constexpr const char* kAddPassageAllowed = "AddPassageAllowed";
inline constexpr const char* kEditPassageAllowed = "EditPassageAllowed";
inline constexpr const char* kTransFilter = "TransFilter";
inline constexpr const char* kPpcSyncInitialized = "PpcSyncInitialized";
inline constexpr const char* kCurSelectorIndex = "CurSelectorIndex";
inline constexpr const char* kUserCount = "UserCount";
inline constexpr const char* kFlashcardHintOnFront = "FlashcardHintOnFront";
inline constexpr const char* kFlashcardContextOnBack = "FlashcardContextOnBack";
inline constexpr const char* kImportTrans = "ImportTrans";
inline constexpr const char* kListenSpeed = "ListenSpeed";
inline constexpr const char* kBibleVersesBefore = "BibleVersesBefore";
inline constexpr const char* kBibleVersesAfter = "BibleVersesAfter";
// Section "Export\Params"
inline constexpr const char* kPrefConfirmExportPpc = "PrefConfirmExportPpc";
inline constexpr const char* kFileTimestamp = "FileTimestamp";
// Section "RctTip"
inline constexpr const char* kRctStartUp = "RctStartUp";
inline constexpr const char* kRctFilePos = "RctFilePos";
inline constexpr const char* kRctTimeStamp = "RctTimeStamp";
// Section "Review": the review schedule's days per active frequency class and the hour at which
// one review day gives way to the next
inline constexpr const char* kIntervalMostFrequent = "IntervalMostFrequent";
inline constexpr const char* kIntervalLessFrequent = "IntervalLessFrequent";
inline constexpr const char* kIntervalLeastFrequent = "IntervalLeastFrequent";
inline constexpr const char* kDayChangeHour = "DayChangeHour";
} // namespace SettingKey

// The user's preferences and the switches of the installation, read once at start-up and written
// back at every save; the program works on this copy in between. Owned by the application, lent
// to the windows.
class CPreferences {
public:
    // What a save writes besides the preferences.
    struct SaveState {
        std::uint32_t fileTimestamp = 0; // of the last handheld export
        int curSelectorIndex = 0;        // the navigation position
        int userCount = 0;               // user passages, for outside readers
    };

    // Reads every preference in its fixed order with its default and correction: a flag is on only
    // when the stored number is exactly 1, a translation filter outside 0..33 is "All" (33), and
    // the choices are taken as stored. The background file name is read with the start-up
    // counters, before the others.
    void Read(ISettings& settings);
    void ReadBackground(ISettings& settings);
    // Writes the eleven values of a save in their fixed order, flags as 0 or 1.
    void Write(ISettings& settings, const SaveState& state) const;
    // Writes the export confirmation at once, as its menu toggle does.
    void WriteConfirmExportPpc(ISettings& settings) const;
    // Writes the Export Flashcards window's choices at once, when the window has changed them.
    void WriteFlashcardChoices(ISettings& settings) const;
    // Writes the import's translation at once, as it is chosen.
    void WriteImportTrans(ISettings& settings) const;
    // Writes the speed of reading aloud at once, as it is chosen.
    void WriteListenSpeed(ISettings& settings) const;
    // Writes the verses taken around a passage from the Bible at once, as they are chosen.
    void WriteBibleVerses(ISettings& settings) const;
    // The translation an import gives the lines without one: the one last chosen, else the
    // translation filter's if it names one a passage can have, else KJV.
    int ImportTranslation() const;

    bool PrefFlyoverChoiceAllowed = false;
    int PrefFlyoverChoice = 0; // 0 disabled, 1 enabled
    bool PrefConfirmChoiceAllowed = false;
    bool PrefConfirmDelete = true;
    bool PrefConfirmEdit = true;
    bool PrefConfirmExportPpc = true;
    bool PrefFontChoiceAllowed = false;
    int PrefFontChoice = 0; // 0 Auto Resizing, 1-3 the fixed sizes
    int topicNumber = 0;    // "TopicFilterChoice": the topic of the filter and the same-topic list
    bool AddPassageAllowed = true;
    bool EditPassageAllowed = true;
    int TransFilter = 33; // a translation number, 33 for all
    int ImportTrans = -1; // the translation last chosen for an import's lines, -1 none yet
    bool PpcSyncInitialized = false;
    // How fast passages are read aloud: 0 slowest .. kListenSpeeds - 1 fastest, Normal between.
    static constexpr int kListenSpeeds = 5;
    int ListenSpeed = kListenSpeeds / 2;
    bool FlashcardHintOnFront = false;   // the hint on the front of an Anki card
    bool FlashcardContextOnBack = false; // the context on the back of an Anki card
    std::string BackgroundFilename;
    // Verses a passage taken from the Bible has before and after it in its context (0..kMax);
    // a stored number outside that range gives the default.
    static constexpr int kDefaultBibleVerses = 2;
    static constexpr int kMaxBibleVerses = 10;
    int BibleVersesBefore = kDefaultBibleVerses;
    int BibleVersesAfter = kDefaultBibleVerses;
};
