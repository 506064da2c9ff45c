// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ReviewSchedule.h"

#include <QDialog>

#include <array>

class QSpinBox;
class QTimeEdit;

// Review Intervals: the days each active frequency class waits between reviews and the hour at
// which one review day gives way to the next. It shows the values it is given and gives back
// those the user chose; the caller keeps them.
class CReviewIntervalsDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, which the help and the tests find the controls by.
    static constexpr int kFirstInterval = 34040; // + frequency class 0..2
    static constexpr int kDayChange = 34043;

    struct Values {
        std::array<int, CReviewSchedule::kActiveClasses> intervals =
            CReviewSchedule::kDefaultIntervals;
        int dayChangeHour = CReviewSchedule::kDefaultDayChangeHour;
    };

    explicit CReviewIntervalsDlg(const Values& values, QWidget* parent = nullptr);

    // The values the controls hold now.
    Values Chosen() const;

private:
    std::array<QSpinBox*, CReviewSchedule::kActiveClasses> intervals_{};
    QTimeEdit* dayChange_ = nullptr;
};
