// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageConfirmation.h"

#include "MessageBoxService.h"
#include "Passage.h"
#include "TextFormat.h"
#include "Win1252.h"

bool ConfirmForPassage(QWidget* owner, const char* question, const CPassage& passage) {
    CMessage text;
    text << question << "\n" << passage.Reference() << " [";
    text.Padded(passage.key, 8) << "]";
    return MessageBoxes().Show(owner, QStringLiteral("Recitor"), FromWin1252(text.Text()),
                               MsgIcon::None, MsgButtons::YesNo) == MsgAnswer::Yes;
}
