// SPDX-License-Identifier: GPL-2.0-or-later
// The menu set up from the preferences, each preference command's effect and its way into the
// saved settings, the background pictures with their fallback to Plain, and the flyover switching
// of the tree and the text box.

#include "CommandIds.h"
#include "MainDlg.h"
#include "MainMenu.h"
#include "PassageStore.h"
#include "UiSupport.h"
#include "WindowTest.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <memory>

class PreferencesTest : public CWindowTest {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        Sample::WriteFiles(dir_.path());
        settings_ = CMemorySettings();
    }

    void cleanup() {
        CloseAll();
        QDir::setCurrent(home_);
    }

    void freshSettingsGiveTheDefaultMenu() {
        Open();
        // Choices not allowed: the confirmations and the fixed sizes are greyed, flyover's
        // Enable too; the stored values still hold.
        for (const int id : {Id::kConfirmDelete, Id::kConfirmEdit, Id::kConfirmExportPpc})
            QVERIFY(!Action(id)->isEnabled());
        QVERIFY(Action(Id::kFirstFontSize)->isEnabled());
        QVERIFY(Action(Id::kFirstFontSize)->isChecked());
        for (int size = 1; size <= 3; ++size)
            QVERIFY(!Action(Id::kFirstFontSize + size)->isEnabled());
        QVERIFY(!Action(Id::kFlyoverEnable)->isEnabled());
        QVERIFY(prefs_.PrefConfirmDelete && prefs_.PrefConfirmEdit);
        QCOMPARE(prefs_.PrefFlyoverChoice, 0);
        // Translation "All" checked; Add and Edit present; no maintainer commands on the bar.
        QVERIFY(Action(Id::kFirstTranslation + 33)->isChecked());
        QVERIFY(MenuOf(Id::kAddPassage));
        QVERIFY(MenuOf(Id::kEditPassage));
        for (const int id : {Id::kEdThis, Id::kEdNx, Id::kDelThis})
            QVERIFY(!OnMenuBar(id));
        QVERIFY(OnMenuBar(Id::kFirst));
        // "EE Options" never shows; Export Pocket PC needs a library this platform lacks.
        QVERIFY(!MenuTexts(Preferences()).contains(QStringLiteral("EE Options")));
        // Help requests on the Help pop-up and the Preferences sub-menus find their topics.
        const std::pair<QString, int> contexts[] = {{QStringLiteral("Flyover"), 33024},
                                                    {QStringLiteral("Font Size"), 33020},
                                                    {QStringLiteral("Background"), 33100},
                                                    {QStringLiteral("Translation"), 33135},
                                                    {QStringLiteral("Confirmations"), 33458}};
        for (const auto& [title, id] : contexts)
            QCOMPARE(SubMenu(title)->property(CMainMenu::kHelpContextProperty).toInt(), id);
        QVERIFY(!Action(Id::kExportPocketPc)->isEnabled());
    }

    void allowedChoicesShowTheStoredValues() {
        settings_.Set("PrefConfirmChoiceAllowed", 1);
        settings_.Set("PrefConfirmDelete", 0);
        settings_.Set("PrefConfirmEdit", 2); // only 1 is on
        settings_.Set("PrefFontChoiceAllowed", 1);
        settings_.Set("PrefFontChoice", 2);
        settings_.Set("PrefFlyoverChoiceAllowed", 1);
        settings_.Set("PrefFlyoverChoice", 1);
        settings_.Set("TransFilter", Sample::kNiv);
        settings_.Set("AddPassageAllowed", 2);
        settings_.Set("EditPassageAllowed", 0);
        Open(1);
        QVERIFY(!Action(Id::kConfirmDelete)->isChecked());
        QVERIFY(!Action(Id::kConfirmEdit)->isChecked());
        QVERIFY(Action(Id::kConfirmExportPpc)->isChecked());
        QVERIFY(Action(Id::kConfirmDelete)->isEnabled());
        QVERIFY(Action(Id::kFirstFontSize + 2)->isChecked());
        QVERIFY(Action(Id::kFlyoverEnable)->isChecked());
        QVERIFY(Action(Id::kFirstTranslation + Sample::kNiv)->isChecked());
        QVERIFY(!MenuOf(Id::kAddPassage));
        QVERIFY(!MenuOf(Id::kEditPassage));
        for (const int id : {Id::kEdThis, Id::kEdNx, Id::kDelThis})
            QVERIFY(OnMenuBar(id));
    }

    void preferenceCommandsTakeEffectAndAreSaved() {
        settings_.Set("PrefFontChoiceAllowed", 1);
        settings_.Set("PrefFlyoverChoiceAllowed", 1);
        settings_.Set("PrefConfirmChoiceAllowed", 1);
        Open();
        Action(Id::kFirstFontSize + 3)->trigger();
        QCOMPARE(prefs_.PrefFontChoice, 3);
        QCOMPARE(TextBox()->font().pointSizeF(), 14.0);
        Action(Id::kFirstFontSize + 1)->trigger();
        QCOMPARE(TextBox()->font().pointSizeF(), 10.0);
        Action(Id::kFlyoverEnable)->trigger();
        QCOMPARE(prefs_.PrefFlyoverChoice, 1);
        Action(Id::kConfirmDelete)->trigger();
        QVERIFY(!prefs_.PrefConfirmDelete);
        QVERIFY(!Action(Id::kConfirmDelete)->isChecked());
        Action(Id::kConfirmEdit)->trigger();
        Action(Id::kConfirmEdit)->trigger();
        QVERIFY(prefs_.PrefConfirmEdit);
        // Export Ppc is written at once, not only at the next save.
        Action(Id::kConfirmExportPpc)->trigger();
        QCOMPARE(settings_.ReadNumber(kSectionExport, "PrefConfirmExportPpc", -1), 0);

        // The translation filter rebuilds the tree and goes to the first passage.
        window_->SetPosition(2);
        Action(Id::kFirstTranslation + Sample::kAsv)->trigger();
        QCOMPARE(prefs_.TransFilter, Sample::kAsv);
        QCOMPARE(window_->Position(), 0);
        QCOMPARE(Model()->TransFilterName(), std::string("ASV"));

        prefs_.Write(settings_, {.curSelectorIndex = window_->Position()}); // as a save does
        QCOMPARE(settings_.Get("PrefFontChoice"), 1);
        QCOMPARE(settings_.Get("PrefFlyoverChoice"), 1);
        QCOMPARE(settings_.Get("PrefConfirmDelete"), 0);
        QCOMPARE(settings_.Get("PrefConfirmEdit"), 1);
        QCOMPARE(settings_.Get("TransFilter"), Sample::kAsv);

        // A second start reads them back.
        Open();
        QCOMPARE(prefs_.PrefFontChoice, 1);
        QCOMPARE(prefs_.TransFilter, Sample::kAsv);
        QVERIFY(Action(Id::kFirstTranslation + Sample::kAsv)->isChecked());
        QVERIFY(Action(Id::kFirstFontSize + 1)->isChecked());
    }

    void backgroundsFollowTheFilesPresent() {
        QTemporaryDir pictures;
        QVERIFY(pictures.isValid());
        for (const char* name : {"Clouds.bmp", "Marble.bmp"}) {
            QImage image(8, 8, QImage::Format_RGB32);
            image.fill(Qt::lightGray);
            QVERIFY(image.save(pictures.filePath(QLatin1String(name)), "BMP"));
        }
        QDir::setCurrent(pictures.path());

        settings_.texts[{kSectionParams, "BackgroundFilename"}] = "Marble.bmp";
        Open();
        QCOMPARE(window_->BackgroundIndex(), 8);
        QVERIFY(Action(Id::kFirstBackground + 8)->isChecked());
        QVERIFY(Action(Id::kFirstBackground + 3)->isEnabled());
        QVERIFY(!Action(Id::kFirstBackground + 1)->isEnabled()); // Butterfly.bmp is missing
        QCOMPARE(TextBox()->palette().brush(QPalette::Base).style(), Qt::TexturePattern);

        Action(Id::kFirstBackground)->trigger(); // Plain
        QCOMPARE(prefs_.BackgroundFilename, std::string("Plain.bmp"));
        QCOMPARE(TextBox()->palette().color(QPalette::Base), QColor(Qt::white));
        prefs_.Write(settings_, {.curSelectorIndex = window_->Position()}); // as a save does
        QCOMPARE(
            settings_
                .texts[(std::pair<std::string, std::string>{kSectionParams, "BackgroundFilename"})],
            std::string("Plain.bmp"));

        // A chosen picture that has gone opens with Plain, and names outside the list or in the
        // wrong letter case match nothing.
        for (const char* name : {"Butterfly.bmp", "clouds.bmp", "Nonsense.bmp"}) {
            settings_.texts[{kSectionParams, "BackgroundFilename"}] = name;
            Open();
            QCOMPARE(window_->BackgroundIndex(), 0);
            QVERIFY(Action(Id::kFirstBackground)->isChecked());
        }
    }

    void flyoverSwitchesOncePerEntry() {
        settings_.Set("PrefFlyoverChoice", 1);
        Open();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        const QRect tree = Tree()->geometry();
        const QRect text = TextBox()->geometry();
        const QPoint inTextOnly(text.left() + 20, text.center().y());
        const QPoint inTree(tree.center().x(), tree.bottom() - 20);
        window_->OnMouseMove(inTextOnly);
        QVERIFY(!window_->TreeInFront());
        window_->OnMouseMove(inTree);
        QVERIFY(window_->TreeInFront());
        // Once in front, further movement inside the tree changes nothing, even when something
        // else brought the text box forward meanwhile.
        window_->BringTextBoxToFront();
        window_->OnMouseMove(inTree + QPoint(1, 1));
        QVERIFY(!window_->TreeInFront());
        window_->OnMouseMove(inTextOnly);
        QVERIFY(!window_->TreeInFront());
        window_->OnMouseMove(inTree);
        QVERIFY(window_->TreeInFront());

        // Movements forwarded by the text box arrive in the window's coordinates.
        QTest::mouseMove(TextBox()->viewport(), QPoint(20, 20));
        QTRY_VERIFY(!window_->TreeInFront());

        // Disabled, movement never changes the front.
        prefs_.PrefFlyoverChoice = 0;
        window_->OnMouseMove(inTree);
        QVERIFY(!window_->TreeInFront());
    }

private:
    void Open(int editNextMode = 0) {
        NewStore();
        prefs_.Read(settings_);
        prefs_.ReadBackground(settings_);
        QCOMPARE(store_->Load(), Status::Ok);
        window_ = std::make_unique<CMainDlg>(*store_, prefs_, editNextMode);
        // As the application does: the export confirmation is written as soon as it toggles.
        QObject::connect(window_.get(), &CMainDlg::exportConfirmationToggled,
                         [this] { prefs_.WriteConfirmExportPpc(settings_); });
    }

    QMenuBar* Bar() const { return window_->findChild<QMenuBar*>(); }
    QMenu* Preferences() const {
        for (QAction* item : Bar()->actions())
            if (item->menu() && item->text() == QStringLiteral("&Preferences"))
                return item->menu();
        return nullptr;
    }
    QMenu* SubMenu(const QString& title) const {
        for (QAction* item : Preferences()->actions())
            if (item->menu() && item->text() == title)
                return item->menu();
        qFatal("no sub-menu %s", qPrintable(title));
    }
    bool OnMenuBar(int id) const { return Bar()->actions().contains(Action(id)); }
    // The menu that lists a command, or null when it has been taken off.
    QMenu* MenuOf(int id) const {
        for (QMenu* menu : window_->findChildren<QMenu*>())
            if (menu->actions().contains(Action(id)))
                return menu;
        return nullptr;
    }
    static QStringList MenuTexts(const QMenu* menu) {
        QStringList texts;
        for (const QAction* item : menu->actions())
            texts << item->text();
        return texts;
    }

    const QString home_ = QDir::currentPath();
};

RECITOR_UI_TEST_MAIN(PreferencesTest)
#include "test_preferences.moc"
