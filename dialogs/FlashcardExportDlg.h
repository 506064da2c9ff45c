// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "FlashcardExport.h"
#include "PassageChoice.h"

#include <QDialog>

class CPassageStore;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// The Export Flashcards window: which passages (all that the list shows, the active ones, one
// frequency class or one topic), for which program and, for Anki, what the cards' front and back
// show besides the reference and the passage; Export asks where to write the file and
// writes it. What goes into the file is decided in the data layer; the window only shows the
// choices, the number of passages they take and what to do at import.
class CFlashcardExportDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, which the help and the tests find the controls by.
    static constexpr int kChoiceGroup = 34012; // radios 0..3: PassageChoice::Kind
    static constexpr int kClassList = 34013;
    static constexpr int kTopicButton = 34014;
    static constexpr int kProgramGroup = 34015; // radios 0..1: CFlashcardExport::Program
    static constexpr int kNote = 34016;
    static constexpr int kHintOnFront = 34017;
    static constexpr int kContextOnBack = 34018;
    static constexpr int kExportButton = 1; // the dialog's OK
    static constexpr int kCloseButton = 2;

    // The passages come from store as its list shows them in translation transFilter; topic is
    // the topic offered first, sides the Anki cards' sides offered first. store outlives the
    // window.
    CFlashcardExportDlg(const CPassageStore& store, int transFilter, int topic, AnkiSides sides,
                        QWidget* parent = nullptr);

    // The choice the controls make now.
    PassageChoice Choice() const;
    CFlashcardExport::Program Program() const;
    AnkiSides Sides() const;
    // The file last written, empty while none was.
    const QString& WrittenFile() const { return written_; }

private:
    void CreateControls();
    void OnTopic();
    void Refresh();
    void OnExport();

    const CPassageStore& store_;
    const int transFilter_;
    int topic_;
    std::vector<int> chosen_;
    QString written_;
    QButtonGroup* choice_ = nullptr;
    QComboBox* classList_ = nullptr;
    QPushButton* topicButton_ = nullptr;
    QButtonGroup* program_ = nullptr;
    QCheckBox* hintOnFront_ = nullptr;
    QCheckBox* contextOnBack_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* export_ = nullptr;
};
