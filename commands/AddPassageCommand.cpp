// SPDX-License-Identifier: GPL-2.0-or-later
#include "AddPassageCommand.h"

#include "EditPassageDlg.h"
#include "PassageStore.h"
#include "Preferences.h"
#include "StudySession.h"

#include <memory>

void CAddPassageCommand::Run() {
    if (!context_.store.CheckRoomForUserPassage())
        return;
    CEditPassageDlg dialog(nullptr, context_.editNextMode, context_.store,
                           context_.prefs.TransFilter, context_.owner);
    dialog.SetBible(context_.bible, context_.prefs.BibleVersesBefore,
                    context_.prefs.BibleVersesAfter);
    if (dialog.exec() == QDialog::Accepted)
        Take(dialog.Values());
}

bool CAddPassageCommand::Take(const CPassage::Values& values) {
    auto passage = std::make_unique<CPassage>();
    passage->SetAll(values);
    if (context_.session.Add(passage) < 0)
        return false;
    context_.window.ShowPosition();
    return true;
}
