#include "FlyoverTree.h"

#include <QMouseEvent>

namespace {
// The point of the tree reported on a scroll: near its top-left corner, inside the items.
constexpr QPoint kScrollReportPoint(10, 10);
} // namespace

CFlyoverTree::CFlyoverTree(QWidget* target, QWidget* parent) : QTreeView(parent), target_(target) {
    setMouseTracking(true);
}

bool CFlyoverTree::ChoosePressed(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return false;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || model()->hasChildren(index) || !index.parent().isValid())
        return false;
    clickTaken_ = true;
    event->accept();
    emit itemChosen(index);
    return true;
}

void CFlyoverTree::mousePressEvent(QMouseEvent* event) {
    if (!ChoosePressed(event))
        QTreeView::mousePressEvent(event);
}

void CFlyoverTree::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!ChoosePressed(event))
        QTreeView::mouseDoubleClickEvent(event);
}

void CFlyoverTree::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(viewport()->mapTo(target_, event->position().toPoint()));
    if (clickTaken_ && event->buttons() != Qt::NoButton)
        return; // no dragging across the rows from a chosen passage
    QTreeView::mouseMoveEvent(event);
}

void CFlyoverTree::mouseReleaseEvent(QMouseEvent* event) {
    if (clickTaken_) {
        clickTaken_ = false;
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void CFlyoverTree::scrollContentsBy(int dx, int dy) {
    if (dy != 0)
        emit mouseMoved(viewport()->mapTo(target_, kScrollReportPoint));
    QTreeView::scrollContentsBy(dx, dy);
}
