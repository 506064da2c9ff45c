// SPDX-License-Identifier: GPL-2.0-or-later
// The tip dialog over a tip sequence, and the About box and the launch-time report with the
// store's counters.

#include "AboutDlg.h"
#include "PassageStore.h"
#include "TipDlg.h"
#include "TipSequence.h"
#include "UiSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>
#include <string>

namespace {

constexpr const char* kStamp = "Wed Jun 30 21:49:08 1993";

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

    void tipDialogShowsTheTipAndReadsOn() {
        // The dialog shows the tip's Windows-1252 characters, not its bytes.
        WriteTips("first \x93tip\x94\nsecond\n");
        CTipSequence tips(settings_, kStamp, Dir().toStdString());
        QVERIFY(tips.Next() == CTipSequence::Read::Ok);
        settings_.writes.clear();
        CTipDlg tip(tips);
        QCOMPARE(tip.windowTitle(), QStringLiteral("Tip of the Day"));
        QCOMPARE(tip.minimumSize(), tip.maximumSize());
        QLabel* label = Find<QLabel>(tip, "1004");
        QCOMPARE(label->text(), QStringLiteral("first \u201ctip\u201d\n"));
        QVERIFY(Find<QCheckBox>(tip, "1001")->isChecked());
        QVERIFY(tip.ShowAtStartup());
        QPushButton* next = Find<QPushButton>(tip, "1002");
        QVERIFY(next->isEnabled());
        next->click();
        QCOMPARE(label->text(), QStringLiteral("second\n"));
        next->click();
        QCOMPARE(label->text(), QStringLiteral("first \u201ctip\u201d\n"));
        QCOMPARE(tips.Text(), std::string("first \x93tip\x94\n"));
        // The owner stores what the dialog gives; the dialog itself writes nothing.
        QVERIFY(settings_.writes.empty());
    }

    void tipDialogGivesTheStartUpChoice() {
        WriteTips("first\n");
        settings_.numbers[{kSectionTip, "RctStartUp"}] = 1;
        CTipSequence tips(settings_, kStamp, Dir().toStdString());
        {
            CTipDlg tip(tips);
            QVERIFY(!tip.ShowAtStartup());
            Find<QCheckBox>(tip, "1001")->setChecked(true);
            tip.show();
            Find<QPushButton>(tip, "1")->click();
            QCOMPARE(tip.result(), int(QDialog::Accepted));
            QVERIFY(tip.ShowAtStartup());
        }
        {
            // Enter closes as Close does.
            CTipDlg tip(tips);
            tip.show();
            QVERIFY(QTest::qWaitForWindowActive(&tip));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(tip.result(), int(QDialog::Accepted));
        }
        {
            // Escape leaves without confirming anything.
            CTipDlg tip(tips);
            tip.show();
            Find<QCheckBox>(tip, "1001")->setChecked(true);
            QTest::keyClick(&tip, Qt::Key_Escape);
            QCOMPARE(tip.result(), int(QDialog::Rejected));
        }
    }

    void tipDialogWithoutAFile() {
        CTipSequence tips(settings_, kStamp, Dir().toStdString());
        CTipDlg tip(tips);
        QCOMPARE(Find<QLabel>(tip, "1004")->text(),
                 QStringLiteral("Tips file does not exist in the prescribed directory"));
        QVERIFY(!Find<QPushButton>(tip, "1002")->isEnabled());
    }

    // The dialogs carry their own pictures, so any program that links them can draw them.
    void tipPictureTravelsWithTheDialogs() {
        QVERIFY(!QPixmap(QStringLiteral(":/bitmaps/tipbulb.png")).isNull());
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
