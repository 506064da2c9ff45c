// SPDX-License-Identifier: GPL-2.0-or-later
#include "HelpSearch.h"

#include <QHelpEngineCore>
#include <QRegularExpression>
#include <QTextDocumentFragment>

#include <algorithm>

CHelpSearch::CHelpSearch(QHelpEngineCore& engine, QString namespaceName)
    : engine_(engine), namespace_(std::move(namespaceName)) {}

void CHelpSearch::ReadPages() {
    read_ = true;
    static const QRegularExpression kTitle(QStringLiteral("<title>(.*?)</title>"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    for (const QUrl& url : engine_.files(namespace_, QString(), QStringLiteral("htm"))) {
        const QString html = QString::fromUtf8(engine_.fileData(url));
        const QRegularExpressionMatch title = kTitle.match(html);
        Page page{url, title.hasMatch() ? title.captured(1).trimmed() : url.fileName(), {}};
        // The title element is not part of the body's text.
        QString body = html;
        if (title.hasMatch())
            body.remove(title.capturedStart(), title.capturedLength());
        page.text =
            (page.title + QLatin1Char(' ') + QTextDocumentFragment::fromHtml(body).toPlainText())
                .toLower();
        pages_.push_back(std::move(page));
    }
}

QList<CHelpSearch::Hit> CHelpSearch::Find(const QString& words) {
    const QStringList wanted = words.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (wanted.isEmpty())
        return {};
    if (!read_)
        ReadPages();
    const auto holdsAll = [&wanted](const QString& text) {
        return std::all_of(wanted.begin(), wanted.end(),
                           [&text](const QString& word) { return text.contains(word); });
    };
    QList<Hit> inTitle;
    QList<Hit> inText;
    for (const Page& page : pages_) {
        if (!holdsAll(page.text))
            continue;
        (holdsAll(page.title.toLower()) ? inTitle : inText).append({page.url, page.title});
    }
    const auto byTitle = [](const Hit& a, const Hit& b) {
        return a.title.localeAwareCompare(b.title) < 0;
    };
    std::sort(inTitle.begin(), inTitle.end(), byTitle);
    std::sort(inText.begin(), inText.end(), byTitle);
    return inTitle + inText;
}
