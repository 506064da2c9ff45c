// SPDX-License-Identifier: GPL-2.0-or-later
// Progress Over Time: the charts of a generated year drawn where the days have reviews, the
// window of an empty history, the charts saved as PNG, and the View menu's command with the
// history handed to the main window.

#include "ChartWidget.h"
#include "FileDialogService.h"
#include "ProgressDlg.h"
#include "ProgressSeries.h"
#include "ReviewHistory.h"
#include "ReviewSchedule.h"
#include "WindowTest.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <chrono>

namespace {

constexpr std::int64_t kHour = 3600;

class CAnsweringFileDialogs : public IFileDialogService {
public:
    CAnsweringFileDialogs() { SetFileDialogs(this); }
    ~CAnsweringFileDialogs() override { SetFileDialogs(nullptr); }
    CAnsweringFileDialogs(const CAnsweringFileDialogs&) = delete;
    CAnsweringFileDialogs& operator=(const CAnsweringFileDialogs&) = delete;
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return path;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&) override { return path; }
    QString path;
};

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

class ProgressTest : public CWindowTest {
    Q_OBJECT
private:
    std::uint32_t Key(int index) const { return store_->Passage(index).MatchKey(); }
    static QString Days(int count) {
        return count == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(count);
    }
    CChartWidget* Chart(const QWidget& dialog, int id) const {
        return dialog.findChild<CChartWidget*>(QString::number(id));
    }
    // A year of history: the active passages each recited by its class's interval (Daily every
    // day, the others every 7 and 30 days) but on every thirtieth day, a few other recitations
    // beside them, and each passage's progress climbing a level at a time to where it stands now.
    void GenerateYear(const CReviewSchedule& schedule) {
        const std::int64_t today = schedule.ReviewDay(Now());
        const auto at = [&](int back, int hour) {
            return schedule.DayStart(today - back) + hour * kHour;
        };
        for (int back = 364; back >= 1; --back) {
            if (back % 30 == 3)
                continue;
            for (const int index : {Sample::kJohn16Niv, Sample::kPhil413})
                reviews.push_back({.when = at(back, 5), .matchKey = Key(index)});
            if (back % 7 == 0)
                reviews.push_back({.when = at(back, 6), .matchKey = Key(Sample::kJohn17Niv)});
            if (back % 30 == 0)
                reviews.push_back({.when = at(back, 6), .matchKey = Key(Sample::kRomans828)});
            for (int n = 0; n < back % 4; ++n)
                reviews.push_back({.when = at(back, 7 + n), .matchKey = Key(Sample::kJohn16Kjv)});
        }
        for (int index = 0; index < store_->PassageCount(); ++index) {
            const CPassage& passage = store_->Passage(index);
            if (passage.freq >= CReviewSchedule::kActiveClasses)
                continue;
            const int first = 300 - 40 * (index % 5);
            changes.push_back({.when = at(first, 1),
                               .matchKey = passage.MatchKey(),
                               .what = ChangeWhat::Frequency,
                               .oldValue = 3,
                               .newValue = passage.freq});
            for (int level = 1; level <= passage.prog; ++level)
                changes.push_back({.when = at(first - 50 * level, 2),
                                   .matchKey = passage.MatchKey(),
                                   .oldValue = level - 1,
                                   .newValue = level});
        }
        std::sort(changes.begin(), changes.end(),
                  [](const StateChange& a, const StateChange& b) { return a.when < b.when; });
    }

    std::vector<ReviewMoment> reviews;
    std::vector<StateChange> changes;
    std::unique_ptr<CReviewHistory> history_;
    std::unique_ptr<CReviewSchedule> schedule_; // the window's, while it has one

private slots:
    void init() {
        Sample::WriteFiles(dir_.path());
        Open();
        history_ = std::make_unique<CReviewHistory>(sink_, dir_.path().toStdString());
        reviews.clear();
        changes.clear();
    }
    void cleanup() {
        CloseAll();
        schedule_.reset();
        history_.reset();
    }

    void aYearIsDrawnWithBarsWhereDaysHaveReviews() {
        const CReviewSchedule schedule(*history_, clock_);
        GenerateYear(schedule);
        const CProgressSeries series(reviews, changes, *store_, schedule, Now());
        CProgressDlg dialog(series, window_.get());
        dialog.resize(1000, 640);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(!dialog.findChild<QLabel*>(QString::number(CProgressDlg::kEmptyNote)));

        const QImage image = dialog.ChartsImage();
        const QWidget* charts = dialog.findChild<QWidget*>(QString::number(CProgressDlg::kCharts));
        const auto pixel = [&](const CChartWidget* chart, double x, double y) {
            return image.pixelColor(chart->mapTo(charts, QPointF(x, y).toPoint()));
        };
        CChartWidget* bars = Chart(dialog, CProgressDlg::kReviewsChart);
        const double base = bars->PlotArea().bottom() - 2;
        for (int day = 0; day < CProgressSeries::kRecentDays; ++day) {
            const bool reviewed = series.RecentReviews()[static_cast<std::size_t>(day)] > 0;
            QCOMPARE(pixel(bars, bars->DayCentre(day), base) != Qt::white, reviewed);
        }
        QCOMPARE(series.RecentReviews().back(), 0); // none yet today
        // The stacked levels fill the chart at their foot from the first change on.
        CChartWidget* levels = Chart(dialog, CProgressDlg::kLevelsChart);
        QVERIFY(pixel(levels, levels->DayCentre(0), levels->PlotArea().bottom() - 2) == Qt::white);
        const int last = static_cast<int>(series.LevelsByDay().size()) - 1;
        QVERIFY(pixel(levels, levels->DayCentre(last), levels->PlotArea().bottom() - 2) !=
                Qt::white);
        QCOMPARE(dialog.findChild<QLabel*>(QString::number(CProgressDlg::kStreaks))->text(),
                 QStringLiteral("<b>Streaks</b><br><br>Current streak: %1 &middot; Longest: %2")
                     .arg(Days(series.CurrentStreak()), Days(series.LongestStreak())));
        QVERIFY(series.LongestStreak() >= series.CurrentStreak());
        QVERIFY(series.LongestStreak() > 0);
        if (const QByteArray picture = qgetenv("RECITOR_PROGRESS_PICTURE"); !picture.isEmpty())
            QVERIFY(dialog.SaveCharts(QString::fromLocal8Bit(picture)));
    }

    void anEmptyHistorySaysHowTheChartsFill() {
        const CReviewSchedule schedule(*history_, clock_);
        const CProgressSeries series({}, {}, *store_, schedule, Now());
        CProgressDlg dialog(series, window_.get());
        auto* note = dialog.findChild<QLabel*>(QString::number(CProgressDlg::kEmptyNote));
        QVERIFY(note);
        QCOMPARE(note->text(), QStringLiteral("The charts fill as you recite: each review and each "
                                              "change of progress is recorded from now on."));
        QVERIFY(!dialog.ChartsImage().isNull());
    }

    void theChartsAreSavedAsOnePng() {
        const CReviewSchedule schedule(*history_, clock_);
        GenerateYear(schedule);
        CProgressDlg dialog(CProgressSeries(reviews, changes, *store_, schedule, Now()),
                            window_.get());
        dialog.resize(800, 500);
        dialog.show();
        CAnsweringFileDialogs files;
        files.path = dir_.filePath(QStringLiteral("charts.png"));
        dialog.findChild<QPushButton*>(QString::number(CProgressDlg::kSaveButton))->click();
        const QImage saved(files.path, "PNG");
        QVERIFY(!saved.isNull());
        QCOMPARE(saved.size(), dialog.ChartsImage().size());
        QVERIFY(boxes_.shown.isEmpty());
    }

    void theViewMenuOpensTheWindowOnceTheHistoryIsGiven() {
        QVERIFY(!Action(Id::kProgressOverTime)->isEnabled());
        schedule_ = std::make_unique<CReviewSchedule>(*history_, clock_);
        window_->SetReview(*history_, *schedule_, clock_);
        QVERIFY(Action(Id::kProgressOverTime)->isEnabled());
        QVERIFY(history_->Record({.when = Now(), .matchKey = Key(Sample::kJohn16Kjv)}));
        int todays = -1;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<CProgressDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            todays = static_cast<int>(
                Chart(*dialog, CProgressDlg::kReviewsChart)->Data().front().values.back());
            dialog->reject();
        });
        Action(Id::kProgressOverTime)->trigger();
        QCOMPARE(todays, 1);
    }
};

RECITOR_UI_TEST_MAIN(ProgressTest)
#include "test_progress.moc"
