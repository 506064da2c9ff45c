// The tip of the day read in turn from the tips file across starts, and the About box and the
// launch-time report with the store's counters.

#include "AboutDlg.h"
#include "PassageStore.h"
#include "TipDlg.h"
#include "UiSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

std::string TipOf(CMemorySettings& settings, const QString& dir) {
    CTipDlg tip(settings, dir.toStdString());
    return tip.TipText();
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        settings_ = CMemorySettings();
    }

    void cleanup() { QVERIFY2(boxes_.shown.isEmpty(), qPrintable(boxes_.shown.value(0).caption)); }

    void tipsComeInTurnSkippingCommentsAndWrapping() {
        WriteTips(";a comment\r\nA\r\n  an indented line\r\nB\r\n");
        QCOMPARE(TipOf(settings_, Dir()), std::string("A\n"));
        QCOMPARE(TipOf(settings_, Dir()), std::string("B\n"));
        QCOMPARE(TipOf(settings_, Dir()), std::string("A\n"));
    }

    void everyStartMovesOnEvenWhenNoTipIsShown() {
        WriteTips("one\ntwo\nthree\nfour\nfive\n");
        settings_.numbers[{kSectionTip, "RctStartUp"}] = 1;
        for (int start = 0; start < 3; ++start) {
            CTipDlg tip(settings_, Dir().toStdString());
            QVERIFY(!tip.ShowAtStartup());
        }
        // Then "Tip of the Day" shows the fourth.
        QCOMPARE(TipOf(settings_, Dir()), std::string("four\n"));
    }

    void nextTipReadsOnAndCloseStoresTheStartUpChoice() {
        WriteTips("first\nsecond\n");
        {
            CTipDlg tip(settings_, Dir().toStdString());
            QVERIFY(tip.ShowAtStartup());
            Find<QPushButton>(tip, "1002")->click();
            QCOMPARE(Find<QLabel>(tip, "1004")->text(), QStringLiteral("second\n"));
            Find<QCheckBox>(tip, "1001")->setChecked(false);
            Find<QPushButton>(tip, "1")->click();
        }
        QCOMPARE(settings_.ReadNumber(kSectionTip, "RctStartUp", -1), 1);
        {
            // Leaving with Escape stores nothing for the start-up choice.
            settings_.numbers[{kSectionTip, "RctStartUp"}] = 0;
            CTipDlg tip(settings_, Dir().toStdString());
            tip.show();
            Find<QCheckBox>(tip, "1001")->setChecked(false);
            QTest::keyClick(&tip, Qt::Key_Escape);
        }
        QCOMPARE(settings_.ReadNumber(kSectionTip, "RctStartUp", -1), 0);
    }

    void aReplacedFileStartsAgainAndAStrayPositionWraps() {
        WriteTips("alpha\nbeta\ngamma\n");
        QCOMPARE(TipOf(settings_, Dir()), std::string("alpha\n"));
        // A different creation time: back to the top.
        settings_.texts[{kSectionTip, "RctTimeStamp"}] = "Mon Jan  1 00:00:00 2001";
        QCOMPARE(TipOf(settings_, Dir()), std::string("alpha\n"));
        // A position past the end finds nothing there and starts again.
        settings_.numbers[{kSectionTip, "RctFilePos"}] = 100000;
        QCOMPARE(TipOf(settings_, Dir()), std::string("alpha\n"));
        const QString stamp =
            QString::fromStdString(CTipDlg::CreationTimeText(Dir().toStdString() + "/RctTips.txt"));
        QVERIFY2(QRegularExpression(
                     QStringLiteral(
                         "^[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}$"))
                     .match(stamp)
                     .hasMatch(),
                 qPrintable(stamp));
    }

    void longLinesComeInPiecesOf999() {
        const std::string line(1500, 'x');
        WriteTips(QByteArray::fromStdString(line + "\nshort\n"));
        QCOMPARE(TipOf(settings_, Dir()), std::string(999, 'x'));
        QCOMPARE(TipOf(settings_, Dir()), std::string(501, 'x') + "\n");
        QCOMPARE(TipOf(settings_, Dir()), std::string("short\n"));
    }

    void missingOrTiplessFilesNeverHang() {
        {
            CTipDlg tip(settings_, Dir().toStdString());
            QCOMPARE(tip.TipText(),
                     std::string("Tips file does not exist in the prescribed directory"));
            QVERIFY(!Find<QPushButton>(tip, "1002")->isEnabled());
        }
        QVERIFY(settings_.numbers.empty());
        QVERIFY(settings_.texts.empty());

        WriteTips("; only comments\r\n\r\n\tand indented lines\r\n");
        CTipDlg tip(settings_, Dir().toStdString());
        QCOMPARE(tip.TipText(), std::string("The tips file holds no tips."));
        Find<QPushButton>(tip, "1002")->click();
        QCOMPARE(tip.TipText(), std::string("The tips file holds no tips."));
    }

    void aboutBoxShowsTheStoreCounters() {
        CMemorySettings settings;
        CSystemClock clock;
        CMessageBoxSink sink;
        CPassageStore store(sink, settings, clock);
        store.userCount = 12;
        store.baselineCount = 300;
        store.statsCount = 4;
        store.exportNeeded = 1;
        store.loadSeconds = 0.734;
        store.transFilterName = "All";
        store.transPassageCount = 0;
        store.transVerseCount = 0;
        CAboutDlg about(store);
        QCOMPARE(about.windowTitle(), QStringLiteral("About Recitor"));
        const std::pair<const char*, const char*> expected[] = {
            {"1007", "12"},    {"1008", "300"}, {"1010", "4"}, {"1011", "True"},
            {"1009", "0.734"}, {"1012", "All"}, {"1013", "0"}, {"1014", "0"}};
        for (const auto& [id, value] : expected) {
            QLineEdit* box = Find<QLineEdit>(about, id);
            QCOMPARE(box->text(), QLatin1String(value));
            QVERIFY(!box->isEnabled());
        }
        store.exportNeeded = 0;
        CAboutDlg later(store);
        QCOMPARE(Find<QLineEdit>(later, "1011")->text(), QStringLiteral("False"));
    }

    void launchTimeReport() {
        QCOMPARE(LaunchTimeCaption(0.734), QStringLiteral("Recitor launch time: 0.734 seconds"));
        boxes_.answers.push_back(MsgAnswer::Ok);
        ShowLaunchTimeReport(1.5);
        QCOMPARE(boxes_.shown.size(), 1);
        const ShownBox box = boxes_.shown.takeFirst();
        QCOMPARE(box.caption, QStringLiteral("Recitor launch time: 1.500 seconds"));
        QCOMPARE(box.icon, MsgIcon::None);
        QCOMPARE(box.buttons, MsgButtons::Ok);
        const QStringList lines = box.text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 28);
        QCOMPARE(lines.first(),
                 QStringLiteral("Recitor can be slow to 'launch' (get started) because of:"));
        QVERIFY(lines[15].startsWith(QStringLiteral("   http://")));
        QVERIFY(lines[15].endsWith(QStringLiteral("/group/Recitor/files/Translations")));
        QCOMPARE(lines.last(), QStringLiteral("Feedback invited and appreciated on this issue!"));
    }

private:
    QString Dir() const { return dir_->path(); }
    void WriteTips(const QByteArray& bytes) { WriteFile(dir_->filePath("RctTips.txt"), bytes); }
    template <typename T> static T* Find(QWidget& parent, const char* id) {
        T* widget = parent.findChild<T*>(QLatin1String(id));
        if (!widget)
            qFatal("no control %s", id);
        return widget;
    }

    std::unique_ptr<QTemporaryDir> dir_;
    CScriptedMessageBoxes boxes_;
    CMemorySettings settings_;
};

RECITOR_UI_TEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
