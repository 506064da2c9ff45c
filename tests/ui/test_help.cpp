// SPDX-License-Identifier: GPL-2.0-or-later
// The help commands over the compiled help and without it, the F1 and What's This help of the
// window and its menus, and the web and mail commands with the addresses they open.

#include "ContextHelp.h"
#include "HelpCommands.h"
#include "HelpWindow.h"
#include "RecordingShell.h"
#include "WebLinks.h"
#include "WebSites.h"
#include "WindowTest.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpLink>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <QWhatsThis>

namespace {

const QString kCollection = QStringLiteral(RECITOR_HELP_COLLECTION);
const QString kNoHelp = QStringLiteral("Unable to display HH_DISPLAY_TOC");

QString PageName(const CHelpWindow& window) {
    return window.Page().fileName();
}

// The What's This pop-up, while one is shown.
QWidget* WhatsThisPopup() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->inherits("QWhatsThat"))
            return widget;
    return nullptr;
}

} // namespace

class HelpTest : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { Sample::WriteFiles(dir_.path()); }
    void cleanup() {
        window_.reset();
        boxes_.shown.clear();
    }

    void withoutTheHelpEveryHelpCommandSaysSo() {
        Open();
        // The help is looked for beside the program, under its name.
        const QString expected =
            QCoreApplication::applicationDirPath() + QStringLiteral("/test_ui_help.qhc");
        QCOMPARE(window_->Help().CollectionFile(), expected);
        for (const int id : {Id::kOverview, Id::kHelpTopics, Id::kTutorial, Id::kUserGuide}) {
            boxes_.shown.clear();
            QVERIFY(Action(id)->isEnabled());
            Action(id)->trigger();
            // The guides fall back to the index, which then tells: one message each time.
            QCOMPARE(boxes_.shown.size(), 1);
            QCOMPARE(boxes_.shown[0].caption, expected);
            QCOMPARE(boxes_.shown[0].text, kNoHelp);
            QCOMPARE(boxes_.shown[0].buttons, MsgButtons::Ok);
            QCOMPARE(boxes_.owners[0], window_.get());
            QVERIFY(!window_->Help().Window());
            boxes_.owners.clear();
        }
        // Nothing is left where the help was looked for.
        QVERIFY(!QFile::exists(expected));
    }

    // A collection whose pages file is missing is as good as none: each command says so rather
    // than open an empty index.
    void aCollectionWithoutItsPagesSaysSo() {
        Open();
        QTemporaryDir folder;
        const QString lone = folder.filePath(QStringLiteral("Recitor.qhc"));
        QVERIFY(QFile::copy(kCollection, lone));
        window_->Help().SetCollectionFile(lone);
        for (const int id : {Id::kOverview, Id::kHelpTopics, Id::kTutorial, Id::kUserGuide}) {
            boxes_.shown.clear();
            Action(id)->trigger();
            QCOMPARE(boxes_.shown.size(), 1);
            QCOMPARE(boxes_.shown[0].caption, lone);
            QCOMPARE(boxes_.shown[0].text, kNoHelp);
            QVERIFY(!window_->Help().Window());
        }
    }

    void theHelpOpensAtItsContentsIndexAndGuides() {
        QDialog owner;
        CHelpCommands help(owner, kCollection);
        help.Overview();
        QVERIFY(boxes_.shown.isEmpty());
        CHelpWindow* window = help.Window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->parentWidget(), &owner);
        QCOMPARE(PageName(*window), QStringLiteral("IDH_OVERVIEW.htm"));
        QVERIFY(!window->IndexInFront());

        help.Tutorial();
        QCOMPARE(PageName(*window), QStringLiteral("IDH_TUT_OVERVIEW.htm"));
        help.UserGuide();
        QCOMPARE(PageName(*window), QStringLiteral("IDH_UG_INTRO.htm"));
        QVERIFY(!window->IndexInFront());
        help.HelpTopics();
        QVERIFY(window->IndexInFront());
        // One help window serves every request.
        help.Overview();
        QCOMPARE(help.Window(), window);
        QVERIFY(!window->IndexInFront());
        QVERIFY(boxes_.shown.isEmpty());
        // Escape puts it away; the next request brings it back.
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        help.Tutorial();
        QVERIFY(window->isVisible());
    }

    void aHelpWithoutTheGuidesFallsBackToItsIndex() {
        // A help of one page, compiled here.
        QTemporaryDir dir;
        const auto write = [&dir](const char* name, const QByteArray& bytes) {
            WriteFile(dir.filePath(QLatin1String(name)), bytes);
        };
        write("IDH_OVERVIEW.htm", "<html><head><title>Only</title></head><body>x</body></html>");
        write("Small.qhp", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<QtHelpProject version=\"1.0\"><namespace>test.small</namespace>"
                           "<virtualFolder>doc</virtualFolder><filterSection><toc>"
                           "<section title=\"Only\" ref=\"IDH_OVERVIEW.htm\"/></toc><keywords>"
                           "<keyword name=\"only\" ref=\"IDH_OVERVIEW.htm\"/></keywords><files>"
                           "<file>IDH_OVERVIEW.htm</file></files></filterSection></QtHelpProject>");
        write("Small.qhcp", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "<QHelpCollectionProject version=\"1.0\"><docFiles><generate><file>"
                            "<input>Small.qhp</input><output>Small.qch</output></file></generate>"
                            "<register><file>Small.qch</file></register></docFiles>"
                            "</QHelpCollectionProject>");
        QProcess generator;
        generator.setWorkingDirectory(dir.path());
        generator.start(QStringLiteral(RECITOR_QHELPGENERATOR),
                        {QStringLiteral("-s"), QStringLiteral("Small.qhcp"), QStringLiteral("-o"),
                         QStringLiteral("Small.qhc")});
        QVERIFY(generator.waitForFinished(60000));
        QCOMPARE(generator.exitCode(), 0);

        QDialog owner;
        CHelpCommands help(owner, dir.filePath(QStringLiteral("Small.qhc")));
        for (const bool tutorial : {true, false}) {
            if (tutorial)
                help.Tutorial();
            else
                help.UserGuide();
            QVERIFY(boxes_.shown.isEmpty());
            QVERIFY(help.Window());
            QVERIFY(help.Window()->isVisible());
            QVERIFY(help.Window()->IndexInFront());
            QCOMPARE(PageName(*help.Window()), QStringLiteral("IDH_OVERVIEW.htm"));
            help.Overview();
            QVERIFY(!help.Window()->IndexInFront());
        }
    }

    void theHelpHasItsPagesAndKeywords() {
        QDialog owner;
        CHelpCommands help(owner, kCollection);
        help.Overview();
        CHelpWindow* window = help.Window();
        QVERIFY(window);
        // A page for the guides and for the commands, and the index's keywords lead to them.
        for (const char* page : {"IDH_TUT_OVERVIEW.htm", "IDH_UG_INTRO.htm", "IDH_UG_PRINT.htm",
                                 "IDH_UG_PARALLEL_WINDOW.htm", "IDH_UG_CHECK_UPDATE.htm"})
            QVERIFY2(window->ShowContents(QLatin1String(page)), page);
        QVERIFY(!window->ShowContents(QStringLiteral("IDH_NO_SUCH_PAGE.htm")));
        const QList<QHelpLink> links =
            window->Engine().documentsForKeyword(QStringLiteral("Parallel Passages"));
        QCOMPARE(links.size(), 1);
        QCOMPARE(links[0].url.fileName(), QStringLiteral("IDH_UG_PARALLEL.htm"));
        // The pictures the pages show are in the collection beside them.
        for (const char* picture :
             {"main-window.png", "edit-passage.png", "check-recitation.png", "print-cards.png"})
            QVERIFY2(!window->Engine()
                          .fileData(links[0].url.resolved(QStringLiteral("images/") + picture))
                          .isEmpty(),
                     picture);
    }

    // A keyword that several pages share asks which of them to open, in the order of the index.
    void aKeywordOfSeveralPagesOffersTheirChoice() {
        QDialog owner;
        CHelpCommands help(owner, kCollection);
        help.HelpTopics();
        CHelpWindow* window = help.Window();
        QVERIFY(window);
        const QList<QHelpLink> pages =
            window->Engine().documentsForKeyword(QStringLiteral("File menu"));
        QVERIFY(pages.size() > 2);
        QHelpIndexModel* index = window->Engine().indexModel();
        QTRY_VERIFY(!index->isCreatingIndex() && index->rowCount() > 0);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("File menu"));
        QStringList offered;
        OnNextModal([&offered](QDialog* chooser) {
            auto* list = chooser->findChild<QListWidget*>();
            for (int row = 0; row < list->count(); ++row)
                offered << list->item(row)->text();
            list->setCurrentRow(2);
            QTest::keyClick(list, Qt::Key_Return);
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(offered.size(), pages.size());
        QCOMPARE(offered[2], pages[2].title);
        QCOMPARE(window->Page(), pages[2].url);
    }

    void searchFindsThePagesWithEveryWord() {
        QDialog owner;
        CHelpCommands help(owner, kCollection);
        help.Overview();
        CHelpWindow* window = help.Window();
        QVERIFY(window);
        // Pages with the words in their title come first; case does not matter.
        window->Search(QStringLiteral("PRINTED card"));
        const QStringList titles = window->SearchResults();
        QVERIFY2(titles.size() >= 2, qPrintable(titles.join(QLatin1Char('|'))));
        QCOMPARE(titles[0], QStringLiteral("The Printed Card"));
        QVERIFY(titles.contains(QStringLiteral("File: Print")));
        QCOMPARE(PageName(*window), QStringLiteral("IDH_UG_PRINT_CARD.htm"));
        // Every word must be on the page.
        window->Search(QStringLiteral("pocket zebra"));
        QVERIFY(window->SearchResults().isEmpty());
        window->Search(QString());
        QVERIFY(window->SearchResults().isEmpty());
    }

    void f1OpensTheHelpAndShiftF1AsksAboutAControl() {
        Open();
        window_->Help().SetCollectionFile(kCollection);
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(Tree(), Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(QWhatsThis::inWhatsThisMode());
        QVERIFY(!window_->Help().Window());
        QWhatsThis::leaveWhatsThisMode();

        QTest::keyClick(Tree(), Qt::Key_F1);
        CHelpWindow* help = window_->Help().Window();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(PageName(*help), QStringLiteral("IDH_OVERVIEW.htm"));

        // The help window goes when the main window ends.
        window_->reject();
        QVERIFY(!help->isVisible());
        QVERIFY(boxes_.shown.isEmpty());
    }

    void controlsAndCommandsSayWhatTheyDo() {
        Open();
        for (const int id :
             {Id::kFrequencyGroup, Id::kFirstFrequencyRadio, Id::kFirstProgressRadio + 4,
              Id::kFirstVisibilityRadio + 3, Id::kPassageTree, Id::kTextBox})
            QVERIFY2(!Find<QWidget>(id)->whatsThis().isEmpty(), qPrintable(QString::number(id)));
        for (QAction* action : window_->findChildren<QAction*>()) {
            const int id = action->data().toInt();
            if (id > 0)
                QVERIFY2(!action->whatsThis().isEmpty(), qPrintable(QString::number(id)));
        }
        // A control's id is not taken for a command's: Print's text is the command's alone.
        QVERIFY(ContextHelp::Text(Id::kPrint).isEmpty());
    }

    void f1OnAMenuItemTellsWhatItDoes() {
        Open();
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QMenu* help = nullptr;
        for (QAction* item : window_->findChild<QMenuBar*>()->actions())
            if (item->menu() && item->text() == QStringLiteral("&Help"))
                help = item->menu();
        QVERIFY(help);
        help->popup(window_->mapToGlobal(QPoint(0, 0)));
        QVERIFY(QTest::qWaitForWindowExposed(help));
        help->setActiveAction(Action(Id::kCheckForUpdate));
        QTest::keyClick(help, Qt::Key_F1);
        QWidget* popup = WhatsThisPopup();
        QVERIFY(popup);
        QWhatsThis::hideText();
        help->close();
        // F1 on a menu never opens the help itself.
        QVERIFY(!window_->Help().Window());
        QVERIFY(boxes_.shown.isEmpty());
    }

    void webCommandsOpenTheirAddresses() {
        Open();
        CRecordingShell shell;
        const QString home = QStringLiteral("https://") + QLatin1String(WebSite::kHomeHost);
        const std::pair<int, QString> expected[] = {
            {Id::kContactUs, QStringLiteral("mailto:") + QLatin1String(WebSite::kSupportEmail)},
            {Id::kHomePage, home + QStringLiteral("/")},
            {Id::kUserManual, home + QStringLiteral("/Documentation/UserManual.doc")},
            {Id::kSlideshow, home + QStringLiteral("/training.html")},
            {Id::kVisitBibleSite, QStringLiteral("https://www.biblegateway.com/bible")},
            {Id::kVisitVersions,
             QStringLiteral("https://www.bible-researcher.com/culture/religion/bible/versions/")},
        };
        for (const auto& [id, address] : expected) {
            shell.opened.clear();
            QVERIFY(Action(id)->isEnabled());
            Action(id)->trigger();
            QCOMPARE(shell.opened.size(), 1);
            QCOMPARE(shell.opened[0].toString(), address);
        }
        // Nothing is reported when the desktop cannot open an address.
        shell.opens = false;
        Action(Id::kHomePage)->trigger();
        QVERIFY(boxes_.shown.isEmpty());
    }

    void theUpdateMailTellsVersionCountFilterAndLoadTime() {
        const QString mail = WebLinks::UpdateMail(12, 33, 0.5);
        const QString prefix = QStringLiteral("mailto:") + QLatin1String(WebSite::kSupportEmail) +
                               QStringLiteral("?Subject=Check%20for%20Recitor%20update&body=Your%"
                                              "20version:%203.6d");
        QCOMPARE(mail, prefix +
                           QStringLiteral("-12-[33][ 0.50]...We will e-mail you if there is an "
                                          "updated version. Other support is available at "
                                          "https://") +
                           QLatin1String(WebSite::kForumHost) +
                           QStringLiteral("/group/Recitor  Any comments you would like to share "
                                          "with us? (If so, please send with this email.)  "));
        // Wide and long values keep their digits.
        QVERIFY(WebLinks::UpdateMail(15000, 0, 123.456)
                    .contains(QStringLiteral("3.6d-15000-[0][123.46]...")));

        // The command sends the store's count, the filter and the load time; the mail program
        // reads the body's blanks and punctuation as they were written.
        Open();
        prefs_.TransFilter = 33;
        CRecordingShell shell;
        Action(Id::kCheckForUpdate)->trigger();
        QCOMPARE(shell.opened.size(), 1);
        const QUrl url = shell.opened[0];
        QCOMPARE(url.scheme(), QStringLiteral("mailto"));
        QCOMPARE(url.path(), QLatin1String(WebSite::kSupportEmail));
        const QString body =
            QUrlQuery(url).queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded);
        QVERIFY2(body.startsWith(QStringLiteral("Your version: 3.6d-2-[33][")), qPrintable(body));
        QVERIFY(body.endsWith(QStringLiteral("(If so, please send with this email.)  ")));
        QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("Subject"), QUrl::FullyDecoded),
                 QStringLiteral("Check for Recitor update"));
    }
};

RECITOR_UI_TEST_MAIN(HelpTest)
#include "test_help.moc"
