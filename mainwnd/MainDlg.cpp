// SPDX-License-Identifier: GPL-2.0-or-later
#include "MainDlg.h"

#include "AboutDlg.h"
#include "AddPassageCommand.h"
#include "BibleVersesDlg.h"
#include "CardPrinter.h"
#include "CommandIds.h"
#include "DeletePassageCommand.h"
#include "DialogUnits.h"
#include "EditNextCommand.h"
#include "EditPassageCommand.h"
#include "FlashcardExportCommand.h"
#include "HandheldExportCommand.h"
#include "HelpCommands.h"
#include "ImportCommand.h"
#include "ListenCommand.h"
#include "MainKeys.h"
#include "MainMenu.h"
#include "ParallelDlg.h"
#include "ParallelPassages.h"
#include "PassageTree.h"
#include "PassageTreeModel.h"
#include "PreferenceMenu.h"
#include "PrintCardsCommand.h"
#include "RefTables.h"
#include "ReviewCommands.h"
#include "Speaker.h"
#include "TopicChoiceDlg.h"
#include "TopicList.h"
#include "TopicListDlg.h"
#include "Win1252.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolTip>
#include <QVBoxLayout>

#include <memory>

namespace {

// The maintainers work on each translation of a verse together with its context record: the
// records are listed in their mode, in the tree and in the handheld export alike. Said before the
// window's session lists the passages.
CPassageStore& ListingContextRecords(CPassageStore& store, bool maintainer) {
    store.SetListContextRecords(maintainer);
    return store;
}

} // namespace

CMainDlg::CMainDlg(CPassageStore& store, CPreferences& prefs, int editNextMode, int position,
                   QWidget* parent)
    : QDialog(parent), store_(ListingContextRecords(store, editNextMode == 1)), prefs_(prefs),
      editNextMode_(editNextMode), session_(store, position, prefs.TransFilter),
      model_(std::make_unique<CPassageTreeModel>(store, session_)), topic_(prefs.topicNumber) {
    session_.SetView(this);
    setWindowTitle(QStringLiteral("Recitor"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setFont(DialogFont());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The navigation commands sit on the bar itself, which a desktop's global menu would drop.
    // Said before the bar exists, so that it never asks the session bus for a global menu: that
    // question alone delays the window's first appearance.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    auto* bar = new QMenuBar(this);
    bar->installEventFilter(this);
    layout->setMenuBar(bar);
    menu_ = std::make_unique<CMainMenu>(*bar, *this);
    layout_ =
        std::make_unique<CMainLayout>(*this, *model_,
                                      QStringLiteral("Check Recitation... (%1)")
                                          .arg(MainKeys::Text(CReviewCommands::kRecitationKey)));
    layout->addWidget(layout_->Client());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    display_ = std::make_unique<CPassageDisplay>(session_, store_, prefs_, *layout_, *this,
                                                 editNextMode_ == 1 ? kContext : kPassage);
    review_ = std::make_unique<CReviewCommands>(*this, store_, session_, *menu_, *layout_, *model_,
                                                *display_);
    connect(review_.get(), &CReviewCommands::intervalsChosen, this,
            &CMainDlg::reviewIntervalsChosen);
    // A session may have classified passages anew; the window shows its passage as it is now.
    connect(review_.get(), &CReviewCommands::sessionEnded, this, &CMainDlg::ShowPosition);
    ConnectCommands();

    // The start-up sequence of the window.
    menu_->SetHelpContextIds();
    ConnectPreferences();
    ApplyCommandSettings();
    layout_->SetBackground(preferenceMenu_->BackgroundIndex());
    // The session listed the passages as the tree shows them: only the layout is taken here.
    layout_->CaptureLayout();
    UpdateNavigationMenu();
    SelectCurrent();
    BringTextBoxToFront();
    RefreshReview();
}

CMainDlg::~CMainDlg() {
    session_.SetView(nullptr);
}

void CMainDlg::ConnectCommands() {
    ConnectOutputCommands();

    static constexpr int kHandled[] = {
        Id::kSave,      Id::kExit,        Id::kFirst,       Id::kPrevious,      Id::kNext,
        Id::kLast,      Id::kTipOfTheDay, Id::kSlowLaunch,  Id::kAbout,         Id::kTopicFilter,
        Id::kSameTopic, Id::kAddPassage,  Id::kEditPassage, Id::kDeletePassage, Id::kEdThis,
        Id::kEdNx,      Id::kDelThis};
    for (const int id : kHandled)
        connect(Action(id), &QAction::triggered, this, [this, id] { OnCommand(id); });
    for (int freq = 0; freq <= kFreqInactive; ++freq)
        connect(Action(Id::kFirstCategory + freq), &QAction::triggered, this,
                [this, freq] { OnViewCategory(freq); });
    connect(layout_->FrequencyGroup(), &QButtonGroup::idClicked, this, &CMainDlg::OnFrequency);
    connect(layout_->ProgressGroup(), &QButtonGroup::idClicked, this, &CMainDlg::OnProgress);
    connect(layout_->VisibilityGroup(), &QButtonGroup::idClicked, this, &CMainDlg::OnVisibility);
    // A click chooses the passage under it; the keys move the tree's current item.
    CPassageTree* tree = layout_->Tree();
    connect(tree, &CPassageTree::itemChosen, this, &CMainDlg::OnTreeItemChosen);
    connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!followingCurrent_)
                    OnTreeItemChosen(current);
            });
    connect(layout_.get(), &CMainLayout::mouseMoved, this, &CMainDlg::OnMouseMove);
    MainKeys::Connect(*menu_, *layout_->VisibilityGroup(), *this);
    listen_ = std::make_unique<CListenCommand>(*menu_, prefs_);
    review_->SetListen(*listen_);
    connect(Action(Id::kListen), &QAction::triggered, this, &CMainDlg::OnListen);
}

QAction* CMainDlg::Action(int id) const {
    return menu_->Action(id);
}

void CMainDlg::OnCommand(int id) {
    switch (id) {
    case Id::kSave:
        emit saveRequested();
        break;
    case Id::kExit:
        reject();
        break;
    case Id::kFirst:
        First();
        break;
    case Id::kPrevious:
        Previous();
        break;
    case Id::kNext:
        Next();
        break;
    case Id::kLast:
        Last();
        break;
    case Id::kTipOfTheDay:
        emit tipRequested();
        break;
    case Id::kSlowLaunch:
        ShowLaunchTimeReport(store_.LoadSeconds());
        break;
    case Id::kAbout: {
        const CAboutDlg::Values values{.userCount = store_.UserCount(),
                                       .baselineCount = store_.BaselineCount(),
                                       .statsCount = store_.StatsCount(),
                                       .exportDue = store_.ExportDue(),
                                       .loadSeconds = store_.LoadSeconds(),
                                       .transName = model_->TransFilterName(),
                                       .transPassages = model_->TransPassageCount(),
                                       .transVerses = model_->TransVerseCount()};
        CAboutDlg about(values, this);
        about.exec();
        break;
    }
    case Id::kAddPassage:
        CAddPassageCommand(Context()).Run();
        break;
    case Id::kEditPassage:
    case Id::kEdThis:
        CEditPassageCommand(Context()).Run();
        break;
    case Id::kDeletePassage:
    case Id::kDelThis:
        CDeletePassageCommand(Context()).Run();
        break;
    case Id::kEdNx:
        CEditNextCommand(Context()).Run();
        break;
    case Id::kTopicFilter: {
        CTopicChoiceDlg filter(CTopicChoiceDlg::Mode::Filter, topic_, store_, prefs_.TransFilter,
                               this);
        filter.exec();
        // The topic last listed is selected when the filter opens next.
        topic_ = filter.Topic();
        break;
    }
    case Id::kSameTopic: {
        // With no passage shown the last topic is listed again.
        if (const CPassage* passage = Current())
            topic_ = passage->primaryTopic;
        CTopicListDlg list(CTopicList(store_, topic_, prefs_.TransFilter), this);
        list.exec();
        break;
    }
    default:
        break;
    }
}

// The Preferences menu keeps each choice; the window shows what it changes.
void CMainDlg::ConnectPreferences() {
    preferenceMenu_ = std::make_unique<CPreferenceMenu>(*menu_, prefs_);
    CPreferenceMenu* preferences = preferenceMenu_.get();
    connect(preferences, &CPreferenceMenu::fontSizeChosen, this, &CMainDlg::RefreshDisplay);
    connect(preferences, &CPreferenceMenu::backgroundChosen, this, [this] {
        layout_->SetBackground(preferenceMenu_->BackgroundIndex());
        update();
    });
    connect(preferences, &CPreferenceMenu::translationChosen, this, [this] {
        RebuildTree();
        First();
    });
    connect(preferences, &CPreferenceMenu::exportConfirmationToggled, this,
            &CMainDlg::exportConfirmationToggled);
    connect(preferences, &CPreferenceMenu::listenSpeedChosen, this, &CMainDlg::listenSpeedChosen);
    connect(Action(Id::kBibleVerses), &QAction::triggered, this, &CMainDlg::OnBibleVerses);
}

void CMainDlg::ApplyCommandSettings() {
    if (!prefs_.AddPassageAllowed)
        menu_->Remove(Id::kAddPassage);
    if (!prefs_.EditPassageAllowed)
        menu_->Remove(Id::kEditPassage);
    // Importing adds passages: not where adding is not allowed.
    if (!prefs_.AddPassageAllowed)
        Action(Id::kImportPassages)->setEnabled(false);

    // Export to the handheld needs its synchronisation library and the exporter program.
    Action(Id::kExportPocketPc)->setEnabled(CHandheldExportCommand::Available());

    // The maintainers' one-click commands are on the bar only in their mode.
    for (const int id : {Id::kEdThis, Id::kEdNx, Id::kDelThis}) {
        if (editNextMode_ == 1)
            Action(id)->setEnabled(true);
        else
            menu_->Remove(id);
    }
}

int CMainDlg::BackgroundIndex() const {
    return preferenceMenu_->BackgroundIndex();
}

void CMainDlg::Beep() {
    QApplication::beep();
    emit beeped();
}

// ---------------------------------------------------------------------------------------------
// Tree

void CMainDlg::RebuildTree() {
    session_.Relist(prefs_.TransFilter);
}

void CMainDlg::ListingAboutToChange() {
    model_->BeginRelist();
}

void CMainDlg::ListingChanged() {
    model_->EndRelist();
    layout_->CaptureLayout();
    // A new class, a passage added or deleted: the due passages and their indices change.
    RefreshReview();
}

void CMainDlg::ShownPassageFound() {
    ShowPosition();
}

void CMainDlg::ShowPosition() {
    SelectCurrent();
    UpdateNavigationMenu();
}

void CMainDlg::SelectCurrent() {
    // What is being read aloud belongs to the passage shown until now.
    listen_->Stop();
    if (!session_.ShowPosition()) {
        model_->SetHighlighted(-1);
        RefreshDisplay();
        return;
    }
    const int current = session_.CurrentIndex();
    model_->SetHighlighted(current);
    const QModelIndex item = model_->IndexOfPassage(current);
    CPassageTree* tree = layout_->Tree();
    tree->scrollTo(item);
    // The tree's current item follows the passage shown, so that the keys step on from it and a
    // click on any other item, the one clicked last included, is a change.
    followingCurrent_ = true;
    tree->selectionModel()->setCurrentIndex(item, QItemSelectionModel::NoUpdate);
    followingCurrent_ = false;
    UpdateCategoryMenu();
    RefreshDisplay();
}

void CMainDlg::UpdateCategoryMenu() {
    const CPassage* passage = Current();
    if (!passage)
        return;
    if (QAction* category = Action(Id::kFirstCategory + passage->freq))
        category->setChecked(true);
    // Deleting from the File menu is for the user's own passages: a baseline passage would come
    // back from the baseline file at the next start. (The maintainers' DelThis deletes any.)
    Action(Id::kDeletePassage)->setEnabled(!passage->baseline);
}

void CMainDlg::OnTreeItemChosen(const QModelIndex& item) {
    if (item.isValid()) {
        const int index = item.data(CPassageTreeModel::kPassageRole).toInt();
        if (index >= 0 && index <= store_.LastIndex()) {
            session_.SetPosition(0);
            session_.ShowPassage(index);
            SelectCurrent();
            // Context mode gives the text box the focus to mark the passage; a choice made in the
            // tree keeps the keys in the tree, so that the arrows go on stepping through it.
            layout_->Tree()->setFocus();
            if (editNextMode_ == 1) {
                layout_->Tree()->scrollTo(item, QAbstractItemView::PositionAtTop);
                layout_->BringTextBoxToFront();
            }
        }
    }
    UpdateNavigationMenu();
    layout_->BringTreeToFront();
}

// ---------------------------------------------------------------------------------------------
// Display

void CMainDlg::RefreshDisplay() {
    display_->Show();
    review_->UpdateRecitationCommand();
    listen_->Update(Current());
    if (editNextMode_ == 1)
        layout_->BringTextBoxToFront();
    else
        layout_->BringTreeToFront();
}

void CMainDlg::OnVisibility(int mode) {
    display_->SetVisibilityMode(mode);
    RefreshDisplay();
    layout_->BringTextBoxToFront();
}

// ---------------------------------------------------------------------------------------------
// Events

void CMainDlg::OnMouseMove(const QPoint& p) {
    if (prefs_.PrefFlyoverChoice != 0)
        layout_->FlyOver(p);
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && qobject_cast<QMenuBar*>(watched)) {
        // The commands on the bar itself tell their keys.
        auto* bar = static_cast<QMenuBar*>(watched);
        const auto* help = static_cast<QHelpEvent*>(event);
        const QAction* action = bar->actionAt(help->pos());
        if (action && !action->menu() && !action->shortcut().isEmpty())
            QToolTip::showText(help->globalPos(), action->toolTip(), bar);
        else
            QToolTip::hideText();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CMainDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        emit initialised();
    }
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    // While a passage is read aloud, Escape only stops the reading.
    if (event->key() == Qt::Key_Escape && listen_->Stop())
        return;
    // Enter ends the window as OK does, Escape as Cancel does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Navigation and classification

void CMainDlg::UpdateNavigationMenu() {
    const bool atFirst = session_.AtFirst();
    const bool atLast = session_.AtLast();
    Action(Id::kFirst)->setEnabled(!atFirst);
    Action(Id::kPrevious)->setEnabled(!atFirst);
    Action(Id::kNext)->setEnabled(!atLast);
    Action(Id::kLast)->setEnabled(!atLast);
}

void CMainDlg::First() {
    session_.First();
    UpdateNavigationMenu();
    SelectCurrent();
}

void CMainDlg::Last() {
    session_.Last();
    UpdateNavigationMenu();
    SelectCurrent();
}

void CMainDlg::Next() {
    if (!session_.Next()) {
        Beep();
        return;
    }
    UpdateNavigationMenu();
    SelectCurrent();
}

void CMainDlg::Previous() {
    if (!session_.Previous()) {
        Beep();
        return;
    }
    UpdateNavigationMenu();
    SelectCurrent();
}

void CMainDlg::OnViewCategory(int freq) {
    Action(Id::kFirstCategory + freq)->setChecked(true);
    CPassageTree* tree = layout_->Tree();
    for (int root = 0; root <= kFreqInactive; ++root)
        tree->collapse(model_->RootIndex(root));
    int root = freq;
    while (root <= kFreqInactive && model_->ChildCount(root) == 0)
        ++root;
    if (root > kFreqInactive) {
        First();
        return;
    }
    const QModelIndex rootIndex = model_->RootIndex(root);
    tree->expand(rootIndex);
    const QModelIndex first = model_->index(0, 0, rootIndex);
    tree->scrollTo(first);
    session_.ShowPassage(first.data(CPassageTreeModel::kPassageRole).toInt());
    model_->SetHighlighted(session_.CurrentIndex());
    SelectCurrent();
    UpdateNavigationMenu();
}

void CMainDlg::OnFrequency(int choice) {
    if (!Current())
        return;
    // The passage moves to its new class: the tree lists it anew and the position goes to the
    // first.
    if (!session_.SetFrequency(choice)) {
        display_->PushChoices(); // refused: the radios show the class the passage kept
        return;
    }
    display_->SetFrequencyChoice(choice);
    if (choice == kFreqInactive) {
        // An inactive passage is always "Not Started".
        display_->SetProgressChoice(0);
        display_->PushChoices();
    }
    RefreshTitle();
    UpdateNavigationMenu();
    SelectCurrent();
}

void CMainDlg::OnProgress(int choice) {
    if (!Current())
        return;
    const int kept = session_.SetProgress(choice);
    display_->SetProgressChoice(kept);
    if (kept != choice)
        display_->PushChoices(); // an inactive passage keeps "Not Started"
    RefreshTitle();
}

int CMainDlg::LastPosition() const {
    return session_.LastPosition();
}

void CMainDlg::SetPosition(int position) {
    session_.SetPosition(position);
}

// ---------------------------------------------------------------------------------------------
// The commands that change the collection

CommandContext CMainDlg::Context() {
    return {store_, session_, prefs_, editNextMode_, *this, this, &bible_};
}

bool CMainDlg::TakeNewPassage(const CPassage::Values& values) {
    return CAddPassageCommand(Context()).Take(values);
}

// ---------------------------------------------------------------------------------------------
// Printing, the handheld export, the parallel passages, help and web links

void CMainDlg::ConnectOutputCommands() {
    connect(Action(Id::kPrint), &QAction::triggered, this, &CMainDlg::OnPrint);
    connect(Action(Id::kPrintCards), &QAction::triggered, this,
            [this] { CPrintCardsCommand::Run(Context(), topic_); });
    Action(Id::kPrintCards)->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_P);
    connect(Action(Id::kExportPocketPc), &QAction::triggered, this,
            [this] { CHandheldExportCommand(Context()).Run(); });
    connect(Action(Id::kParallelPassages), &QAction::triggered, this,
            &CMainDlg::OnParallelPassages);
    connect(Action(Id::kExportFlashcards), &QAction::triggered, this,
            &CMainDlg::OnExportFlashcards);
    connect(Action(Id::kImportPassages), &QAction::triggered, this, [this] {
        const int before = prefs_.ImportTrans;
        CImportCommand(Context()).Run();
        if (prefs_.ImportTrans != before)
            emit importTranslationChosen();
    });

    help_ = std::make_unique<CHelpCommands>(*this, CHelpCommands::DefaultCollectionFile());
    help_->ConnectTo(*menu_);
    connect(Action(Id::kCheckForUpdate), &QAction::triggered, this, [this] {
        CHelpCommands::CheckForUpdate(store_.UserCount(), prefs_.TransFilter, store_.LoadSeconds());
    });
    // The help goes when the main window ends.
    connect(this, &QDialog::finished, help_.get(), &CHelpCommands::Close);
}

// Each showing is a fresh window for the passage shown at that moment, gone before the next one
// opens. In the maintainers' mode "&Next" steps on as "Next >" does and shows the parallels of
// the passage shown then.
void CMainDlg::OnParallelPassages() {
    for (;;) {
        if (!Current())
            return;
        CParallelDlg dialog(CParallelPassages(store_, session_.CurrentIndex()), this);
        dialog.exec();
        if (!dialog.NextRequested() || editNextMode_ != 1)
            return;
        Next();
    }
}

void CMainDlg::OnPrint() {
    // With no passage shown there is no card to print.
    if (const CPassage* passage = Current())
        PrintCard(*passage, this);
}

// The topic last listed is the one the export offers first; a new choice of the Anki cards'
// sides is kept at once.
void CMainDlg::OnExportFlashcards() {
    if (CFlashcardExportCommand(Context()).Run(topic_))
        emit flashcardChoicesChanged();
}

// ---------------------------------------------------------------------------------------------
// Review

void CMainDlg::SetReview(CReviewHistory& history, CReviewSchedule& schedule, IClock& clock) {
    review_->SetReview(history, schedule, clock);
}

void CMainDlg::RefreshReview() {
    review_->Refresh();
}

// ---------------------------------------------------------------------------------------------
// Listen

void CMainDlg::SetSpeaker(std::unique_ptr<ISpeaker> speaker) {
    listen_->SetSpeaker(std::move(speaker));
}

// At Blank, Hint and Passage the passage is read, at Context the verses around it.
void CMainDlg::OnListen() {
    if (!listen_->Toggle(Current(), display_->VisibilityMode() == kContext))
        Beep();
}

void CMainDlg::OnBibleVerses() {
    CBibleVersesDlg dialog(prefs_.BibleVersesBefore, prefs_.BibleVersesAfter,
                           CPreferences::kMaxBibleVerses, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    prefs_.BibleVersesBefore = dialog.Before();
    prefs_.BibleVersesAfter = dialog.After();
    emit bibleVersesChosen();
}
