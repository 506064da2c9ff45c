#include "FlyoverTree.h"

#include <QMouseEvent>

namespace {
// The point of the tree reported on a scroll: near its top-left corner, inside the items.
constexpr QPoint kScrollReportPoint(10, 10);
} // namespace

CFlyoverTree::CFlyoverTree(QWidget* target, QWidget* parent) : QTreeView(parent), target_(target) {
    setMouseTracking(true);
}

void CFlyoverTree::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(viewport()->mapTo(target_, event->position().toPoint()));
    QTreeView::mouseMoveEvent(event);
}

void CFlyoverTree::scrollContentsBy(int dx, int dy) {
    if (dy != 0)
        emit mouseMoved(viewport()->mapTo(target_, kScrollReportPoint));
    QTreeView::scrollContentsBy(dx, dy);
}
