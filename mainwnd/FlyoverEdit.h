#pragma once

#include <QTextEdit>

// The main window's passage text box. It reports every mouse movement to the main window, which
// decides from it whether the tree or the text comes forward, and repaints itself completely on
// vertical scrolling so that a background pattern stays in place behind the text.
class CFlyoverEdit : public QTextEdit {
    Q_OBJECT
public:
    // Movements are reported in the coordinates of target (the main window's client area).
    CFlyoverEdit(QWidget* target, QWidget* parent);

signals:
    void mouseMoved(const QPoint& targetPosition);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QWidget* target_;
};
