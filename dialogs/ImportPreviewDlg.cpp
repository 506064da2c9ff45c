#include "ImportPreviewDlg.h"

#include "DialogUnits.h"
#include "PassageImport.h"

#include <QDialogButtonBox>
#include <QFileInfo>
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
                                     QWidget* parent)
    : QDialog(parent), added_(import, CImportLinesModel::Kind::Added),
      refused_(import, CImportLinesModel::Kind::Refused) {
    setWindowTitle(QStringLiteral("Import Passages"));
    setFont(DialogFont());
    const CDialogUnits units(font());
    resize(units.X(400), units.Y(300));
    auto* layout = new QVBoxLayout(this);

    const std::size_t accepted = import.AcceptedLines().size();
    const std::size_t refused = import.RefusedLines().size();
    auto* summary = new QLabel(this);
    summary->setObjectName(QString::number(kSummary));
    summary->setWordWrap(true);
    summary->setText(
        QStringLiteral("%1, read as %2.\n%3 will be added; %4 will not. Nothing changes until "
                       "you choose Add.")
            .arg(QFileInfo(fileName).fileName(), QString::fromUtf8(import.EncodingText()),
                 Count(accepted, "1 passage", "%1 passages"),
                 Count(refused, "1 line", "%1 lines")));
    layout->addWidget(summary);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    const auto section = [&](const QString& title, QAbstractItemModel& model, int id,
                             const QString& help) {
        auto* box = new QWidget(splitter);
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(0, 0, 0, 0);
        auto* label = new QLabel(title, box);
        QTreeView* list = MakeList(model, id, box);
        label->setBuddy(list);
        list->setWhatsThis(help);
        column->addWidget(label);
        column->addWidget(list);
        return list;
    };
    section(QStringLiteral("&Will be added (%1):").arg(accepted), added_, kAddedList,
            QStringLiteral("The passages the file adds to your collection, with the line of the "
                           "file each comes from. They are added as inactive passages of your "
                           "own and saved at the next save."));
    QTreeView* refusedList =
        section(QStringLiteral("Will &not be added (%1):").arg(refused), refused_, kRefusedList,
                QStringLiteral("Every line of the file that is not added, and why: an unknown "
                               "book or translation, a passage the collection or an earlier "
                               "line already has, text without a form in the passage files, a "
                               "text too long, a passage not found in its context, or any other "
                               "problem the Edit Passage window would show."));
    refusedList->header()->setSectionResizeMode(1, QHeaderView::Interactive);
    refusedList->setColumnWidth(1, units.X(200));
    layout->addWidget(splitter, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* add =
        buttons->addButton(accepted == 1 ? QStringLiteral("&Add 1 Passage")
                                         : QStringLiteral("&Add %1 Passages").arg(accepted),
                           QDialogButtonBox::AcceptRole);
    add->setObjectName(QString::number(kAddButton));
    add->setEnabled(accepted > 0);
    add->setDefault(accepted > 0);
    add->setWhatsThis(QStringLiteral("Adds the passages listed above to your collection."));
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QString::number(kCancelButton));
    cancel->setWhatsThis(QStringLiteral("Closes the window without adding anything."));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
