// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class CHelpWindow;
class CMainMenu;
class QMenu;
class QWidget;

// The main window's help: the help window at its contents, its index or one of the two guides,
// with the fallbacks and the message when the help cannot be shown; the F1 and What's This help
// of the window and its menus; and the web and mail commands. The help window belongs to the
// main window and goes with it.
class CHelpCommands : public QObject {
    Q_OBJECT
public:
    // owner is the main window; collectionFile the compiled help.
    CHelpCommands(QWidget& owner, QString collectionFile);
    ~CHelpCommands() override;

    // The help collection beside the program, named after it.
    static QString DefaultCollectionFile();
    const QString& CollectionFile() const { return collectionFile_; }
    // Takes the help from another collection from the next request on.
    void SetCollectionFile(const QString& collectionFile);

    // "Overview": the contents. "Help Topics": the index. Both tell the user when the help cannot
    // be shown.
    void Overview();
    void HelpTopics();
    // "Tutorial" and "User Guide": the contents at their first page, or else the index.
    void Tutorial();
    void UserGuide();

    // Wires the Help menu's commands but Check for Update (which tells the collection's counts),
    // F1 and Shift+F1 in the owner, F1 on its menus and the What's This texts of its controls.
    void ConnectTo(const CMainMenu& menu);

    // F1 on a menu gives the context help of its active item (or the menu's own, or nothing).
    void WatchMenu(QMenu& menu);

    // The web and mail commands; the desktop's answer is not looked at.
    static void OpenLink(int commandId);
    static void CheckForUpdate(int userCount, int transFilter, double loadSeconds);

    // The help window once it has been opened; null before.
    CHelpWindow* Window() const { return window_.get(); }
    // Closes the help window, as when the main window ends.
    void Close();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The help window over the collection, made at the first request; null when the collection
    // cannot be read.
    CHelpWindow* Open();
    void ShowContents(const QString& page);
    void ReportFailure();

    QWidget& owner_;
    QString collectionFile_;
    std::unique_ptr<CHelpWindow> window_;
};
