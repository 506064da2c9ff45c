// SPDX-License-Identifier: GPL-2.0-or-later
#include "RecitationDlg.h"

#include "DialogUnits.h"
#include "MessageBoxService.h"
#include "Passage.h"
#include "RefTables.h"
#include "TextEncoding.h"
#include "Win1252.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextCursor>
#include <QTextEdit>
#include <QWhatsThis>

namespace {

constexpr const char* kCaption = "Check Recitation";
constexpr double kTextPoints = 11.0;

// How the marked words look. Each kind has its own form besides its colour (struck through,
// underlined, in brackets), and a pale backdrop keeps it legible on any background picture.
struct MarkStyle {
    QColor text;
    QColor backdrop;
};
constexpr MarkStyle kMissedStyle{QColor(0xA0, 0x00, 0x00), QColor(0xFF, 0xE2, 0xE2)};
constexpr MarkStyle kWrongStyle{QColor(0x8A, 0x45, 0x00), QColor(0xFF, 0xEF, 0xC4)};
constexpr MarkStyle kExtraStyle{QColor(0x00, 0x3C, 0xB0), QColor(0xE0, 0xE9, 0xFF)};

constexpr const char* kPlaceholder = "The passage stays hidden until you choose Check.";

// The What's This texts of the controls.
struct ControlHelp {
    int id;
    const char* text;
};
constexpr ControlHelp kControlHelp[] = {
    {CRecitationDlg::kTypedBoxId,
     "Type the passage here from memory. Case, punctuation and verse numbers at the start of a "
     "line do not matter."},
    {CRecitationDlg::kFirstLettersId,
     "Type only the first letter of each word, as in \"F G s l t w\" for \"For God so loved the "
     "world\"; blanks between the letters may be left out."},
    {CRecitationDlg::kCheckId,
     "Holds what you typed against the passage and shows the passage with your mistakes marked "
     "(Ctrl+Enter)."},
    {CRecitationDlg::kTryAgainId, "Empties the typing box and hides the passage again."},
    {CRecitationDlg::kResultBoxId,
     "The passage after a check: missed words struck through, wrong words underlined with what "
     "you typed in parentheses, extra words in brackets. A reference you typed before or after "
     "the passage stands in bold on a line of its own, underlined when it names another "
     "passage."},
    {CRecitationDlg::kSummaryId, "How many of the passage's words you typed right, and how many "
                                 "were missed, wrong or extra; and whether the reference you "
                                 "typed names another passage."},
    {CRecitationDlg::kSuggestionId,
     "The progress level the result suggests. Nothing is changed: choose the level under Progress "
     "in the main window if you agree."},
    {CRecitationDlg::kCloseId, "Closes the window (Escape). Nothing you typed is kept."},
};

// The typed text as the check reads it: one byte for each character, the check's stand-in for a
// character without a Windows-1252 form. positions receives, for each byte and one past the
// last, where its character begins in text.
std::string TypedBytes(const QString& text, std::vector<qsizetype>& positions) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    positions.clear();
    for (qsizetype at = 0; at < text.size();) {
        const bool pair =
            text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate();
        positions.push_back(at);
        // Nothing beyond the 16-bit range has a Windows-1252 form.
        char byte = CRecitationCheck::kForeignChar;
        if (!pair && !Win1252OfChar(text[at].unicode(), byte))
            byte = CRecitationCheck::kForeignChar;
        bytes.push_back(byte);
        at += pair ? 2 : 1;
    }
    positions.push_back(text.size());
    return bytes;
}

QTextCharFormat MarkFormat(const MarkStyle& style) {
    QTextCharFormat format;
    format.setForeground(style.text);
    format.setBackground(style.backdrop);
    return format;
}

QString LegendSample(const MarkStyle& style, const char* decoration, const char* text) {
    return QStringLiteral("<span style=\"color:%1; background-color:%2; text-decoration:%3\">%4"
                          "</span>")
        .arg(style.text.name(), style.backdrop.name(), QLatin1String(decoration),
             QLatin1String(text));
}

} // namespace

CRecitationDlg::CRecitationDlg(const CPassage& passage, const QBrush& background, QWidget* parent)
    : QDialog(parent), passageText_(passage.PassageText()), reference_(passage.PassageReference()),
      progress_(passage.prog), active_(passage.freq < kFreqInactive) {
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.X(360), units.Y(300));
    std::string title = kCaption;
    title.append(" - ").append(passage.PassageReference()).append(" ").append(passage.TransName());
    setWindowTitle(FromWin1252(title));
    setWindowIcon(QApplication::windowIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);

    const auto place = [&units](QWidget* widget, int id, const QRect& rect) {
        if (id != 0)
            widget->setObjectName(QString::number(id));
        widget->setGeometry(units.Rect(rect.x(), rect.y(), rect.width(), rect.height()));
    };
    QFont textFont = font();
    textFont.setPointSizeF(kTextPoints);

    auto* prompt = new QLabel(QStringLiteral("&Type the passage from memory:"), this);
    place(prompt, 0, QRect(6, 5, 300, 9));
    typedBox_ = new QPlainTextEdit(this);
    place(typedBox_, kTypedBoxId, QRect(6, 15, 348, 84));
    typedBox_->setFont(textFont);
    typedBox_->setTabChangesFocus(true);
    prompt->setBuddy(typedBox_);

    firstLetters_ =
        new QCheckBox(QStringLiteral("&First letters only (one letter for each word)"), this);
    place(firstLetters_, kFirstLettersId, QRect(6, 104, 200, 10));
    // A result on screen follows the mode at once.
    connect(firstLetters_, &QCheckBox::toggled, this, [this] {
        if (result_)
            ShowResult();
    });

    const auto button = [&](const char* caption, int id, const QRect& rect) {
        auto* push = new QPushButton(QString::fromLatin1(caption), this);
        place(push, id, rect);
        // Enter in the typing box breaks the line; no button takes it.
        push->setAutoDefault(false);
        return push;
    };
    QPushButton* check = button("&Check", kCheckId, QRect(246, 102, 50, 14));
    check->setToolTip(QKeySequence(Qt::CTRL | Qt::Key_Return).toString(QKeySequence::NativeText));
    connect(check, &QPushButton::clicked, this, &CRecitationDlg::Check);
    QPushButton* again = button("Try &Again", kTryAgainId, QRect(302, 102, 52, 14));
    connect(again, &QPushButton::clicked, this, &CRecitationDlg::TryAgain);
    for (const QKeyCombination key : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &CRecitationDlg::Check);

    resultBox_ = new QTextEdit(this);
    place(resultBox_, kResultBoxId, QRect(6, 122, 348, 102));
    resultBox_->setReadOnly(true);
    resultBox_->setUndoRedoEnabled(false);
    resultBox_->setFont(textFont);
    resultBox_->setTabChangesFocus(true);
    resultBox_->setPlaceholderText(QString::fromLatin1(kPlaceholder));
    QPalette palette = resultBox_->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setBrush(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Text, Qt::black);
    }
    resultBox_->setPalette(palette);

    summary_ = new QLabel(this);
    // Two lines, for a reference that names another passage.
    place(summary_, kSummaryId, QRect(6, 242, 348, 20));
    summary_->setWordWrap(true);
    summary_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    QFont bold = font();
    bold.setBold(true);
    summary_->setFont(bold);
    suggestion_ = new QLabel(this);
    place(suggestion_, kSuggestionId, QRect(6, 264, 290, 18));
    suggestion_->setWordWrap(true);
    suggestion_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* legend = new QLabel(this);
    place(legend, 0, QRect(6, 228, 348, 10));
    legend->setText(
        QStringLiteral("%1 struck through &nbsp;&nbsp; %2 underlined, then (what you typed) "
                       "&nbsp;&nbsp; %3 in brackets")
            .arg(LegendSample(kMissedStyle, "line-through", "missed"),
                 LegendSample(kWrongStyle, "underline", "wrong"),
                 LegendSample(kExtraStyle, "none", "[extra]")));

    QPushButton* close = button("Close", kCloseId, QRect(304, 280, 50, 14));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    for (const ControlHelp& help : kControlHelp)
        findChild<QWidget*>(QString::number(help.id))->setWhatsThis(QString::fromLatin1(help.text));
    connect(new QShortcut(Qt::SHIFT | Qt::Key_F1, this), &QShortcut::activated, this,
            [] { QWhatsThis::enterWhatsThisMode(); });

    setTabOrder(typedBox_, firstLetters_);
    setTabOrder(firstLetters_, check);
    setTabOrder(check, again);
    setTabOrder(again, resultBox_);
    setTabOrder(resultBox_, close);
    typedBox_->setFocus();
}

CRecitationDlg::~CRecitationDlg() = default;

CRecitationCheck::Mode CRecitationDlg::ChosenMode() const {
    return firstLetters_->isChecked() ? CRecitationCheck::Mode::kFirstLetters
                                      : CRecitationCheck::Mode::kWords;
}

void CRecitationDlg::Check() {
    const QString typed = typedBox_->toPlainText();
    std::vector<qsizetype> positions;
    const std::string bytes = TypedBytes(typed, positions);
    if (bytes.size() > CRecitationCheck::kMaxTypedLength) {
        // The program's texts are English, and so are its numbers.
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QString text =
            QStringLiteral("What you typed is too long to check: at most %1 "
                           "characters can be checked, and it has %2.")
                .arg(english.toString(qulonglong{CRecitationCheck::kMaxTypedLength}),
                     english.toString(qulonglong{bytes.size()}));
        MessageBoxes().Show(this, QString::fromLatin1(kCaption), text, MsgIcon::Warning,
                            MsgButtons::Ok);
        return;
    }
    auto check = std::make_unique<CRecitationCheck>(passageText_, bytes, ChosenMode(), reference_);
    if (check->TypedWords() == 0) {
        ClearResult();
        summary_->setText(QStringLiteral("Nothing to check yet: type the passage from memory, "
                                         "then choose Check."));
        typedBox_->setFocus();
        return;
    }
    checkedText_ = typed;
    result_ = std::move(check);
    ShowResult();
    emit checked();
}

void CRecitationDlg::TryAgain() {
    typedBox_->clear();
    ClearResult();
    typedBox_->setFocus();
}

void CRecitationDlg::ClearResult() {
    result_.reset();
    checkedText_.clear();
    resultBox_->clear();
    summary_->clear();
    suggestion_->clear();
}

void CRecitationDlg::ShowResult() {
    // The mode may have changed since the text was checked: the same text is checked again.
    std::vector<qsizetype> positions;
    const std::string bytes = TypedBytes(checkedText_, positions);
    if (result_->GetMode() != ChosenMode())
        result_ = std::make_unique<CRecitationCheck>(passageText_, bytes, ChosenMode(), reference_);
    const CRecitationCheck& check = *result_;
    const auto typedWord = [&](const CRecitationCheck::Word& word) {
        return checkedText_.mid(positions[word.typedBegin],
                                positions[word.typedEnd] - positions[word.typedBegin]);
    };

    // The box lays the result out once, at the width it ends with. With its scroll bar shown
    // only as needed, it would first lay a long result out at the full width, then find that the
    // scroll bar is needed and lay it all out again; the scroll bar is therefore shown while the
    // result is written and left to the text afterwards, which lays out again only a result
    // short enough to need no scroll bar.
    resultBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    resultBox_->clear();
    QTextCursor cursor(resultBox_->document());
    // One edit block: the box lays the passage out once, not after every piece.
    cursor.beginEditBlock();
    const QTextCharFormat plain;
    // Unmarked text is gathered and written in one piece before the next marked one, for each
    // insertion has a cost of its own.
    QString pending;
    const auto insert = [&](const QString& text, const QTextCharFormat& format) {
        if (!pending.isEmpty()) {
            cursor.insertText(pending, plain);
            pending.clear();
        }
        cursor.insertText(text, format);
    };
    QTextCharFormat missed = MarkFormat(kMissedStyle);
    missed.setFontStrikeOut(true);
    QTextCharFormat wrong = MarkFormat(kWrongStyle);
    wrong.setFontUnderline(true);
    QTextCharFormat wrongTyped = MarkFormat(kWrongStyle);
    wrongTyped.setFontItalic(true);
    const QTextCharFormat extra = MarkFormat(kExtraStyle);
    QTextCharFormat reference;
    reference.setFontWeight(QFont::Bold);
    QTextCharFormat otherReference = MarkFormat(kWrongStyle);
    otherReference.setFontWeight(QFont::Bold);
    otherReference.setFontUnderline(true);
    // A typed reference as it was typed, on a line of its own before or after the passage.
    const auto insertReference = [&](const CRecitationCheck::TypedReference& typed) {
        insert(checkedText_.mid(positions[typed.typedBegin],
                                positions[typed.typedEnd] - positions[typed.typedBegin]),
               typed.namesPassage ? reference : otherReference);
    };
    for (const CRecitationCheck::TypedReference& typed : check.References())
        if (typed.beforePassage) {
            insertReference(typed);
            pending += u'\n';
        }

    const std::string_view passage = passageText_;
    std::size_t shown = 0; // passage bytes written so far
    for (const CRecitationCheck::Word& word : check.Words()) {
        // What lies between the words: blanks, punctuation, line breaks and verse numbers.
        pending += FromWin1252Lines(passage.substr(shown, word.passageBegin - shown));
        shown = word.passageBegin;
        const QString inPassage = FromWin1252Lines(
            passage.substr(word.passageBegin, word.passageEnd - word.passageBegin));
        switch (word.mark) {
        case CRecitationCheck::Mark::kMatched:
            pending += inPassage;
            break;
        case CRecitationCheck::Mark::kMissed:
            insert(inPassage, missed);
            break;
        case CRecitationCheck::Mark::kWrong:
            insert(inPassage, wrong);
            pending += u' ';
            insert(QStringLiteral("(%1)").arg(typedWord(word)), wrongTyped);
            break;
        case CRecitationCheck::Mark::kExtra: {
            // Before the next word; after the last one, apart from the passage's end.
            const bool atEnd = word.passageBegin == passage.size();
            if (atEnd)
                pending += u' ';
            insert(QStringLiteral("[%1]").arg(typedWord(word)), extra);
            if (!atEnd)
                pending += u' ';
            break;
        }
        }
        shown = word.passageEnd;
    }
    pending += FromWin1252Lines(passage.substr(shown));
    for (const CRecitationCheck::TypedReference& typed : check.References())
        if (!typed.beforePassage) {
            pending += u'\n';
            insertReference(typed);
        }
    if (!pending.isEmpty())
        cursor.insertText(pending, plain);
    cursor.endEditBlock();
    resultBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    resultBox_->moveCursor(QTextCursor::Start);

    summary_->setText(FromWin1252(check.Summary()));
    suggestion_->setText(FromWin1252(check.Suggestion(progress_, active_)));
}
