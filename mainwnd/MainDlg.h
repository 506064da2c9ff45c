#pragma once

#include "CommandContext.h"
#include "PassageStore.h"
#include "Preferences.h"
#include "StudySession.h"

#include <QBrush>
#include <QDialog>
#include <QFont>
#include <QRect>

#include <array>
#include <memory>

class CHelpCommands;
class CMainMenu;
class CPassage;
class CPassageTree;
class CPassageTreeModel;
class QAction;
class QButtonGroup;
class QPushButton;
class QTextEdit;

// The program's one top-level window: it shows the current passage at one of four visibility
// levels, classifies it by how often it is to be recited and how well it is known, and lists all
// passages in a tree grouped by frequency class. The tree and the text box overlap; the window
// switches which of the two is in front. The study session holds the position and the passage
// shown; the window shows them and wires the commands to them.
class CMainDlg : public QDialog, public ISessionWindow, private ISessionView {
    Q_OBJECT
public:
    enum Visibility { kBlank = 0, kHint = 1, kPassage = 2, kContext = 3 };

    // Borrows the store and the preferences for its whole life. editNextMode is the maintainers'
    // mode setting, position the navigation position to start at (limited to the tree).
    CMainDlg(CPassageStore& store, CPreferences& prefs, int editNextMode = 0, int position = 0,
             QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Operations the commands of other windows call after changing the store.
    void RebuildTree();
    void SelectCurrent();
    void FindPositionOfCurrent();
    void UpdateCategoryMenu();
    void RefreshDisplay();
    void UpdateNavigationMenu();
    void First();
    void Previous() override;
    void Next() override;
    void Last();

    // The commands that change the collection: Add, Edit and Delete of the File menu (Edit and
    // Delete also as EdThis and DelThis on the bar), and EdNx, which steps to the next passage
    // and edits it. Edit and Delete work on the passage shown.
    void AddPassage();
    void EditPassage();
    void DeletePassage();
    void EditNext();
    // Takes what the Edit Passage dialog gave into the collection as a new passage and shows it
    // when the tree lists it. False when the store refused it (it has said why); nothing has
    // changed then.
    bool TakeNewPassage(const CPassage::Values& values);

    void RefreshTitle();
    void BringTreeToFront();
    void BringTextBoxToFront();
    void CaptureLayout();
    // Font size in tenths of a point for the passage and context levels.
    int ChooseSize() const;
    // The flyover rule for a mouse position in the window's client area.
    void OnMouseMove(const QPoint& clientPosition);

    QAction* Action(int id) const;
    int BackgroundIndex() const { return backgroundIndex_; }
    int CurrentPassageIndex() const { return session_.CurrentIndex(); }
    // The navigation position, saved with the settings so that the next start goes on there.
    int Position() { return session_.Position(); }
    int LastPosition() const;
    // The topic of the topic filter and the same-topic list: the one listed last.
    int Topic() const { return topic_; }
    // Sets the navigation position, limited to the tree; SelectCurrent then shows it.
    void SetPosition(int position);
    int VisibilityMode() const { return visibilityMode_; }
    bool TreeInFront() const { return treeInFront_; }
    QWidget* Client() const { return client_; }
    CHelpCommands& Help() const { return *help_; }

signals:
    // Commands the application handles: File "Save" and "Tip of the Day".
    void saveRequested();
    void tipRequested();
    // The default beep sounded (stepping past either end).
    void beeped();
    // The window has been shown for the first time and can be brought forward by a second start.
    void initialised();
    // The export confirmation was toggled; it is written to the settings at once.
    void exportConfirmationToggled();
    // The Export Flashcards window's choices changed; they are written to the settings at once.
    void flashcardChoicesChanged();
    // An import's translation for lines without one was chosen; it is written at once.
    void importTranslationChosen();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void ConnectCommands();
    void SetUpMenu();
    void OnPreference(int id);
    void ApplyBackground();
    void OnCommand(int id);
    void OnFrequency(int choice);
    void OnProgress(int choice);
    void OnVisibility(int mode);
    void OnViewCategory(int freq);
    void OnTreeItemChosen(const QModelIndex& item);
    void PushChoices();
    void Beep() override;
    void ShowPosition() override;
    const CPassage* Current() const { return session_.Current(); }
    CommandContext Context();
    void ListingAboutToChange() override;
    void ListingChanged() override;
    void ShownPassageFound() override;
    // Printing, the handheld export, the parallel passages, help and web links.
    void ConnectOutputCommands();
    void OnPrint();
    void OnParallelPassages();
    // Check Recitation: the View menu's command, its key, and the button that offers it at the
    // levels where the passage is hidden.
    void CreateRecitationButton();
    void UpdateRecitationCommand();
    void OnCheckRecitation();
    void OnExportFlashcards();

    CPassageStore& store_;
    CPreferences& prefs_;
    const int editNextMode_;
    CStudySession session_;
    std::unique_ptr<CPassageTreeModel> model_;
    std::unique_ptr<CMainMenu> menu_;
    QWidget* client_ = nullptr;
    QTextEdit* textBox_ = nullptr;
    CPassageTree* tree_ = nullptr;
    QButtonGroup* frequencyGroup_ = nullptr;
    QButtonGroup* progressGroup_ = nullptr;
    QButtonGroup* visibilityGroup_ = nullptr;
    QPushButton* recitationButton_ = nullptr;

    int progressChoice_ = 0;
    int visibilityMode_ = kPassage;
    int frequencyChoice_ = -1;
    int topic_ = 0; // the topic listed last; at first the one of the settings
    int lineCount_ = 0;
    QFont displayFont_;
    static constexpr std::array<int, 4> kFontSizes = {0, 100, 120, 140};
    bool treeInFront_ = false;
    bool shown_ = false;
    bool followingCurrent_ = false; // the tree's current item is being moved to the shown passage
    QRect treeRect_;
    QRect textBoxRect_;
    int treeWidth_ = 0;
    int flyoverTarget_ = 0;
    int backgroundIndex_ = 0;
    bool backgroundMade_ = false;
    QBrush backgroundBrush_;
    std::unique_ptr<CHelpCommands> help_;
};
