// SPDX-License-Identifier: GPL-2.0-or-later
// Check Recitation through its real widgets: opened by its key, from the View menu and from the
// button at Blank and Hint; typing, Check, the marks and the suggestion; Try Again, the
// first-letters mode, what it refuses; and that the passage's progress and frequency and every
// file stay as they were.

#include "ContextHelp.h"
#include "Passage.h"
#include "RecitationDlg.h"
#include "RefTables.h"
#include "WindowTest.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

#include <functional>

namespace {

// Runs step on each Check Recitation window as it comes up modally; the step closes it.
class CRecitationScript : public QObject {
public:
    explicit CRecitationScript(std::function<void(CRecitationDlg&)> step) : step_(std::move(step)) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<CRecitationDlg*>(QApplication::activeModalWidget());
            if (!dialog || dialog->property("answered").toBool())
                return;
            dialog->setProperty("answered", true);
            ++runs;
            titles << dialog->windowTitle();
            step_(*dialog);
            // A failed check inside the step leaves the window open: close it all the same.
            if (dialog->isVisible())
                dialog->reject();
        });
        timer_.start(5);
    }
    int runs = 0;
    QStringList titles;

private:
    std::function<void(CRecitationDlg&)> step_;
    QTimer timer_;
};

QPlainTextEdit* TypedBox(const QWidget& dialog) {
    return Control<QPlainTextEdit>(dialog, CRecitationDlg::kTypedBoxId);
}
QTextEdit* ResultBox(const QWidget& dialog) {
    return Control<QTextEdit>(dialog, CRecitationDlg::kResultBoxId);
}
QString Summary(const QWidget& dialog) {
    return Control<QLabel>(dialog, CRecitationDlg::kSummaryId)->text();
}
QString Suggestion(const QWidget& dialog) {
    return Control<QLabel>(dialog, CRecitationDlg::kSuggestionId)->text();
}
void ClickCheck(const QWidget& dialog) {
    Control<QPushButton>(dialog, CRecitationDlg::kCheckId)->click();
}

// The format of the result box's text at each character, as a run of equal formats with its text.
struct Run {
    QString text;
    QTextCharFormat format;
};
QList<Run> Runs(const QTextEdit& box) {
    QList<Run> runs;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            runs.append({it.fragment().text(), it.fragment().charFormat()});
    return runs;
}
const Run* RunOf(const QList<Run>& runs, const QString& text) {
    for (const Run& run : runs)
        if (run.text == text)
            return &run;
    return nullptr;
}

// Counts the changes of a text box's width while it holds text.
class CResizeWatch : public QObject {
public:
    explicit CResizeWatch(QTextEdit& box) : box_(box) { box.viewport()->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && !box_.document()->isEmpty())
            ++resizesWithText;
        return QObject::eventFilter(watched, event);
    }
    int resizesWithText = 0;

private:
    QTextEdit& box_;
};

} // namespace

class RecitationTest : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { Sample::WriteFiles(dir_.path()); }
    void cleanup() {
        boxes_.shown.clear(); // the tests that expect a box have looked at it
        CloseAll();
    }

    // The command sits after a separator at the end of the View menu's original items, with its
    // key; the menus before it are as they were, Progress Over Time, Review Due Passages and Listen
    // follow it.
    void theCommandIsOnTheViewMenuWithItsKey() {
        Open();
        QAction* command = Action(Id::kCheckRecitation);
        QCOMPARE(command->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
        QMenu* view = window_->findChild<QMenuBar*>()->actions()[1]->menu();
        const QList<QAction*> items = view->actions();
        QCOMPARE(items.size(), 13);
        QVERIFY(items[8]->isSeparator());
        QCOMPARE(items[9], command);
        QCOMPARE(items[10], Action(Id::kProgressOverTime));
        QCOMPARE(items[11], Action(Id::kReviewDue));
        QCOMPARE(items[12], Action(Id::kListen));
        QVERIFY(!command->whatsThis().isEmpty());
        QCOMPARE(command->whatsThis(),
                 ContextHelp::Text(ContextHelp::kMenuBase + Id::kCheckRecitation));
        // No other command of the window answers to the same key.
        for (QAction* other : window_->findChildren<QAction*>())
            QVERIFY(other == command || other->shortcut() != command->shortcut());
    }

    void theKeyOpensTheWindowForThePassageShownAndEscapeClosesIt() {
        Open();
        Show(Sample::kJohn16Niv);
        Activate();
        bool hidden = false;
        bool focused = false;
        int result = -1;
        CRecitationScript script([&](CRecitationDlg& dialog) {
            hidden = ResultBox(dialog)->toPlainText().isEmpty() && !dialog.Result();
            focused = dialog.focusWidget() == TypedBox(dialog);
            QTest::keyClick(TypedBox(dialog), Qt::Key_Escape);
            result = dialog.result();
        });
        QTest::keyClick(Tree(), Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(script.runs, 1);
        QCOMPARE(script.titles, QStringList({QStringLiteral("Check Recitation - John 3:16 NIV")}));
        QVERIFY(hidden);  // the passage is not shown before the check
        QVERIFY(focused); // typing can begin at once
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The button is offered where the passage is hidden, and opens the same window; it lies in
    // the text box clear of the tree and takes no place in the Tab order.
    void theButtonShowsAtBlankAndHintAndOpensTheWindow() {
        Open();
        Show(Sample::kRomans828);
        window_->show();
        auto* button = Find<QPushButton>(Id::kRecitationButton);
        QCOMPARE(button->parentWidget(), static_cast<QWidget*>(TextBox()));
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QVERIFY(!button->autoDefault());
        QVERIFY(button->text().contains(QStringLiteral("Ctrl+R")));
        QVERIFY(!button->whatsThis().isEmpty());
        const QRect inClient(button->mapTo(window_->Client(), QPoint(0, 0)), button->size());
        QVERIFY(!inClient.intersects(Tree()->geometry()));
        QVERIFY(TextBox()->geometry().contains(inClient));
        for (int mode = CMainDlg::kBlank; mode <= CMainDlg::kContext; ++mode) {
            Radio(Id::kFirstVisibilityRadio + mode)->click();
            QCOMPARE(button->isVisible(), mode == CMainDlg::kBlank || mode == CMainDlg::kHint);
            // The text box's font grows at Blank and Hint; the button's caption keeps fitting.
            QCOMPARE(button->font(), window_->font());
            QVERIFY(button->width() >= button->sizeHint().width());
        }
        // Moving on to another passage keeps the level and so the button.
        Radio(Id::kFirstVisibilityRadio + CMainDlg::kHint)->click();
        Action(Id::kNext)->trigger();
        QVERIFY(button->isVisible());

        for (const int mode : {CMainDlg::kBlank, CMainDlg::kHint}) {
            Radio(Id::kFirstVisibilityRadio + mode)->click();
            Show(Sample::kRomans828);
            CRecitationScript script([](CRecitationDlg& dialog) { dialog.reject(); });
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(script.runs, 1);
            QCOMPARE(script.titles.value(0),
                     QStringLiteral("Check Recitation - Romans 8:28-29 KJV"));
            // The level the user recites at stays.
            QCOMPARE(window_->VisibilityMode(), mode);
            QVERIFY(button->isVisible());
        }
        // Enter still ends the main window as OK, not by the button.
        QTest::keyClick(TextBox(), Qt::Key_Return);
        QCOMPARE(window_->result(), int(QDialog::Accepted));
    }

    // With every passage filtered out of the tree there is nothing to recite: the command is
    // greyed, its key does nothing and the button stays away, even at Blank.
    void withoutAPassageShownTheCommandIsOff() {
        QTemporaryDir inactive;
        Sample::WriteFiles(inactive.path());
        WriteFile(inactive.path() + QStringLiteral("/RctStats.xml"),
                  ReadFile(inactive.path() + QStringLiteral("/RctStatsSpare.xml")));
        window_.reset();
        store_ = std::make_unique<CPassageStore>(sink_, settings_, clock_,
                                                 inactive.path().toStdString());
        QCOMPARE(store_->Load(), Status::Ok);
        window_ = std::make_unique<CMainDlg>(*store_, prefs_);
        QVERIFY(Action(Id::kCheckRecitation)->isEnabled());
        Action(Id::kFirstTranslation + Sample::kAsv)->trigger();
        Radio(Id::kFirstVisibilityRadio + CMainDlg::kBlank)->click();
        QCOMPARE(window_->CurrentPassageIndex(), -1);
        QVERIFY(!Action(Id::kCheckRecitation)->isEnabled());
        QVERIFY(Find<QPushButton>(Id::kRecitationButton)->isHidden());
        Activate();
        CRecitationScript script([](CRecitationDlg& dialog) { dialog.reject(); });
        QTest::keyClick(Tree(), Qt::Key_R, Qt::ControlModifier);
        QTest::qWait(50);
        QCOMPARE(script.runs, 0);
        // A translation with passages brings it back.
        Action(Id::kFirstTranslation + kTransAll)->trigger();
        QVERIFY(Action(Id::kCheckRecitation)->isEnabled());
        QVERIFY(!Find<QPushButton>(Id::kRecitationButton)->isHidden());
    }

    void checkMarksMissedWrongAndExtraWords() {
        Open();
        CRecitationDlg dialog(Passage(Sample::kJohn16Niv), QBrush(Qt::white));
        Activate(dialog);
        // "For God so loved the world": one word put in, one said differently.
        QTest::keyClicks(TypedBox(dialog), QStringLiteral("for God so much loved the earth"));
        ClickCheck(dialog);
        QVERIFY(dialog.Result());
        QCOMPARE(Summary(dialog), QStringLiteral("5 of 6 words, 1 wrong, 1 extra"));
        QCOMPARE(ResultBox(dialog)->toPlainText(),
                 QStringLiteral("For God so [much] loved the world (earth)"));
        const QList<Run> runs = Runs(*ResultBox(dialog));
        const Run* wrong = RunOf(runs, QStringLiteral("world"));
        QVERIFY(wrong);
        QVERIFY(wrong->format.fontUnderline());
        QVERIFY(!wrong->format.fontStrikeOut());
        const Run* typed = RunOf(runs, QStringLiteral("(earth)"));
        QVERIFY(typed && typed->format.fontItalic());
        const Run* extra = RunOf(runs, QStringLiteral("[much]"));
        QVERIFY(extra);
        QVERIFY(!extra->format.fontUnderline() && !extra->format.fontStrikeOut());
        // Right words are plain; the marks each have a colour of their own.
        const Run* right = RunOf(runs, QStringLiteral("For God so "));
        QVERIFY(right && !right->format.hasProperty(QTextFormat::ForegroundBrush));
        QVERIFY(wrong->format.foreground().color() != extra->format.foreground().color());
        // 5 of 7 words (six and the extra one) is Fair, which the passage is already.
        QCOMPARE(Suggestion(dialog),
                 QStringLiteral("Suggested progress: Fair (71% right). That is its progress now."));

        // A missed word is struck through; Ctrl+Enter checks the changed text again.
        TypedBox(dialog)->setPlainText(QStringLiteral("For God loved the world"));
        QTest::keyClick(TypedBox(dialog), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(Summary(dialog), QStringLiteral("5 of 6 words, 1 missed"));
        QCOMPARE(ResultBox(dialog)->toPlainText(), QStringLiteral("For God so loved the world"));
        const QList<Run> again = Runs(*ResultBox(dialog));
        const Run* missed = RunOf(again, QStringLiteral("so"));
        QVERIFY(missed && missed->format.fontStrikeOut());
        QCOMPARE(Suggestion(dialog),
                 QStringLiteral("Suggested progress: Fair (83% right). That is its progress now."));
    }

    // Verse numbers, line breaks and punctuation of the passage are shown as they stand, and the
    // suggestion tells an inactive passage's user to activate it first.
    void aLongerPassageIsShownWithItsVerseNumbers() {
        Open();
        CRecitationDlg dialog(Passage(Sample::kRomans828), QBrush(Qt::white));
        TypedBox(dialog)->setPlainText(QStringLiteral("And we know\n29 for whom he did foreknow"));
        ClickCheck(dialog);
        QCOMPARE(Summary(dialog), QStringLiteral("8 of 8 words"));
        QCOMPARE(ResultBox(dialog)->toPlainText(),
                 QStringLiteral("28 And we know\n29 For whom he did foreknow"));
        QCOMPARE(Suggestion(dialog), QStringLiteral("Suggested progress: Mastered (100% right). It "
                                                    "is Good now; choose the new level under "
                                                    "Progress if you agree."));

        CRecitationDlg inactive(Passage(Sample::kPhil419), QBrush(Qt::white));
        TypedBox(inactive)->setPlainText(QStringLiteral("And my God will meet"));
        ClickCheck(inactive);
        QVERIFY(Suggestion(inactive).contains(QStringLiteral("Not Started/Inactive")));
    }

    // A result taller than the box is laid out only beside the scroll bar it needs, never first
    // at the full width and then again; a short result still goes without the scroll bar.
    void theResultIsLaidOutAtTheWidthItEndsWith() {
        Open();
        CPassage passage;
        for (int verse = 1; verse <= 20; ++verse)
            passage.context.append(verse > 1 ? "\r\n" : "")
                .append(std::to_string(verse))
                .append(
                    " I waited patiently for the LORD; and he inclined unto me, and heard my cry.");
        passage.psgEnd = static_cast<int>(passage.context.size());
        passage.vCount = 20;
        passage.ParseKeyText("190400010_");
        passage.BuildReferences();
        CRecitationDlg dialog(passage, QBrush(Qt::white));
        dialog.show();
        QTextEdit* box = ResultBox(dialog);
        // Each change of the box's width while it holds text lays the text out anew.
        CResizeWatch watch(*box);
        TypedBox(dialog)->setPlainText(QStringLiteral("I waited patiently for the world"));
        for (int check = 0; check < 2; ++check) {
            ClickCheck(dialog);
            QVERIFY(box->verticalScrollBar()->isVisible());
            QCOMPARE(box->document()->pageSize().width(), qreal(box->viewport()->width()));
        }
        QCOMPARE(watch.resizesWithText, 0);

        CRecitationDlg shortOne(Passage(Sample::kRomans828), QBrush(Qt::white));
        shortOne.show();
        TypedBox(shortOne)->setPlainText(QStringLiteral("And we know"));
        ClickCheck(shortOne);
        QVERIFY(!ResultBox(shortOne)->verticalScrollBar()->isVisible());
        QCOMPARE(ResultBox(shortOne)->document()->pageSize().width(),
                 qreal(ResultBox(shortOne)->viewport()->width()));
    }

    // A reference typed before and after the text stands on its own lines in bold, never as
    // an extra word; one that names another passage is underlined and told in the summary, which
    // has room for it.
    void aTypedReferenceIsShownAsTheReference() {
        Open();
        CRecitationDlg dialog(Passage(Sample::kJohn16Niv), QBrush(Qt::white));
        TypedBox(dialog)->setPlainText(
            QStringLiteral("John 3:16 NIV\nFor God so loved the world\nJohn 3:16"));
        ClickCheck(dialog);
        QCOMPARE(Summary(dialog), QStringLiteral("6 of 6 words"));
        QCOMPARE(ResultBox(dialog)->toPlainText(),
                 QStringLiteral("John 3:16 NIV\nFor God so loved the world\nJohn 3:16"));
        const QList<Run> runs = Runs(*ResultBox(dialog));
        const Run* before = RunOf(runs, QStringLiteral("John 3:16 NIV"));
        QVERIFY(before && before->format.fontWeight() == QFont::Bold);
        QVERIFY(!before->format.fontUnderline());
        QVERIFY(Suggestion(dialog).startsWith(QStringLiteral("Suggested progress: Mastered")));

        TypedBox(dialog)->setPlainText(
            QStringLiteral("Song of Solomon 2:10-13 For God so loved the world"));
        ClickCheck(dialog);
        QCOMPARE(Summary(dialog),
                 QStringLiteral("6 of 6 words. You said Song of Solomon 2:10-13; this is John "
                                "3:16."));
        const Run* other =
            RunOf(Runs(*ResultBox(dialog)), QStringLiteral("Song of Solomon 2:10-13"));
        QVERIFY(other && other->format.fontUnderline());
        auto* summary = Control<QLabel>(dialog, CRecitationDlg::kSummaryId);
        summary->setText(summary->text().replace(QStringLiteral("6 of 6 words"),
                                                 QStringLiteral("40 of 44 words, 2 missed, 1 "
                                                                "wrong, 1 extra")));
        QVERIFY(summary->heightForWidth(summary->width()) <= summary->height());
    }

    // Letters typed in the first-letters mode; switching the mode checks the same text again;
    // Try Again hides the passage and empties the box.
    void firstLettersModeAndTryAgain() {
        Open();
        CRecitationDlg dialog(Passage(Sample::kJohn16Niv), QBrush(Qt::white));
        Activate(dialog);
        auto* letters = Control<QCheckBox>(dialog, CRecitationDlg::kFirstLettersId);
        QTest::keyClick(&dialog, Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(letters->isChecked()); // a mnemonic clicks after a short delay
        QTest::keyClick(&dialog, Qt::Key_T, Qt::AltModifier); // back to the typing box
        QCOMPARE(dialog.focusWidget(), TypedBox(dialog));
        QTest::keyClicks(TypedBox(dialog), QStringLiteral("FGsltw"));
        ClickCheck(dialog);
        QCOMPARE(Summary(dialog), QStringLiteral("6 of 6 words"));
        QCOMPARE(dialog.Result()->GetMode(), CRecitationCheck::Mode::kFirstLetters);
        QCOMPARE(ResultBox(dialog)->toPlainText(), QStringLiteral("For God so loved the world"));
        QVERIFY(Suggestion(dialog).startsWith(
            QStringLiteral("Suggested progress: Good (100% right; first letters alone go no "
                           "higher). It is Fair now;")));

        letters->click();
        QCOMPARE(dialog.Result()->GetMode(), CRecitationCheck::Mode::kWords);
        QCOMPARE(Summary(dialog), QStringLiteral("0 of 6 words, 5 missed, 1 wrong"));

        Control<QPushButton>(dialog, CRecitationDlg::kTryAgainId)->click();
        QVERIFY(!dialog.Result());
        QCOMPARE(TypedBox(dialog)->toPlainText(), QString());
        QCOMPARE(ResultBox(dialog)->toPlainText(), QString());
        QCOMPARE(Summary(dialog), QString());
        QCOMPARE(Suggestion(dialog), QString());
        QCOMPARE(QApplication::focusWidget(), TypedBox(dialog));
    }

    // Nothing typed keeps the passage hidden; too long a text is refused with a message; a
    // character without a Windows-1252 form is a word of its own, shown as typed.
    void whatTheCheckRefuses() {
        Open();
        CRecitationDlg dialog(Passage(Sample::kJohn16Niv), QBrush(Qt::white));
        TypedBox(dialog)->setPlainText(QStringLiteral("  \n 16 ... "));
        ClickCheck(dialog);
        QVERIFY(!dialog.Result());
        QCOMPARE(ResultBox(dialog)->toPlainText(), QString());
        QVERIFY(Summary(dialog).startsWith(QStringLiteral("Nothing to check yet")));
        QVERIFY(boxes_.shown.isEmpty());

        TypedBox(dialog)->setPlainText(QString(10001, QLatin1Char('a')));
        ClickCheck(dialog);
        QVERIFY(!dialog.Result());
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown[0].caption, QStringLiteral("Check Recitation"));
        QCOMPARE(boxes_.shown[0].text,
                 QStringLiteral("What you typed is too long to check: at most 10,000 characters "
                                "can be checked, and it has 10,001."));
        QCOMPARE(boxes_.owners[0], static_cast<QWidget*>(&dialog));
        QCOMPARE(TypedBox(dialog)->toPlainText().size(), 10001); // nothing typed is lost

        // A Greek word and a character beyond the 16-bit range: one wrong word, shown as typed.
        const QString greek =
            QStringLiteral("For God so loved the \u03BA\u03CC\u03C3\u03BC\u03BF\u03C2");
        TypedBox(dialog)->setPlainText(greek);
        ClickCheck(dialog);
        QCOMPARE(Summary(dialog), QStringLiteral("5 of 6 words, 1 wrong"));
        QVERIFY(ResultBox(dialog)->toPlainText().endsWith(
            QStringLiteral("world (\u03BA\u03CC\u03C3\u03BC\u03BF\u03C2)")));
        TypedBox(dialog)->setPlainText(QStringLiteral("For God so loved the world ") +
                                       QString::fromUcs4(U"\U0001F600x"));
        ClickCheck(dialog);
        QCOMPARE(Summary(dialog), QStringLiteral("6 of 6 words, 1 extra"));
        QVERIFY(ResultBox(dialog)->toPlainText().endsWith(
            QStringLiteral("world [") + QString::fromUcs4(U"\U0001F600x") + QStringLiteral("]")));
    }

    // Whatever the check says, the passage keeps its progress and frequency, the score and the
    // counts stay, no file is written and no setting changes; the main window's radios show
    // what they showed.
    void progressFrequencyAndFilesStayAsTheyWere() {
        Open();
        Show(Sample::kJohn17Niv);
        const CPassage& passage = store_->Passage(Sample::kJohn17Niv);
        const int prog = passage.prog;
        const int freq = passage.freq;
        const int score = store_->Score();
        const bool exportDue = store_->ExportDue();
        const QMap<QString, QByteArray> files = Snapshot(dir_.path());
        const std::size_t settingWrites = settings_.writes.size();
        QString suggestion;
        CRecitationScript script([&](CRecitationDlg& dialog) {
            TypedBox(dialog)->setPlainText(
                QString::fromLatin1(store_->Passage(Sample::kJohn17Niv).PassageText()));
            ClickCheck(dialog);
            suggestion = Suggestion(dialog);
            Control<QPushButton>(dialog, CRecitationDlg::kCloseId)->click();
        });
        Action(Id::kCheckRecitation)->trigger();
        QCOMPARE(script.runs, 1);
        QVERIFY(suggestion.startsWith(QStringLiteral("Suggested progress: Mastered")));
        QCOMPARE(passage.prog, prog);
        QCOMPARE(passage.freq, freq);
        QCOMPARE(store_->Score(), score);
        QCOMPARE(store_->StatsCount(), Sample::kStatsCount);
        QCOMPARE(store_->ExportDue(), exportDue);
        QVERIFY(!store_->UserFileChanged());
        QVERIFY(Radio(Id::kFirstProgressRadio + prog)->isChecked());
        QVERIFY(Radio(Id::kFirstFrequencyRadio + freq)->isChecked());
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn17Niv);
        QCOMPARE(Snapshot(dir_.path()), files);
        QCOMPARE(settings_.writes.size(), settingWrites);
    }

    // The result wears the main window's background, with black text; every control tells what
    // it does; the window keeps its size.
    void backgroundHelpAndSize() {
        Open();
        const QBrush background(QColor(0xF4, 0xEE, 0xE0), Qt::Dense4Pattern);
        CRecitationDlg dialog(Passage(Sample::kJohn16Niv), background);
        QCOMPARE(ResultBox(dialog)->palette().brush(QPalette::Base), background);
        QCOMPARE(ResultBox(dialog)->palette().color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        for (int id = CRecitationDlg::kTypedBoxId; id <= CRecitationDlg::kCloseId; ++id)
            QVERIFY2(!Control<QWidget>(dialog, id)->whatsThis().isEmpty(),
                     qPrintable(QString::number(id)));
        for (const QPushButton* button : dialog.findChildren<QPushButton*>())
            QVERIFY(!button->autoDefault()); // Enter breaks a line in the typing box

        // The legend fits on its line, and the longest suggestion in its two lines.
        const QLabel* legend = nullptr;
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            if (label->text().contains(QStringLiteral("struck through")))
                legend = label;
        QVERIFY(legend);
        QVERIFY(legend->sizeHint().width() <= legend->width());
        QVERIFY(legend->text().contains(QStringLiteral("line-through")));
        auto* suggestion = Control<QLabel>(dialog, CRecitationDlg::kSuggestionId);
        suggestion->setText(QString::fromStdString(
            CRecitationCheck("In the beginning", "I t b", CRecitationCheck::Mode::kFirstLetters)
                .Suggestion(1, true)));
        QVERIFY(suggestion->text().contains(QStringLiteral("first letters alone")));
        QVERIFY(suggestion->heightForWidth(suggestion->width()) <= suggestion->height());
    }

private:
    const CPassage& Passage(int index) const { return store_->Passage(index); }
    void Show(int index) {
        window_->SetPosition(Model()->PositionOf(index));
        window_->SelectCurrent();
        QCOMPARE(window_->CurrentPassageIndex(), index);
    }
    void Activate() { Activate(*window_); }
    static void Activate(QWidget& window) {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

RECITOR_UI_TEST_MAIN(RecitationTest)
#include "test_recitation.moc"
