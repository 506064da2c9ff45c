// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>
#include <QHelpLink>
#include <QList>
#include <QUrl>

class QListWidget;

// Asks which page to open when an index keyword leads to several: the pages' titles in a list,
// the first chosen; Display (or Enter, or a double click) opens the chosen one.
class CHelpTopicChooser : public QDialog {
    Q_OBJECT
public:
    CHelpTopicChooser(const QString& keyword, const QList<QHelpLink>& pages, QWidget* parent);

    // The page chosen, once the dialog was accepted.
    QUrl Page() const;

private:
    QList<QHelpLink> pages_;
    QListWidget* list_ = nullptr;
};
