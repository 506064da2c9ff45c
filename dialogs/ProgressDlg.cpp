// SPDX-License-Identifier: GPL-2.0-or-later
#include "ProgressDlg.h"

#include "ChartWidget.h"
#include "DialogUnits.h"
#include "FileDialogService.h"
#include "MessageBoxService.h"
#include "ProgramFiles.h"
#include "ProgressSeries.h"
#include "RefTables.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {

// From the first level to the last, red to green: each readable on the white of the charts.
const QColor kLevelColors[CProgressSeries::kLevels] = {
    QColor(0xd7, 0x30, 0x27), QColor(0xf4, 0x6d, 0x43), QColor(0xd9, 0xa4, 0x00),
    QColor(0x66, 0xbd, 0x63), QColor(0x1a, 0x80, 0x40)};
const QColor kReviewColor(0x1f, 0x6f, 0xb4);
const QColor kScoreColor(0x6a, 0x3d, 0x9a);

QString Days(int count) {
    return count == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(count);
}

CChartWidget* MakeChart(const QString& title, CChartWidget::Kind kind, int id, const QString& help,
                        QWidget* parent) {
    auto* chart = new CChartWidget(title, kind, parent);
    chart->setObjectName(QString::number(id));
    chart->setWhatsThis(help);
    return chart;
}

} // namespace

CProgressDlg::CProgressDlg(const CProgressSeries& series, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Progress Over Time"));
    setFont(DialogFont());
    const CDialogUnits units(font());
    resize(units.X(520), units.Y(330));
    auto* layout = new QVBoxLayout(this);

    if (series.Empty()) {
        auto* note = new QLabel(QStringLiteral("The charts fill as you recite: each review and "
                                               "each change of progress is recorded from now on."),
                                this);
        note->setObjectName(QString::number(kEmptyNote));
        note->setWordWrap(true);
        layout->addWidget(note);
    }

    charts_ = new QWidget(this);
    charts_->setObjectName(QString::number(kCharts));
    charts_->setAutoFillBackground(true);
    QPalette white = charts_->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, QColor(0x20, 0x20, 0x20));
    charts_->setPalette(white);
    auto* grid = new QGridLayout(charts_);

    CChartWidget* reviews = MakeChart(
        QStringLiteral("Reviews per day, last %1 days").arg(CProgressSeries::kRecentDays),
        CChartWidget::Kind::Bars, kReviewsChart,
        QStringLiteral("How many recitations you recorded on each of the last 90 days: answers "
                       "in a review session, checks in Check Recitation and reference recalls."),
        charts_);
    std::vector<double> recent(series.RecentReviews().begin(), series.RecentReviews().end());
    reviews->SetData(series.Today() - CProgressSeries::kRecentDays + 1,
                     {{QStringLiteral("Reviews"), kReviewColor, std::move(recent)}});

    CChartWidget* levels = MakeChart(
        QStringLiteral("Active passages at each progress level"), CChartWidget::Kind::StackedAreas,
        kLevelsChart,
        QStringLiteral("How many of your active passages stood at each progress level at the "
                       "end of each day, stacked from Not Started up to Mastered."),
        charts_);
    std::vector<CChartWidget::Series> bands;
    for (int level = 0; level < CProgressSeries::kLevels; ++level) {
        CChartWidget::Series band{QString::fromLatin1(ProgText(level)), kLevelColors[level], {}};
        for (const CProgressSeries::Levels& day : series.LevelsByDay())
            band.values.push_back(day[static_cast<std::size_t>(level)]);
        bands.push_back(std::move(band));
    }
    levels->SetData(series.FirstDay(), std::move(bands));

    CChartWidget* score = MakeChart(
        QStringLiteral("Verses known (score)"), CChartWidget::Kind::Line, kScoreChart,
        QStringLiteral("Your score at the end of each day: the verses of each passage times its "
                       "progress level, added up, as the main window counts it."),
        charts_);
    score->SetData(series.FirstDay(),
                   {{QStringLiteral("Score"), kScoreColor,
                     std::vector<double>(series.ScoreByDay().begin(), series.ScoreByDay().end())}});

    auto* streaks = new QLabel(QStringLiteral("<b>Streaks</b><br><br>Current streak: %1 &middot; "
                                              "Longest: %2")
                                   .arg(Days(series.CurrentStreak()), Days(series.LongestStreak())),
                               charts_);
    streaks->setObjectName(QString::number(kStreaks));
    streaks->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    streaks->setMargin(8);
    QFont larger = streaks->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.5);
    streaks->setFont(larger);
    streaks->setWhatsThis(QStringLiteral(
        "Days in a row on which you reviewed every passage that was due: at least one review, and "
        "at the day's end no active passage left longer unreviewed than its class's interval. "
        "Today counts once it is complete; until then the current streak is yesterday's."));

    grid->addWidget(reviews, 0, 0);
    grid->addWidget(levels, 0, 1);
    grid->addWidget(score, 1, 0);
    grid->addWidget(streaks, 1, 1);
    layout->addWidget(charts_, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save =
        buttons->addButton(QStringLiteral("&Save as PNG..."), QDialogButtonBox::ActionRole);
    save->setObjectName(QString::number(kSaveButton));
    save->setWhatsThis(QStringLiteral("Saves the four charts as one PNG picture, as the window "
                                      "shows them."));
    QPushButton* close = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QString::number(kCloseButton));
    close->setWhatsThis(QStringLiteral("Closes the window."));
    connect(save, &QPushButton::clicked, this, &CProgressDlg::OnSave);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QImage CProgressDlg::ChartsImage() const {
    return charts_->grab().toImage();
}

bool CProgressDlg::SaveCharts(const QString& path) const {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && ChartsImage().save(&file, "PNG") && file.commit();
}

void CProgressDlg::OnSave() {
    const QString path = FileDialogs().SaveFileName(this, QStringLiteral("Save Charts as PNG"),
                                                    QStringLiteral("Progress.png"),
                                                    QStringLiteral("PNG pictures (*.png)"));
    if (path.isEmpty())
        return;
    if (RefuseProgramFile(this, path, QStringLiteral("charts")))
        return;
    if (!SaveCharts(path))
        MessageBoxes().Show(this, QStringLiteral("Recitor"),
                            QStringLiteral("The charts could not be saved to\n%1\nNothing was "
                                           "written.")
                                .arg(QDir::toNativeSeparators(path)),
                            MsgIcon::Warning, MsgButtons::Ok);
}
