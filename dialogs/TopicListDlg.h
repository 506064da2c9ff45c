// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>

class CTopicList;
class QPlainTextEdit;

// Shows the list of the passages with one topic, with its caption as the window title. What the
// user types into the list is discarded.
class CTopicListDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTopicListDlg(const CTopicList& list, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* listBox_ = nullptr;
};
