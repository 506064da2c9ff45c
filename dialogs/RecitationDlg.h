// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "RecitationCheck.h"

#include <QBrush>
#include <QDialog>

#include <memory>
#include <string>

class CPassage;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;

// "Check Recitation": the user types the passage from memory and asks to check; the window then
// shows the passage with the missed, wrong and extra words marked (and a reference typed before
// or after it on a line of its own), a summary and the progress level the result suggests. The
// passage stays hidden until the first check. The window only shows: the passage's progress and
// frequency are the user's to change in the main window, and nothing is written anywhere.
class CRecitationDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids (object names).
    static constexpr int kTypedBoxId = 34002;
    static constexpr int kFirstLettersId = 34003;
    static constexpr int kCheckId = 34004;
    static constexpr int kTryAgainId = 34005;
    static constexpr int kResultBoxId = 34006;
    static constexpr int kSummaryId = 34007;
    static constexpr int kSuggestionId = 34008;
    static constexpr int kCloseId = 34009;

    // Takes what it shows from passage at once; background is the picture behind the passage in
    // the main window, worn by the result too.
    CRecitationDlg(const CPassage& passage, const QBrush& background, QWidget* parent = nullptr);
    ~CRecitationDlg() override;

    // Checks what has been typed and shows the result; without any word typed it says so and
    // keeps the passage hidden.
    void Check();
    // Empties the typed text and hides the passage again for a new attempt.
    void TryAgain();
    // The result shown; null while the passage is hidden.
    const CRecitationCheck* Result() const { return result_.get(); }

signals:
    // A recitation was checked and its result is shown.
    void checked();

private:
    void ShowResult();
    void ClearResult();
    CRecitationCheck::Mode ChosenMode() const;

    std::string passageText_; // Windows-1252 bytes, CR LF line breaks
    std::string reference_;   // "John 3:16-18"
    int progress_;
    bool active_;
    QPlainTextEdit* typedBox_ = nullptr;
    QCheckBox* firstLetters_ = nullptr;
    QTextEdit* resultBox_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* suggestion_ = nullptr;
    std::unique_ptr<CRecitationCheck> result_;
    QString checkedText_; // the typed text of the result shown
};
