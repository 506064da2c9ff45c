// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>

class CParallelPassages;
class QPlainTextEdit;
class QPushButton;

// Shows a passage above its other translations, with the passage's reference, topic and
// translation as the window title. What the user types into the translations is discarded.
// "&Next" closes the window asking for the next passage; Enter closes it without.
class CParallelDlg : public QDialog {
    Q_OBJECT
public:
    explicit CParallelDlg(const CParallelPassages& parallels, QWidget* parent = nullptr);

    // Whether the window was left with "&Next".
    bool NextRequested() const { return nextRequested_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* passageBox_ = nullptr;
    QPlainTextEdit* parallelBox_ = nullptr;
    bool nextRequested_ = false;
};
