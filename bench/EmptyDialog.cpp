// SPDX-License-Identifier: GPL-2.0-or-later
// The floor of the start-up measurement: the least a Qt program with a window pays to show one
// and to end on Escape, measured in the same run as the program itself (startup.py).

#include <QApplication>
#include <QDialog>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Empty dialog"));
    dialog.resize(400, 300);
    return dialog.exec() == QDialog::Rejected ? 0 : 1;
}
