#pragma once

#include "PassageListing.h"

#include <QAbstractItemModel>

#include <memory>
#include <string>
#include <vector>

class CPassageStore;

// The passage tree: four category roots, one per frequency class, each listing its passages in
// store order, as the collection's listing gives them. The order of the items is also the
// navigation order (the position map). A rebuild is a model reset, cheap even for the largest
// collection, since item texts are made only for the rows shown.
class CPassageTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int kPassageRole = Qt::UserRole; // item data: passage index, -1 for a root

    explicit CPassageTreeModel(const CPassageStore& store, QObject* parent = nullptr);

    // Lists the passages that pass the translation filter: every passage of an active class, and
    // the inactive ones of the filter's translation (all of them for "All").
    void Fill(int transFilter);

    int PositionCount() const { return static_cast<int>(listing_->Passages().size()); }
    int LastPosition() const { return PositionCount() - 1; }
    // Passage index at a navigation position (0 <= position < PositionCount()).
    int PassageAt(int position) const {
        return listing_->Passages()[static_cast<std::size_t>(position)];
    }
    // First position of a passage, or -1 when the tree does not list it.
    int PositionOf(int passageIndex) const;
    // The item of a passage, invalid when the tree does not list it.
    QModelIndex IndexOfPassage(int passageIndex) const;
    QModelIndex RootIndex(int freq) const { return createIndex(freq, 0, kRootId); }
    int ChildCount(int freq) const;

    // What the last fill counted of the filter's translation, as the About box shows it.
    const std::string& TransFilterName() const { return transFilterName_; }
    int TransPassageCount() const { return listing_->TransPassages(); }
    int TransVerseCount() const { return listing_->TransVerses(); }

    // The passage shown, painted with the highlight colours whatever the tree's selection is.
    void SetHighlighted(int passageIndex);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    static constexpr quintptr kRootId = 0; // internal id of roots; children carry root + 1
    static constexpr int kRoots = CPassageListing::kClasses;

    // The position of the first item of a root.
    int RootStart(int root) const { return listing_->ClassStart(root); }

    const CPassageStore& store_;
    int transFilter_ = 33;
    std::string transFilterName_;
    int highlighted_ = -1;
    std::unique_ptr<CPassageListing> listing_; // navigation position -> passage index
    std::vector<int> positionOf_;              // passage index -> position, -1 when not listed
};
