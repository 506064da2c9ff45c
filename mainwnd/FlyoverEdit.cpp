#include "FlyoverEdit.h"

#include <QMouseEvent>

CFlyoverEdit::CFlyoverEdit(QWidget* target, QWidget* parent) : QTextEdit(parent), target_(target) {
    setMouseTracking(true);
}

void CFlyoverEdit::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(viewport()->mapTo(target_, event->position().toPoint()));
    QTextEdit::mouseMoveEvent(event);
}

void CFlyoverEdit::scrollContentsBy(int dx, int dy) {
    QTextEdit::scrollContentsBy(dx, dy);
    if (dy != 0)
        viewport()->update(); // scrolled pixels would carry the background pattern along
}
