// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageTree.h"

#include <QMouseEvent>

CPassageTree::CPassageTree(QWidget* parent) : QTreeView(parent) {}

bool CPassageTree::ChoosePressed(QMouseEvent* event) {
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

void CPassageTree::mousePressEvent(QMouseEvent* event) {
    if (!ChoosePressed(event))
        QTreeView::mousePressEvent(event);
}

void CPassageTree::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!ChoosePressed(event))
        QTreeView::mouseDoubleClickEvent(event);
}

void CPassageTree::mouseMoveEvent(QMouseEvent* event) {
    if (clickTaken_ && event->buttons() != Qt::NoButton)
        return; // no dragging across the rows from a chosen passage
    QTreeView::mouseMoveEvent(event);
}

void CPassageTree::mouseReleaseEvent(QMouseEvent* event) {
    if (clickTaken_) {
        clickTaken_ = false;
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}
