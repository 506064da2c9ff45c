#include "PassageTreeModel.h"

#include "PassageStore.h"
#include "RefTables.h"
#include "Win1252.h"

#include <QGuiApplication>
#include <QPalette>

CPassageTreeModel::CPassageTreeModel(CPassageStore& store, QObject* parent)
    : QAbstractItemModel(parent), store_(store) {}

void CPassageTreeModel::Fill(int transFilter, int editNextMode) {
    beginResetModel();
    transFilter_ = transFilter;
    const int count = store_.PassageCount();
    // Two passes over the passages: count each root's children, then place them, so that the
    // position map is one array in root order.
    std::vector<signed char> rootOf(static_cast<std::size_t>(count), -1);
    std::array<int, kRoots> children{};
    int transPassages = 0;
    int transVerses = 0;
    for (int i = 0; i < count; ++i) {
        const CPassage& passage = store_.Passage(i);
        if (passage.trans == kTransContext && editNextMode == 0)
            continue;
        const int freq = passage.freq >= 0 && passage.freq < kRoots ? passage.freq : kFreqInactive;
        if (transFilter == kTransAll || passage.trans == transFilter || freq < kFreqInactive) {
            rootOf[static_cast<std::size_t>(i)] = static_cast<signed char>(freq);
            ++children[static_cast<std::size_t>(freq)];
        }
        if (passage.trans == transFilter) {
            ++transPassages;
            transVerses += passage.vCount;
        }
    }
    rootStart_[0] = 0;
    for (int root = 0; root < kRoots; ++root)
        rootStart_[static_cast<std::size_t>(root + 1)] =
            rootStart_[static_cast<std::size_t>(root)] + children[static_cast<std::size_t>(root)];
    positionMap_.assign(static_cast<std::size_t>(rootStart_[kRoots]), 0);
    positionOf_.assign(static_cast<std::size_t>(count), -1);
    std::array<int, kRoots> next{};
    for (int root = 0; root < kRoots; ++root)
        next[static_cast<std::size_t>(root)] = rootStart_[static_cast<std::size_t>(root)];
    for (int i = 0; i < count; ++i) {
        const int root = rootOf[static_cast<std::size_t>(i)];
        if (root < 0)
            continue;
        const int position = next[static_cast<std::size_t>(root)]++;
        positionMap_[static_cast<std::size_t>(position)] = i;
        positionOf_[static_cast<std::size_t>(i)] = position;
    }
    highlighted_ = -1;
    endResetModel();

    store_.lastPosition = PositionCount() - 1;
    store_.exportList.assign(positionMap_.begin(),
                             positionMap_.begin() + rootStart_[kFreqInactive]);
    store_.transPassageCount = transPassages;
    store_.transVerseCount = transVerses;
    store_.transFilterName = std::string(TransAbbrev(transFilter));
}

int CPassageTreeModel::PositionOf(int passageIndex) const {
    if (passageIndex < 0 || passageIndex >= static_cast<int>(positionOf_.size()))
        return -1;
    return positionOf_[static_cast<std::size_t>(passageIndex)];
}

int CPassageTreeModel::ChildCount(int freq) const {
    if (freq < 0 || freq >= kRoots)
        return 0;
    return rootStart_[static_cast<std::size_t>(freq + 1)] -
           rootStart_[static_cast<std::size_t>(freq)];
}

QModelIndex CPassageTreeModel::IndexOfPassage(int passageIndex) const {
    const int position = PositionOf(passageIndex);
    if (position < 0)
        return {};
    int root = 0;
    while (position >= rootStart_[static_cast<std::size_t>(root + 1)])
        ++root;
    return createIndex(position - rootStart_[static_cast<std::size_t>(root)], 0,
                       static_cast<quintptr>(root + 1));
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
        isRoot ? -1
               : positionMap_[static_cast<std::size_t>(
                     rootStart_[static_cast<std::size_t>(index.internalId() - 1)] + index.row())];
    switch (role) {
    case Qt::DisplayRole: {
        if (isRoot)
            return FromWin1252(FreqGroupText(index.row()));
        const CPassage& passage = store_.Passage(passageIndex);
        QString text = FromWin1252(passage.reference);
        if (transFilter_ == kTransAll)
            text += QLatin1Char(' ') + FromWin1252(TransAbbrev(passage.trans));
        return text;
    }
    case kPassageRole:
        return passageIndex;
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
