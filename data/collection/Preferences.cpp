// SPDX-License-Identifier: GPL-2.0-or-later
#include "Preferences.h"

#include "RefTables.h"

#include <utility>

using namespace SettingKey;

void CPreferences::ReadBackground(ISettings& settings) {
    BackgroundFilename = settings.ReadText(kSectionParams, kBackgroundFilename, "");
}

void CPreferences::Read(ISettings& settings) {
    const auto number = [&settings](const char* section, const char* name, int defaultValue) {
        return settings.ReadNumber(section, name, defaultValue);
    };
    const auto flag = [&number](const char* section, const char* name, int defaultValue) {
        return number(section, name, defaultValue) == 1;
    };
    PrefFlyoverChoiceAllowed = flag(kSectionParams, kPrefFlyoverChoiceAllowed, 0);
    PrefFlyoverChoice = number(kSectionParams, kPrefFlyoverChoice, 0);
    PrefConfirmChoiceAllowed = flag(kSectionParams, kPrefConfirmChoiceAllowed, 0);
    PrefConfirmDelete = flag(kSectionParams, kPrefConfirmDelete, 1);
    PrefConfirmEdit = flag(kSectionParams, kPrefConfirmEdit, 1);
    PrefConfirmExportPpc = flag(kSectionExport, kPrefConfirmExportPpc, 1);
    PrefFontChoiceAllowed = flag(kSectionParams, kPrefFontChoiceAllowed, 0);
    PrefFontChoice = number(kSectionParams, kPrefFontChoice, 0);
    topicNumber = number(kSectionParams, kTopicFilterChoice, 0);
    AddPassageAllowed = flag(kSectionParams, kAddPassageAllowed, 1);
    EditPassageAllowed = flag(kSectionParams, kEditPassageAllowed, 1);
    TransFilter = number(kSectionParams, kTransFilter, -1);
    if (TransFilter < 0 || TransFilter > kTransAll)
        TransFilter = kTransAll;
    PpcSyncInitialized = flag(kSectionParams, kPpcSyncInitialized, 0);
    FlashcardHintOnFront = flag(kSectionParams, kFlashcardHintOnFront, 0);
    FlashcardContextOnBack = flag(kSectionParams, kFlashcardContextOnBack, 0);
    ImportTrans = number(kSectionParams, kImportTrans, -1);
    if (ImportTrans < 0 || ImportTrans >= kTransListSize || !TransEditable(ImportTrans))
        ImportTrans = -1;
    ListenSpeed = number(kSectionParams, kListenSpeed, kListenSpeeds / 2);
    if (ListenSpeed < 0 || ListenSpeed >= kListenSpeeds)
        ListenSpeed = kListenSpeeds / 2;
    for (auto [value, name] : {std::pair{&BibleVersesBefore, kBibleVersesBefore},
                               std::pair{&BibleVersesAfter, kBibleVersesAfter}}) {
        *value = number(kSectionParams, name, kDefaultBibleVerses);
        if (*value < 0 || *value > kMaxBibleVerses)
            *value = kDefaultBibleVerses;
    }
}

void CPreferences::Write(ISettings& settings, const SaveState& state) const {
    const auto write = [&settings](const char* section, const char* name, std::int32_t value) {
        settings.WriteNumber(section, name, value);
    };
    write(kSectionParams, kPpcSyncInitialized, PpcSyncInitialized ? 1 : 0);
    write(kSectionExport, kFileTimestamp, static_cast<std::int32_t>(state.fileTimestamp));
    write(kSectionParams, kPrefConfirmDelete, PrefConfirmDelete ? 1 : 0);
    write(kSectionParams, kPrefConfirmEdit, PrefConfirmEdit ? 1 : 0);
    write(kSectionExport, kPrefConfirmExportPpc, PrefConfirmExportPpc ? 1 : 0);
    write(kSectionParams, kPrefFlyoverChoice, PrefFlyoverChoice);
    write(kSectionParams, kPrefFontChoice, PrefFontChoice);
    write(kSectionParams, kTransFilter, TransFilter);
    write(kSectionParams, kCurSelectorIndex, state.curSelectorIndex);
    write(kSectionParams, kUserCount, state.userCount);
    settings.WriteText(kSectionParams, kBackgroundFilename, BackgroundFilename);
}

void CPreferences::WriteImportTrans(ISettings& settings) const {
    settings.WriteNumber(kSectionParams, kImportTrans, ImportTrans);
}

void CPreferences::WriteListenSpeed(ISettings& settings) const {
    settings.WriteNumber(kSectionParams, kListenSpeed, ListenSpeed);
}

void CPreferences::WriteBibleVerses(ISettings& settings) const {
    settings.WriteNumber(kSectionParams, kBibleVersesBefore, BibleVersesBefore);
    settings.WriteNumber(kSectionParams, kBibleVersesAfter, BibleVersesAfter);
}

int CPreferences::ImportTranslation() const {
    if (ImportTrans >= 0)
        return ImportTrans;
    if (TransFilter != kTransAll && TransEditable(TransFilter))
        return TransFilter;
    return TransFromAbbrev("KJV");
}

void CPreferences::WriteConfirmExportPpc(ISettings& settings) const {
    settings.WriteNumber(kSectionExport, kPrefConfirmExportPpc, PrefConfirmExportPpc ? 1 : 0);
}

void CPreferences::WriteFlashcardChoices(ISettings& settings) const {
    settings.WriteNumber(kSectionParams, kFlashcardHintOnFront, FlashcardHintOnFront ? 1 : 0);
    settings.WriteNumber(kSectionParams, kFlashcardContextOnBack, FlashcardContextOnBack ? 1 : 0);
}
