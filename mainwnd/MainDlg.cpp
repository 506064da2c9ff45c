#include "MainDlg.h"

#include "AboutDlg.h"
#include "AddPassageCommand.h"
#include "Backgrounds.h"
#include "CardPrinter.h"
#include "CommandIds.h"
#include "ContextHelp.h"
#include "DeletePassageCommand.h"
#include "DialogUnits.h"
#include "EditNextCommand.h"
#include "EditPassageCommand.h"
#include "FileFormat.h"
#include "FlashcardExportCommand.h"
#include "FlyoverWatch.h"
#include "HandheldExportCommand.h"
#include "HelpCommands.h"
#include "ImportCommand.h"
#include "MainMenu.h"
#include "ParallelDlg.h"
#include "ParallelPassages.h"
#include "PassageStore.h"
#include "PassageTree.h"
#include "PassageTreeModel.h"
#include "PrintCardsCommand.h"
#include "RecitationDlg.h"
#include "RefTables.h"
#include "TextFormat.h"
#include "TopicChoiceDlg.h"
#include "TopicList.h"
#include "TopicListDlg.h"
#include "Win1252.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTextEdit>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <span>
#include <utility>

namespace {

// The client area in dialog units, and the places of the controls in it.
constexpr int kClientWidth = 378;
constexpr int kClientHeight = 268;
constexpr QRect kTreeUnits(255, 0, 122, 257);
constexpr QRect kTextBoxUnits(0, 69, 377, 188);

struct RadioColumn {
    int groupId;
    const char* groupCaption;
    QRect groupUnits;
    int firstId;
    int x;
    int width;
    std::span<const int> ys;
    std::string_view (*caption)(int choice); // the caption of each radio
};

// The frequency and progress radios are captioned with the classes' and levels' own names.
constexpr int kFrequencyYs[] = {11, 25, 39, 53};
constexpr int kProgressYs[] = {11, 22, 33, 44, 55};
constexpr int kVisibilityYs[] = {11, 25, 39, 53};
constexpr std::string_view kVisibilityCaptions[] = {"Blank", "Hint", "Passage", "Context"};

std::string_view VisibilityCaption(int mode) {
    return kVisibilityCaptions[mode];
}

constexpr int kRadioHeight = 10;

constexpr int kHintSize = 180; // Blank and Hint show at 18 points

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

QString KeyText(QKeyCombination key) {
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

// Passage offsets count a line break as the two characters CR LF; the text box holds one
// paragraph separator for it. Converts an offset into the shown text's position.
int ShownPosition(std::string_view text, int offset) {
    const int end = std::min<int>(std::max(offset, 0), static_cast<int>(text.size()));
    int position = 0;
    for (int i = 0; i < end; ++i) {
        if (text[static_cast<std::size_t>(i)] == '\r' && i + 1 < static_cast<int>(text.size()) &&
            text[static_cast<std::size_t>(i) + 1] == '\n')
            continue; // the LF that follows stands for the whole break
        ++position;
    }
    return position;
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
    if (editNextMode_ == 1)
        visibilityMode_ = kContext;
    for (int index = 1; index < kBackgroundCount; ++index)
        if (prefs_.BackgroundFilename == kBackgrounds[index].file) {
            backgroundIndex_ = index;
            break;
        }
    setWindowTitle(QStringLiteral("Recitor"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setFont(DialogFont());
    CreateControls();
    ConnectCommands();

    // The start-up sequence of the window.
    SetUpMenu();
    ApplyBackground();
    RebuildTree();
    UpdateNavigationMenu();
    SelectCurrent();
    BringTextBoxToFront();
}

CMainDlg::~CMainDlg() {
    session_.SetView(nullptr);
}

void CMainDlg::CreateControls() {
    const CDialogUnits units(font());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QMenuBar(this);
    // The navigation commands sit on the bar itself, which a desktop's global menu would drop.
    bar->setNativeMenuBar(false);
    bar->installEventFilter(this);
    layout->setMenuBar(bar);
    menu_ = std::make_unique<CMainMenu>(*bar, *this);

    client_ = new QWidget(this);
    client_->setFixedSize(units.X(kClientWidth), units.Y(kClientHeight));
    client_->setMouseTracking(true);
    client_->installEventFilter(this);
    layout->addWidget(client_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const auto place = [&units](QWidget* widget, int id, const QRect& rect) {
        widget->setObjectName(QString::number(id));
        widget->setGeometry(units.Rect(rect.x(), rect.y(), rect.width(), rect.height()));
    };

    // The tree and the text box first, so that the radio columns stay above both.
    textBox_ = new QTextEdit(client_);
    place(textBox_, Id::kTextBox, kTextBoxUnits);
    textBox_->setReadOnly(true);
    textBox_->setAcceptRichText(false);
    textBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Read only: the mouse may select text to copy, but there is no caret for the keys to move.
    textBox_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    textBox_->setTabChangesFocus(true);
    QPalette palette = textBox_->palette();
    // The passage stays marked when the focus moves on.
    palette.setBrush(QPalette::Inactive, QPalette::Highlight,
                     palette.brush(QPalette::Active, QPalette::Highlight));
    palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                     palette.brush(QPalette::Active, QPalette::HighlightedText));
    textBox_->setPalette(palette);
    textBox_->installEventFilter(this);
    displayFont_ = textBox_->font();

    tree_ = new CPassageTree(client_);
    place(tree_, Id::kPassageTree, kTreeUnits);
    tree_->setModel(model_.get());
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setRootIsDecorated(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The one highlighted item is the passage shown, painted by the model; the tree's own
    // selection would mark a second one.
    tree_->setSelectionMode(QAbstractItemView::NoSelection);
    tree_->installEventFilter(this);
    auto* flyover = new CFlyoverWatch(client_, this);
    flyover->Watch(textBox_, CFlyoverWatch::OnScroll::kRepaint);
    flyover->Watch(tree_, CFlyoverWatch::OnScroll::kReportMove);
    connect(flyover, &CFlyoverWatch::mouseMoved, this, &CMainDlg::OnMouseMove);

    const RadioColumn columns[] = {
        {Id::kFrequencyGroup, "How Often To Recite", QRect(0, 2, 89, 64), Id::kFirstFrequencyRadio,
         3, 84, kFrequencyYs, FreqChoiceText},
        {Id::kProgressGroup, "Progress", QRect(96, 2, 61, 64), Id::kFirstProgressRadio, 99, 56,
         kProgressYs, ProgText},
        {Id::kVisibilityGroup, "Visibility", QRect(165, 2, 53, 64), Id::kFirstVisibilityRadio, 169,
         48, kVisibilityYs, VisibilityCaption},
    };
    QButtonGroup** groups[] = {&frequencyGroup_, &progressGroup_, &visibilityGroup_};
    for (std::size_t c = 0; c < std::size(columns); ++c) {
        const RadioColumn& column = columns[c];
        auto* box = new QGroupBox(QString::fromLatin1(column.groupCaption), client_);
        place(box, column.groupId, column.groupUnits);
        // The caption sits in the frame's top line, so that the frame encloses its radios.
        box->setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); margin-top: 0.5em; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
        auto* group = new QButtonGroup(this);
        for (std::size_t i = 0; i < column.ys.size(); ++i) {
            auto* radio =
                new QRadioButton(FromWin1252(column.caption(static_cast<int>(i))), client_);
            place(radio, column.firstId + static_cast<int>(i),
                  QRect(column.x, column.ys[i], column.width, kRadioHeight));
            group->addButton(radio, static_cast<int>(i));
        }
        // Tab enters a group at its checked radio, so that Space cannot change a value the
        // user did not aim at; the arrow keys move within the group.
        connect(group, &QButtonGroup::idToggled, this, [group](int id, bool checked) {
            group->button(id)->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus);
        });
        for (QAbstractButton* radio : group->buttons())
            radio->setFocusPolicy(Qt::ClickFocus);
        *groups[c] = group;
    }
    // Tab order: the three radio groups, the tree, the text box.
    QWidget* previous = nullptr;
    for (QButtonGroup* group : {frequencyGroup_, progressGroup_, visibilityGroup_})
        for (QAbstractButton* radio : group->buttons()) {
            if (previous)
                setTabOrder(previous, radio);
            previous = radio;
        }
    setTabOrder(previous, tree_);
    setTabOrder(tree_, textBox_);
    CreateRecitationButton();
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
    // Preferences: font sizes, flyover, backgrounds, translations and confirmations.
    const auto isPreference = [](int id) {
        return (id >= Id::kFirstFontSize && id <= Id::kFirstFontSize + 3) ||
               id == Id::kFlyoverDisable || id == Id::kFlyoverEnable ||
               (id >= Id::kFirstBackground && id < Id::kFirstBackground + kBackgroundCount) ||
               (id >= Id::kFirstTranslation && id <= Id::kLastTranslation) ||
               id == Id::kConfirmDelete || id == Id::kConfirmEdit || id == Id::kConfirmExportPpc;
    };
    for (QAction* action : findChildren<QAction*>()) {
        const int id = action->data().toInt();
        if (isPreference(id))
            connect(action, &QAction::triggered, this, [this, id] { OnPreference(id); });
    }

    connect(frequencyGroup_, &QButtonGroup::idClicked, this, &CMainDlg::OnFrequency);
    connect(progressGroup_, &QButtonGroup::idClicked, this, &CMainDlg::OnProgress);
    connect(visibilityGroup_, &QButtonGroup::idClicked, this, &CMainDlg::OnVisibility);
    // A click chooses the passage under it; the keys move the tree's current item.
    connect(tree_, &CPassageTree::itemChosen, this, &CMainDlg::OnTreeItemChosen);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!followingCurrent_)
                    OnTreeItemChosen(current);
            });
    connect(tree_, &QTreeView::expanded, this, [this] { BringTreeToFront(); });
    connect(tree_, &QTreeView::collapsed, this, [this] { BringTreeToFront(); });

    for (const CommandKey& command : kNavigationKeys) {
        QAction* action = Action(command.id);
        action->setShortcut(command.key);
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(QString::fromLatin1(command.tip), KeyText(command.key)));
    }
    for (const auto& [id, key] : kEditingKeys)
        Action(id)->setShortcut(key);
    for (int mode = kBlank; mode <= kContext; ++mode) {
        QAbstractButton* radio = visibilityGroup_->button(mode);
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
        AddPassage();
        break;
    case Id::kEditPassage:
    case Id::kEdThis:
        EditPassage();
        break;
    case Id::kDeletePassage:
    case Id::kDelThis:
        DeletePassage();
        break;
    case Id::kEdNx:
        EditNext();
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

// Brings the menu in line with the preferences read at start-up.
void CMainDlg::SetUpMenu() {
    const auto check = [this](int id, bool on) {
        if (QAction* action = Action(id))
            action->setChecked(on);
    };
    if (prefs_.PrefConfirmChoiceAllowed) {
        check(Id::kConfirmDelete, prefs_.PrefConfirmDelete);
        check(Id::kConfirmEdit, prefs_.PrefConfirmEdit);
        check(Id::kConfirmExportPpc, prefs_.PrefConfirmExportPpc);
    } else
        for (const int id : {Id::kConfirmDelete, Id::kConfirmEdit, Id::kConfirmExportPpc})
            Action(id)->setEnabled(false);

    // Auto Resizing stays available and checked as it is when the choice is not allowed; the
    // stored choice still decides the size.
    if (prefs_.PrefFontChoiceAllowed)
        check(Id::kFirstFontSize + prefs_.PrefFontChoice, true);
    else
        for (int size = 1; size <= 3; ++size)
            Action(Id::kFirstFontSize + size)->setEnabled(false);

    if (!prefs_.AddPassageAllowed)
        menu_->Remove(Id::kAddPassage);
    if (!prefs_.EditPassageAllowed)
        menu_->Remove(Id::kEditPassage);
    // Importing adds passages: not where adding is not allowed.
    if (!prefs_.AddPassageAllowed)
        Action(Id::kImportPassages)->setEnabled(false);

    if (prefs_.PrefFlyoverChoiceAllowed)
        check(Id::kFlyoverDisable + prefs_.PrefFlyoverChoice, true);
    else
        Action(Id::kFlyoverEnable)->setEnabled(false);

    check(Id::kFirstTranslation + prefs_.TransFilter, true);

    const QDir workingDir = QDir::current();
    for (int index = 1; index < kBackgroundCount; ++index) {
        QFile file(workingDir.filePath(QString::fromLatin1(kBackgrounds[index].file)));
        if (file.open(QIODevice::ReadOnly))
            continue;
        Action(Id::kFirstBackground + index)->setEnabled(false);
        if (index == backgroundIndex_)
            backgroundIndex_ = 0;
    }
    check(Id::kFirstBackground + backgroundIndex_, true);

    menu_->SetHelpContextIds();
    // The trainer options are never shown.
    menu_->RemoveEeOptions();

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

void CMainDlg::OnPreference(int id) {
    QAction* action = Action(id);
    if (id >= Id::kFirstFontSize && id <= Id::kFirstFontSize + 3) {
        prefs_.PrefFontChoice = id - Id::kFirstFontSize;
        action->setChecked(true);
        RefreshDisplay();
    } else if (id == Id::kFlyoverDisable || id == Id::kFlyoverEnable) {
        prefs_.PrefFlyoverChoice = id - Id::kFlyoverDisable;
        action->setChecked(true);
    } else if (id >= Id::kFirstBackground && id < Id::kFirstBackground + kBackgroundCount) {
        backgroundIndex_ = id - Id::kFirstBackground;
        prefs_.BackgroundFilename = kBackgrounds[backgroundIndex_].file;
        action->setChecked(true);
        backgroundMade_ = false; // made again from the new picture
        ApplyBackground();
        update();
    } else if (id >= Id::kFirstTranslation && id <= Id::kLastTranslation) {
        prefs_.TransFilter = id - Id::kFirstTranslation;
        action->setChecked(true);
        RebuildTree();
        First();
    } else if (id == Id::kConfirmDelete) {
        prefs_.PrefConfirmDelete = !prefs_.PrefConfirmDelete;
        action->setChecked(prefs_.PrefConfirmDelete);
    } else if (id == Id::kConfirmEdit) {
        prefs_.PrefConfirmEdit = !prefs_.PrefConfirmEdit;
        action->setChecked(prefs_.PrefConfirmEdit);
    } else if (id == Id::kConfirmExportPpc) {
        prefs_.PrefConfirmExportPpc = !prefs_.PrefConfirmExportPpc;
        action->setChecked(prefs_.PrefConfirmExportPpc);
        emit exportConfirmationToggled(); // kept at once, not only at the next save
    }
}

// The text box and the tree wear the background picture, with black text on it.
void CMainDlg::ApplyBackground() {
    if (!backgroundMade_) {
        backgroundBrush_ = QBrush(Qt::white);
        if (backgroundIndex_ > 0) {
            const QPixmap picture(
                QDir::current().filePath(QString::fromLatin1(kBackgrounds[backgroundIndex_].file)));
            if (!picture.isNull())
                backgroundBrush_ = QBrush(picture);
        }
        backgroundMade_ = true;
    }
    for (QWidget* control : {static_cast<QWidget*>(textBox_), static_cast<QWidget*>(tree_)}) {
        QPalette palette = control->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setBrush(group, QPalette::Base, backgroundBrush_);
            palette.setColor(group, QPalette::Text, Qt::black);
        }
        control->setPalette(palette);
    }
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
    CaptureLayout();
}

void CMainDlg::ShownPassageFound() {
    ShowPosition();
}

void CMainDlg::ShowPosition() {
    SelectCurrent();
    UpdateNavigationMenu();
}

void CMainDlg::SelectCurrent() {
    if (!session_.ShowPosition()) {
        model_->SetHighlighted(-1);
        RefreshDisplay();
        return;
    }
    const int current = session_.CurrentIndex();
    model_->SetHighlighted(current);
    const QModelIndex item = model_->IndexOfPassage(current);
    tree_->scrollTo(item);
    // The tree's current item follows the passage shown, so that the keys step on from it and a
    // click on any other item, the one clicked last included, is a change.
    followingCurrent_ = true;
    tree_->selectionModel()->setCurrentIndex(item, QItemSelectionModel::NoUpdate);
    followingCurrent_ = false;
    UpdateCategoryMenu();
    RefreshDisplay();
}

void CMainDlg::FindPositionOfCurrent() {
    session_.ShowPassage(session_.CurrentIndex());
}

void CMainDlg::UpdateCategoryMenu() {
    const CPassage* passage = Current();
    if (!passage)
        return;
    frequencyChoice_ = passage->freq;
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
            tree_->setFocus();
            if (editNextMode_ == 1) {
                tree_->scrollTo(item, QAbstractItemView::PositionAtTop);
                BringTextBoxToFront();
            }
        }
    }
    UpdateNavigationMenu();
    BringTreeToFront();
}

// ---------------------------------------------------------------------------------------------
// Display

int CMainDlg::ChooseSize() const {
    if (prefs_.PrefFontChoice >= 1 && prefs_.PrefFontChoice <= 3)
        return kFontSizes[static_cast<std::size_t>(prefs_.PrefFontChoice)];
    if (lineCount_ <= 12)
        return 140;
    if (lineCount_ <= 15)
        return 120;
    return 100;
}

void CMainDlg::RefreshDisplay() {
    const CPassage* passage = Current();
    QString text;
    int size = kHintSize;
    if (passage) {
        switch (visibilityMode_) {
        case kHint:
            text = FromWin1252Lines(passage->HintText());
            break;
        case kPassage:
            text = FromWin1252Lines(passage->PassageText());
            lineCount_ = passage->psgLines;
            size = ChooseSize();
            break;
        case kContext:
            text = FromWin1252Lines(passage->context);
            lineCount_ = passage->ctxLines;
            size = ChooseSize();
            break;
        default:
            break;
        }
    }
    displayFont_ = textBox_->font();
    displayFont_.setPointSizeF(size / 10.0);
    textBox_->setFont(displayFont_);

    if (passage) {
        frequencyChoice_ = passage->freq;
        progressChoice_ = passage->prog;
    }
    textBox_->setPlainText(text);
    PushChoices();

    if (passage && visibilityMode_ == kContext) {
        textBox_->setFocus();
        QTextCursor cursor(textBox_->document());
        const int length = static_cast<int>(text.size());
        cursor.setPosition(std::min(ShownPosition(passage->context, passage->psgStart), length));
        // The passage and the one character after it.
        const int end = WrapAdd(std::int64_t{passage->psgEnd} + 1);
        cursor.setPosition(std::min(ShownPosition(passage->context, end), length),
                           QTextCursor::KeepAnchor);
        textBox_->setTextCursor(cursor);
    }
    RefreshTitle();
    UpdateRecitationCommand();
    if (editNextMode_ == 1)
        BringTextBoxToFront();
    else
        BringTreeToFront();
}

void CMainDlg::PushChoices() {
    const auto push = [](QButtonGroup* group, int id) {
        if (QAbstractButton* button = group->button(id)) {
            button->setChecked(true);
            return;
        }
        // No radio for the value: none is checked.
        if (QAbstractButton* checked = group->checkedButton()) {
            group->setExclusive(false);
            checked->setChecked(false);
            group->setExclusive(true);
        }
    };
    push(frequencyGroup_, frequencyChoice_);
    push(progressGroup_, progressChoice_);
    push(visibilityGroup_, visibilityMode_);
}

void CMainDlg::RefreshTitle() {
    const CPassage* passage = Current();
    std::string title = "Recitor  Score: ";
    AppendInt(title, store_.Score());
    if (passage) {
        title.append("  ").append(passage->Reference()).append("  ");
        const bool userPassage = !passage->baseline;
        title.append(userPassage ? "[Topics: " : "<Topics: ");
        title.append(passage->PrimaryTopicName())
            .append(" -- ")
            .append(passage->SecondaryTopicName());
        title.append(userPassage ? "]" : ">");
        title.append(" ").append(passage->TransName());
    }
    setWindowTitle(FromWin1252(title));
}

void CMainDlg::OnVisibility(int mode) {
    visibilityMode_ = mode;
    RefreshDisplay();
    BringTextBoxToFront();
}

// ---------------------------------------------------------------------------------------------
// Layout of the overlapped tree and text box

void CMainDlg::CaptureLayout() {
    textBoxRect_ = textBox_->geometry();
    treeRect_ = tree_->geometry();
    treeWidth_ = treeRect_.width();
}

void CMainDlg::BringTreeToFront() {
    tree_->raise();
    // The text wraps short of the tree.
    textBox_->setLineWrapMode(QTextEdit::FixedPixelWidth);
    textBox_->setLineWrapColumnOrWidth(std::max(1, textBox_->viewport()->width() - treeWidth_));
    treeInFront_ = true;
}

void CMainDlg::BringTextBoxToFront() {
    textBox_->raise();
    textBox_->setLineWrapMode(QTextEdit::WidgetWidth);
    treeInFront_ = false;
}

void CMainDlg::OnMouseMove(const QPoint& p) {
    if (prefs_.PrefFlyoverChoice == 0)
        return;
    // The tree is tested first: where the two overlap, the tree comes forward.
    if (treeRect_.contains(p)) {
        if (flyoverTarget_ != Id::kPassageTree)
            BringTreeToFront();
        flyoverTarget_ = Id::kPassageTree;
    } else if (textBoxRect_.contains(p)) {
        if (flyoverTarget_ != Id::kTextBox)
            BringTextBoxToFront();
        flyoverTarget_ = Id::kTextBox;
    } else
        flyoverTarget_ = 0;
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
    if (event->type() == QEvent::FocusIn) {
        if (watched == tree_)
            BringTreeToFront();
        else if (watched == textBox_)
            BringTextBoxToFront();
    } else if (watched == client_ && event->type() == QEvent::MouseMove) {
        OnMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
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
    for (int root = 0; root <= kFreqInactive; ++root)
        tree_->collapse(model_->RootIndex(root));
    int root = freq;
    while (root <= kFreqInactive && model_->ChildCount(root) == 0)
        ++root;
    if (root > kFreqInactive) {
        First();
        return;
    }
    const QModelIndex rootIndex = model_->RootIndex(root);
    tree_->expand(rootIndex);
    const QModelIndex first = model_->index(0, 0, rootIndex);
    tree_->scrollTo(first);
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
        PushChoices(); // refused: the radios show the class the passage kept
        return;
    }
    frequencyChoice_ = choice;
    if (choice == kFreqInactive) {
        // An inactive passage is always "Not Started".
        progressChoice_ = 0;
        PushChoices();
    }
    RefreshTitle();
    UpdateNavigationMenu();
    SelectCurrent();
}

void CMainDlg::OnProgress(int choice) {
    if (!Current())
        return;
    progressChoice_ = session_.SetProgress(choice);
    if (progressChoice_ != choice)
        PushChoices(); // an inactive passage keeps "Not Started"
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
    return {store_, session_, prefs_, editNextMode_, *this, this};
}

void CMainDlg::AddPassage() {
    CAddPassageCommand(Context()).Run();
}

bool CMainDlg::TakeNewPassage(const CPassage::Values& values) {
    return CAddPassageCommand(Context()).Take(values);
}

void CMainDlg::EditPassage() {
    CEditPassageCommand(Context()).Run();
}

void CMainDlg::DeletePassage() {
    CDeletePassageCommand(Context()).Run();
}

void CMainDlg::EditNext() {
    CEditNextCommand(Context()).Run();
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
    connect(Action(Id::kImportPassages), &QAction::triggered, this, [this] {
        const int before = prefs_.ImportTrans;
        CImportCommand(Context()).Run();
        if (prefs_.ImportTrans != before)
            emit importTranslationChosen();
    });

    help_ = std::make_unique<CHelpCommands>(*this, CHelpCommands::DefaultCollectionFile());
    CHelpCommands* help = help_.get();
    connect(Action(Id::kOverview), &QAction::triggered, help, &CHelpCommands::Overview);
    connect(Action(Id::kHelpTopics), &QAction::triggered, help, &CHelpCommands::HelpTopics);
    connect(Action(Id::kTutorial), &QAction::triggered, help, &CHelpCommands::Tutorial);
    connect(Action(Id::kUserGuide), &QAction::triggered, help, &CHelpCommands::UserGuide);
    for (const int id : {Id::kUserManual, Id::kContactUs, Id::kHomePage, Id::kSlideshow,
                         Id::kVisitVersions, Id::kVisitBibleSite})
        connect(Action(id), &QAction::triggered, help, [id] { CHelpCommands::OpenLink(id); });
    connect(Action(Id::kCheckForUpdate), &QAction::triggered, this, [this] {
        CHelpCommands::CheckForUpdate(store_.UserCount(), prefs_.TransFilter, store_.LoadSeconds());
    });
    // F1 opens the help; Shift+F1 (and the caption's button) asks what a control does, and F1 on
    // a menu what its item does.
    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, help, &CHelpCommands::Overview);
    connect(new QShortcut(Qt::SHIFT | Qt::Key_F1, this), &QShortcut::activated, this,
            [] { QWhatsThis::enterWhatsThisMode(); });
    for (QMenu* menu : findChildren<QMenu*>())
        help->WatchMenu(*menu);
    ContextHelp::Apply(*this);
    // The help goes when the main window ends.
    connect(this, &QDialog::finished, help, &CHelpCommands::Close);
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

// The button sits in the text box's lower left corner, clear of the tree and of the hint, and
// shows only at the levels that hide the passage. It takes no focus, so that the Tab order of the
// window stays as it was; its key is the command's.
void CMainDlg::CreateRecitationButton() {
    const CDialogUnits units(font());
    recitationButton_ = new QPushButton(
        QStringLiteral("Check Recitation... (%1)").arg(KeyText(kRecitationKey)), textBox_);
    recitationButton_->setObjectName(QString::number(Id::kRecitationButton));
    recitationButton_->setFocusPolicy(Qt::NoFocus);
    recitationButton_->setAutoDefault(false); // Enter keeps ending the window as OK
    // The window's own font, not the text box's, which grows with the level shown.
    recitationButton_->setFont(font());
    recitationButton_->adjustSize();
    recitationButton_->move(units.X(4),
                            textBox_->height() - recitationButton_->height() - units.Y(4));
    recitationButton_->hide();
    connect(recitationButton_, &QPushButton::clicked, this, &CMainDlg::OnCheckRecitation);
}

void CMainDlg::UpdateRecitationCommand() {
    const bool shown = Current() != nullptr;
    Action(Id::kCheckRecitation)->setEnabled(shown);
    recitationButton_->setVisible(shown && (visibilityMode_ == kBlank || visibilityMode_ == kHint));
}

// The window borrows the passage only while it is open; the user classifies afterwards as always.
void CMainDlg::OnCheckRecitation() {
    if (const CPassage* passage = Current()) {
        CRecitationDlg dialog(*passage, backgroundBrush_, this);
        dialog.exec();
    }
}

// The topic last listed is the one the export offers first; a new choice of the Anki cards'
// sides is kept at once.
void CMainDlg::OnExportFlashcards() {
    if (CFlashcardExportCommand(Context()).Run(topic_))
        emit flashcardChoicesChanged();
}
