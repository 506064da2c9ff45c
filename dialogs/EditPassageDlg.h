// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "BibleSource.h"
#include "Passage.h"
#include "PassageCheck.h"

#include <QDialog>

class CPassageStore;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The dialog in which the user enters a new passage or revises one. Everything is checked again
// after each change; the bottom box lists what is still wrong, or else shows the line the user
// file will hold for the passage. Save is available only while nothing is wrong and something has
// changed; Cancel, Escape and the close box ask before changes are discarded. The dialog changes
// nothing itself: its result is the values to store.
class CEditPassageDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, which the help and the tests find the controls by.
    static constexpr int kBookList = 1043;
    static constexpr int kChapter = 1042;
    static constexpr int kFirstVerse = 1044;
    static constexpr int kLastVerse = 1048;
    static constexpr int kTransList = 1045;
    static constexpr int kPrimaryButton = 4102;
    static constexpr int kPrimaryName = 4107;
    static constexpr int kSecondaryButton = 4103;
    static constexpr int kSecondaryName = 4108;
    static constexpr int kSave = 1;
    static constexpr int kCancel = 2;
    static constexpr int kContextBox = 1030;
    static constexpr int kPassageBox = 1038;
    static constexpr int kHintBox = 1037;
    static constexpr int kVerifyBox = 1041;
    // Save, then revise the next passage (the maintainers' walk through the collection).
    static constexpr int kSaveAndNext = 4100;
    // Fills the texts from the Bible installed for the translation (the button, and Ctrl+B).
    static constexpr int kFromBible = 4110;

    // passage is the passage to revise, or null to add a new one. editNextMode is the
    // maintainers' mode setting. The topic buttons open the topic choice over store, whose
    // passages of translation transFilter it can list. Both outlive the dialog.
    CEditPassageDlg(const CPassage* passage, int editNextMode, const CPassageStore& store,
                    int transFilter, QWidget* parent = nullptr);
    ~CEditPassageDlg() override;

    // Takes passages from bible: From Bible fills the texts with the reference's verses and up to
    // before and after verses around them, and the checks refuse a chapter or verse that the
    // translation's Bible does not have. Without it (the default) From Bible is greyed. bible
    // outlives the dialog.
    void SetBible(IBibleSource* bible, int before, int after);

    // What Save stores, valid once the dialog has been accepted.
    const CPassage::Values& Values() const { return check_.Values(); }
    // Whether the dialog was saved with the save-and-next command.
    bool SaveAndNext() const { return saveAndNext_; }

protected:
    // Escape and the close box ask, as Cancel does, before typed changes are thrown away.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Counts display lines with the program's measure, in the boxes' width.
    class CLineCounter : public IDisplayLineCounter {
    public:
        int Lines(std::string_view text, int pointSize) override;
    };

    void CreateControls();
    void SetUpAdd();
    void SetUpEdit(const CPassage& passage);
    void SetFonts();
    // The fields into the controls: numbers, lists and topic names, and the texts when texts is
    // set. The texts are put in only at opening, so that text the user entered is never
    // replaced.
    void PushFields(bool texts);
    // The controls into the fields, in their fixed order. A number box without an unsigned
    // decimal number stops it with a message; that field and the ones after it keep their
    // previous values. False then.
    bool PullFields();
    void RunCheck();
    void OnChange();
    void OnSave();
    void OnSaveAndNext();
    // Whether the dialog may close without saving: nothing changed, or the user lets the changes
    // go. The end of the program closes it with reject(), which never asks.
    bool MayClose();
    void OnCancel();
    void OnTopic(bool primary);
    void OnFromBible();

    CLineCounter counter_;
    CPassageCheck check_;
    CPassageCheck::Entry entry_;
    const int editNextMode_;
    const CPassageStore& store_;
    const int transFilter_;
    bool changed_ = false;
    bool copying_ = false;
    bool saveAndNext_ = false;
    IBibleSource* bible_ = nullptr;
    int versesBefore_ = 0;
    int versesAfter_ = 0;

    QComboBox* book_ = nullptr;
    QLineEdit* chapter_ = nullptr;
    QLineEdit* firstVerse_ = nullptr;
    QLineEdit* lastVerse_ = nullptr;
    QComboBox* trans_ = nullptr;
    QPushButton* primary_ = nullptr;
    QLineEdit* primaryName_ = nullptr;
    QPushButton* secondary_ = nullptr;
    QLineEdit* secondaryName_ = nullptr;
    QPushButton* fromBible_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPlainTextEdit* context_ = nullptr;
    QPlainTextEdit* passage_ = nullptr;
    QPlainTextEdit* hint_ = nullptr;
    QPlainTextEdit* verify_ = nullptr;
};
