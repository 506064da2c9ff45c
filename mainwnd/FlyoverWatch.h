// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QPoint>

class QAbstractScrollArea;
class QWidget;

// Watches the main window's tree and text box for the flyover, which brings forward whichever of
// the two the mouse is over: every mouse movement over a watched area is reported in the
// coordinates of the window's client area. A vertical scroll moves the contents under a still
// mouse, so it is watched too; what it does depends on the area (see OnScroll).
class CFlyoverWatch : public QObject {
    Q_OBJECT
public:
    enum class OnScroll {
        // Reported as a movement inside the area, so that scrolling with the scroll bar keeps the
        // area in front.
        kReportMove,
        // The area is repainted whole, so that a background pattern stays in place behind the
        // contents instead of travelling with the scrolled pixels.
        kRepaint,
    };

    // Movements are reported in the coordinates of target.
    CFlyoverWatch(QWidget* target, QObject* parent);

    // Starts watching area, whose mouse movements are then tracked with no button held too.
    void Watch(QAbstractScrollArea* area, OnScroll onScroll);

signals:
    void mouseMoved(const QPoint& targetPosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* target_;
};
