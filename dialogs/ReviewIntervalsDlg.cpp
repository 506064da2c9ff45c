// SPDX-License-Identifier: GPL-2.0-or-later
#include "ReviewIntervalsDlg.h"

#include "DialogUnits.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

// The labels of the classes' boxes, each with an access key of its own.
constexpr const char* kIntervalLabels[] = {
    "&Most Frequent/Daily:", "&Less Frequent:", "Least &Frequent:"};

} // namespace

CReviewIntervalsDlg::CReviewIntervalsDlg(const Values& values, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Review Intervals"));
    setFont(DialogFont());
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    for (int freq = 0; freq < CReviewSchedule::kActiveClasses; ++freq) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QString::number(kFirstInterval + freq));
        box->setRange(CReviewSchedule::kMinInterval, CReviewSchedule::kMaxInterval);
        box->setSuffix(QStringLiteral(" days"));
        box->setValue(values.intervals[static_cast<std::size_t>(freq)]);
        box->setWhatsThis(
            QStringLiteral("How many days the passages of this class wait between reviews: a "
                           "passage is due again when its last review is at least this many "
                           "days ago. A passage never reviewed is due at once."));
        form->addRow(QString::fromLatin1(kIntervalLabels[freq]), box);
        intervals_[static_cast<std::size_t>(freq)] = box;
    }
    dayChange_ = new QTimeEdit(this);
    dayChange_->setObjectName(QString::number(kDayChange));
    // Whole hours only: the minutes stand fixed at 00.
    dayChange_->setDisplayFormat(QStringLiteral("HH:00"));
    dayChange_->setTime(QTime(values.dayChangeHour, 0));
    dayChange_->setWhatsThis(
        QStringLiteral("The hour at which one review day gives way to the next. A recitation "
                       "before it counts for the day before, for those who recite after "
                       "midnight."));
    form->addRow(QStringLiteral("&Day changes at:"), dayChange_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)
        ->setWhatsThis(QStringLiteral("Keeps the intervals and the hour and closes the window."));
    buttons->button(QDialogButtonBox::Cancel)
        ->setWhatsThis(QStringLiteral("Closes the window and keeps the values as they were."));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CReviewIntervalsDlg::Values CReviewIntervalsDlg::Chosen() const {
    Values values;
    for (std::size_t freq = 0; freq < intervals_.size(); ++freq)
        values.intervals[freq] = intervals_[freq]->value();
    values.dayChangeHour = dayChange_->time().hour();
    return values;
}
