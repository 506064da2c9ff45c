#include "RecitorApp.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/recitor-48.png"));
    icon.addFile(QStringLiteral(":/icons/recitor-256.png"));
    QApplication::setWindowIcon(icon);
    CRecitorApp app;
    return app.Run(QApplication::arguments());
}
