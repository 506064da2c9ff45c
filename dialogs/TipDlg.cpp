// SPDX-License-Identifier: GPL-2.0-or-later
#include "TipDlg.h"

#include "DialogUnits.h"
#include "MessageBoxService.h"
#include "TipSequence.h"
#include "Win1252.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

CTipDlg::CTipDlg(CTipSequence& tips, QWidget* parent) : QDialog(parent), tips_(tips) {
    CreateControls();
}

bool CTipDlg::ShowAtStartup() const {
    return showCheck_->isChecked();
}

void CTipDlg::ReportTrouble(QWidget* owner) {
    MessageBoxes().Show(owner, QStringLiteral("Recitor"),
                        QStringLiteral("Trouble reading the tips file"), MsgIcon::None,
                        MsgButtons::Ok);
}

void CTipDlg::OnNextTip() {
    if (tips_.Next() == CTipSequence::Read::Trouble)
        ReportTrouble(this);
    tipLabel_->setText(FromWin1252(tips_.Text()));
}

void CTipDlg::CreateControls() {
    setWindowTitle(QStringLiteral("Tip of the Day"));
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.X(231), units.Y(164));

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setGeometry(units.Rect(12, 11, 207, 123));

    pictureArea_ = new QWidget(this);
    pictureArea_->setObjectName(QStringLiteral("1000"));
    pictureArea_->setGeometry(units.Rect(20, 17, 190, 111));
    pictureArea_->setAttribute(Qt::WA_TransparentForMouseEvents);

    tipLabel_ = new QLabel(FromWin1252(tips_.Text()), this);
    tipLabel_->setObjectName(QStringLiteral("1004"));
    tipLabel_->setGeometry(units.Rect(28, 63, 177, 60));
    tipLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    tipLabel_->setWordWrap(true);
    tipLabel_->setAutoFillBackground(true);
    QPalette white = tipLabel_->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    tipLabel_->setPalette(white);

    showCheck_ = new QCheckBox(QStringLiteral("&Show Tips on StartUp"), this);
    showCheck_->setObjectName(QStringLiteral("1001"));
    showCheck_->setGeometry(units.Rect(13, 146, 85, 10));
    showCheck_->setChecked(tips_.ShowAtStartup());

    auto* next = new QPushButton(QStringLiteral("&Next Tip"), this);
    next->setObjectName(QStringLiteral("1002"));
    next->setGeometry(units.Rect(109, 143, 50, 14));
    next->setAutoDefault(false);
    next->setEnabled(tips_.HasFile());
    connect(next, &QPushButton::clicked, this, &CTipDlg::OnNextTip);

    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("1"));
    close->setGeometry(units.Rect(168, 143, 50, 14));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void CTipDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    const QRect area = pictureArea_->geometry();
    painter.fillRect(area, Qt::white);
    const QPixmap bulb(QStringLiteral(":/bitmaps/tipbulb.png"));
    painter.drawPixmap(area.topLeft(), bulb);
    QFont heading = font();
    heading.setPointSize(heading.pointSize() + 6);
    heading.setBold(true);
    painter.setFont(heading);
    painter.setPen(Qt::black);
    const QRect caption(area.left() + bulb.width(), area.top(), area.width() - bulb.width(),
                        bulb.height());
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QStringLiteral("Did you know..."));
}
