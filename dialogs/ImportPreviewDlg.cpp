// SPDX-License-Identifier: GPL-2.0-or-later
#include "ImportPreviewDlg.h"

#include "DialogUnits.h"
#include "PassageImport.h"
#include "RefTables.h"
#include "Win1252.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

CImportLinesModel::CImportLinesModel(const CPassageImport& import, Kind kind, QObject* parent)
    : QAbstractTableModel(parent), import_(import), kind_(kind) {}

int CImportLinesModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return static_cast<int>(kind_ == Kind::Added ? import_.AcceptedLines().size()
                                                 : import_.RefusedLines().size());
}

int CImportLinesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : (kind_ == Kind::Added ? 2 : 3);
}

QVariant CImportLinesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (kind_ == Kind::Added) {
        const CPassageImport::Accepted& line = import_.AcceptedLines()[row];
        if (index.column() == 0)
            return line.line;
        return QString::fromUtf8(line.reference);
    }
    const CPassageImport::Refused& line = import_.RefusedLines()[row];
    switch (index.column()) {
    case 0:
        return line.lastLine > line.line ? QStringLiteral("%1-%2").arg(line.line).arg(line.lastLine)
                                         : QString::number(line.line);
    case 1:
        return QString::fromUtf8(line.reason);
    default:
        return QString::fromUtf8(line.text);
    }
}

QVariant CImportLinesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const kAdded[] = {"Line", "Passage"};
    static const char* const kRefused[] = {"Line", "Why it is not added", "Line as read"};
    if (kind_ == Kind::Added)
        return section >= 0 && section < 2 ? QString::fromLatin1(kAdded[section]) : QVariant();
    return section >= 0 && section < 3 ? QString::fromLatin1(kRefused[section]) : QVariant();
}

void CImportLinesModel::Reread(const std::function<void()>& reread) {
    beginResetModel();
    reread();
    endResetModel();
}

namespace {

QTreeView* MakeList(QAbstractItemModel& model, int id, QWidget* parent) {
    auto* list = new QTreeView(parent);
    list->setObjectName(QString::number(id));
    list->setModel(&model);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setStretchLastSection(true);
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    return list;
}

QString Count(std::size_t count, const char* one, const char* many) {
    return count == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(count);
}

} // namespace

CImportPreviewDlg::CImportPreviewDlg(const CPassageImport& import, const QString& fileName,
                                     int trans, Reread reread, QWidget* parent)
    : QDialog(parent), import_(import), fileName_(fileName), reread_(std::move(reread)),
      added_(import, CImportLinesModel::Kind::Added),
      refused_(import, CImportLinesModel::Kind::Refused) {
    setWindowTitle(QStringLiteral("Import Passages"));
    setFont(DialogFont());
    const CDialogUnits units(font());
    resize(units.X(400), units.Y(300));
    auto* layout = new QVBoxLayout(this);

    summary_ = new QLabel(this);
    summary_->setObjectName(QString::number(kSummary));
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    auto* transRow = new QHBoxLayout;
    auto* transLabel = new QLabel(QStringLiteral("&Translation for lines without one:"), this);
    trans_ = new QComboBox(this);
    trans_->setObjectName(QString::number(kTransChoice));
    for (int number = 0; number < kTransListSize; ++number)
        if (TransEditable(number))
            trans_->addItem(FromWin1252(TransListText(number)), number);
    trans_->setCurrentIndex(std::max(trans_->findData(trans), 0));
    trans_->setWhatsThis(QStringLiteral(
        "The translation of the lines that name none, as files of flashcard programs often do. "
        "Choosing another reads the file again; the choice is kept for the next import."));
    transLabel->setBuddy(trans_);
    transRow->addWidget(transLabel);
    transRow->addWidget(trans_, 1);
    layout->addLayout(transRow);

    ignored_ = new QLabel(this);
    ignored_->setObjectName(QString::number(kIgnoredColumns));
    ignored_->setWordWrap(true);
    layout->addWidget(ignored_);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    const auto section = [&](QLabel*& label, QAbstractItemModel& model, int id,
                             const QString& help) {
        auto* box = new QWidget(splitter);
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(0, 0, 0, 0);
        label = new QLabel(box);
        QTreeView* list = MakeList(model, id, box);
        label->setBuddy(list);
        list->setWhatsThis(help);
        column->addWidget(label);
        column->addWidget(list);
        return list;
    };
    section(addedLabel_, added_, kAddedList,
            QStringLiteral("The passages the file adds to your collection, with the line of the "
                           "file each comes from. They are added as inactive passages of your "
                           "own and saved at the next save."));
    QTreeView* refusedList =
        section(refusedLabel_, refused_, kRefusedList,
                QStringLiteral("Every line of the file that is not added, and why: an unknown "
                               "book or translation, a passage the collection or an earlier "
                               "line already has, text without a form in the passage files, a "
                               "text too long, a passage not found in its context, or any other "
                               "problem the Edit Passage window would show."));
    refusedList->header()->setSectionResizeMode(1, QHeaderView::Interactive);
    refusedList->setColumnWidth(1, units.X(200));
    layout->addWidget(splitter, 1);

    auto* buttons = new QDialogButtonBox(this);
    add_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    add_->setObjectName(QString::number(kAddButton));
    add_->setWhatsThis(QStringLiteral("Adds the passages listed above to your collection."));
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QString::number(kCancelButton));
    cancel->setWhatsThis(QStringLiteral("Closes the window without adding anything."));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    ShowCounts();
    connect(trans_, &QComboBox::currentIndexChanged, this, &CImportPreviewDlg::OnTranslation);
}

void CImportPreviewDlg::OnTranslation(int index) {
    const int trans = trans_->itemData(index).toInt();
    // Both lists show the import's lines: both are reset around the one reading.
    added_.Reread([&] { refused_.Reread([&] { reread_(trans); }); });
    ShowCounts();
}

void CImportPreviewDlg::ShowCounts() {
    const std::size_t accepted = import_.AcceptedLines().size();
    const std::size_t refused = import_.RefusedLines().size();
    summary_->setText(
        QStringLiteral("%1, read as %2.\n%3 will be added; %4 will not. Nothing changes until "
                       "you choose Add.")
            .arg(QFileInfo(fileName_).fileName(), QString::fromUtf8(import_.EncodingText()),
                 Count(accepted, "1 passage", "%1 passages"),
                 Count(refused, "1 line", "%1 lines")));
    QStringList ignored;
    for (const std::string& name : import_.IgnoredColumns())
        ignored.append(QString::fromUtf8(name));
    ignored_->setText(
        ignored.isEmpty()
            ? QString()
            : QStringLiteral("Columns not read: %1").arg(ignored.join(QStringLiteral(", "))));
    ignored_->setVisible(!ignored.isEmpty());
    addedLabel_->setText(QStringLiteral("&Will be added (%1):").arg(accepted));
    refusedLabel_->setText(QStringLiteral("Will &not be added (%1):").arg(refused));
    add_->setText(accepted == 1 ? QStringLiteral("&Add 1 Passage")
                                : QStringLiteral("&Add %1 Passages").arg(accepted));
    add_->setEnabled(accepted > 0);
    add_->setDefault(accepted > 0);
}
