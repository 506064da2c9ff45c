// SPDX-License-Identifier: GPL-2.0-or-later
// The review in the main window: the status line under the text box with what is due today, its
// count after a classification, which the history records, the dot beside a due passage, a
// typed check recorded as the passage's review, and the review session's keys.

#include "RecitationDlg.h"
#include "RefTables.h"
#include "ReviewHistory.h"
#include "ReviewSchedule.h"
#include "ReviewSessionDlg.h"
#include "Win1252.h"
#include "WindowTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

class ReviewTest : public CWindowTest {
    Q_OBJECT

    QString StatusLine() const { return Find<QLabel>(Id::kReviewStatus)->text(); }
    bool Marked(int passageIndex) const {
        return !Model()->IndexOfPassage(passageIndex).data(Qt::DecorationRole).isNull();
    }

private slots:
    void init() {
        Sample::WriteFiles(dir_.path());
        Open();
    }
    void cleanup() { CloseAll(); }

    void statusLineAndMarksFollowTheClassification() {
        QCOMPARE(StatusLine(), QStringLiteral("Review history unavailable"));
        CReviewHistory history(sink_, dir_.path().toStdString());
        QVERIFY(history.Available());
        CReviewSchedule schedule(history, clock_);
        window_->SetReview(history, schedule, clock_);

        // The four active passages are due, never reviewed; the first in the tree is John 3:16.
        const QString middleDot = QString(QChar(0xB7));
        QCOMPARE(StatusLine(),
                 QStringLiteral("4 due today %1 0 done %1 next: John 3:16 NIV").arg(middleDot));
        QVERIFY(Marked(Sample::kJohn16Niv));
        QVERIFY(Marked(Sample::kRomans828));
        QVERIFY(!Marked(Sample::kJohn16Kjv));

        // John 3:16 KJV made active is due too, and the change is in the history.
        Tree()->setCurrentIndex(Model()->IndexOfPassage(Sample::kJohn16Kjv));
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn16Kjv);
        Radio(Id::kFirstFrequencyRadio)->click();
        QCOMPARE(StatusLine(),
                 QStringLiteral("5 due today %1 0 done %1 next: John 3:16 KJV").arg(middleDot));
        QVERIFY(Marked(Sample::kJohn16Kjv));
        const std::vector<StateChange> changes = history.Changes();
        QCOMPARE(changes.size(), std::size_t{1});
        QCOMPARE(changes[0].what, ChangeWhat::Frequency);
        QCOMPARE(changes[0].oldValue, kFreqInactive);
        QCOMPARE(changes[0].newValue, 0);
        QCOMPARE(changes[0].matchKey, store_->Passage(Sample::kJohn16Kjv).MatchKey());

        // A review recorded today counts as done and takes the passage off the list.
        QVERIFY(history.Record({.when = clock_.NowSeconds(),
                                .matchKey = store_->Passage(Sample::kJohn16Kjv).MatchKey(),
                                .result = ReviewResult::Recalled}));
        window_->RefreshReview();
        QCOMPARE(StatusLine(),
                 QStringLiteral("4 due today %1 1 done %1 next: John 3:16 NIV").arg(middleDot));
        QVERIFY(!Marked(Sample::kJohn16Kjv));
        window_.reset();
    }

    // The first check of an opening of Check Recitation is the review; a second is practice.
    void aTypedCheckIsRecordedOnceAsTheReview() {
        CReviewHistory history(sink_, dir_.path().toStdString());
        CReviewSchedule schedule(history, clock_);
        window_->SetReview(history, schedule, clock_);
        const int shown = window_->CurrentPassageIndex();
        const CPassage& passage = store_->Passage(shown);
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<CRecitationDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* typed =
                dialog->findChild<QPlainTextEdit*>(QString::number(CRecitationDlg::kTypedBoxId));
            typed->setPlainText(FromWin1252Lines(passage.PassageText()));
            dialog->Check();
            dialog->Check();
            dialog->reject();
        });
        Action(Id::kCheckRecitation)->trigger();
        const std::vector<ReviewEvent> reviews = history.RecentReviews(passage.MatchKey(), 5);
        QCOMPARE(reviews.size(), std::size_t{1});
        QCOMPARE(reviews[0].kind, ReviewKind::TypedCheck);
        QCOMPARE(reviews[0].result, ReviewResult::Recalled);
        QCOMPARE(reviews[0].percent, 100);
        QVERIFY(StatusLine().contains(QStringLiteral(" 1 done ")));
        window_.reset();
    }

    // The session: a reveal and the answers by their keys, the reference question with nothing on
    // screen naming the passage, and Escape, which keeps every answer given.
    void aSessionRecordsTheAnswersGivenByKey() {
        for (const char* end : {"", "-wal", "-shm"}) // the history of the tests before
            QFile::remove(dir_.filePath(QStringLiteral("RctHistory.sqlite") + QLatin1String(end)));
        CReviewHistory history(sink_, dir_.path().toStdString());
        CReviewSchedule schedule(history, clock_);
        window_->SetReview(history, schedule, clock_);
        QCOMPARE(Action(Id::kReviewDue)->text(), QStringLiteral("Review Due Passages (4)"));
        QCOMPARE(Action(Id::kReviewDue)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
        const CPassage& john17 = store_->Passage(Sample::kJohn17Niv);
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<CReviewSessionDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* text =
                dialog->findChild<QTextEdit*>(QString::number(CReviewSessionDlg::kTextBoxId));
            QCOMPARE(dialog->Shown(), Sample::kJohn16Niv);
            QVERIFY(text->toPlainText().isEmpty());
            QTest::keyClick(dialog, Qt::Key_3, Qt::ControlModifier);
            QCOMPARE(text->toPlainText(),
                     FromWin1252Lines(store_->Passage(Sample::kJohn16Niv).PassageText()));
            QTest::keyClick(dialog, Qt::Key_3); // Recalled
            QCOMPARE(dialog->Shown(), Sample::kPhil413);
            QVERIFY(text->toPlainText().isEmpty());
            QTest::keyClick(dialog, Qt::Key_1); // Not yet
            QCOMPARE(dialog->Shown(), Sample::kJohn17Niv);

            dialog->findChild<QCheckBox*>(QString::number(CReviewSessionDlg::kRecallReferenceId))
                ->click();
            QCOMPARE(text->toPlainText(), FromWin1252Lines(john17.PassageText()));
            const auto named = [&] {
                QStringList texts{dialog->windowTitle()};
                for (const QLabel* label : dialog->findChildren<QLabel*>())
                    if (label->isVisible())
                        texts.append(label->text());
                return texts.join(QLatin1Char('|')).contains(QStringLiteral("3:17"));
            };
            QVERIFY(!named());
            QVERIFY(!window_->windowTitle().contains(QStringLiteral("John")));
            auto* box =
                dialog->findChild<QLineEdit*>(QString::number(CReviewSessionDlg::kReferenceBoxId));
            QTest::keyClicks(box, QStringLiteral("jn 3:17"));
            QCOMPARE(dialog->Shown(), Sample::kJohn17Niv); // the digits were typed, not answers
            QTest::keyClick(box, Qt::Key_Return);
            QVERIFY(named());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        Action(Id::kReviewDue)->trigger();
        QVERIFY(window_->windowTitle().contains(QStringLiteral("John 3:16")));

        const auto last = [&](int index) {
            const auto reviews = history.RecentReviews(store_->Passage(index).MatchKey(), 5);
            return reviews.size() == 1 ? reviews[0] : ReviewEvent{.percent = -2};
        };
        QCOMPARE(last(Sample::kJohn16Niv).result, ReviewResult::Recalled);
        QCOMPARE(last(Sample::kPhil413).result, ReviewResult::NotYet);
        QCOMPARE(last(Sample::kJohn17Niv).kind, ReviewKind::ReferenceRecall);
        QCOMPARE(last(Sample::kJohn17Niv).result, ReviewResult::Recalled);
        QVERIFY(history.RecentReviews(store_->Passage(Sample::kRomans828).MatchKey(), 1).empty());
        QVERIFY(StatusLine().startsWith(QStringLiteral("1 due today %1 3 done").arg(QChar(0xB7))));
        QCOMPARE(Action(Id::kReviewDue)->text(), QStringLiteral("Review Due Passages (1)"));
        window_.reset();
    }
};

RECITOR_UI_TEST_MAIN(ReviewTest)
#include "test_review.moc"
