// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>

class CChartWidget;
class CProgressSeries;
class QLabel;

// Progress Over Time: the reviews of the last 90 days, the active passages at each progress
// level, the verses known and the streaks, from the series the history gives. Save as PNG writes
// one picture of all four charts as the window shows them.
class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, which the help and the tests find the controls by.
    static constexpr int kReviewsChart = 34040;
    static constexpr int kLevelsChart = 34041;
    static constexpr int kScoreChart = 34042;
    static constexpr int kStreaks = 34043;
    static constexpr int kEmptyNote = 34044;
    static constexpr int kSaveButton = 34045;
    static constexpr int kCharts = 34046;
    static constexpr int kCloseButton = 2;

    explicit CProgressDlg(const CProgressSeries& series, QWidget* parent = nullptr);

    // The charts as the window shows them, in one picture.
    QImage ChartsImage() const;
    // Writes ChartsImage to path as PNG, replacing a file there only once it is complete; false
    // when it could not be written.
    bool SaveCharts(const QString& path) const;

private:
    void OnSave();

    QWidget* charts_ = nullptr;
};
