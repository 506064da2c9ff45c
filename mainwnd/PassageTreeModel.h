// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "StudySession.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <string>
#include <vector>

class CPassageStore;

// The passage tree: four category roots, one per frequency class, each listing its passages in
// store order, as the study session's listing gives them. The order of the items is the session's
// navigation order. A new listing is a model reset, cheap even for the largest collection, since
// item texts are made only for the rows shown. A passage due for review wears a dot beside its
// text.
class CPassageTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int kPassageRole = Qt::UserRole; // item data: passage index, -1 for a root

    // Shows the listing of session, both borrowed for the model's life.
    CPassageTreeModel(const CPassageStore& store, const CStudySession& session,
                      QObject* parent = nullptr);

    // Bracket a new listing of the session: the tree reads nothing of it in between.
    void BeginRelist();
    void EndRelist();

    // The session's order, as the tree shows it.
    int PositionCount() const { return session_.PositionCount(); }
    int PassageAt(int position) const { return session_.PassageAt(position); }
    int PositionOf(int passageIndex) const { return session_.PositionOf(passageIndex); }
    // The item of a passage, invalid when the tree does not list it.
    QModelIndex IndexOfPassage(int passageIndex) const;
    QModelIndex RootIndex(int freq) const { return createIndex(freq, 0, kRootId); }
    int ChildCount(int freq) const;

    // What the last fill counted of the filter's translation, as the About box shows it.
    const std::string& TransFilterName() const { return transFilterName_; }
    int TransPassageCount() const { return session_.Listing().TransPassages(); }
    int TransVerseCount() const { return session_.Listing().TransVerses(); }

    // The passage shown, painted with the highlight colours whatever the tree's selection is.
    void SetHighlighted(int passageIndex);
    // Marks the passages of passageIndices as due for review and no others. A new listing
    // forgets the marks: the indices may have moved.
    void SetDue(const std::vector<int>& passageIndices);
    // The size of the mark, which the tree gives its icons.
    static QSize MarkSize();

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
    int RootStart(int root) const { return session_.Listing().ClassStart(root); }

    const CPassageStore& store_;
    const CStudySession& session_;
    std::string transFilterName_;
    int highlighted_ = -1;
    std::vector<bool> due_; // by passage index
    QIcon dueMark_;
};
