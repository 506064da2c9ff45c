// SPDX-License-Identifier: GPL-2.0-or-later
#include "HelpTopicChooser.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CHelpTopicChooser::CHelpTopicChooser(const QString& keyword, const QList<QHelpLink>& pages,
                                     QWidget* parent)
    : QDialog(parent), pages_(pages) {
    setWindowTitle(QStringLiteral("Choose Topic"));
    auto* label = new QLabel(QStringLiteral("&Topics for \"%1\":").arg(keyword), this);
    list_ = new QListWidget(this);
    label->setBuddy(list_);
    for (const QHelpLink& page : pages_)
        list_->addItem(page.title.isEmpty() ? page.url.fileName() : page.title);
    list_->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(QStringLiteral("&Display"), QDialogButtonBox::AcceptRole)->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
    resize(360, 240);
}

QUrl CHelpTopicChooser::Page() const {
    const int row = list_->currentRow();
    return row >= 0 && row < pages_.size() ? pages_[row].url : QUrl();
}
