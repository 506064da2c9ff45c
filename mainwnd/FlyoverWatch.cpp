// SPDX-License-Identifier: GPL-2.0-or-later
#include "FlyoverWatch.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QScrollBar>

namespace {
// The point of an area reported on a scroll: near its top-left corner, inside the items.
constexpr QPoint kScrollReportPoint(10, 10);
} // namespace

CFlyoverWatch::CFlyoverWatch(QWidget* target, QObject* parent) : QObject(parent), target_(target) {}

void CFlyoverWatch::Watch(QAbstractScrollArea* area, OnScroll onScroll) {
    area->setMouseTracking(true);
    QWidget* viewport = area->viewport();
    viewport->installEventFilter(this);
    // Every vertical scroll moves the scroll bar, shown or not: the wheel, the keys and a scroll
    // to an item alike.
    connect(area->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, viewport, onScroll] {
        if (onScroll == OnScroll::kRepaint)
            viewport->update();
        else
            emit mouseMoved(viewport->mapTo(target_, kScrollReportPoint));
    });
}

bool CFlyoverWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        const QPoint position = static_cast<QMouseEvent*>(event)->position().toPoint();
        emit mouseMoved(static_cast<QWidget*>(watched)->mapTo(target_, position));
    }
    return QObject::eventFilter(watched, event);
}
