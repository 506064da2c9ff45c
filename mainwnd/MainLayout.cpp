// SPDX-License-Identifier: GPL-2.0-or-later
#include "MainLayout.h"

#include "Backgrounds.h"
#include "CommandIds.h"
#include "DialogUnits.h"
#include "FlyoverWatch.h"
#include "PassageTree.h"
#include "PassageTreeModel.h"
#include "RefTables.h"
#include "Win1252.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

#include <span>

namespace {

// The client area in dialog units, and the places of the controls in it.
constexpr int kClientWidth = 378;
constexpr int kClientHeight = 268;
constexpr QRect kTreeUnits(255, 0, 122, 257);
constexpr QRect kTextBoxUnits(0, 69, 377, 188);
// The status line fills the strip between the text box and the window's lower edge.
constexpr QRect kStatusLineUnits(2, 258, 375, 10);

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

void Place(const CDialogUnits& units, QWidget* widget, int id, const QRect& rect) {
    widget->setObjectName(QString::number(id));
    widget->setGeometry(units.Rect(rect.x(), rect.y(), rect.width(), rect.height()));
}

} // namespace

CMainLayout::CMainLayout(QDialog& window, QAbstractItemModel& model,
                         const QString& recitationCaption) {
    const CDialogUnits units(window.font());
    client_ = new QWidget(&window);
    client_->setFixedSize(units.X(kClientWidth), units.Y(kClientHeight));
    client_->setMouseTracking(true);
    client_->installEventFilter(this);

    // The tree and the text box first, so that the radio columns stay above both.
    CreateTextBox(units);
    CreateTree(units, model);
    auto* flyover = new CFlyoverWatch(client_, &window);
    flyover->Watch(textBox_, CFlyoverWatch::OnScroll::kRepaint);
    flyover->Watch(tree_, CFlyoverWatch::OnScroll::kReportMove);
    connect(flyover, &CFlyoverWatch::mouseMoved, this, &CMainLayout::mouseMoved);
    CreateRadioColumns(units, window);

    // Tab order: the three radio groups, the tree, the text box.
    QWidget* previous = nullptr;
    for (QButtonGroup* group : {frequencyGroup_, progressGroup_, visibilityGroup_})
        for (QAbstractButton* radio : group->buttons()) {
            if (previous)
                QWidget::setTabOrder(previous, radio);
            previous = radio;
        }
    QWidget::setTabOrder(previous, tree_);
    QWidget::setTabOrder(tree_, textBox_);
    CreateRecitationButton(units, recitationCaption);
    statusLine_ = new QLabel(client_);
    Place(units, statusLine_, Id::kReviewStatus, kStatusLineUnits);
    statusLine_->setTextFormat(Qt::PlainText);
}

void CMainLayout::CreateTextBox(const CDialogUnits& units) {
    textBox_ = new QTextEdit(client_);
    Place(units, textBox_, Id::kTextBox, kTextBoxUnits);
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
}

void CMainLayout::CreateTree(const CDialogUnits& units, QAbstractItemModel& model) {
    tree_ = new CPassageTree(client_);
    Place(units, tree_, Id::kPassageTree, kTreeUnits);
    tree_->setModel(&model);
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setIconSize(CPassageTreeModel::MarkSize());
    tree_->setRootIsDecorated(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The one highlighted item is the passage shown, painted by the model; the tree's own
    // selection would mark a second one.
    tree_->setSelectionMode(QAbstractItemView::NoSelection);
    tree_->installEventFilter(this);
    connect(tree_, &QTreeView::expanded, this, [this] { BringTreeToFront(); });
    connect(tree_, &QTreeView::collapsed, this, [this] { BringTreeToFront(); });
}

void CMainLayout::CreateRadioColumns(const CDialogUnits& units, QDialog& window) {
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
        Place(units, box, column.groupId, column.groupUnits);
        // The caption sits in the frame's top line, so that the frame encloses its radios.
        box->setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); margin-top: 0.5em; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
        auto* group = new QButtonGroup(&window);
        for (std::size_t i = 0; i < column.ys.size(); ++i) {
            auto* radio =
                new QRadioButton(FromWin1252(column.caption(static_cast<int>(i))), client_);
            Place(units, radio, column.firstId + static_cast<int>(i),
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
}

// The button sits in the text box's lower left corner, clear of the tree and of the hint, and
// shows only at the levels that hide the passage. It takes no focus, so that the Tab order of the
// window stays as it was.
void CMainLayout::CreateRecitationButton(const CDialogUnits& units, const QString& caption) {
    recitationButton_ = new QPushButton(caption, textBox_);
    recitationButton_->setObjectName(QString::number(Id::kRecitationButton));
    recitationButton_->setFocusPolicy(Qt::NoFocus);
    recitationButton_->setAutoDefault(false); // Enter keeps ending the window as OK
    // The window's own font, not the text box's, which grows with the level shown.
    recitationButton_->setFont(client_->font());
    recitationButton_->adjustSize();
    recitationButton_->move(units.X(4),
                            textBox_->height() - recitationButton_->height() - units.Y(4));
    recitationButton_->hide();
}

// ---------------------------------------------------------------------------------------------
// The overlapped tree and text box

void CMainLayout::CaptureLayout() {
    textBoxRect_ = textBox_->geometry();
    treeRect_ = tree_->geometry();
    treeWidth_ = treeRect_.width();
}

void CMainLayout::BringTreeToFront() {
    tree_->raise();
    // The text wraps short of the tree.
    textBox_->setLineWrapMode(QTextEdit::FixedPixelWidth);
    textBox_->setLineWrapColumnOrWidth(std::max(1, textBox_->viewport()->width() - treeWidth_));
    treeInFront_ = true;
}

void CMainLayout::BringTextBoxToFront() {
    textBox_->raise();
    textBox_->setLineWrapMode(QTextEdit::WidgetWidth);
    treeInFront_ = false;
}

void CMainLayout::FlyOver(const QPoint& p) {
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

bool CMainLayout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == tree_)
            BringTreeToFront();
        else if (watched == textBox_)
            BringTextBoxToFront();
    } else if (watched == client_ && event->type() == QEvent::MouseMove) {
        emit mouseMoved(static_cast<QMouseEvent*>(event)->position().toPoint());
    }
    return QObject::eventFilter(watched, event);
}

// The text box and the tree wear the background picture, with black text on it.
void CMainLayout::SetBackground(int index) {
    background_ = QBrush(Qt::white);
    if (index > 0) {
        const QPixmap picture(
            QDir::current().filePath(QString::fromLatin1(kBackgrounds[index].file)));
        if (!picture.isNull())
            background_ = QBrush(picture);
    }
    for (QWidget* control : {static_cast<QWidget*>(textBox_), static_cast<QWidget*>(tree_)}) {
        QPalette palette = control->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setBrush(group, QPalette::Base, background_);
            palette.setColor(group, QPalette::Text, Qt::black);
        }
        control->setPalette(palette);
    }
}
