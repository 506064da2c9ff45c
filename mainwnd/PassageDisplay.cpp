// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageDisplay.h"

#include "FileFormat.h"
#include "MainLayout.h"
#include "PassageStore.h"
#include "Preferences.h"
#include "StudySession.h"
#include "TextFormat.h"
#include "Win1252.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QTextEdit>

#include <array>

namespace {

constexpr int kHintSize = 180; // Blank and Hint show at 18 points
// The sizes of the font size preference (Auto Resizing, Small, Medium, Large).
constexpr std::array<int, 4> kFontSizes = {0, 100, 120, 140};

// Passage offsets count a line break as the two characters CR LF; the text box holds one
// paragraph separator for it. Converts an offset into the shown text's position.
int ShownPosition(std::string_view text, int offset) {
    const int end = std::min<int>(std::max(offset, 0), static_cast<int>(text.size()));
    int position = 0;
    for (int i = 0; i < end; ++i) {
        if (text[static_cast<std::size_t>(i)] == '\r' && i + 1 < static_cast<int>(text.size()) &&
            text[static_cast<std::size_t>(i) + 1] == '\n')
            continue; // the LF that follows stands for the whole break
        ++position;
    }
    return position;
}

} // namespace

CPassageDisplay::CPassageDisplay(const CStudySession& session, const CPassageStore& store,
                                 const CPreferences& prefs, CMainLayout& layout, QWidget& window,
                                 int visibilityMode)
    : session_(session), store_(store), prefs_(prefs), layout_(layout), window_(window),
      visibilityMode_(visibilityMode) {}

int CPassageDisplay::ChooseSize(int lineCount) const {
    if (prefs_.PrefFontChoice >= 1 && prefs_.PrefFontChoice <= 3)
        return kFontSizes[static_cast<std::size_t>(prefs_.PrefFontChoice)];
    if (lineCount <= 12)
        return 140;
    if (lineCount <= 15)
        return 120;
    return 100;
}

void CPassageDisplay::Show() {
    const CPassage* passage = session_.Current();
    QString text;
    int size = kHintSize;
    if (passage) {
        switch (visibilityMode_) {
        case kHint:
            text = FromWin1252Lines(passage->HintText());
            break;
        case kPassage:
            text = FromWin1252Lines(passage->PassageText());
            size = ChooseSize(passage->psgLines);
            break;
        case kContext:
            text = FromWin1252Lines(passage->context);
            size = ChooseSize(passage->ctxLines);
            break;
        default:
            break;
        }
    }
    QTextEdit* textBox = layout_.TextBox();
    QFont font = textBox->font();
    font.setPointSizeF(size / 10.0);
    textBox->setFont(font);

    if (passage) {
        frequencyChoice_ = passage->freq;
        progressChoice_ = passage->prog;
    }
    textBox->setPlainText(text);
    PushChoices();

    if (passage && visibilityMode_ == kContext) {
        textBox->setFocus();
        QTextCursor cursor(textBox->document());
        const int length = static_cast<int>(text.size());
        cursor.setPosition(std::min(ShownPosition(passage->context, passage->psgStart), length));
        // The passage and the one character after it.
        const int end = WrapAdd(std::int64_t{passage->psgEnd} + 1);
        cursor.setPosition(std::min(ShownPosition(passage->context, end), length),
                           QTextCursor::KeepAnchor);
        textBox->setTextCursor(cursor);
    }
    ShowTitle();
}

void CPassageDisplay::PushChoices() {
    const auto push = [](QButtonGroup* group, int id) {
        if (QAbstractButton* button = group->button(id)) {
            button->setChecked(true);
            return;
        }
        // No radio for the value: none is checked.
        if (QAbstractButton* checked = group->checkedButton()) {
            group->setExclusive(false);
            checked->setChecked(false);
            group->setExclusive(true);
        }
    };
    push(layout_.FrequencyGroup(), frequencyChoice_);
    push(layout_.ProgressGroup(), progressChoice_);
    push(layout_.VisibilityGroup(), visibilityMode_);
}

void CPassageDisplay::ShowTitle() {
    const CPassage* passage = session_.Current();
    std::string title = "Recitor  Score: ";
    AppendInt(title, store_.Score());
    if (passage) {
        title.append("  ").append(passage->Reference()).append("  ");
        const bool userPassage = !passage->baseline;
        title.append(userPassage ? "[Topics: " : "<Topics: ");
        title.append(passage->PrimaryTopicName())
            .append(" -- ")
            .append(passage->SecondaryTopicName());
        title.append(userPassage ? "]" : ">");
        title.append(" ").append(passage->TransName());
    }
    window_.setWindowTitle(FromWin1252(title));
}

void CPassageDisplay::ShowReviewStatus(const CReviewSchedule::DueToday* due) {
    std::string text;
    if (!due) {
        text = "Review history unavailable";
    } else {
        constexpr std::string_view kSeparator = " \xB7 "; // a middle dot in Windows-1252
        AppendInt(text, static_cast<std::int64_t>(due->passages.size()));
        text.append(" due today").append(kSeparator);
        AppendInt(text, due->done);
        text.append(" done");
        if (const int next = due->Next(); next >= 0) {
            // Named as the title names the passage shown: its reference and translation.
            const CPassage& passage = store_.Passage(next);
            text.append(kSeparator).append("next: ").append(passage.Reference());
            text.append(" ").append(passage.TransName());
        }
    }
    layout_.StatusLine()->setText(FromWin1252(text));
}
