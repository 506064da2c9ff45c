// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CardSheet.h"
#include "CommandContext.h"

#include <QPageSize>
#include <QString>

#include <functional>
#include <vector>

class CPassageStore;
class QWidget;

// The File menu's "Print Cards..." command: the passages the user chooses in the Print Cards
// window, as pocket cards several to a page with cut lines between them, printed through the
// print dialog or saved as a PDF file. A run of many cards shows its progress and can be
// cancelled; the window stays responsive meanwhile. Every failure is told; nothing is printed or
// written for an empty choice.
class CPrintCardsCommand {
public:
    // Runs of this many cards show their progress at once; shorter ones only once they turn out
    // to take longer than half a second.
    static constexpr int kLongRun = 200;

    // The command. The choice lists the passages of the store as the passage list shows them in
    // the preferences' translation; the topic offered first is that of the passage shown, else
    // lastTopic, the one listed last.
    static void Run(const CommandContext& context, int lastTopic);

    // Saves the cards of passages (store indices, in card order) to a PDF file on paper laid
    // landscape, replacing file only once the whole document is written: a failure or a
    // cancelled run leaves whatever was there. progress is as for CCardSheet::Paint. On a
    // failure error says why.
    static CCardSheet::Outcome SavePdf(const CPassageStore& store, std::vector<int> passages,
                                       QPageSize::PageSizeId paper, const QString& file,
                                       const std::function<bool(int done)>& progress,
                                       QString& error);

    // The paper the default printer reports (Letter unless it is A4).
    static QPageSize::PageSizeId DefaultPaper();
};
