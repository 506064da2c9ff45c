#include "RecitorApp.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The program runs as a sequence of modal windows (the tip, then the main window); closing
    // the first must not end the run.
    QApplication::setQuitOnLastWindowClosed(false);
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/recitor-48.png"));
    icon.addFile(QStringLiteral(":/icons/recitor-256.png"));
    QApplication::setWindowIcon(icon);
    CRecitorApp app;
    return app.Run(QApplication::arguments());
}
