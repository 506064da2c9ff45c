// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QBrush>
#include <QObject>
#include <QRect>

class CDialogUnits;
class CPassageTree;
class QAbstractItemModel;
class QButtonGroup;
class QDialog;
class QLabel;
class QPushButton;
class QTextEdit;
class QWidget;

// The controls of the main window's client area, placed in dialog units: the three radio columns
// (how often to recite, progress, visibility), the passage tree and the text box, which overlap,
// the Check Recitation button in the text box, and the review's status line under the text box. It
// keeps which of the overlapped two is in front: the one that takes the focus comes forward, and
// the text wraps short of the tree in front of it. Both wear the background picture.
class CMainLayout : public QObject {
    Q_OBJECT
public:
    // Builds the client area into window, whose font gives the dialog units; the tree lists model.
    // recitationCaption is the caption of the Check Recitation button.
    CMainLayout(QDialog& window, QAbstractItemModel& model, const QString& recitationCaption);

    QWidget* Client() const { return client_; }
    QTextEdit* TextBox() const { return textBox_; }
    CPassageTree* Tree() const { return tree_; }
    QButtonGroup* FrequencyGroup() const { return frequencyGroup_; }
    QButtonGroup* ProgressGroup() const { return progressGroup_; }
    QButtonGroup* VisibilityGroup() const { return visibilityGroup_; }
    QPushButton* RecitationButton() const { return recitationButton_; }
    QLabel* StatusLine() const { return statusLine_; }

    // Takes the places of the tree and the text box, which the flyover tests, as they are now.
    void CaptureLayout();
    void BringTreeToFront();
    void BringTextBoxToFront();
    bool TreeInFront() const { return treeInFront_; }
    // The flyover for a mouse position in the client area: brings forward the control it enters.
    // Where the two overlap, the tree comes forward.
    void FlyOver(const QPoint& clientPosition);

    // Makes the background of the picture with this index (in kBackgrounds), white for Plain or a
    // picture that cannot be read, and lays it under the tree and the text box.
    void SetBackground(int index);
    const QBrush& Background() const { return background_; }

signals:
    // The mouse moved over the client area, the tree or the text box (in client coordinates).
    void mouseMoved(const QPoint& clientPosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateTextBox(const CDialogUnits& units);
    void CreateTree(const CDialogUnits& units, QAbstractItemModel& model);
    void CreateRadioColumns(const CDialogUnits& units, QDialog& window);
    void CreateRecitationButton(const CDialogUnits& units, const QString& caption);

    QWidget* client_ = nullptr;
    QTextEdit* textBox_ = nullptr;
    CPassageTree* tree_ = nullptr;
    QButtonGroup* frequencyGroup_ = nullptr;
    QButtonGroup* progressGroup_ = nullptr;
    QButtonGroup* visibilityGroup_ = nullptr;
    QPushButton* recitationButton_ = nullptr;
    QLabel* statusLine_ = nullptr;

    bool treeInFront_ = false;
    QRect treeRect_;
    QRect textBoxRect_;
    int treeWidth_ = 0;
    int flyoverTarget_ = 0;
    QBrush background_;
};
