// SPDX-License-Identifier: GPL-2.0-or-later
// A stand-in copy of the program for the instance guard's tests. It runs the guard as start-up
// does and prints one line:
//   serve      "running <id>" when another copy answered (with what BringOtherInstanceForward
//              returned; the probe then ends), or "first" when it published its own window (it
//              then keeps serving until it is killed);
//   hold-lock  "locked" once it holds the start-up lock, which it keeps until it is killed.
#include "InstanceChecker.h"

#include <QApplication>
#include <QTextStream>
#include <QWidget>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The same name as the test process, so that both look for the same server.
    QCoreApplication::setApplicationName(QStringLiteral("RecitorGuardTest"));
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("serve");
    QTextStream out(stdout);

    CInstanceChecker guard;
    if (mode == QLatin1String("hold-lock")) {
        guard.LockStartup();
        out << "locked" << Qt::endl;
        return app.exec();
    }

    QWidget window;
    window.show();
    guard.SetMainWindow(&window);
    guard.LockStartup();
    if (guard.IsAnotherInstanceRunning()) {
        out << "running " << static_cast<qulonglong>(guard.BringOtherInstanceForward()) << Qt::endl;
        return 0;
    }
    if (!guard.PublishMainWindow()) {
        out << "failed" << Qt::endl;
        return 1;
    }
    out << "first" << Qt::endl;
    return app.exec();
}
