#pragma once

#include <QTreeView>

// The main window's passage tree. It reports every mouse movement to the main window, and a
// vertical scroll as a movement inside the tree, so that scrolling with the scroll bar keeps the
// tree in front.
class CFlyoverTree : public QTreeView {
    Q_OBJECT
public:
    // Movements are reported in the coordinates of target (the main window's client area).
    CFlyoverTree(QWidget* target, QWidget* parent);

signals:
    void mouseMoved(const QPoint& targetPosition);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QWidget* target_;
};
