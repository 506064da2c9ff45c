// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <vector>

class QHelpEngineCore;

// Full-text search over the help's pages: the pages that hold every word asked for. The pages
// are few and small, so they are read once, at the first search, and searched in memory.
class CHelpSearch {
public:
    struct Hit {
        QUrl url;
        QString title;
    };

    // Searches the pages of the documentation namespaceName in engine, which outlives this.
    CHelpSearch(QHelpEngineCore& engine, QString namespaceName);

    // The pages that contain every word of words, case ignored: those with all of them in their
    // title first, each group in the order of the titles. None for no words.
    QList<Hit> Find(const QString& words);

private:
    struct Page {
        QUrl url;
        QString title;
        QString text; // title and body as plain text, folded to lower case
    };
    void ReadPages();

    QHelpEngineCore& engine_;
    QString namespace_;
    std::vector<Page> pages_;
    bool read_ = false;
};
