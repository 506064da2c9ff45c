// SPDX-License-Identifier: GPL-2.0-or-later
#include "EndSignals.h"
#include "RecitorApp.h"

#include <QApplication>
#include <QIcon>
#include <QMenuBar>
#include <QProxyStyle>
#include <QSessionManager>
#include <QTimer>

namespace {

// The desktop's style, but for the picture of a menu bar's overflow button, which the program's
// menu bars never show (their menus always fit). Qt reads that picture from a file as the bar is
// made, and the first picture read from a file loads every image plugin there is: some 5 ms before
// the main window can appear. Other windows' overflow buttons keep their picture.
class CProgramStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (which == SP_ToolBarHorizontalExtensionButton && qobject_cast<const QMenuBar*>(widget))
            return {};
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setStyle(new CProgramStyle);
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
