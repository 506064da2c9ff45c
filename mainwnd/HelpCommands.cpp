// SPDX-License-Identifier: GPL-2.0-or-later
#include "HelpCommands.h"

#include "CommandIds.h"
#include "ContextHelp.h"
#include "HelpWindow.h"
#include "MainMenu.h"
#include "MessageBoxService.h"
#include "Shell.h"
#include "WebLinks.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>
#include <QUrl>
#include <QWhatsThis>

namespace {
constexpr const char* kTutorialPage = "IDH_TUT_OVERVIEW.htm";
constexpr const char* kUserGuidePage = "IDH_UG_INTRO.htm";
} // namespace

CHelpCommands::CHelpCommands(QWidget& owner, QString collectionFile)
    : owner_(owner), collectionFile_(std::move(collectionFile)) {}

CHelpCommands::~CHelpCommands() = default;

void CHelpCommands::ConnectTo(const CMainMenu& menu) {
    connect(menu.Action(Id::kOverview), &QAction::triggered, this, &CHelpCommands::Overview);
    connect(menu.Action(Id::kHelpTopics), &QAction::triggered, this, &CHelpCommands::HelpTopics);
    connect(menu.Action(Id::kTutorial), &QAction::triggered, this, &CHelpCommands::Tutorial);
    connect(menu.Action(Id::kUserGuide), &QAction::triggered, this, &CHelpCommands::UserGuide);
    for (const int id : {Id::kUserManual, Id::kContactUs, Id::kHomePage, Id::kSlideshow,
                         Id::kVisitVersions, Id::kVisitBibleSite})
        connect(menu.Action(id), &QAction::triggered, this, [id] { OpenLink(id); });
    // F1 opens the help; Shift+F1 (and the caption's button) asks what a control does, and F1 on
    // a menu what its item does.
    connect(new QShortcut(Qt::Key_F1, &owner_), &QShortcut::activated, this,
            &CHelpCommands::Overview);
    connect(new QShortcut(Qt::SHIFT | Qt::Key_F1, &owner_), &QShortcut::activated, this,
            [] { QWhatsThis::enterWhatsThisMode(); });
    for (QMenu* item : owner_.findChildren<QMenu*>())
        WatchMenu(*item);
    ContextHelp::Apply(owner_);
}

QString CHelpCommands::DefaultCollectionFile() {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    return program.dir().filePath(program.completeBaseName() + QStringLiteral(".qhc"));
}

void CHelpCommands::SetCollectionFile(const QString& collectionFile) {
    window_.reset();
    collectionFile_ = collectionFile;
}

CHelpWindow* CHelpCommands::Open() {
    // The help engine would make an empty collection where none is: the help is looked for
    // first, so that nothing is left beside the program.
    if (!window_ && !QFileInfo::exists(collectionFile_))
        return nullptr;
    if (!window_) {
        window_ = std::make_unique<CHelpWindow>(collectionFile_, &owner_);
        if (!window_->IsOpen()) {
            // Looked for again at the next request: the help may be installed meanwhile.
            window_.reset();
            return nullptr;
        }
    }
    return window_.get();
}

void CHelpCommands::ReportFailure() {
    MessageBoxes().Show(&owner_, collectionFile_,
                        QStringLiteral("Unable to display HH_DISPLAY_TOC"), MsgIcon::None,
                        MsgButtons::Ok);
}

void CHelpCommands::Overview() {
    CHelpWindow* window = Open();
    if (!window || !window->ShowContents())
        ReportFailure();
}

void CHelpCommands::HelpTopics() {
    CHelpWindow* window = Open();
    if (!window || !window->ShowIndex())
        ReportFailure();
}

void CHelpCommands::ShowContents(const QString& page) {
    CHelpWindow* window = Open();
    if (!window || !window->ShowContents(page))
        HelpTopics();
}

void CHelpCommands::Tutorial() {
    ShowContents(QLatin1String(kTutorialPage));
}

void CHelpCommands::UserGuide() {
    ShowContents(QLatin1String(kUserGuidePage));
}

void CHelpCommands::Close() {
    if (window_)
        window_->close();
}

void CHelpCommands::WatchMenu(QMenu& menu) {
    menu.installEventFilter(this);
}

bool CHelpCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
        return QObject::eventFilter(watched, event);
    auto* menu = qobject_cast<QMenu*>(watched);
    if (!menu)
        return false;
    // The item's own id, or for an item that opens a sub-menu the sub-menu's context id; with no
    // item active, the menu's own.
    int id = menu->property(CMainMenu::kHelpContextProperty).toInt();
    QRect place(QPoint(0, 0), QSize(0, 0));
    if (QAction* item = menu->activeAction()) {
        id = item->data().toInt();
        if (QMenu* sub = item->menu())
            id = sub->property(CMainMenu::kHelpContextProperty).toInt();
        place = menu->actionGeometry(item);
    }
    const QString text = id > 0 ? ContextHelp::Text(ContextHelp::kMenuBase + id) : QString();
    if (!text.isEmpty())
        QWhatsThis::showText(menu->mapToGlobal(place.bottomRight()), text, menu);
    return true; // the request is always taken
}

void CHelpCommands::OpenLink(int commandId) {
    Shell().OpenUrl(QUrl(WebLinks::Address(commandId), QUrl::TolerantMode));
}

void CHelpCommands::CheckForUpdate(int userCount, int transFilter, double loadSeconds) {
    Shell().OpenUrl(
        QUrl(WebLinks::UpdateMail(userCount, transFilter, loadSeconds), QUrl::TolerantMode));
}
