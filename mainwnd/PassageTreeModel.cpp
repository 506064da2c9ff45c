// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageTreeModel.h"

#include "PassageStore.h"
#include "RefTables.h"
#include "Win1252.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

CPassageTreeModel::CPassageTreeModel(const CPassageStore& store, const CStudySession& session,
                                     QObject* parent)
    : QAbstractItemModel(parent), store_(store), session_(session),
      transFilterName_(TransAbbrev(session.TransFilter())) {
    QPixmap mark(MarkSize());
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1e, 0x6f, 0xd9));
    painter.drawEllipse(QRectF(mark.rect()).adjusted(1, 1, -1, -1));
    painter.end();
    dueMark_ = QIcon(mark);
}

QSize CPassageTreeModel::MarkSize() {
    return {8, 8};
}

void CPassageTreeModel::BeginRelist() {
    beginResetModel();
    due_.clear();
}

void CPassageTreeModel::EndRelist() {
    transFilterName_ = std::string(TransAbbrev(session_.TransFilter()));
    highlighted_ = -1;
    endResetModel();
}

int CPassageTreeModel::ChildCount(int freq) const {
    if (freq < 0 || freq >= kRoots)
        return 0;
    return RootStart(freq + 1) - RootStart(freq);
}

QModelIndex CPassageTreeModel::IndexOfPassage(int passageIndex) const {
    const int position = PositionOf(passageIndex);
    if (position < 0)
        return {};
    int root = 0;
    while (position >= RootStart(root + 1))
        ++root;
    return createIndex(position - RootStart(root), 0, static_cast<quintptr>(root + 1));
}

void CPassageTreeModel::SetHighlighted(int passageIndex) {
    const QModelIndex before = IndexOfPassage(highlighted_);
    highlighted_ = passageIndex;
    const QModelIndex after = IndexOfPassage(highlighted_);
    const QList<int> roles{Qt::BackgroundRole, Qt::ForegroundRole};
    if (before.isValid())
        emit dataChanged(before, before, roles);
    if (after.isValid() && after != before)
        emit dataChanged(after, after, roles);
}

void CPassageTreeModel::SetDue(const std::vector<int>& passageIndices) {
    due_.assign(static_cast<std::size_t>(store_.PassageCount()), false);
    for (const int index : passageIndices)
        if (index >= 0 && index < store_.PassageCount())
            due_[static_cast<std::size_t>(index)] = true;
    for (int root = 0; root < kRoots; ++root)
        if (const int count = ChildCount(root); count > 0)
            emit dataChanged(index(0, 0, RootIndex(root)), index(count - 1, 0, RootIndex(root)),
                             {Qt::DecorationRole});
}

QModelIndex CPassageTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < kRoots ? createIndex(row, 0, kRootId) : QModelIndex{};
    if (parent.internalId() != kRootId || row >= ChildCount(parent.row()))
        return {};
    return createIndex(row, 0, static_cast<quintptr>(parent.row() + 1));
}

QModelIndex CPassageTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kRootId)
        return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kRootId);
}

int CPassageTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return kRoots;
    if (parent.internalId() == kRootId && parent.column() == 0)
        return ChildCount(parent.row());
    return 0;
}

int CPassageTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant CPassageTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const bool isRoot = index.internalId() == kRootId;
    const int passageIndex =
        isRoot ? -1 : PassageAt(RootStart(static_cast<int>(index.internalId() - 1)) + index.row());
    switch (role) {
    case Qt::DisplayRole: {
        if (isRoot)
            return FromWin1252(FreqGroupText(index.row()));
        const CPassage& passage = store_.Passage(passageIndex);
        QString text = FromWin1252(passage.Reference());
        if (session_.TransFilter() == kTransAll)
            text += QLatin1Char(' ') + FromWin1252(TransAbbrev(passage.trans));
        return text;
    }
    case kPassageRole:
        return passageIndex;
    case Qt::DecorationRole:
        if (!isRoot && static_cast<std::size_t>(passageIndex) < due_.size() &&
            due_[static_cast<std::size_t>(passageIndex)])
            return dueMark_;
        return {};
    case Qt::BackgroundRole:
        if (!isRoot && passageIndex == highlighted_)
            return QGuiApplication::palette().brush(QPalette::Active, QPalette::Highlight);
        return {};
    case Qt::ForegroundRole:
        if (!isRoot && passageIndex == highlighted_)
            return QGuiApplication::palette().brush(QPalette::Active, QPalette::HighlightedText);
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags CPassageTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.internalId() != kRootId)
        result |= Qt::ItemNeverHasChildren;
    return result;
}
