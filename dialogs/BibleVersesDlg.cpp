// SPDX-License-Identifier: GPL-2.0-or-later
#include "BibleVersesDlg.h"

#include "DialogUnits.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

CBibleVersesDlg::CBibleVersesDlg(int before, int after, int most, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Bible Verses"));
    setFont(DialogFont());
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    const auto box = [this, most, form](QSpinBox*& spin, int id, int value, const char* label) {
        spin = new QSpinBox(this);
        spin->setObjectName(QString::number(id));
        spin->setRange(0, most);
        spin->setValue(value);
        spin->setSuffix(QStringLiteral(" verses"));
        spin->setWhatsThis(
            QStringLiteral("How many verses of the chapter From Bible in the Edit Passage dialog, "
                           "and Import Passages, put into the context around the passage; the "
                           "context never runs past the chapter."));
        form->addRow(QString::fromLatin1(label), spin);
    };
    box(before_, kBefore, before, "Verses &before the passage:");
    box(after_, kAfter, after, "Verses &after the passage:");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int CBibleVersesDlg::Before() const {
    return before_->value();
}

int CBibleVersesDlg::After() const {
    return after_->value();
}
