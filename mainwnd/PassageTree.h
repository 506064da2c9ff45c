// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QTreeView>

// The main window's passage tree. A click on an item without children (a passage) is reported as
// a choice of that item and taken whole, press to release: the window may scroll the chosen item
// elsewhere, and the rest of the click must not then pick the row that moved under the pointer.
// Items with children (the group headings) keep the tree's own handling.
class CPassageTree : public QTreeView {
    Q_OBJECT
public:
    explicit CPassageTree(QWidget* parent);

signals:
    // A passage item was clicked, whether or not it was the tree's current item already.
    void itemChosen(const QModelIndex& index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Takes a left-button press on a passage item; false for any other press.
    bool ChoosePressed(QMouseEvent* event);

    bool clickTaken_ = false; // a press was taken: its moves and release are ours too
};
