// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QDialog>

#include <functional>

class CPassageImport;
class QComboBox;
class QLabel;
class QPushButton;

// The lines of an import as a table: those that will be added (line and reference) or those that
// will not (line, reason and the line's text).
class CImportLinesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Kind { Added, Refused };
    // import outlives the model.
    CImportLinesModel(const CPassageImport& import, Kind kind, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // The import's lines change while reread runs.
    void Reread(const std::function<void()>& reread);

private:
    const CPassageImport& import_;
    const Kind kind_;
};

// The preview of Import Passages: what the file will add and every line it will not add, with
// the reason. Nothing has changed while it is open; Add is the user's confirmation.
class CImportPreviewDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, which the help and the tests find the controls by.
    static constexpr int kAddedList = 34017;
    static constexpr int kRefusedList = 34018;
    static constexpr int kSummary = 34019;
    static constexpr int kTransChoice = 34030;
    static constexpr int kIgnoredColumns = 34031;
    static constexpr int kAddButton = 1; // the dialog's OK
    static constexpr int kCancelButton = 2;

    // Reads the file again, giving trans to the lines without a translation.
    using Reread = std::function<void(int trans)>;

    // import holds the lines read from fileName with trans for the lines without a translation;
    // it outlives the window. A translation chosen in the window is read with reread.
    CImportPreviewDlg(const CPassageImport& import, const QString& fileName, int trans,
                      Reread reread, QWidget* parent = nullptr);

private:
    void OnTranslation(int index);
    // Shows the lines the import holds now.
    void ShowCounts();

    const CPassageImport& import_;
    const QString fileName_;
    Reread reread_;
    CImportLinesModel added_;
    CImportLinesModel refused_;
    QLabel* summary_ = nullptr;
    QLabel* addedLabel_ = nullptr;
    QLabel* refusedLabel_ = nullptr;
    QLabel* ignored_ = nullptr;
    QComboBox* trans_ = nullptr;
    QPushButton* add_ = nullptr;
};
