// SPDX-License-Identifier: GPL-2.0-or-later
#include "HelpWindow.h"

#include "HelpSearch.h"
#include "HelpTopicChooser.h"

#include <QFileInfo>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

constexpr const char* kStartPage = "IDH_OVERVIEW.htm";
constexpr const char* kFolder = "doc";

// Reads the pages, their style sheet and pictures out of the collection.
class CHelpBrowser : public QTextBrowser {
public:
    CHelpBrowser(QHelpEngine& engine, QWidget* parent) : QTextBrowser(parent), engine_(engine) {}

    QVariant loadResource(int type, const QUrl& name) override {
        if (name.scheme() == QLatin1String("qthelp"))
            return engine_.fileData(name);
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine& engine_;
};

} // namespace

CHelpWindow::CHelpWindow(const QString& collectionFile, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Recitor Help"));
    resize(880, 620);
    engine_ = new QHelpEngine(collectionFile, this);
    // The collection lies beside the program, where the user may not write.
    engine_->setReadOnly(true);
    engine_->setUsesFilterEngine(true);
    if (engine_->setupData()) {
        const QStringList namespaces = engine_->registeredDocumentations();
        // A collection whose pages file is gone would open an empty window without a word: it
        // counts as no help at all.
        if (!namespaces.isEmpty() &&
            QFileInfo::exists(engine_->documentationFileName(namespaces.first())))
            namespace_ = namespaces.first();
    }

    auto* splitter = new QSplitter(this);
    tabs_ = new QTabWidget(splitter);
    QHelpContentWidget* contents = engine_->contentWidget();
    tabs_->addTab(contents, QStringLiteral("&Contents"));
    auto* indexPage = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(4, 4, 4, 4);
    indexFilter_ = new QLineEdit(indexPage);
    indexFilter_->setPlaceholderText(QStringLiteral("Type a keyword"));
    QHelpIndexWidget* index = engine_->indexWidget();
    indexLayout->addWidget(indexFilter_);
    indexLayout->addWidget(index);
    tabs_->addTab(indexPage, QStringLiteral("&Index"));
    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->setContentsMargins(4, 4, 4, 4);
    searchWords_ = new QLineEdit(searchPage);
    searchWords_->setPlaceholderText(QStringLiteral("Type words, then Enter"));
    searchResults_ = new QListWidget(searchPage);
    searchLayout->addWidget(searchWords_);
    searchLayout->addWidget(searchResults_);
    tabs_->addTab(searchPage, QStringLiteral("&Search"));
    search_ = std::make_unique<CHelpSearch>(*engine_, namespace_);
    browser_ = new CHelpBrowser(*engine_, splitter);
    browser_->setOpenExternalLinks(true);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({260, 620});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    // Escape puts the help away, as it does with the program's other windows.
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);

    // The contents open at their chapters and follow the page shown.
    connect(engine_->contentModel(), &QHelpContentModel::contentsCreated, contents,
            [contents] { contents->expandToDepth(1); });
    connect(browser_, &QTextBrowser::sourceChanged, contents, [contents](const QUrl& url) {
        const QModelIndex item = contents->indexOf(url);
        if (item.isValid())
            contents->setCurrentIndex(item);
    });
    connect(contents, &QHelpContentWidget::linkActivated, browser_,
            [this](const QUrl& url) { browser_->setSource(url); });
    connect(indexFilter_, &QLineEdit::textChanged, index,
            [index](const QString& text) { index->filterIndices(text); });
    connect(indexFilter_, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, browser_,
            [this](const QHelpLink& document) { browser_->setSource(document.url); });
    connect(searchWords_, &QLineEdit::returnPressed, this,
            [this] { Search(searchWords_->text()); });
    connect(searchResults_, &QListWidget::currentItemChanged, browser_,
            [this](QListWidgetItem* item) {
                if (item)
                    browser_->setSource(item->data(Qt::UserRole).toUrl());
            });
    // A keyword on several pages ("File menu") asks which of them to open.
    connect(index, &QHelpIndexWidget::documentsActivated, browser_,
            [this](const QList<QHelpLink>& documents, const QString& keyword) {
                CHelpTopicChooser chooser(keyword, documents, this);
                if (chooser.exec() == QDialog::Accepted && chooser.Page().isValid())
                    browser_->setSource(chooser.Page());
            });
}

CHelpWindow::~CHelpWindow() = default;

QUrl CHelpWindow::PageUrl(const QString& page) const {
    return QUrl(QStringLiteral("qthelp://%1/%2/%3")
                    .arg(namespace_, QLatin1String(kFolder),
                         page.isEmpty() ? QLatin1String(kStartPage) : page));
}

bool CHelpWindow::ShowContents(const QString& page) {
    if (!IsOpen())
        return false;
    const QUrl url = PageUrl(page);
    if (engine_->fileData(url).isEmpty())
        return false;
    browser_->setSource(url);
    tabs_->setCurrentIndex(0);
    Present();
    return true;
}

bool CHelpWindow::ShowIndex() {
    if (!IsOpen())
        return false;
    if (browser_->source().isEmpty())
        browser_->setSource(PageUrl({}));
    tabs_->setCurrentIndex(1);
    Present();
    indexFilter_->setFocus();
    indexFilter_->selectAll();
    return true;
}

void CHelpWindow::Search(const QString& words) {
    if (searchWords_->text() != words)
        searchWords_->setText(words);
    tabs_->setCurrentIndex(2);
    searchResults_->clear();
    for (const CHelpSearch::Hit& hit : search_->Find(words)) {
        auto* item = new QListWidgetItem(hit.title, searchResults_);
        item->setData(Qt::UserRole, hit.url);
    }
    if (searchResults_->count() > 0)
        searchResults_->setCurrentRow(0);
}

QStringList CHelpWindow::SearchResults() const {
    QStringList titles;
    for (int row = 0; row < searchResults_->count(); ++row)
        titles << searchResults_->item(row)->text();
    return titles;
}

QUrl CHelpWindow::Page() const {
    return browser_->source();
}

bool CHelpWindow::IndexInFront() const {
    return tabs_->currentIndex() == 1;
}

void CHelpWindow::Present() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}
