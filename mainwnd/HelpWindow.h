// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

#include <memory>

class CHelpSearch;
class QHelpEngine;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

// The program's help: the compiled help collection shown with its contents, its keyword index,
// a search of its pages' text and the pages themselves. A window of its own beside the main window,
// which owns it.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    // Opens the collection read-only; IsOpen tells whether it could be read and holds the help.
    CHelpWindow(const QString& collectionFile, QWidget* parent);
    ~CHelpWindow() override;

    bool IsOpen() const { return !namespace_.isEmpty(); }
    // Shows the window at the contents with page (a page name such as "IDH_UG_INTRO.htm"; the
    // start page when empty). False, showing nothing, when the help or the page is not there.
    bool ShowContents(const QString& page = {});
    // Shows the window at the keyword index, ready for a word to be typed.
    bool ShowIndex();
    // Lists the pages that hold every one of words on the Search tab and shows the first.
    void Search(const QString& words);
    // The titles the last search listed.
    QStringList SearchResults() const;

    // The page shown, and whether the index is in front.
    QUrl Page() const;
    bool IndexInFront() const;
    QHelpEngine& Engine() const { return *engine_; }

private:
    QUrl PageUrl(const QString& page) const;
    void Present();

    QHelpEngine* engine_ = nullptr;
    QString namespace_;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* indexFilter_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    QLineEdit* searchWords_ = nullptr;
    QListWidget* searchResults_ = nullptr;
    std::unique_ptr<CHelpSearch> search_;
};
