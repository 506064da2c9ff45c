// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>

class CTipSequence;
class QCheckBox;
class QLabel;
class QWidget;

// Shows the current tip of a tip sequence, one short hint about the program, and moves on to the
// next one at "Next Tip". The owner reads the tip that is due before it opens the dialog, and
// stores the start-up choice (when the dialog was closed with Close) and the position afterwards.
class CTipDlg : public QDialog {
    Q_OBJECT
public:
    // tips outlives the dialog.
    explicit CTipDlg(CTipSequence& tips, QWidget* parent = nullptr);

    // The start-up choice as the check box holds it; the user's choice once the dialog was
    // accepted (closed with Close).
    bool ShowAtStartup() const;

    // Tells the user that the tips file could not be read; owner is the window the message
    // belongs to, or null.
    static void ReportTrouble(QWidget* owner);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    void OnNextTip();

    CTipSequence& tips_;
    QCheckBox* showCheck_ = nullptr;
    QLabel* tipLabel_ = nullptr;
    QWidget* pictureArea_ = nullptr;
};
