// SPDX-License-Identifier: GPL-2.0-or-later
// The Edit Passage dialog driven through its real controls, and the commands that add, revise
// and delete passages through it, over the sample collection: the checks as the user meets them,
// Save, the record line against the user file, the topic buttons, the Windows-1252 guard, the
// confirmations, and where the window stands after each change.

#include "CommandIds.h"
#include "DialogUnits.h"
#include "EditDialogSupport.h"
#include "MainDlg.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "TopicChoiceDlg.h"
#include "UiSupport.h"
#include "Win1252.h"
#include "WindowTest.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

// The fixed texts of the dialog as Add opens it.
constexpr FixedText kAddPassageTexts[] = {
    {kTheWindow, "windowTitle", "Add Passage"},
    {Dlg::kSave, "text", "Save"},
    {Dlg::kCancel, "text", "Cancel"},
    {Dlg::kPrimaryButton, "text", "Pri"},
    {Dlg::kSecondaryButton, "text", "Sec"},
    {Dlg::kChapter, "text", "0"},
    {Dlg::kPrimaryName, "text", "n/a"},
    {Dlg::kSecondaryName, "text", "n/a"},
    {Dlg::kHintBox, "plainText", "Copy/paste Hint from the Passage box above."}};

// The passage file's line of the key text (as it stands in the file, with its suffix).
QString UserLine(const QString& dir, const QString& key) {
    const QString user = FromWin1252(ReadFile(dir + QStringLiteral("/RctUser.xml")).toStdString());
    for (const QString& line : user.split(QStringLiteral("\r\n")))
        if (line.startsWith(QStringLiteral("<psg key=\"") + key + QLatin1Char('"')))
            return line;
    return {};
}

} // namespace

class EditTest : public CEditTest {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void init() { LoadSample(); }
    void cleanup() { CloseAndForgetBoxes(); }

    void addSetUp() {
        Dlg dialog(nullptr, 0, *store_, kTransAll);
        QCOMPARE(TextsNotShown(dialog, kAddPassageTexts), QString());
        const CDialogUnits units(dialog.font());
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QCOMPARE(dialog.size(), QSize(units.X(403), units.Y(335)));
        const struct {
            int id;
            QRect rect;
        } places[] = {
            {1042, {32, 13, 23, 13}},  {1044, {144, 0, 23, 13}},  {1048, {144, 13, 23, 13}},
            {4102, {200, 14, 18, 12}}, {4107, {217, 14, 62, 13}}, {4103, {283, 14, 18, 12}},
            {4108, {300, 14, 62, 13}}, {1, {365, 0, 29, 13}},     {2, {365, 14, 29, 13}},
            {1030, {7, 27, 388, 182}}, {1038, {7, 210, 388, 64}}, {1037, {7, 275, 388, 23}},
            {1041, {7, 299, 388, 30}}};
        for (const auto& place : places) {
            const QRect& r = place.rect;
            QCOMPARE(Control<QWidget>(dialog, place.id)->geometry(),
                     units.Rect(r.x(), r.y(), r.width(), r.height()));
        }
        QCOMPARE(List(dialog, Dlg::kBookList)->geometry().topLeft(), QPoint(units.X(32), 0));
        QCOMPARE(List(dialog, Dlg::kTransList)->geometry().topLeft(), QPoint(units.X(217), 0));
        QStringList labels;
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            labels << label->text();
        QCOMPARE(labels, QStringList({"Book", "Chap #", "Psg 1st Verse #", "Last Verse #",
                                      "Translation", "Topics:"}));

        // The two lists in their fixed order.
        const QComboBox* books = List(dialog, Dlg::kBookList);
        QCOMPARE(books->count(), 66);
        QCOMPARE(books->itemText(0), QStringLiteral("Genesis"));
        QCOMPARE(books->itemText(39), FromWin1252(BookName(51)));
        QCOMPARE(books->itemText(42), FromWin1252(BookName(54)));
        const QComboBox* translations = List(dialog, Dlg::kTransList);
        QCOMPARE(translations->count(), 36);
        QCOMPARE(translations->itemText(11), QStringLiteral("BBE    Bible in Basic English"));
        QCOMPARE(translations->itemText(35), QStringLiteral("----       New World (JW)"));
        QCOMPARE(books->currentIndex(), -1);
        QCOMPARE(translations->currentIndex(), -1);

        const QStringList context = Box(dialog, Dlg::kContextBox)->toPlainText().split('\n');
        QCOMPARE(context.size(), 7);
        QCOMPARE(context[0], QStringLiteral("Enter entire Context into this box."));
        QVERIFY(context[4].endsWith(QStringLiteral(
            "/cgi-bin/bible?passage=eph+2%3A8-9&version=NIV-IBS&showfn=no&showxref=no&language="
            "english")));
        QCOMPARE(Verify(dialog),
                 QStringLiteral("Must select from 'Book of Bible' list\n"
                                "Chapter number must be between 1 and 150\n"
                                "1st Verse # must be between 1 and 176\n"
                                "Last Verse # must be between 1 and 176 and not less than 1st "
                                "Verse\n"
                                "Translation option cannot be blank\n"
                                "Passage not found in Context\n"
                                "Hint not found in Passage"));
        QVERIFY(!Button(dialog, Dlg::kSave)->isEnabled());
        QVERIFY(Box(dialog, Dlg::kVerifyBox)->isReadOnly());
        QCOMPARE(Box(dialog, Dlg::kVerifyBox)->focusPolicy(), Qt::ClickFocus);
        QCOMPARE(Box(dialog, Dlg::kContextBox)->font().pointSize(), 12);
        QCOMPARE(Box(dialog, Dlg::kPassageBox)->font().pointSize(), 14);
        QCOMPARE(Box(dialog, Dlg::kHintBox)->font().pointSize(), 18);
        Dlg maintainers(nullptr, 1, *store_, kTransAll);
        QCOMPARE(Box(maintainers, Dlg::kContextBox)->font().pointSize(), 10);
    }

    // The user fills the dialog; Save comes with the last missing piece, and the line shown is
    // the line the user file gets.
    void addFillsAndSaves() {
        Open();
        QString shownLine;
        OnNextModal([&shownLine](QDialog* dialog) {
            FillJohn(*dialog);
            QVERIFY(Button(*dialog, Dlg::kSave)->isEnabled());
            shownLine = Verify(*dialog);
            QVERIFY(shownLine.startsWith(QStringLiteral("<psg key=\"54003016B\" vCount=\"01\" ")));
            QTest::mouseClick(Button(*dialog, Dlg::kSave), Qt::LeftButton);
        });
        const int users = store_->UserCount();
        const bool exportDue = store_->ExportDue();
        Action(Id::kAddPassage)->trigger();
        QCOMPARE(store_->PassageCount(), Sample::kPassages + 1);
        QCOMPARE(store_->UserCount(), users + 1);
        QCOMPARE(store_->ExportDue(), exportDue); // a new passage is inactive
        // The new passage is shown: the tree lists it among the inactive ones.
        const CPassage& shown = store_->Passage(window_->CurrentPassageIndex());
        QCOMPARE(shown.key, 54003016u);
        QCOMPARE(shown.trans, 11);
        QVERIFY(!shown.baseline);
        QCOMPARE(window_->Position(), Model()->PositionOf(window_->CurrentPassageIndex()));
        QCOMPARE(store_->SaveAll(), Status::Ok);
        QCOMPARE(UserLine(dir_.path(), QStringLiteral("54003016B")), shownLine);
    }

    void addCancelledOrRefusedChangesNothing() {
        Open();
        Action(Id::kNext)->trigger();
        const int shown = window_->CurrentPassageIndex();
        const auto files = Snapshot(dir_.path());
        // Cancel after filling, and Yes at the question.
        boxes_.answers = {MsgAnswer::Yes};
        OnNextModal([](QDialog* dialog) {
            FillJohn(*dialog);
            Button(*dialog, Dlg::kCancel)->click();
        });
        Action(Id::kAddPassage)->trigger();
        QCOMPARE(store_->PassageCount(), Sample::kPassages);
        QCOMPARE(window_->CurrentPassageIndex(), shown);
        QVERIFY(!store_->UserFileChanged());
        QCOMPARE(boxes_.shown.size(), 1);
        boxes_.shown.clear();

        // John 3:16 NIV exists: the dialog says so while the user types, and Save waits for
        // another VerseKey.
        const QString taken = QStringLiteral("John 3:16 NIV is already in your collection");
        boxes_.answers = {MsgAnswer::Yes};
        OnNextModal([&taken](QDialog* dialog) {
            FillJohn(*dialog, Sample::kNiv);
            QCOMPARE(Verify(*dialog), taken);
            QVERIFY(!Button(*dialog, Dlg::kSave)->isEnabled());
            List(*dialog, Dlg::kTransList)->setCurrentIndex(11);
            QVERIFY(!Verify(*dialog).contains(taken));
            QVERIFY(Button(*dialog, Dlg::kSave)->isEnabled());
            List(*dialog, Dlg::kTransList)->setCurrentIndex(Sample::kNiv);
            Button(*dialog, Dlg::kSave)->click();
            QVERIFY(dialog->isVisible()); // nothing typed is lost
            Button(*dialog, Dlg::kCancel)->click();
        });
        Action(Id::kAddPassage)->trigger();
        QCOMPARE(boxes_.shown.size(), 1); // the discard question only
        boxes_.shown.clear();
        QCOMPARE(store_->PassageCount(), Sample::kPassages);
        QCOMPARE(store_->UserCount(), 2);
        QCOMPARE(window_->CurrentPassageIndex(), shown);
        QVERIFY(!store_->UserFileChanged());
        QCOMPARE(store_->SaveAll(), Status::Ok);
        QCOMPARE(ReadFile(dir_.path() + "/RctUser.xml"), files["RctUser.xml"]);
    }

    // A user file holding as many passages as it may: Add, and Edit on a bundled passage (which
    // would move it into the user file), say so at once, before any dialog or confirmation.
    void fullUserFileRefusesBeforeTheDialog() {
        QTemporaryDir full;
        QVERIFY(WriteSynthetic(full.path(), 2000, 15000, 100));
        store_ =
            std::make_unique<CPassageStore>(sink_, settings_, clock_, full.path().toStdString());
        QCOMPARE(store_->Load(), Status::Ok);
        prefs_.PrefConfirmEdit = true;
        window_ = std::make_unique<CMainDlg>(*store_, prefs_);
        bool dialogOpened = false;
        const auto watch = [&dialogOpened] {
            QTimer::singleShot(0, [&dialogOpened] {
                if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                    dialogOpened = true;
                    dialog->reject();
                }
            });
        };

        watch();
        boxes_.answers.push_back(MsgAnswer::Ok);
        Action(Id::kAddPassage)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!dialogOpened);
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown.takeFirst().caption, QStringLiteral("Recitor Too Many Passages"));

        while (!store_->Passage(window_->CurrentPassageIndex()).baseline)
            Action(Id::kNext)->trigger();
        watch();
        boxes_.answers.push_back(MsgAnswer::Ok);
        Action(Id::kEditPassage)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!dialogOpened);
        QCOMPARE(boxes_.shown.size(), 1); // no confirmation after the warning
        QCOMPARE(boxes_.shown.takeFirst().caption, QStringLiteral("Recitor Too Many Passages"));
        QCOMPARE(store_->UserCount(), 15000);
        QVERIFY(!store_->UserFileChanged());
    }

    // A passage the tree does not list (another translation under the filter, inactive) is
    // added, and the window stays where it was.
    void addOutsideTheFilter() {
        prefs_.TransFilter = Sample::kNiv;
        window_ = std::make_unique<CMainDlg>(*store_, prefs_, 0);
        Action(Id::kNext)->trigger();
        const int position = window_->Position();
        const std::uint32_t shown = store_->Passage(window_->CurrentPassageIndex()).MatchKey();
        OnNextModal([](QDialog* dialog) {
            FillJohn(*dialog);
            Button(*dialog, Dlg::kSave)->click();
        });
        Action(Id::kAddPassage)->trigger();
        QCOMPARE(store_->PassageCount(), Sample::kPassages + 1);
        QCOMPARE(window_->Position(), position);
        QCOMPARE(store_->Passage(window_->CurrentPassageIndex()).MatchKey(), shown);
    }

    // A number box without a number: the message, and the field keeps its value.
    void numberBoxesTakeOnlyNumbers() {
        Dlg dialog(nullptr, 0, *store_, kTransAll);
        FillJohn(dialog);
        const QString line = Verify(dialog);
        QLineEdit* chapter = Line(dialog, Dlg::kChapter);
        for (const char* bad : {"3x", "-3", ""}) {
            chapter->setText(QString::fromLatin1(bad));
            QCOMPARE(boxes_.shown.size(), 1);
            QCOMPARE(boxes_.shown[0].caption, QStringLiteral("Recitor"));
            QCOMPARE(boxes_.shown[0].text, QStringLiteral("Please enter a positive integer."));
            boxes_.shown.clear();
            QCOMPARE(Verify(dialog), line); // checked with the chapter it had
            QCOMPARE(chapter->text(), QString::fromLatin1(bad));
        }
        // Save then copies the boxes again, finds the bad one and stays open.
        QVERIFY(Button(dialog, Dlg::kSave)->isEnabled());
        Button(dialog, Dlg::kSave)->click();
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        boxes_.shown.clear();
        chapter->setText(QStringLiteral("151"));
        QCOMPARE(Verify(dialog), QStringLiteral("Chapter number must be between 1 and 150"));
        QVERIFY(!Button(dialog, Dlg::kSave)->isEnabled());
    }

    // Text without a Windows-1252 form is named, keeps Save disabled, and stays as entered.
    void charactersOutsideTheFilesAreRefused() {
        Dlg dialog(nullptr, 0, *store_, kTransAll);
        FillJohn(dialog);
        QVERIFY(Button(dialog, Dlg::kSave)->isEnabled());
        const QString hebrew = kContext + QStringLiteral("\n18 \u05D0\u05D1 \u05D0 \U0001F600");
        Box(dialog, Dlg::kContextBox)->setPlainText(hebrew);
        QCOMPARE(Verify(dialog), QStringLiteral("U+05D0 not available in the passage files\n"
                                                "U+05D1 not available in the passage files\n"
                                                "U+1F600 not available in the passage files"));
        QVERIFY(!Button(dialog, Dlg::kSave)->isEnabled());
        QCOMPARE(Box(dialog, Dlg::kContextBox)->toPlainText(), hebrew);
        // Windows-1252 characters beyond Latin-1, and a no-break space, are kept as they are.
        Box(dialog, Dlg::kContextBox)
            ->setPlainText(kContext + QStringLiteral("\n\u201Cso\u00A0\u20AC\u201D"));
        QVERIFY(Button(dialog, Dlg::kSave)->isEnabled());
        Button(dialog, Dlg::kSave)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.Values().context.ends_with("\r\n\x93so\xA0\x80\x94"));
    }

    void editSetUp() {
        const CPassage& john = store_->Passage(Sample::kJohn16Niv);
        Dlg dialog(&john, 0, *store_, kTransAll);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit Passage"));
        QCOMPARE(List(dialog, Dlg::kBookList)->currentIndex(), 42);
        QCOMPARE(List(dialog, Dlg::kTransList)->currentIndex(), Sample::kNiv);
        QCOMPARE(Line(dialog, Dlg::kLastVerse)->text(), QStringLiteral("16"));
        QCOMPARE(Line(dialog, Dlg::kPrimaryName)->text(), FromWin1252(TopicName(1)));
        QCOMPARE(Line(dialog, Dlg::kSecondaryName)->text(), FromWin1252(TopicName(9)));
        QCOMPARE(Box(dialog, Dlg::kPassageBox)->toPlainText(),
                 QString::fromLatin1(Sample::kJohnPassage));
        QCOMPARE(Box(dialog, Dlg::kHintBox)->toPlainText(), QString::fromLatin1(Sample::kJohnHint));
        // The VerseKey stays as it is outside the maintainers' mode.
        for (const int id : {Dlg::kBookList, Dlg::kChapter, Dlg::kFirstVerse, Dlg::kTransList})
            QVERIFY2(!Control<QWidget>(dialog, id)->isEnabled(), qPrintable(QString::number(id)));
        for (const int id : {Dlg::kLastVerse, Dlg::kContextBox, Dlg::kPassageBox, Dlg::kHintBox,
                             Dlg::kPrimaryButton, Dlg::kSecondaryButton})
            QVERIFY(Control<QWidget>(dialog, id)->isEnabled());
        QVERIFY(Verify(dialog).startsWith(QStringLiteral("<psg key=\"540030168\" vCount=\"01\" ")));
        QVERIFY(!Button(dialog, Dlg::kSave)->isEnabled());
        // A change, then its undoing: something was changed, so Save stays available.
        QLineEdit* last = Line(dialog, Dlg::kLastVerse);
        last->setText(QStringLiteral("17"));
        QVERIFY(Button(dialog, Dlg::kSave)->isEnabled());
        last->setText(QStringLiteral("16"));
        QVERIFY(Button(dialog, Dlg::kSave)->isEnabled());

        Dlg maintainers(&john, 1, *store_, kTransAll);
        for (const int id : {Dlg::kChapter, Dlg::kFirstVerse, Dlg::kTransList})
            QVERIFY(Control<QWidget>(maintainers, id)->isEnabled());
        QVERIFY(!List(maintainers, Dlg::kBookList)->isEnabled());
        QVERIFY(Verify(maintainers).contains(QStringLiteral(" ctxLines=\"98\" ")));
        // Its own VerseKey is no duplicate; moved onto John 3:16 KJV, it is.
        List(maintainers, Dlg::kTransList)->setCurrentIndex(3);
        QCOMPARE(Verify(maintainers),
                 QStringLiteral("John 3:16 KJV is already in your collection"));
        QVERIFY(!Button(maintainers, Dlg::kSave)->isEnabled());

        // A hand-edited verse count as large as the file can hold: the last verse wraps as the
        // file's numbers do, and the check refuses it.
        Shape(Sample::kJohn16Niv).vCount = 2147483647;
        Dlg huge(&john, 0, *store_, kTransAll);
        QCOMPARE(Line(huge, Dlg::kLastVerse)->text(), QStringLiteral("2147483662"));
        QVERIFY(Verify(huge).startsWith(QStringLiteral("Last Verse # must be between 1 and 176")));
    }

    // A passage of the user's own whose context measures 98 lines keeps its whole context when
    // it is revised; only a bundled passage that shares its context offers its own text alone.
    void contextOf98LinesIsKept() {
        CPassage& phil = Shape(Sample::kPhil413);
        const std::string passage(phil.PassageText());
        phil.context =
            "12 I know what it is to be in need\r\n" + passage + "\r\n14 Yet it was good";
        phil.psgStart = static_cast<int>(phil.context.find(passage));
        phil.psgEnd = phil.psgStart + static_cast<int>(passage.size());
        phil.hintStart = phil.psgStart;
        phil.hintEnd = phil.psgStart + 4;
        phil.ctxLines = CPassageCheck::kSharedContext;
        const std::string context(phil.context);
        Dlg dialog(&phil, 0, *store_, kTransAll);
        QCOMPARE(Box(dialog, Dlg::kContextBox)->toPlainText(),
                 FromWin1252(context).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        QPlainTextEdit* hint = Box(dialog, Dlg::kHintBox);
        hint->setPlainText(hint->toPlainText()); // saved without a change
        Button(dialog, Dlg::kSave)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const int index = store_->Revise(Sample::kPhil413, dialog.Values());
        QCOMPARE(std::string(store_->Passage(index).context), context);

        CPassage& john = Shape(Sample::kJohn16Niv);
        john.ctxLines = CPassageCheck::kSharedContext;
        Dlg shared(&john, 0, *store_, kTransAll);
        QCOMPARE(Box(shared, Dlg::kContextBox)->toPlainText(),
                 QString::fromLatin1(Sample::kJohnPassage));
    }

    // Cancel, Escape and the close box close at once while nothing changed; after a change they
    // ask, and No keeps the dialog open with what was typed.
    void discardAsksAfterChanges() {
        const CPassage& john = store_->Passage(Sample::kJohn16Niv);
        const std::function<void(Dlg&)> ways[] = {
            [](Dlg& dialog) { Button(dialog, Dlg::kCancel)->click(); },
            [](Dlg& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); },
            [](Dlg& dialog) { dialog.close(); }};
        for (const auto& close : ways) {
            Dlg unchanged(&john, 0, *store_, kTransAll);
            unchanged.show();
            close(unchanged);
            QVERIFY(!unchanged.isVisible());
            QVERIFY(boxes_.shown.isEmpty());

            Dlg dialog(&john, 0, *store_, kTransAll);
            dialog.show();
            Box(dialog, Dlg::kHintBox)->setPlainText(QStringLiteral("God so"));
            boxes_.answers = {MsgAnswer::No, MsgAnswer::Yes};
            close(dialog);
            QVERIFY(dialog.isVisible());
            QCOMPARE(Box(dialog, Dlg::kHintBox)->toPlainText(), QStringLiteral("God so"));
            QCOMPARE(boxes_.shown.size(), 1);
            QCOMPARE(boxes_.shown[0].caption, QStringLiteral("Recitor"));
            QCOMPARE(boxes_.shown[0].text, QStringLiteral("Discard the changes to this passage?"));
            QCOMPARE(boxes_.shown[0].buttons, MsgButtons::YesNoDefaultNo);
            close(dialog);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            boxes_.shown.clear();
        }
    }

    void topicButtons() {
        Dlg dialog(nullptr, 0, *store_, kTransAll);
        FillJohn(dialog);
        OnNextModal([](QDialog* choice) {
            QVERIFY(qobject_cast<CTopicChoiceDlg*>(choice));
            QCOMPARE(choice->windowTitle(), QStringLiteral("Topic Choice"));
            choice->findChild<QRadioButton*>(QStringLiteral("2018"))->click();
        });
        Button(dialog, Dlg::kPrimaryButton)->click();
        QCOMPARE(Line(dialog, Dlg::kPrimaryName)->text(), FromWin1252(TopicName(18)));
        QVERIFY(Verify(dialog).contains(QStringLiteral(" topic=\"0018\" ")));
        // The secondary topic; its dialog opens on no topic and Cancel changes nothing.
        OnNextModal([](QDialog* choice) {
            QCOMPARE(static_cast<CTopicChoiceDlg*>(choice)->SelectedIndex(), -1);
            choice->reject();
        });
        Button(dialog, Dlg::kSecondaryButton)->click();
        QCOMPARE(Line(dialog, Dlg::kSecondaryName)->text(), QStringLiteral("n/a"));
        OnNextModal([](QDialog* choice) {
            choice->findChild<QRadioButton*>(QStringLiteral("2043"))->click();
        });
        Button(dialog, Dlg::kSecondaryButton)->click();
        QVERIFY(Verify(dialog).contains(QStringLiteral(" topic=\"4318\" ")));
        Button(dialog, Dlg::kSave)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Values().primaryTopic, 18);
        QCOMPARE(dialog.Values().secondaryTopic, 43);
    }

    // Revising a baseline passage makes it a user passage once; its statistics stay.
    void reviseBaseline() {
        Open();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn16Niv);
        boxes_.answers = {MsgAnswer::Yes};
        OnNextModal([](QDialog* dialog) {
            Line(*dialog, Dlg::kLastVerse)->setText(QStringLiteral("17"));
            Button(*dialog, Dlg::kSave)->click();
        });
        Action(Id::kEditPassage)->trigger();
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown[0].caption, QStringLiteral("Recitor"));
        QCOMPARE(boxes_.shown[0].text,
                 QStringLiteral("Are you sure you really want to revise this passage?\n"
                                "John 3:16 [54003016]"));
        QCOMPARE(boxes_.shown[0].buttons, MsgButtons::YesNo);
        boxes_.shown.clear();
        QCOMPARE(store_->BaselineCount(), 17);
        QCOMPARE(store_->UserCount(), 3);
        QCOMPARE(store_->Score(), Sample::kScore + 2); // one verse more at "Fair"
        const CPassage& john = store_->Passage(window_->CurrentPassageIndex());
        QCOMPARE(john.key, 54003016u);
        QCOMPARE(john.vCount, 2);
        QCOMPARE(john.prog, 2);
        QCOMPARE(john.freq, 0);
        QVERIFY(!john.baseline);
        QVERIFY(Action(Id::kDeletePassage)->isEnabled()); // now the user's own
        QVERIFY(window_->windowTitle().contains(QStringLiteral("[Topics: ")));

        // Again, without confirmation: the counts stay.
        prefs_.PrefConfirmEdit = false;
        OnNextModal([](QDialog* dialog) {
            Box(*dialog, Dlg::kHintBox)->setPlainText(QStringLiteral("God so"));
            Button(*dialog, Dlg::kSave)->click();
        });
        Action(Id::kEditPassage)->trigger();
        QVERIFY(boxes_.shown.isEmpty());
        QCOMPARE(store_->BaselineCount(), 17);
        QCOMPARE(store_->UserCount(), 3);
        QCOMPARE(store_->SaveAll(), Status::Ok);
        const QString line = UserLine(dir_.path(), QStringLiteral("540030168"));
        QVERIFY(line.contains(QStringLiteral(" vCount=\"02\" ")));
        QVERIFY(ReadFile(dir_.path() + "/RctStats.xml")
                    .contains("<psg key=\"540030168\" prog=\"2\" freq=\"0\"> </psg>"));

        // No at the confirmation: no dialog.
        prefs_.PrefConfirmEdit = true;
        boxes_.answers = {MsgAnswer::No};
        Action(Id::kEditPassage)->trigger();
        QCOMPARE(boxes_.shown.size(), 1);
        QVERIFY(!QApplication::activeModalWidget());
        boxes_.shown.clear();
    }

    void deleteAtTheEnds() {
        Open(1);
        QSignalSpy beeps(window_.get(), &CMainDlg::beeped);
        // Position 0 holds John 3:16 NIV, a baseline passage: Delete is greyed, DelThis is not.
        QCOMPARE(window_->Position(), 0);
        QVERIFY(!Action(Id::kDeletePassage)->isEnabled());
        QVERIFY(Action(Id::kDelThis)->isEnabled());
        const int second = Model()->PassageAt(2);
        const std::uint32_t secondKey = store_->Passage(second).key;
        boxes_.answers = {MsgAnswer::Yes};
        Action(Id::kDelThis)->trigger();
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown[0].text,
                 QStringLiteral("Are you sure you really want to delete this passage?\n"
                                "John 3:16 [54003016]"));
        boxes_.shown.clear();
        QCOMPARE(store_->PassageCount(), Sample::kPassages - 1);
        QCOMPARE(store_->BaselineCount(), 17);
        QCOMPARE(store_->Score(), Sample::kScore - 2);
        QVERIFY(store_->ExportDue()); // it was active
        // Previous cannot move from the first position and beeps; Next moves on.
        QCOMPARE(beeps.count(), 1);
        QCOMPARE(window_->Position(), 1);
        QCOMPARE(store_->Passage(window_->CurrentPassageIndex()).key, secondKey);

        // At the last position, without confirmation: the new last passage is shown.
        prefs_.PrefConfirmDelete = false;
        window_->Last();
        const int last = window_->Position();
        const int before = Model()->PassageAt(last - 1);
        const std::uint32_t beforeKey = store_->Passage(before).MatchKey();
        Action(Id::kDelThis)->trigger();
        QVERIFY(boxes_.shown.isEmpty());
        QCOMPARE(beeps.count(), 1);
        QCOMPARE(window_->Position(), last - 1);
        QCOMPARE(store_->Passage(window_->CurrentPassageIndex()).MatchKey(), beforeKey);
    }

    // The user's own passage from the File menu; No keeps it.
    void deleteOwnPassage() {
        Open();
        Action(Id::kNext)->trigger();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kPhil413);
        QVERIFY(Action(Id::kDeletePassage)->isEnabled());
        const std::uint32_t nextKey = store_->Passage(Sample::kJohn17Niv).MatchKey();
        boxes_.answers = {MsgAnswer::No};
        Action(Id::kDeletePassage)->trigger();
        QCOMPARE(store_->PassageCount(), Sample::kPassages);
        boxes_.answers = {MsgAnswer::Yes};
        Action(Id::kDeletePassage)->trigger();
        boxes_.shown.clear();
        QCOMPARE(store_->PassageCount(), Sample::kPassages - 1);
        QCOMPARE(store_->UserCount(), 1);
        QCOMPARE(store_->Score(), Sample::kScore - 4);
        // The passage after it in the tree takes its place.
        QCOMPARE(window_->Position(), 1);
        QCOMPARE(store_->Passage(window_->CurrentPassageIndex()).MatchKey(), nextKey);
        QCOMPARE(store_->SaveAll(), Status::Ok);
        QVERIFY(UserLine(dir_.path(), QStringLiteral("610040138")).isEmpty());
        QVERIFY(!UserLine(dir_.path(), QStringLiteral("610040198")).isEmpty());
    }

    // EdNx on the last passage beeps, then edits it; Ctrl+S walks on to the next passage.
    void maintainersWalk() {
        Open(1);
        prefs_.PrefConfirmEdit = false;
        QSignalSpy beeps(window_.get(), &CMainDlg::beeped);
        window_->Last();
        const int last = window_->CurrentPassageIndex();
        QString edited;
        OnNextModal([&edited](QDialog* dialog) {
            edited = Box(*dialog, Dlg::kPassageBox)->toPlainText();
            dialog->reject();
        });
        Action(Id::kEdNx)->trigger();
        QCOMPARE(beeps.count(), 1);
        QCOMPARE(edited, FromWin1252(store_->Passage(last).PassageText()));

        window_->First();
        const int first = window_->CurrentPassageIndex();
        const int next = Model()->PassageAt(1);
        const std::uint32_t nextKey = store_->Passage(next).MatchKey();
        int dialogs = 0;
        OnNextModal([&](QDialog* dialog) {
            ++dialogs;
            Box(*dialog, Dlg::kHintBox)->setPlainText(QStringLiteral("God so"));
            dialog->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            // The second dialog, for the next passage, is closed as soon as it opens.
            OnNextModal([&](QDialog* second) {
                ++dialogs;
                edited = Box(*second, Dlg::kPassageBox)->toPlainText();
                second->reject();
            });
            QTest::keyClick(Box(*dialog, Dlg::kContextBox), Qt::Key_S, Qt::ControlModifier);
        });
        Action(Id::kEdThis)->trigger();
        QCOMPARE(dialogs, 2);
        QCOMPARE(store_->Passage(store_->Find(store_->Passage(first).MatchKey())).HintText(),
                 std::string_view("God so"));
        QCOMPARE(store_->Passage(window_->CurrentPassageIndex()).MatchKey(), nextKey);
        QCOMPARE(edited,
                 FromWin1252(store_->Passage(window_->CurrentPassageIndex()).PassageText()));
    }
};

RECITOR_UI_TEST_MAIN(EditTest)
#include "test_edit.moc"
