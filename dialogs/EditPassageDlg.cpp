// SPDX-License-Identifier: GPL-2.0-or-later
#include "EditPassageDlg.h"

#include "BiblePassage.h"
#include "DialogUnits.h"
#include "DisplayLines.h"
#include "EditBoxLineCounter.h"
#include "FileFormat.h"
#include "MessageBoxService.h"
#include "PassageImport.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "TopicChoiceDlg.h"
#include "Win1252.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

namespace {

constexpr int kDialogWidth = 403;
constexpr int kDialogHeight = 335;
// The text boxes are as wide as the stored line counts are measured.
constexpr int kBoxWidth = CPassageCheck::kBoxWidth;
// Closed height of the two drop-down lists, and the rows their lists show when open (their
// dropped height is 337 units).
constexpr int kListHeight = 12;
constexpr int kListRows = 40;

// The point sizes of the boxes' own text.
constexpr int kContextBoxPointsEditNext = 10;
constexpr int kContextBoxPoints = 12;
constexpr int kPassageBoxPoints = 14;
constexpr int kHintBoxPoints = 18;

struct Label {
    const char* text;
    QRect units;
};
// The labels stand right-aligned before the controls they name.
constexpr Label kLabels[] = {
    {"Book", QRect(2, 0, 28, 13)},
    {"Chap #", QRect(2, 13, 28, 13)},
    {"Psg 1st Verse #", QRect(85, 0, 57, 13)},
    {"Last Verse #", QRect(85, 13, 57, 13)},
    {"Translation", QRect(169, 0, 46, 13)},
    {"Topics:", QRect(169, 14, 29, 12)},
};

constexpr const char* kAddContextLines[] = {
    "Enter entire Context into this box.",
    "(include verses before/after the passage.)",
    "",
    "A Bible web-site such as BibleGateway can be used to copy/paste verses; for example, to view "
    "NIV Eph 2:8-9 in English go to:",
    "http://www.biblegateway.com/cgi-bin/"
    "bible?passage=eph+2%3A8-9&version=NIV-IBS&showfn=no&showxref=no&language=english",
    "Can also copy/paste from software such as Logos, Bible Explorer, etc.",
    "When all fields complete, upper right 'Save' button will be enabled. Any errors are shown in "
    "bottom VerifyXml box, and 'Save' will be disabled",
};
constexpr const char* kAddPassage =
    "Enter Passage into this box.\r\n\r\nIn this box, enter the verse(s) that make up the "
    "Passage to be memorized. The suggested way is to select from the Context box above, and "
    "then copy/paste into this box.";
constexpr const char* kAddHint = "Copy/paste Hint from the Passage box above.";

// What a box holds, exactly: toPlainText would turn no-break spaces into blanks.
QString Held(const QPlainTextEdit& box) {
    QString text = box.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

QFont BoxFont(int points) {
    QFont font = DialogFont();
    font.setPointSizeF(points);
    return font;
}

// Whether a passage other than revised (null for a new passage) holds a VerseKey in store.
CPassageCheck::KeyTaken KeyTakenIn(const CPassageStore& store, const CPassage* revised) {
    return [&store, revised](std::uint32_t matchKey) {
        const int holder = store.Find(matchKey);
        return holder >= 0 && &store.Passage(holder) != revised;
    };
}

} // namespace

int CEditPassageDlg::CLineCounter::Lines(std::string_view text, int pointSize) {
    return CountDisplayLines(FromWin1252(text), pointSize, kBoxWidth);
}

CEditPassageDlg::CEditPassageDlg(const CPassage* passage, int editNextMode,
                                 const CPassageStore& store, int transFilter, QWidget* parent)
    : QDialog(parent), check_(counter_, editNextMode == 1, KeyTakenIn(store, passage)),
      editNextMode_(editNextMode), store_(store), transFilter_(transFilter) {
    setFont(DialogFont());
    CreateControls();
    for (int position = 0; position < kBookListSize; ++position)
        book_->addItem(FromWin1252(BookName(BookFromListPosition(position))));
    for (int position = 0; position < kTransListSize; ++position)
        trans_->addItem(FromWin1252(TransListText(position)));
    if (passage)
        SetUpEdit(*passage);
    else
        SetUpAdd();
    save_->setEnabled(false);
    PushFields(true);
    SetFonts();
    RunCheck();

    connect(save_, &QPushButton::clicked, this, &CEditPassageDlg::OnSave);
    connect(cancel_, &QPushButton::clicked, this, &CEditPassageDlg::OnCancel);
    connect(primary_, &QPushButton::clicked, this, [this] { OnTopic(true); });
    connect(secondary_, &QPushButton::clicked, this, [this] { OnTopic(false); });
    for (QLineEdit* number : {chapter_, firstVerse_, lastVerse_})
        connect(number, &QLineEdit::textChanged, this, &CEditPassageDlg::OnChange);
    for (QPlainTextEdit* box : {context_, passage_, hint_})
        connect(box, &QPlainTextEdit::textChanged, this, &CEditPassageDlg::OnChange);
    for (QComboBox* list : {book_, trans_})
        connect(list, &QComboBox::currentIndexChanged, this, &CEditPassageDlg::OnChange);
    // Ctrl+S saves and goes on to the next passage in the maintainers' mode; elsewhere it saves.
    auto* saveAndNext = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    saveAndNext->setObjectName(QString::number(kSaveAndNext));
    connect(saveAndNext, &QShortcut::activated, this, &CEditPassageDlg::OnSaveAndNext);
    connect(fromBible_, &QPushButton::clicked, this, &CEditPassageDlg::OnFromBible);
    auto* fromBible = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this);
    connect(fromBible, &QShortcut::activated, fromBible_, &QPushButton::click);

    // Centred on the screen, as the dialog has always opened; on a screen too small for it, its
    // top left corner stays on the screen, where the lists and Save are.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QPoint centred = area.center() - rect().center();
        move(std::max(centred.x(), area.left()), std::max(centred.y(), area.top()));
    }
}

CEditPassageDlg::~CEditPassageDlg() = default;

void CEditPassageDlg::CreateControls() {
    const CDialogUnits units(font());
    setFixedSize(units.X(kDialogWidth), units.Y(kDialogHeight));
    const auto place = [&units](QWidget* widget, int id, int x, int y, int width, int height) {
        widget->setObjectName(QString::number(id));
        widget->setGeometry(units.Rect(x, y, width, height));
    };
    for (const Label& label : kLabels) {
        auto* text = new QLabel(QString::fromLatin1(label.text), this);
        text->setGeometry(units.Rect(label.units.x(), label.units.y(), label.units.width(),
                                     label.units.height()));
        text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    const auto list = [this](QComboBox*& box) {
        box = new QComboBox(this);
        box->setMaxVisibleItems(kListRows);
    };
    list(book_);
    place(book_, kBookList, 32, 0, 51, kListHeight);
    const auto line = [this](QLineEdit*& edit) { edit = new QLineEdit(this); };
    line(chapter_);
    place(chapter_, kChapter, 32, 13, 23, 13);
    line(firstVerse_);
    place(firstVerse_, kFirstVerse, 144, 0, 23, 13);
    line(lastVerse_);
    place(lastVerse_, kLastVerse, 144, 13, 23, 13);
    list(trans_);
    place(trans_, kTransList, 217, 0, 104, kListHeight);
    fromBible_ = new QPushButton(QStringLiteral("From Bible"), this);
    place(fromBible_, kFromBible, 323, 0, 39, 13);
    fromBible_->setToolTip(QStringLiteral("Fill the texts from the Bible installed on this "
                                          "computer (Ctrl+B)"));
    fromBible_->setEnabled(false);
    // Ctrl+B is its key; Tab goes through the fields as it always has.
    fromBible_->setFocusPolicy(Qt::ClickFocus);
    primary_ = new QPushButton(QStringLiteral("Pri"), this);
    place(primary_, kPrimaryButton, 200, 14, 18, 12);
    line(primaryName_);
    place(primaryName_, kPrimaryName, 217, 14, 62, 13);
    secondary_ = new QPushButton(QStringLiteral("Sec"), this);
    place(secondary_, kSecondaryButton, 283, 14, 18, 12);
    line(secondaryName_);
    place(secondaryName_, kSecondaryName, 300, 14, 62, 13);
    for (QLineEdit* name : {primaryName_, secondaryName_})
        name->setReadOnly(true);
    save_ = new QPushButton(QStringLiteral("Save"), this);
    place(save_, kSave, 365, 0, 29, 13);
    save_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    place(cancel_, kCancel, 365, 14, 29, 13);
    for (QPushButton* button : {primary_, secondary_, cancel_, fromBible_})
        button->setAutoDefault(false);

    const auto box = [this](QPlainTextEdit*& edit) {
        edit = new QPlainTextEdit(this);
        edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // Enter breaks the line; Tab goes on to the next control, as in the other boxes.
        edit->setTabChangesFocus(true);
    };
    box(context_);
    place(context_, kContextBox, 7, 27, kBoxWidth, 182);
    box(passage_);
    place(passage_, kPassageBox, 7, 210, kBoxWidth, 64);
    box(hint_);
    place(hint_, kHintBox, 7, 275, kBoxWidth, 23);
    box(verify_);
    place(verify_, kVerifyBox, 7, 299, kBoxWidth, 30);
    verify_->setReadOnly(true);
    // The box is filled again after every key press with a line as long as the context; laid
    // out without kerning and shaping it takes a third of the time, and its Latin text looks the
    // same.
    QFont plain = verify_->font();
    plain.setKerning(false);
    plain.setStyleStrategy(QFont::PreferNoShaping);
    verify_->setFont(plain);
    // Not a tab stop, but the line can be selected and copied.
    verify_->setFocusPolicy(Qt::ClickFocus);
    verify_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    QWidget* previous = nullptr;
    for (QWidget* widget : std::initializer_list<QWidget*>{
             book_, chapter_, firstVerse_, lastVerse_, trans_, primary_, primaryName_, secondary_,
             secondaryName_, save_, cancel_, context_, passage_, hint_}) {
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

void CEditPassageDlg::SetUpAdd() {
    setWindowTitle(QStringLiteral("Add Passage"));
    entry_.context.clear();
    for (const char* line : kAddContextLines) {
        if (line != kAddContextLines[0])
            entry_.context.append("\r\n");
        entry_.context.append(line);
    }
    entry_.passage = kAddPassage;
    entry_.hint = kAddHint;
}

void CEditPassageDlg::SetUpEdit(const CPassage& passage) {
    setWindowTitle(QStringLiteral("Edit Passage"));
    entry_.passage = passage.PassageText();
    entry_.hint = passage.HintText();
    // A bundled passage whose context is shared with its other translations holds only its own
    // text; that text is what can be revised. A passage of the user's own always holds its whole
    // context, whatever number of lines it measures.
    const bool sharesContext =
        passage.baseline && passage.ctxLines == CPassageCheck::kSharedContext;
    entry_.context = sharesContext ? entry_.passage : std::string(passage.context);
    entry_.bookPosition = ListPositionFromBook(passage.Book());
    book_->setEnabled(false);
    entry_.trans = passage.trans >= 0 && passage.trans < kTransListSize ? passage.trans : -1;
    // Only the maintainers may move a passage to another VerseKey.
    const bool keyEditable = editNextMode_ == 1;
    for (QWidget* control : {static_cast<QWidget*>(chapter_), static_cast<QWidget*>(firstVerse_),
                             static_cast<QWidget*>(trans_)})
        control->setEnabled(keyEditable);
    entry_.chapter = static_cast<std::uint32_t>(passage.Chapter());
    entry_.firstVerse = static_cast<std::uint32_t>(passage.FirstVerse());
    entry_.lastVerse = static_cast<std::uint32_t>(
        WrapAdd(std::int64_t{passage.FirstVerse()} + passage.vCount - 1));
    entry_.primaryTopic = passage.primaryTopic;
    entry_.secondaryTopic = passage.secondaryTopic;
}

void CEditPassageDlg::SetFonts() {
    context_->setFont(BoxFont(editNextMode_ == 1 ? kContextBoxPointsEditNext : kContextBoxPoints));
    passage_->setFont(BoxFont(kPassageBoxPoints));
    hint_->setFont(BoxFont(kHintBoxPoints));
}

void CEditPassageDlg::PushFields(bool texts) {
    copying_ = true;
    book_->setCurrentIndex(entry_.bookPosition < kBookListSize ? entry_.bookPosition : -1);
    chapter_->setText(QString::number(entry_.chapter));
    firstVerse_->setText(QString::number(entry_.firstVerse));
    lastVerse_->setText(QString::number(entry_.lastVerse));
    trans_->setCurrentIndex(entry_.trans);
    primaryName_->setText(FromWin1252(TopicName(entry_.primaryTopic)));
    secondaryName_->setText(FromWin1252(TopicName(entry_.secondaryTopic)));
    if (texts) {
        context_->setPlainText(FromWin1252Lines(entry_.context));
        passage_->setPlainText(FromWin1252Lines(entry_.passage));
        hint_->setPlainText(FromWin1252Lines(entry_.hint));
    }
    copying_ = false;
}

bool CEditPassageDlg::PullFields() {
    copying_ = true;
    entry_.unavailable.clear();
    const auto text = [this](const QPlainTextEdit& box, std::string& field) {
        const QString held = Held(box);
        AddUnavailable(held, entry_.unavailable);
        std::string bytes;
        ToWin1252(held, bytes);
        field = CPassageCheck::WithCrLf(bytes);
    };
    text(*context_, entry_.context);
    text(*passage_, entry_.passage);
    text(*hint_, entry_.hint);
    bool ok = true;
    for (const auto& [box, field] :
         {std::pair{chapter_, &entry_.chapter}, std::pair{firstVerse_, &entry_.firstVerse},
          std::pair{lastVerse_, &entry_.lastVerse}}) {
        if (!CPassageCheck::ParseNumber(box->text().toStdString(), *field)) {
            MessageBoxes().Show(this, QStringLiteral("Recitor"),
                                QStringLiteral("Please enter a positive integer."),
                                MsgIcon::Warning, MsgButtons::Ok);
            box->setFocus();
            ok = false;
            break;
        }
    }
    if (ok)
        entry_.trans = trans_->currentIndex();
    // The Book entry is read from the list itself, whatever stopped the copy.
    entry_.bookPosition = book_->currentIndex();
    copying_ = false;
    return ok;
}

void CEditPassageDlg::RunCheck() {
    const bool ok = check_.Run(entry_);
    QString shown = FromWin1252Lines(check_.VerifyText());
    if (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    verify_->setPlainText(shown);
    save_->setEnabled(ok && changed_);
}

void CEditPassageDlg::OnChange() {
    if (copying_)
        return;
    changed_ = true;
    PullFields();
    RunCheck();
}

void CEditPassageDlg::OnSave() {
    if (!PullFields())
        return;
    RunCheck();
    if (!save_->isEnabled())
        return;
    accept();
}

void CEditPassageDlg::OnSaveAndNext() {
    if (!save_->isEnabled())
        return; // nothing that may be saved
    saveAndNext_ = true;
    OnSave();
    if (result() != Accepted)
        saveAndNext_ = false;
}

bool CEditPassageDlg::MayClose() {
    return !changed_ ||
           MessageBoxes().Show(this, QStringLiteral("Recitor"),
                               QStringLiteral("Discard the changes to this passage?"),
                               MsgIcon::None, MsgButtons::YesNoDefaultNo) == MsgAnswer::Yes;
}

void CEditPassageDlg::OnCancel() {
    if (MayClose())
        reject();
}

void CEditPassageDlg::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        OnCancel();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CEditPassageDlg::closeEvent(QCloseEvent* event) {
    if (isVisible() && !MayClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CEditPassageDlg::OnTopic(bool primary) {
    int& topic = primary ? entry_.primaryTopic : entry_.secondaryTopic;
    CTopicChoiceDlg choice(CTopicChoiceDlg::Mode::Choice, topic, store_, transFilter_, this);
    if (choice.exec() != QDialog::Accepted)
        return;
    topic = choice.Topic();
    PushFields(false);
    changed_ = true;
    PullFields();
    RunCheck();
}

void CEditPassageDlg::SetBible(IBibleSource* bible, int before, int after) {
    bible_ = bible;
    versesBefore_ = before;
    versesAfter_ = after;
    check_.SetBible(bible);
    fromBible_->setEnabled(bible != nullptr);
    RunCheck();
}

// The texts are replaced only when the Bible gives the verses; otherwise the dialog stays as it
// was and the message says why (which package or module would give them).
void CEditPassageDlg::OnFromBible() {
    if (!bible_ || !PullFields())
        return;
    const int book = BookFromListPosition(entry_.bookPosition);
    if (book < 0 || entry_.chapter == 0 || entry_.firstVerse == 0 ||
        entry_.lastVerse < entry_.firstVerse || entry_.trans < 0) {
        MessageBoxes().Show(this, QStringLiteral("Recitor"),
                            QStringLiteral("Choose the book, the chapter, the verses and the "
                                           "translation first."),
                            MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    BiblePassage taken;
    std::string reason;
    if (!PassageFromBible(*bible_, entry_.trans, book, static_cast<int>(entry_.chapter),
                          static_cast<int>(entry_.firstVerse), static_cast<int>(entry_.lastVerse),
                          versesBefore_, versesAfter_, taken, reason)) {
        MessageBoxes().Show(this, QStringLiteral("Recitor"), QString::fromStdString(reason),
                            MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    copying_ = true;
    context_->setPlainText(FromWin1252Lines(taken.context));
    passage_->setPlainText(FromWin1252Lines(taken.passage));
    hint_->setPlainText(FromWin1252Lines(CPassageImport::HintFromPassage(taken.passage)));
    copying_ = false;
    changed_ = true;
    PullFields();
    RunCheck();
}
