// SPDX-License-Identifier: GPL-2.0-or-later
#include "MainMenu.h"

#include "Backgrounds.h"
#include "CommandIds.h"
#include "RefTables.h"
#include "Version.h"
#include "Win1252.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <array>
#include <span>
#include <utility>

namespace {

enum ItemFlag : unsigned { kPlain = 0, kChecked = 1, kGrayed = 2, kRadio = 4, kCheckable = 8 };

// One line of a pop-up: a command, or a separator when id is 0.
struct Item {
    int id;
    const char* caption;
    unsigned flags = kPlain;
};

constexpr Item kSeparator{0, nullptr};

constexpr Item kFileItems[] = {
    {Id::kAddPassage, "Add Passage"},
    {Id::kDeletePassage, "Delete Passage"},
    {Id::kEditPassage, "Edit Passage"},
    kSeparator,
    {Id::kExportPocketPc, "Export Pocket PC"},
    {Id::kExportFlashcards, "Export Flashcards..."},
    {Id::kImportPassages, "Import Passages..."},
    kSeparator,
    {Id::kPrint, "Print"},
    {Id::kPrintCards, "Print Cards..."},
    {Id::kSave, "Save"},
    {Id::kExit, "Exit"},
};

// The categories are the tree's frequency groups; they take the groups' names when the menu is
// built.
constexpr Item kViewItems[] = {
    {Id::kFirstCategory + 0, nullptr, kRadio},
    {Id::kFirstCategory + 1, nullptr, kRadio},
    {Id::kFirstCategory + 2, nullptr, kRadio},
    {Id::kFirstCategory + 3, nullptr, kRadio},
    kSeparator,
    {Id::kParallelPassages, "Parallel Passages"},
    {Id::kSameTopic, "Passages with Same Topic"},
    {Id::kFindWord, "Find Specific Word/Phrase", kGrayed},
    kSeparator,
    {Id::kCheckRecitation, "Check Recitation..."},
    {Id::kProgressOverTime, "Progress Over Time...", kGrayed},
    {Id::kReviewDue, "Review Due Passages", kGrayed},
    // Checked while it reads.
    {Id::kListen, "Listen", kCheckable},
};

constexpr Item kFlyoverItems[] = {
    {Id::kFlyoverDisable, "Disable", kRadio},
    {Id::kFlyoverEnable, "Enable", kRadio | kChecked},
};

constexpr Item kFontSizeItems[] = {
    {Id::kFirstFontSize + 0, "Auto Resizing", kRadio | kChecked},
    {Id::kFirstFontSize + 1, "Fixed Small Size", kRadio},
    {Id::kFirstFontSize + 2, "Fixed Medium Size", kRadio},
    {Id::kFirstFontSize + 3, "Fixed Large Size", kRadio},
};

// The background chosen before the settings are applied: Clouds.
constexpr int kMenuBackground = 3;

constexpr auto kBackgroundItems = [] {
    std::array<Item, kBackgroundCount> items{};
    for (int index = 0; index < kBackgroundCount; ++index)
        items[static_cast<std::size_t>(index)] = {
            Id::kFirstBackground + index, kBackgrounds[index].caption,
            index == kMenuBackground ? kRadio | kChecked : unsigned{kRadio}};
    return items;
}();

// The two hint styles are one choice, of which only "Several Words" exists: clicking it keeps it
// checked.
constexpr Item kHintItems[] = {
    {Id::kHintSeveralWords, "Several Words", kRadio | kChecked},
    {Id::kHintLetters, "Letter of Each Word", kRadio | kGrayed},
};

constexpr int Trans(int index) {
    return Id::kFirstTranslation + index;
}

constexpr Item kTranslationItems[] = {
    {Id::kTranslationHeading, "Select a 'filter' below to only see that version's passages"},
    kSeparator,
    {Trans(10), "AMP (1987 Amplified Bible-500 verses max)", kRadio},
    {Trans(0), "ASV (1901 American Standard-Public Domain)", kRadio},
    {Trans(11), "BBE (1964 Bible in Basic English-Public Domain)", kRadio},
    {Trans(12), "CEV (1995 Contemporary English Version-500 verses max)", kRadio},
    {Trans(13), "DB (1890 Darby Bible-Public Domain)", kRadio},
    {Trans(16), "GW (1995 God's Word-500 verses max)", kRadio},
    {Trans(14), "ESV (2001 English Standard Version-1000 verses max)", kRadio},
    {Trans(1), "ISV (1998 International Standard Version NT)", kRadio},
    kSeparator,
    {Trans(20), "KJ21 (2002 King James 21st Century-1000 verses max)", kRadio},
    {Trans(3), "KJV (1611 Kings James-Public Domain)", kRadio},
    {Trans(21), "LB (1971 Living Bible-500 verses max)", kRadio},
    {Trans(24), "LITV (2000 Literal Translation-1000 verses max)", kRadio},
    {Trans(17), "MKJV (2003 Modern King James-1000 verses max)", kRadio},
    {Trans(22), "MSG (2002 The Message-500 verses max)", kRadio},
    kSeparator,
    {Trans(5), "NASB (1995 New American Standard-3500 verses max)", kRadio},
    {Trans(23), "NCV (1991 New Century Version-1000 verses max)", kRadio},
    {Trans(6), "NET (1996 New English Translation NT-500 verses max)", kRadio},
    {Trans(8), "NIV (1984 New International-1000 verses max)", kRadio},
    {Trans(9), "NKJV (1994 New King James-1000 verses max)", kRadio},
    {Trans(7), "NLT (1996 New Living Translation -250 verses max)", kRadio},
    {Trans(2), "NRSV (1989 New Revised Standard-500 verses max)", kRadio},
    kSeparator,
    {Trans(4), "RSV (1971 Revised Standard-34 passages for tutorial)", kRadio},
    {Trans(29), "TEV (1992 Today's English (Good News)-500 verses max)", kRadio},
    {Trans(32), "WEB (2003 Worldwide English-Public Domain)", kRadio},
    kSeparator,
    {Trans(33), "All (no 'filtering' .. includes KJV,NASB,NIV,etc)", kRadio},
    kSeparator,
    {Id::kVisitVersions, "Visit web-site with info about versions"},
    {Id::kVisitBibleSite, "Visit BibleGateway web-site to add your own passages"},
};

constexpr Item kListenSpeedItems[] = {
    {Id::kFirstListenSpeed + 0, "Very Slow", kRadio},
    {Id::kFirstListenSpeed + 1, "Slow", kRadio},
    {Id::kFirstListenSpeed + 2, "Normal", kRadio | kChecked},
    {Id::kFirstListenSpeed + 3, "Fast", kRadio},
    {Id::kFirstListenSpeed + 4, "Very Fast", kRadio},
};

constexpr Item kConfirmationItems[] = {
    {Id::kConfirmDelete, "Delete", kChecked},
    {Id::kConfirmEdit, "Edit", kChecked},
    {Id::kConfirmExportPpc, "Export Ppc", kChecked},
};

constexpr Item kEeOptionItems[] = {
    {Id::kTrainee, "Trainee", kRadio | kChecked},
    {Id::kTrainer, "Trainer", kRadio},
};

constexpr Item kHelpItems[] = {
    {Id::kOverview, "Overview"},
    {Id::kHelpTopics, "Help Topics"},
    kSeparator,
    {Id::kTutorial, "Tutorial"},
    {Id::kUserGuide, "User Guide"},
    {Id::kUserManual, "UserManual.doc"},
    kSeparator,
    {Id::kContactUs, "Contact Us"},
    {Id::kHomePage, "Visit Home Page"},
    {Id::kSlideshow, "Watch Slideshow"},
    {Id::kCheckForUpdate, "Check for Update"},
    kSeparator,
    {Id::kTipOfTheDay, "Tip of the Day"},
    {Id::kSlowLaunch, "Slow to 'launch'?"},
    {Id::kAbout, "About Recitor " RECITOR_VERSION},
};

constexpr Item kBarItems[] = {
    {Id::kEdThis, "EdThis", kGrayed},
    {Id::kEdNx, "EdNx", kGrayed},
    {Id::kDelThis, "DelThis", kGrayed},
    {Id::kFirst, "<< First"},
    {Id::kPrevious, "< Previous"},
    {Id::kNext, "Next >"},
    {Id::kLast, "Last >>"},
};

} // namespace

namespace {

// Adds items to menu (or to the bar itself); radio items of one list form one exclusive group.
void AddItems(QWidget& target, std::span<const Item> items, QWidget& owner,
              QHash<int, QAction*>& actions) {
    QActionGroup* group = nullptr;
    for (const Item& item : items) {
        if (item.id == 0) {
            if (auto* menu = qobject_cast<QMenu*>(&target))
                menu->addSeparator();
            continue;
        }
        auto* action = new QAction(QString::fromLatin1(item.caption), &owner);
        action->setData(item.id);
        action->setObjectName(QString::number(item.id));
        action->setMenuRole(QAction::NoRole);
        if (item.flags & (kChecked | kRadio | kCheckable))
            action->setCheckable(true);
        action->setChecked(item.flags & kChecked);
        action->setEnabled(!(item.flags & kGrayed));
        if (item.flags & kRadio) {
            if (!group)
                group = new QActionGroup(&owner);
            group->addAction(action);
        }
        target.addAction(action);
        actions.insert(item.id, action);
    }
}

QMenu* AddMenu(QWidget& parentMenu, const char* title, std::span<const Item> items, QWidget& owner,
               QHash<int, QAction*>& actions) {
    auto* menu = new QMenu(QString::fromLatin1(title), &parentMenu);
    AddItems(*menu, items, owner, actions);
    if (auto* bar = qobject_cast<QMenuBar*>(&parentMenu))
        bar->addMenu(menu);
    else
        qobject_cast<QMenu*>(&parentMenu)->addMenu(menu);
    return menu;
}

} // namespace

CMainMenu::CMainMenu(QMenuBar& bar, QWidget& owner) {
    AddMenu(bar, "&File", kFileItems, owner, actions_);
    view_ = AddMenu(bar, "&View", kViewItems, owner, actions_);
    for (int freq = 0; freq < kFreqCount; ++freq)
        Action(Id::kFirstCategory + freq)->setText(FromWin1252(FreqGroupText(freq)));

    preferences_ = AddMenu(bar, "&Preferences", {}, owner, actions_);
    AddMenu(*preferences_, "Flyover", kFlyoverItems, owner, actions_);
    AddMenu(*preferences_, "Font Size", kFontSizeItems, owner, actions_);
    AddMenu(*preferences_, "Background", kBackgroundItems, owner, actions_);
    AddMenu(*preferences_, "Hint Options", kHintItems, owner, actions_);
    preferences_->addSeparator();
    AddMenu(*preferences_, "Translation", kTranslationItems, owner, actions_);
    AddMenu(*preferences_, "Confirmations", kConfirmationItems, owner, actions_);
    AddMenu(*preferences_, "EE Options", kEeOptionItems, owner, actions_);
    constexpr Item kTopicFilter[] = {{Id::kTopicFilter, "Topic Filter ..."}};
    AddItems(*preferences_, kTopicFilter, owner, actions_);
    preferences_->addSeparator();
    constexpr Item kReset[] = {{Id::kResetDefaults, "Reset Defaults", kGrayed}};
    AddItems(*preferences_, kReset, owner, actions_);
    constexpr Item kReview[] = {{Id::kReviewIntervals, "Review Intervals..."}};
    AddItems(*preferences_, kReview, owner, actions_);
    AddMenu(*preferences_, "Listening Speed", kListenSpeedItems, owner, actions_);
    constexpr Item kBible[] = {{Id::kBibleVerses, "Bible Verses..."}};
    AddItems(*preferences_, kBible, owner, actions_);

    help_ = AddMenu(bar, "&Help", kHelpItems, owner, actions_);
    AddItems(bar, kBarItems, owner, actions_);
}

void CMainMenu::Remove(int id) {
    QAction* action = Action(id);
    if (!action)
        return;
    action->setEnabled(false);
    for (QObject* holder : action->associatedObjects())
        if (auto* widget = qobject_cast<QWidget*>(holder))
            widget->removeAction(action);
}

void CMainMenu::RemoveEeOptions() {
    constexpr int kEeOptionsPosition = 7;
    const QList<QAction*> items = preferences_->actions();
    if (items.size() > kEeOptionsPosition)
        preferences_->removeAction(items[kEeOptionsPosition]);
}

void CMainMenu::SetHelpContextIds() {
    help_->setProperty(kHelpContextProperty, Id::kTutorial);
    const std::pair<const char*, int> kSubMenus[] = {
        {"Flyover", Id::kFlyoverDisable},      {"Font Size", Id::kFirstFontSize},
        {"Background", Id::kFirstBackground},  {"Translation", Id::kFirstTranslation},
        {"Confirmations", Id::kConfirmDelete}, {"Listening Speed", Id::kFirstListenSpeed}};
    for (QAction* item : preferences_->actions())
        for (const auto& [title, id] : kSubMenus)
            if (item->menu() && item->text() == QLatin1String(title))
                item->menu()->setProperty(kHelpContextProperty, id);
}
