// SPDX-License-Identifier: GPL-2.0-or-later
// The Parallel Passages window: its caption, boxes and fonts, the ways it closes, and the command
// that shows it, which in the maintainers' mode walks on through the passages with "&Next", one
// window at a time.

#include "ParallelDlg.h"
#include "ParallelPassages.h"
#include "WindowTest.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <deque>

namespace {

enum class Step { Next, Enter, Escape };

// Answers each parallel window as it comes up with the next step, after noting its title and how
// many parallel windows exist at that moment. With the steps used up it closes the window.
class CParallelScript : public QObject {
public:
    explicit CParallelScript(std::deque<Step> steps) : steps_(std::move(steps)) {
        connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        timer_.start(5);
    }
    QStringList titles;
    QList<int> alive;

private:
    void Poll() {
        auto* dialog = qobject_cast<CParallelDlg*>(QApplication::activeModalWidget());
        if (!dialog || dialog->property("answered").toBool())
            return;
        dialog->setProperty("answered", true);
        titles << dialog->windowTitle();
        int count = 0;
        for (QWidget* widget : QApplication::allWidgets())
            if (qobject_cast<CParallelDlg*>(widget))
                ++count;
        alive << count;
        const Step step = steps_.empty() ? Step::Escape : steps_.front();
        if (!steps_.empty())
            steps_.pop_front();
        switch (step) {
        case Step::Next:
            dialog->findChild<QPushButton*>(QStringLiteral("32780"))->click();
            break;
        case Step::Enter:
            QTest::keyClick(dialog->findChild<QPlainTextEdit*>(QStringLiteral("1029")),
                            Qt::Key_Return);
            break;
        case Step::Escape:
            QTest::keyClick(dialog, Qt::Key_Escape);
            break;
        }
    }
    std::deque<Step> steps_;
    QTimer timer_;
};

} // namespace

class ParallelTest : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { Sample::WriteFiles(dir_.path()); }
    void cleanup() { CloseAll(); }

    void theWindowShowsThePassageAboveItsTranslations() {
        Open();
        CParallelDlg dialog(CParallelPassages(*store_, Sample::kJohn16Niv));
        const CPassage& john = store_->Passage(Sample::kJohn16Niv);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("John 3:16  <Topic: %1>  NIV")
                                           .arg(QString::fromLatin1(john.PrimaryTopicName())));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        auto* top = dialog.findChild<QPlainTextEdit*>(QStringLiteral("1028"));
        auto* parallels = dialog.findChild<QPlainTextEdit*>(QStringLiteral("1029"));
        QVERIFY(top && parallels);
        QCOMPARE(top->toPlainText(), QString::fromLatin1(Sample::kJohnPassage));
        QVERIFY(top->isReadOnly());
        QCOMPARE(parallels->toPlainText(), QStringLiteral("KJV 16 For God so loved the world"));
        QVERIFY(!parallels->isReadOnly());
        QCOMPARE(top->font().pointSizeF(), 10.0);
        QCOMPARE(parallels->font().pointSizeF(), 10.0);
        auto* next = dialog.findChild<QPushButton*>(QStringLiteral("32780"));
        QCOMPARE(next->text(), QStringLiteral("&Next"));
        QVERIFY(!next->autoDefault());

        // A passage without other translations shows an empty box.
        CParallelDlg alone(CParallelPassages(*store_, Sample::kRomans828));
        QCOMPARE(alone.findChild<QPlainTextEdit*>(QStringLiteral("1029"))->toPlainText(),
                 QString());
    }

    void enterAndEscapeCloseAndNextAsksForMore() {
        Open();
        for (const Step step : {Step::Enter, Step::Next, Step::Escape}) {
            CParallelScript script({step});
            CParallelDlg dialog(CParallelPassages(*store_, Sample::kJohn16Niv), window_.get());
            const int result = dialog.exec();
            QCOMPARE(dialog.NextRequested(), step == Step::Next);
            QCOMPARE(result,
                     step == Step::Escape ? int(QDialog::Rejected) : int(QDialog::Accepted));
        }
    }

    void nextOutsideTheMaintainersModeJustCloses() {
        Open();
        window_->SetPosition(Model()->PositionOf(Sample::kJohn16Niv));
        window_->SelectCurrent();
        const int position = window_->Position();
        QVERIFY(Action(Id::kParallelPassages)->isEnabled());
        CParallelScript script({Step::Next});
        Action(Id::kParallelPassages)->trigger();
        QCOMPARE(script.titles.size(), 1);
        QCOMPARE(window_->Position(), position);
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn16Niv);
    }

    void nextInTheMaintainersModeWalksOnOneWindowAtATime() {
        Open(1);
        window_->SetPosition(0);
        window_->SelectCurrent();
        QStringList expected;
        for (int position = 0; position < 3; ++position) {
            const CPassage& passage = store_->Passage(Model()->PassageAt(position));
            expected << QString::fromLatin1(
                CParallelPassages(*store_, Model()->PassageAt(position)).Caption().c_str());
            Q_UNUSED(passage);
        }
        CParallelScript script({Step::Next, Step::Next, Step::Enter});
        Action(Id::kParallelPassages)->trigger();
        QCOMPARE(script.titles, expected);
        QCOMPARE(script.alive, QList<int>({1, 1, 1}));
        QCOMPARE(window_->Position(), 2);
    }

    void nextOnTheLastPassageBeepsAndShowsItAgain() {
        Open(1);
        window_->Last();
        const int last = window_->Position();
        QSignalSpy beeps(window_.get(), &CMainDlg::beeped);
        CParallelScript script({Step::Next, Step::Escape});
        Action(Id::kParallelPassages)->trigger();
        QCOMPARE(script.titles.size(), 2);
        QCOMPARE(script.titles[0], script.titles[1]);
        QCOMPARE(beeps.size(), 1);
        QCOMPARE(window_->Position(), last);
    }
};

RECITOR_UI_TEST_MAIN(ParallelTest)
#include "test_parallel.moc"
