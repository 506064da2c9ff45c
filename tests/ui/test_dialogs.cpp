// The tip of the day read in turn from the tips file across starts, and the About box and the
// launch-time report with the store's counters.

#include "AboutDlg.h"
#include "PassageStore.h"
#include "TipDlg.h"
#include "UiSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>
#include <set>
#include <string>

namespace {

std::string TipOf(CMemorySettings& settings, const QString& dir) {
    CTipDlg tip(settings, dir.toStdString());
    return tip.TipText();
}

// The widest values the About box has to show: the largest collection the files allow, a load
// time of minutes (measured in milliseconds) and a wide translation name.
const CAboutDlg::Values kWidestValues{.userCount = 15000,
                                      .baselineCount = 15000,
                                      .statsCount = 30000,
                                      .exportDue = false, // "False"
                                      .loadSeconds = 123.456,
                                      .transName = "MKJV",
                                      .transPassages = 30000,
                                      .transVerses = 99999};

// The room a line edit has for its text: the contents rectangle its style gives, less the text
// margins and the two pixels that QLineEdit keeps clear on either side.
int TextRoom(const QLineEdit& box) {
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.rect = box.rect();
    option.lineWidth =
        box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box) : 0;
    const QRect contents = box.style()->subElementRect(QStyle::SE_LineEditContents, &option, &box);
    const QMargins margins = box.textMargins();
    return contents.width() - margins.left() - margins.right() - 2 * 2;
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

    // The tips that ship with the program: each comes whole, with its line end, and each once
    // before the first comes again.
    // The dialogs carry their own pictures, so any program that links them can draw them.
    void tipPictureTravelsWithTheDialogs() {
        QVERIFY(!QPixmap(QStringLiteral(":/bitmaps/tipbulb.png")).isNull());
    }

    void shippedTipsComeWhole() {
        const QString shipped = QFINDTESTDATA("../../res/RctTips.txt");
        QVERIFY(!shipped.isEmpty());
        const QByteArray bytes = ReadFile(shipped);
        QVERIFY(bytes.startsWith("; Tips for Recitor"));
        QVERIFY(!bytes.contains("\r\r") && bytes.count('\n') == bytes.count("\r\n"));
        WriteTips(bytes);
        int tips = 0;
        for (const QByteArray& line : bytes.split('\n'))
            if (!line.isEmpty() && !QByteArrayView(" \t\r;").contains(line.front()))
                ++tips;
        QVERIFY(tips > 30);
        std::set<std::string> seen;
        const std::string first = TipOf(settings_, Dir());
        std::string tip = first;
        do {
            QVERIFY2(tip.ends_with('\n') && tip.size() <= CTipDlg::kMaxTipLength, tip.c_str());
            QVERIFY2(seen.insert(tip).second, tip.c_str());
            tip = TipOf(settings_, Dir());
        } while (tip != first);
        QCOMPARE(static_cast<int>(seen.size()), tips);
    }

    void aboutBoxShowsTheStoreCounters() {
        CAboutDlg::Values values{.userCount = 12,
                                 .baselineCount = 300,
                                 .statsCount = 4,
                                 .exportDue = true,
                                 .loadSeconds = 0.734,
                                 .transName = "All",
                                 .transPassages = 0,
                                 .transVerses = 0};
        CAboutDlg about(values);
        QCOMPARE(about.windowTitle(), QStringLiteral("About Recitor"));
        const std::pair<const char*, const char*> expected[] = {
            {"1007", "12"},    {"1008", "300"}, {"1010", "4"}, {"1011", "True"},
            {"1009", "0.734"}, {"1012", "All"}, {"1013", "0"}, {"1014", "0"}};
        for (const auto& [id, value] : expected) {
            QLineEdit* box = Find<QLineEdit>(about, id);
            QCOMPARE(box->text(), QLatin1String(value));
            // Read-only, but enabled, so drawn in the normal text colour rather than greyed.
            QVERIFY(box->isReadOnly());
            QVERIFY(box->isEnabled());
        }
        values.exportDue = false;
        CAboutDlg later(values);
        QCOMPARE(Find<QLineEdit>(later, "1011")->text(), QStringLiteral("False"));
    }

    // Run once at the scale the test runs at, and by aboutBoxFitsAtEveryScale at 1.5 and 2.
    void aboutBoxFitsItsTexts() {
        CAboutDlg about(kWidestValues);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const qreal scale = about.devicePixelRatioF();
        if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
            QCOMPARE(scale, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());

        // Nothing reaches past the dialog's edges.
        for (QWidget* child : about.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(about.rect().contains(child->geometry()),
                     qPrintable(child->objectName() + child->property("text").toString()));
        int labels = 0;
        for (QLabel* label : about.findChildren<QLabel*>()) {
            if (label->text().isEmpty())
                continue; // the icon
            ++labels;
            const QFontMetrics metrics = label->fontMetrics();
            QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->contentsRect().width(),
                     qPrintable(label->text()));
            QVERIFY2(metrics.height() <= label->contentsRect().height(), qPrintable(label->text()));
        }
        QCOMPARE(labels, 10);
        auto* ok = Find<QPushButton>(about, "1");
        QVERIFY(ok->fontMetrics().horizontalAdvance(ok->text()) < ok->width());
        // The button keeps the boxes' margin on the right instead of touching the border.
        QCOMPARE(ok->geometry().right(), Find<QLineEdit>(about, "1007")->geometry().right());
        QVERIFY(ok->geometry().right() < about.width() - 4);

        // The rows from top to bottom, each label beside its box and clear of it, one pitch
        // apart, and that pitch a whole number of device pixels so that no row is drawn a pixel
        // off at a fractional scale.
        const char* const rowIds[] = {"1007", "1008", "1010", "1011",
                                      "1009", "1012", "1013", "1014"};
        QList<int> tops;
        for (const char* id : rowIds) {
            QLineEdit* box = Find<QLineEdit>(about, id);
            QVERIFY(box->isReadOnly());
            QVERIFY(box->isEnabled());
            QCOMPARE(box->palette().color(QPalette::Active, QPalette::Text),
                     about.palette().color(QPalette::Active, QPalette::Text));
            QVERIFY2(box->fontMetrics().horizontalAdvance(box->text()) <= TextRoom(*box),
                     qPrintable(box->text()));
            QLabel* label = nullptr;
            for (QLabel* candidate : about.findChildren<QLabel*>())
                if (candidate->buddy() == box)
                    label = candidate;
            QVERIFY2(label, id);
            QVERIFY(label->geometry().right() < box->geometry().left());
            QCOMPARE(label->geometry().center().y(), box->geometry().center().y());
            tops << box->y();
        }
        const int pitch = tops[1] - tops[0];
        QVERIFY(pitch >= Find<QLineEdit>(about, "1007")->height());
        for (int i = 1; i < tops.size(); ++i)
            QCOMPARE(tops[i] - tops[i - 1], pitch);
        QCOMPARE(pitch * scale, std::round(pitch * scale));
    }

    void aboutBoxFitsAtEveryScale() {
        // The scale is fixed when the application starts, so each one gets a run of its own.
        for (const char* factor : {"1.5", "2"}) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QLatin1String(factor));
            QProcess run;
            run.setProcessEnvironment(environment);
            run.setProcessChannelMode(QProcess::MergedChannels);
            run.start(QCoreApplication::applicationFilePath(), {"aboutBoxFitsItsTexts"});
            QVERIFY(run.waitForFinished(60000));
            const QByteArray output = run.readAll();
            QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0,
                     qPrintable(QLatin1String(factor) + QLatin1Char('\n') + output));
        }
    }

    void aboutBoxShowsTheStartOfALongLoadTime() {
        CAboutDlg::Values values;
        values.loadSeconds = 1234.56789012345;
        CAboutDlg about(values);
        QLineEdit* box = Find<QLineEdit>(about, "1009");
        // All fifteen digits are there to select and copy, and at hand as the tip; the box shows
        // the leading ones.
        QCOMPARE(box->text(), QStringLiteral("1234.56789012345"));
        QCOMPARE(box->toolTip(), box->text());
        QCOMPARE(box->cursorPosition(), 0);
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
