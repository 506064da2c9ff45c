// SPDX-License-Identifier: GPL-2.0-or-later
// The topic dialog in its two uses (filter and choice), the list of passages with one topic, and
// the two main-window commands that open them, over the sample collection.

#include "CommandIds.h"
#include "MainDlg.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "TopicChoiceDlg.h"
#include "TopicList.h"
#include "TopicListDlg.h"
#include "UiSupport.h"
#include "Win1252.h"
#include "WindowTest.h"

#include <QAction>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// What the list showed when it was closed by a timer.
struct SeenList {
    int shown = 0;
    QString caption;
    QString text;
};

// Closes the next topic list to open, noting what it showed.
void CloseNextList(SeenList& seen) {
    OnNextModal([&seen](QDialog* dialog) {
        QVERIFY(qobject_cast<CTopicListDlg*>(dialog));
        ++seen.shown;
        seen.caption = dialog->windowTitle();
        seen.text = dialog->findChild<QPlainTextEdit*>(QStringLiteral("2060"))->toPlainText();
        dialog->reject();
    });
}

// The fixed texts of the dialog as a filter, with three of its topic labels as written.
constexpr FixedText kTopicFilterTexts[] = {
    {kTheWindow, "windowTitle",
     "Topic Filter (will show all passages matching selected topic category,  from current Bible "
     "translation)"},
    {2018, "text", "Love (inc Self-denial [see Mercy, Virtues])"},
    {2046, "text", "Wrath (inc Curses, God's Anger]"},
    {2057, "text", "User #2"}};

} // namespace

class TopicsTest : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Sample::WriteFiles(dir_.path());
    }

    void init() {
        NewStore();
        QCOMPARE(store_->Load(), Status::Ok);
        prefs_.TransFilter = kTransAll;
    }

    void cleanup() { CloseAll(); }

    void buttonsAndLayout() {
        CTopicChoiceDlg dialog(CTopicChoiceDlg::Mode::Filter, 1, *store_, kTransAll);
        QCOMPARE(TextsNotShown(dialog, kTopicFilterTexts), QString());
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        const auto* frame = dialog.findChild<QGroupBox*>();
        QCOMPARE(frame->title(), QStringLiteral("Additional Topics (ver 3.6a and later)"));
        QList<QRect> placed;
        for (int topic = 1; topic <= 57; ++topic) {
            const QRadioButton* radio = Radio(dialog, 2000 + topic);
            QCOMPARE(radio->text(), CTopicChoiceDlg::ButtonLabel(topic));
            QCOMPARE(radio->isEnabled(), topic < 56);
            const QRect area = radio->geometry();
            QVERIFY2(dialog.rect().contains(area), qPrintable(radio->text()));
            // Every label gets the height its wrapped lines need, and the framed topics are
            // exactly the additional ones.
            QVERIFY(area.height() >= radio->fontMetrics().height());
            QCOMPARE(frame->geometry().contains(area), topic >= 47);
            for (const QRect& other : placed)
                QVERIFY2(!other.intersects(area), qPrintable(radio->text()));
            placed << area;
        }
        QVERIFY(CTopicChoiceDlg::ButtonLabel(0).isEmpty());
        QVERIFY(CTopicChoiceDlg::ButtonLabel(58).isEmpty());

        const auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("2"));
        QVERIFY(cancel->isDefault());
        QVERIFY(cancel->text().isEmpty());
        QVERIFY(cancel->width() < 20 && cancel->geometry().right() > dialog.width() - 10);
    }

    void openingSelection_data() {
        QTest::addColumn<int>("topic");
        QTest::addColumn<int>("index");
        QTest::newRow("n/a selects nothing") << 0 << -1;
        QTest::newRow("first") << 1 << 0;
        QTest::newRow("Love") << 18 << 17;
        QTest::newRow("last") << 57 << 56;
        QTest::newRow("out of range") << 58 << -1;
        QTest::newRow("negative") << -4 << -1;
    }

    void openingSelection() {
        QFETCH(int, topic);
        QFETCH(int, index);
        CTopicChoiceDlg dialog(CTopicChoiceDlg::Mode::Choice, topic, *store_, kTransAll);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Topic Choice"));
        QCOMPARE(dialog.SelectedIndex(), index);
        QCOMPARE(dialog.Topic(), topic);
        int checked = 0;
        for (const QRadioButton* radio : dialog.findChildren<QRadioButton*>())
            checked += radio->isChecked() ? 1 : 0;
        QCOMPARE(checked, index < 0 ? 0 : 1);
    }

    void choiceTakesTheClickedTopic() {
        CTopicChoiceDlg dialog(CTopicChoiceDlg::Mode::Choice, 0, *store_, kTransAll);
        // A click far out on the wrapped label counts as a click on the button.
        OnNextModal([](QDialog* shown) {
            QRadioButton* radio = Radio(*shown, 2018);
            QTest::mouseClick(radio, Qt::LeftButton, {},
                              QPoint(radio->width() - 4, radio->height() - 2));
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.Topic(), 18);

        // The button that is already selected chooses its topic too.
        CTopicChoiceDlg again(CTopicChoiceDlg::Mode::Choice, dialog.Topic(), *store_, kTransAll);
        QCOMPARE(again.SelectedIndex(), 17);
        OnNextModal([](QDialog* shown) { Radio(*shown, 2018)->click(); });
        QCOMPARE(again.exec(), int(QDialog::Accepted));
        QCOMPARE(again.Topic(), 18);
    }

    void choiceCancelledByEnterOrEscape_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }

    void choiceCancelledByEnterOrEscape() {
        QFETCH(int, key);
        CTopicChoiceDlg dialog(CTopicChoiceDlg::Mode::Choice, 0, *store_, kTransAll);
        OnNextModal([key](QDialog* shown) {
            QWidget* target = shown->focusWidget() ? shown->focusWidget() : shown;
            QTest::keyClick(target, Qt::Key(key));
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.Topic(), 0);
    }

    void filterListsEachClickAndStaysOpen() {
        CTopicChoiceDlg dialog(CTopicChoiceDlg::Mode::Filter, 1, *store_, kTransAll);
        dialog.show();
        SeenList seen;
        CloseNextList(seen);
        Radio(dialog, 2009)->click();
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.caption, QStringLiteral("Topic: Faith  Translation: All  Count: 2"));
        QCOMPARE(dialog.Topic(), 9);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.SelectedIndex(), 8);

        // The same button again lists the same topic again.
        CloseNextList(seen);
        Radio(dialog, 2009)->click();
        QCOMPARE(seen.shown, 2);
        QVERIFY(dialog.isVisible());
        CloseNextList(seen);
        Radio(dialog, 2040)->click();
        QCOMPARE(seen.caption, QStringLiteral("Topic: Temptation  Translation: All  Count: 0"));
        QCOMPARE(seen.text, QString());
        QCOMPARE(dialog.Topic(), 40);
        QCOMPARE(dialog.SelectedIndex(), 39);
        dialog.reject();
        QCOMPARE(dialog.Topic(), 40);

        // The list keeps to the filter's translation.
        CTopicChoiceDlg niv(CTopicChoiceDlg::Mode::Filter, 1, *store_, Sample::kNiv);
        niv.show();
        CloseNextList(seen);
        Radio(niv, 2009)->click();
        QCOMPARE(seen.caption, QStringLiteral("Topic: Faith  Translation: NIV  Count: 1"));
        QVERIFY(seen.text.startsWith(QStringLiteral("John 3:16 <<Topic(s)")));
        niv.reject();
    }

    void listDialog() {
        CTopicListDlg dialog(CTopicList(*store_, 9, Sample::kNiv));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Topic: Faith  Translation: NIV  Count: 1"));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        auto* box = dialog.findChild<QPlainTextEdit*>(QStringLiteral("2060"));
        QCOMPARE(box->toPlainText(),
                 QStringLiteral("John 3:16 <<Topic(s) [Primary: Assurance] [Secondary: Faith]>>\n"
                                "For God so loved the world\n\n"));
        QCOMPARE(box->font().pointSizeF(), 10.0);
        QVERIFY(!box->isReadOnly());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), box);
        QVERIFY(!box->textCursor().hasSelection());
        QCOMPARE(box->textCursor().position(), 0);
        // Enter closes the list rather than breaking a line.
        QTest::keyClick(box, Qt::Key_X);
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
    }

    void topicFilterCommand() {
        prefs_.topicNumber = 18; // as the settings gave it at start-up
        OpenWindow();
        QVERIFY(window_->Action(Id::kTopicFilter)->isEnabled());
        QString caption;
        int selected = -2;
        OnNextModal([&](QDialog* dialog) {
            auto* filter = qobject_cast<CTopicChoiceDlg*>(dialog);
            QVERIFY(filter);
            caption = filter->windowTitle();
            selected = filter->SelectedIndex();
            dialog->reject();
        });
        const QString title = window_->windowTitle();
        window_->Action(Id::kTopicFilter)->trigger();
        QVERIFY(caption.startsWith(QStringLiteral("Topic Filter (")));
        QCOMPARE(selected, 17);
        QCOMPARE(window_->Topic(), 18);
        QCOMPARE(window_->windowTitle(), title);

        // The lists keep to the window's translation, and the topic listed last is kept.
        prefs_.TransFilter = Sample::kNiv;
        SeenList seen;
        OnNextModal([&seen](QDialog* dialog) {
            CloseNextList(seen);
            Radio(*dialog, 2009)->click();
            dialog->reject();
        });
        window_->Action(Id::kTopicFilter)->trigger();
        QCOMPARE(seen.shown, 1);
        QCOMPARE(seen.caption, QStringLiteral("Topic: Faith  Translation: NIV  Count: 1"));
        QCOMPARE(window_->Topic(), 9);
    }

    void sameTopicCommand() {
        prefs_.topicNumber = 40;
        OpenWindow();
        QVERIFY(window_->Action(Id::kSameTopic)->isEnabled());
        // John 3:16 NIV is shown: its primary topic is Assurance.
        SeenList seen;
        CloseNextList(seen);
        window_->Action(Id::kSameTopic)->trigger();
        QCOMPARE(seen.shown, 1);
        QCOMPARE(window_->Topic(), 1);
        QCOMPARE(seen.caption, QStringLiteral("Topic: Assurance  Translation: All  Count: 17"));

        // Philippians 4:13: Forgiveness, also carried by Romans 8:28 in the other translation.
        window_->Action(Id::kNext)->trigger();
        CloseNextList(seen);
        window_->Action(Id::kSameTopic)->trigger();
        QCOMPARE(window_->Topic(), 10);
        QCOMPARE(seen.caption, QStringLiteral("Topic: Forgiveness  Translation: All  Count: 3"));
        QVERIFY(seen.text.startsWith(QStringLiteral("Romans 8:28-29 <<Topic(s)")));

        // The topic picked here is the one the filter selects when it opens next.
        int selected = -2;
        OnNextModal([&selected](QDialog* dialog) {
            selected = qobject_cast<CTopicChoiceDlg*>(dialog)->SelectedIndex();
            dialog->reject();
        });
        window_->Action(Id::kTopicFilter)->trigger();
        QCOMPARE(selected, 9);
        QCOMPARE(window_->Topic(), 10);
    }

private:
    static QRadioButton* Radio(const QWidget& dialog, int id) {
        auto* radio = dialog.findChild<QRadioButton*>(QString::number(id));
        if (!radio)
            qFatal("no button %d", id);
        return radio;
    }

    void OpenWindow() { window_ = std::make_unique<CMainDlg>(*store_, prefs_); }
};

RECITOR_UI_TEST_MAIN(TopicsTest)
#include "test_topics.moc"
