// SPDX-License-Identifier: GPL-2.0-or-later
#include "PreferenceMenu.h"

#include "Backgrounds.h"
#include "CommandIds.h"
#include "MainMenu.h"
#include "Preferences.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QList>

namespace {

// The ids of the items of the Preferences menu that keep a choice: font sizes, flyover,
// backgrounds, translations, confirmations and the speed of reading aloud.
QList<int> PreferenceIds() {
    QList<int> ids;
    for (int size = 0; size <= 3; ++size)
        ids.append(Id::kFirstFontSize + size);
    ids.append({Id::kFlyoverDisable, Id::kFlyoverEnable});
    for (int index = 0; index < kBackgroundCount; ++index)
        ids.append(Id::kFirstBackground + index);
    for (int id = Id::kFirstTranslation; id <= Id::kLastTranslation; ++id)
        ids.append(id);
    ids.append({Id::kConfirmDelete, Id::kConfirmEdit, Id::kConfirmExportPpc});
    for (int speed = 0; speed < CPreferences::kListenSpeeds; ++speed)
        ids.append(Id::kFirstListenSpeed + speed);
    return ids;
}

} // namespace

CPreferenceMenu::CPreferenceMenu(CMainMenu& menu, CPreferences& prefs)
    : menu_(menu), prefs_(prefs) {
    for (int index = 1; index < kBackgroundCount; ++index)
        if (prefs_.BackgroundFilename == kBackgrounds[index].file) {
            backgroundIndex_ = index;
            break;
        }
    for (const int id : PreferenceIds())
        if (QAction* action = menu_.Action(id))
            connect(action, &QAction::triggered, this, [this, id] { OnChoice(id); });
    SetUp();
}

// Brings the menu in line with the preferences read at start-up.
void CPreferenceMenu::SetUp() {
    const auto check = [this](int id, bool on) {
        if (QAction* action = menu_.Action(id))
            action->setChecked(on);
    };
    if (prefs_.PrefConfirmChoiceAllowed) {
        check(Id::kConfirmDelete, prefs_.PrefConfirmDelete);
        check(Id::kConfirmEdit, prefs_.PrefConfirmEdit);
        check(Id::kConfirmExportPpc, prefs_.PrefConfirmExportPpc);
    } else
        for (const int id : {Id::kConfirmDelete, Id::kConfirmEdit, Id::kConfirmExportPpc})
            menu_.Action(id)->setEnabled(false);

    // Auto Resizing stays available and checked as it is when the choice is not allowed; the
    // stored choice still decides the size.
    if (prefs_.PrefFontChoiceAllowed)
        check(Id::kFirstFontSize + prefs_.PrefFontChoice, true);
    else
        for (int size = 1; size <= 3; ++size)
            menu_.Action(Id::kFirstFontSize + size)->setEnabled(false);

    if (prefs_.PrefFlyoverChoiceAllowed)
        check(Id::kFlyoverDisable + prefs_.PrefFlyoverChoice, true);
    else
        menu_.Action(Id::kFlyoverEnable)->setEnabled(false);

    check(Id::kFirstTranslation + prefs_.TransFilter, true);
    check(Id::kFirstListenSpeed + prefs_.ListenSpeed, true);

    const QDir workingDir = QDir::current();
    for (int index = 1; index < kBackgroundCount; ++index) {
        QFile file(workingDir.filePath(QString::fromLatin1(kBackgrounds[index].file)));
        if (file.open(QIODevice::ReadOnly))
            continue;
        menu_.Action(Id::kFirstBackground + index)->setEnabled(false);
        if (index == backgroundIndex_)
            backgroundIndex_ = 0;
    }
    check(Id::kFirstBackground + backgroundIndex_, true);

    // The trainer options are never shown.
    menu_.RemoveEeOptions();
}

void CPreferenceMenu::OnChoice(int id) {
    QAction* action = menu_.Action(id);
    if (id >= Id::kFirstFontSize && id <= Id::kFirstFontSize + 3) {
        prefs_.PrefFontChoice = id - Id::kFirstFontSize;
        action->setChecked(true);
        emit fontSizeChosen();
    } else if (id == Id::kFlyoverDisable || id == Id::kFlyoverEnable) {
        prefs_.PrefFlyoverChoice = id - Id::kFlyoverDisable;
        action->setChecked(true);
    } else if (id >= Id::kFirstBackground && id < Id::kFirstBackground + kBackgroundCount) {
        backgroundIndex_ = id - Id::kFirstBackground;
        prefs_.BackgroundFilename = kBackgrounds[backgroundIndex_].file;
        action->setChecked(true);
        emit backgroundChosen();
    } else if (id >= Id::kFirstTranslation && id <= Id::kLastTranslation) {
        prefs_.TransFilter = id - Id::kFirstTranslation;
        action->setChecked(true);
        emit translationChosen();
    } else if (id == Id::kConfirmDelete) {
        prefs_.PrefConfirmDelete = !prefs_.PrefConfirmDelete;
        action->setChecked(prefs_.PrefConfirmDelete);
    } else if (id == Id::kConfirmEdit) {
        prefs_.PrefConfirmEdit = !prefs_.PrefConfirmEdit;
        action->setChecked(prefs_.PrefConfirmEdit);
    } else if (id == Id::kConfirmExportPpc) {
        prefs_.PrefConfirmExportPpc = !prefs_.PrefConfirmExportPpc;
        action->setChecked(prefs_.PrefConfirmExportPpc);
        emit exportConfirmationToggled(); // kept at once, not only at the next save
    } else if (id >= Id::kFirstListenSpeed &&
               id < Id::kFirstListenSpeed + CPreferences::kListenSpeeds) {
        prefs_.ListenSpeed = id - Id::kFirstListenSpeed;
        action->setChecked(true);
        emit listenSpeedChosen(); // kept at once, not only at the next save
    }
}
