// SPDX-License-Identifier: GPL-2.0-or-later
// The one table of background pictures against what is shipped and what the menu offers: the
// install list in res/CMakeLists.txt holds exactly the table's files, each of them a picture in
// res/backgrounds, and the menus take their captions from the tables.

#include "Backgrounds.h"
#include "CommandIds.h"
#include "MainMenu.h"
#include "UiSupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenuBar>
#include <QRegularExpression>
#include <QWidget>

class BackgroundsTest : public QObject {
    Q_OBJECT

private slots:
    void installListHoldsExactlyTheTablesPictures() {
        QFile cmake(Source("res/CMakeLists.txt"));
        QVERIFY(cmake.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromUtf8(cmake.readAll());
        const QRegularExpressionMatch list =
            QRegularExpression(QStringLiteral(R"(set\(RECITOR_SHIPPED_FILES\s([^)]*)\))"))
                .match(text);
        QVERIFY(list.hasMatch());
        const QString folder = QStringLiteral("backgrounds/");
        QStringList installed;
        for (const QString& entry :
             list.captured(1).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
            if (entry.startsWith(folder))
                installed << entry.sliced(folder.size());

        QStringList table;
        for (const Background& background : kBackgrounds)
            table << QLatin1String(background.file);
        QCOMPARE(table.size(), 25);
        QCOMPARE(table.first(), QStringLiteral("Plain.bmp"));
        installed.sort();
        table.sort();
        QCOMPARE(installed, table); // the same names, none twice on either side

        // Each is a picture in the source tree, and no picture there is left out.
        const QDir pictures(Source("res/backgrounds"));
        for (const QString& name : table)
            QVERIFY2(!QImage(pictures.filePath(name)).isNull(), qPrintable(name));
        QStringList present = pictures.entryList(QDir::Files);
        present.sort();
        QCOMPARE(present, table);
    }

    // The menu as built, before any settings: the table's captions under their ids, Clouds
    // chosen; the View categories named like the tree's groups.
    void menusTakeTheirCaptionsFromTheTables() {
        QWidget owner;
        QMenuBar bar(&owner);
        const CMainMenu menu(bar, owner);
        for (int index = 0; index < kBackgroundCount; ++index) {
            const QAction* action = menu.Action(Id::kFirstBackground + index);
            QVERIFY2(action, qPrintable(QString::number(index)));
            QCOMPARE(action->text(), QLatin1String(kBackgrounds[index].caption));
            QCOMPARE(action->isChecked(), index == 3);
        }
        QVERIFY(!menu.Action(Id::kFirstBackground + kBackgroundCount));
        const char* const categories[] = {"Learning (Most Frequent)", "Learned (Less Frequent)",
                                          "Archive (Least Frequent)", "Not Started/Inactive"};
        for (int freq = 0; freq < 4; ++freq)
            QCOMPARE(menu.Action(Id::kFirstCategory + freq)->text(),
                     QLatin1String(categories[freq]));
    }

private:
    static QString Source(const char* path) {
        return QDir(QStringLiteral(RECITOR_SOURCE_DIR)).filePath(QLatin1String(path));
    }
};

RECITOR_UI_TEST_MAIN(BackgroundsTest)
#include "test_backgrounds.moc"
