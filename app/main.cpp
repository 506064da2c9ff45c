// SPDX-License-Identifier: GPL-2.0-or-later
#include "EndSignals.h"
#include "RecitorApp.h"

#include <QApplication>
#include <QIcon>
#include <QSessionManager>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The program runs as a sequence of modal windows (the tip, then the main window); closing
    // the first must not end the run.
    QApplication::setQuitOnLastWindowClosed(false);
    // The icon is read once the first window is on the screen, in that window's event loop: the
    // window takes it then. Reading the images (and the image plugins with them) beforehand would
    // only delay the window.
    QTimer::singleShot(0, &application, [] {
        QIcon icon;
        icon.addFile(QStringLiteral(":/icons/recitor-48.png"));
        icon.addFile(QStringLiteral(":/icons/recitor-256.png"));
        QApplication::setWindowIcon(icon);
    });
    // Lets the desktop match the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("recitor"));
    CRecitorApp app;
    // Logout, shutdown and the signals that stand for them end the run as Exit does, with the
    // normal save.
    const CEndSignals endSignals;
    QObject::connect(&endSignals, &CEndSignals::endRequested, [&app] { app.RequestEnd(); });
    // A session save may be only a checkpoint: the desktop goes on, and so does the program.
    QObject::connect(&application, &QGuiApplication::commitDataRequest,
                     [&app](QSessionManager&) { app.SaveForSession(); });
    // Started again by the desktop at the next login, the program would run outside the working
    // directory the launcher gives it, where its files are not.
    QObject::connect(
        &application, &QGuiApplication::saveStateRequest,
        [](QSessionManager& manager) { manager.setRestartHint(QSessionManager::RestartNever); });
    return app.Run(QApplication::arguments());
}
