// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>

class QSpinBox;

// Bible Verses: how many verses before and after a passage taken from the Bible its context
// holds. It shows the numbers it is given and gives back those chosen; the caller keeps them.
class CBibleVersesDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, which the help and the tests find the controls by.
    static constexpr int kBefore = 34056;
    static constexpr int kAfter = 34057;

    CBibleVersesDlg(int before, int after, int most, QWidget* parent = nullptr);

    int Before() const;
    int After() const;

private:
    QSpinBox* before_ = nullptr;
    QSpinBox* after_ = nullptr;
};
