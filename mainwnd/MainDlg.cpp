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
#include "MainMenu.h"
#include "ParallelDlg.h"
#include "ParallelPassages.h"
#include "PassageTree.h"
#include "PassageTreeModel.h"
#include "PreferenceMenu.h"
#include "PrintCardsCommand.h"
#include "ProgressDlg.h"
#include "ProgressSeries.h"
#include "RecitationDlg.h"
#include "RefTables.h"
#include "ReviewHistory.h"
#include "ReviewIntervalsDlg.h"
#include "ReviewSchedule.h"
#include "Speaker.h"
#include "SpeechText.h"
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
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

// Keys of the navigation commands and the visibility levels. Alt with the arrow, Home and End keys
// and Ctrl with a digit mean nothing to the tree or the text box, so they work wherever the focus
// is; the menu texts stay as they are and the keys show in tooltips.
struct CommandKey {
    int id;
    QKeyCombination key;
    const char* tip;
};
constexpr CommandKey kNavigationKeys[] = {
    {Id::kFirst, Qt::ALT | Qt::Key_Home, "First passage"},
    {Id::kPrevious, Qt::ALT | Qt::Key_Left, "Previous passage"},
    {Id::kNext, Qt::ALT | Qt::Key_Right, "Next passage"},
    {Id::kLast, Qt::ALT | Qt::Key_End, "Last passage"},
};
// The File menu's commands with keys, which show in the menu. A disabled command (Delete on a
// baseline passage, or one the settings took off the menu) ignores its key too.
constexpr std::pair<int, QKeyCombination> kEditingKeys[] = {
    {Id::kAddPassage, Qt::CTRL | Qt::Key_N},
    {Id::kEditPassage, Qt::CTRL | Qt::Key_E},
    {Id::kDeletePassage, Qt::CTRL | Qt::Key_Delete},
    {Id::kExportFlashcards, Qt::CTRL | Qt::SHIFT | Qt::Key_E},
    {Id::kImportPassages, Qt::CTRL | Qt::SHIFT | Qt::Key_I},
};
// Check Recitation, on the View menu and on the button shown at Blank and Hint.
constexpr QKeyCombination kRecitationKey = Qt::CTRL | Qt::Key_R;
constexpr QKeyCombination kVisibilityKeys[] = {Qt::CTRL | Qt::Key_1, Qt::CTRL | Qt::Key_2,
                                               Qt::CTRL | Qt::Key_3, Qt::CTRL | Qt::Key_4};

// Listen, on the View menu, and the rates at which it reads for the speeds of the Preferences menu.
constexpr QKeyCombination kListenKey = Qt::CTRL | Qt::Key_L;
constexpr double kListenRates[CPreferences::kListenSpeeds] = {-0.5, -0.25, 0.0, 0.25, 0.5};
constexpr const char* kNoSpeechEngine =
    "Listening needs a speech engine: install the package qt6-speech-flite-plugin.";

QString KeyText(QKeyCombination key) {
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace

CMainDlg::CMainDlg(CPassageStore& store, CPreferences& prefs, int editNextMode, int position,
                   QWidget* parent)
    : QDialog(parent), store_(store), prefs_(prefs), editNextMode_(editNextMode),
      session_(store, position), model_(std::make_unique<CPassageTreeModel>(store, session_)),
      topic_(prefs.topicNumber) {
    // The maintainers work on each translation of a verse together with its context record: the
    // records are listed in their mode, in the tree and in the handheld export alike.
    store_.SetListContextRecords(editNextMode_ == 1);
    session_.SetView(this);
    setWindowTitle(QStringLiteral("Recitor"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setFont(DialogFont());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QMenuBar(this);
    // The navigation commands sit on the bar itself, which a desktop's global menu would drop.
    bar->setNativeMenuBar(false);
    bar->installEventFilter(this);
    layout->setMenuBar(bar);
    menu_ = std::make_unique<CMainMenu>(*bar, *this);
    layout_ = std::make_unique<CMainLayout>(
        *this, *model_, QStringLiteral("Check Recitation... (%1)").arg(KeyText(kRecitationKey)));
    layout->addWidget(layout_->Client());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    display_ = std::make_unique<CPassageDisplay>(session_, store_, prefs_, *layout_, *this,
                                                 editNextMode_ == 1 ? kContext : kPassage);
    dayChange_ = new QTimer(this);
    dayChange_->setSingleShot(true);
    dayChange_->setTimerType(Qt::VeryCoarseTimer);
    connect(dayChange_, &QTimer::timeout, this, &CMainDlg::RefreshReview);
    ConnectCommands();

    // The start-up sequence of the window.
    menu_->SetHelpContextIds();
    ConnectPreferences();
    ApplyCommandSettings();
    layout_->SetBackground(preferenceMenu_->BackgroundIndex());
    RebuildTree();
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
    connect(layout_->RecitationButton(), &QPushButton::clicked, this, &CMainDlg::OnCheckRecitation);
    ConnectKeys();
    ConnectListen();
}

// Keys of the navigation commands, the File menu's commands and the visibility levels.
void CMainDlg::ConnectKeys() {
    for (const CommandKey& command : kNavigationKeys) {
        QAction* action = Action(command.id);
        action->setShortcut(command.key);
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(QString::fromLatin1(command.tip), KeyText(command.key)));
    }
    for (const auto& [id, key] : kEditingKeys)
        Action(id)->setShortcut(key);
    for (int mode = kBlank; mode <= kContext; ++mode) {
        QAbstractButton* radio = layout_->VisibilityGroup()->button(mode);
        const QKeyCombination key = kVisibilityKeys[mode];
        radio->setToolTip(KeyText(key));
        connect(new QShortcut(key, this), &QShortcut::activated, radio, &QAbstractButton::click);
    }
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
    // Review Intervals sets the schedule, which the window has from SetReview on.
    connect(Action(Id::kReviewIntervals), &QAction::triggered, this, &CMainDlg::OnReviewIntervals);
    connect(Action(Id::kBibleVerses), &QAction::triggered, this, &CMainDlg::OnBibleVerses);
    Action(Id::kReviewIntervals)->setEnabled(false);
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
    speaker_->Stop();
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
    UpdateRecitationCommand();
    UpdateListenCommand();
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
    if (event->key() == Qt::Key_Escape && speaker_->Speaking()) {
        speaker_->Stop();
        return;
    }
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
    connect(Action(Id::kCheckRecitation), &QAction::triggered, this, &CMainDlg::OnCheckRecitation);
    Action(Id::kCheckRecitation)->setShortcut(kRecitationKey);
    connect(Action(Id::kExportPocketPc), &QAction::triggered, this,
            [this] { CHandheldExportCommand(Context()).Run(); });
    connect(Action(Id::kParallelPassages), &QAction::triggered, this,
            &CMainDlg::OnParallelPassages);
    connect(Action(Id::kExportFlashcards), &QAction::triggered, this,
            &CMainDlg::OnExportFlashcards);
    connect(Action(Id::kProgressOverTime), &QAction::triggered, this,
            &CMainDlg::OnProgressOverTime);
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

// ---------------------------------------------------------------------------------------------
// Check Recitation

void CMainDlg::UpdateRecitationCommand() {
    const bool shown = Current() != nullptr;
    Action(Id::kCheckRecitation)->setEnabled(shown);
    const int mode = display_->VisibilityMode();
    layout_->RecitationButton()->setVisible(shown && (mode == kBlank || mode == kHint));
}

// The window borrows the passage only while it is open; the user classifies afterwards as always.
// The first check of each opening is the passage's review; checking again after Try Again is
// practice and is not recorded.
void CMainDlg::OnCheckRecitation() {
    const CPassage* passage = Current();
    if (!passage)
        return;
    CRecitationDlg dialog(*passage, layout_->Background(), this);
    const std::int64_t opened = clock_ ? clock_->NowSeconds() : 0;
    bool recorded = false;
    connect(&dialog, &CRecitationDlg::checked, this, [&] {
        if (recorded || !history_ || !history_->Available())
            return;
        recorded = true;
        const CRecitationCheck& check = *dialog.Result();
        const std::int64_t now = clock_->NowSeconds();
        history_->Record({.when = now,
                          .matchKey = passage->MatchKey(),
                          .kind = ReviewKind::TypedCheck,
                          .result = ResultOfSuggestedProgress(check.SuggestedProgress()),
                          .percent = check.PercentRight(),
                          .seconds = static_cast<int>(std::max<std::int64_t>(now - opened, 0))});
        RefreshReview();
    });
    dialog.exec();
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
    history_ = &history;
    schedule_ = &schedule;
    clock_ = &clock;
    // Without a history nothing is recorded; the session goes on as before.
    session_.SetRecorder(history.Available() ? &history : nullptr, &clock);
    Action(Id::kReviewIntervals)->setEnabled(true);
    Action(Id::kProgressOverTime)->setEnabled(history.Available());
    RefreshReview();
}

void CMainDlg::RefreshReview() {
    if (!schedule_ || !history_->Available()) {
        display_->ShowReviewStatus(nullptr);
        return;
    }
    const CReviewSchedule::DueToday due = schedule_->Due(store_);
    model_->SetDue(due.passages);
    display_->ShowReviewStatus(&due);
    // Counted again when the next review day begins (a second late, to be past its start).
    const std::int64_t now = clock_->NowSeconds();
    const std::int64_t next = schedule_->DayStart(schedule_->ReviewDay(now) + 1);
    constexpr std::int64_t kLongestWait = 86400 * 2;
    dayChange_->start(
        static_cast<int>(std::clamp<std::int64_t>(next - now + 1, 1, kLongestWait) * 1000));
}

// The dialog shows the schedule's values; those chosen go into the schedule and are kept at once.
void CMainDlg::OnReviewIntervals() {
    if (!schedule_)
        return;
    CReviewIntervalsDlg::Values values;
    for (int freq = 0; freq < CReviewSchedule::kActiveClasses; ++freq)
        values.intervals[static_cast<std::size_t>(freq)] = schedule_->Interval(freq);
    values.dayChangeHour = schedule_->DayChangeHour();
    CReviewIntervalsDlg dialog(values, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const CReviewIntervalsDlg::Values chosen = dialog.Chosen();
    for (int freq = 0; freq < CReviewSchedule::kActiveClasses; ++freq)
        schedule_->SetInterval(freq, chosen.intervals[static_cast<std::size_t>(freq)]);
    schedule_->SetDayChangeHour(chosen.dayChangeHour);
    emit reviewIntervalsChosen();
    RefreshReview();
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

// ---------------------------------------------------------------------------------------------
// Progress Over Time

// The series are computed afresh at each opening, from the whole history as it stands.
void CMainDlg::OnProgressOverTime() {
    if (!history_ || !history_->Available())
        return;
    const CProgressSeries series(history_->ReviewMoments(), history_->Changes(), store_, *schedule_,
                                 clock_->NowSeconds());
    CProgressDlg dialog(series, this);
    dialog.exec();
}

// ---------------------------------------------------------------------------------------------
// Listen

void CMainDlg::ConnectListen() {
    QAction* listen = Action(Id::kListen);
    listen->setShortcut(kListenKey);
    connect(listen, &QAction::triggered, this, &CMainDlg::OnListen);
    // Whether an engine is installed is looked up when the View menu opens, never at start-up;
    // the menu shows the tooltip that says why Listen is greyed.
    QMenu* view = menu_->View();
    view->setToolTipsVisible(true);
    connect(view, &QMenu::aboutToShow, this, [this] {
        ListenPossible();
        UpdateListenCommand();
    });
    SetSpeaker(std::make_unique<CSpeaker>());
}

void CMainDlg::SetSpeaker(std::unique_ptr<ISpeaker> speaker) {
    if (speaker_)
        speaker_->Stop();
    speaker_ = std::move(speaker);
    connect(speaker_.get(), &ISpeaker::speaking, Action(Id::kListen), &QAction::setChecked);
}

bool CMainDlg::ListenPossible() {
    if (listenProblem_.isEmpty() && !speaker_->EngineInstalled())
        listenProblem_ = QString::fromLatin1(kNoSpeechEngine);
    return listenProblem_.isEmpty();
}

void CMainDlg::UpdateListenCommand() {
    QAction* listen = Action(Id::kListen);
    listen->setEnabled(Current() && listenProblem_.isEmpty());
    listen->setToolTip(listenProblem_);
}

// At Blank, Hint and Passage the passage is read, at Context the verses around it.
void CMainDlg::OnListen() {
    // The item shows whether it reads, not what a click on it toggled.
    Action(Id::kListen)->setChecked(speaker_->Speaking());
    if (speaker_->Speaking()) {
        speaker_->Stop();
        return;
    }
    const CPassage* passage = Current();
    if (!passage)
        return;
    const std::string_view text =
        display_->VisibilityMode() == kContext ? passage->context : passage->PassageText();
    if (ListenPossible() &&
        speaker_->Say(FromWin1252(SpeechText(text)), kListenRates[prefs_.ListenSpeed]))
        return;
    if (listenProblem_.isEmpty())
        listenProblem_ = QStringLiteral("Listening is not possible: %1").arg(speaker_->Problem());
    UpdateListenCommand();
    Beep();
}
