#pragma once

#include <QTreeView>

// The main window's passage tree. It reports every mouse movement to the main window, and a
// vertical scroll as a movement inside the tree, so that scrolling with the scroll bar keeps the
// tree in front. A click on an item without children (a passage) is reported as a choice of that
// item and taken whole, press to release: the window may scroll the chosen item elsewhere, and
// the rest of the click must not then pick the row that moved under the pointer. Items with
// children (the group headings) keep the tree's own handling.
class CFlyoverTree : public QTreeView {
    Q_OBJECT
public:
    // Movements are reported in the coordinates of target (the main window's client area).
    CFlyoverTree(QWidget* target, QWidget* parent);

signals:
    void mouseMoved(const QPoint& targetPosition);
    // A passage item was clicked, whether or not it was the tree's current item already.
    void itemChosen(const QModelIndex& index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Takes a left-button press on a passage item; false for any other press.
    bool ChoosePressed(QMouseEvent* event);

    QWidget* target_;
    bool clickTaken_ = false; // a press was taken: its moves and release are ours too
};
