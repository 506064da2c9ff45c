#include "TipDlg.h"

#include "DialogUnits.h"
#include "MessageBoxService.h"
#include "Platform.h"
#include "Win1252.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace {

constexpr const char* kTipsFile = "RctTips.txt";
constexpr const char* kNoTips = "The tips file holds no tips.";

void ReportTrouble(QWidget* owner) {
    MessageBoxes().Show(owner, QStringLiteral("Recitor"),
                        QStringLiteral("Trouble reading the tips file"), MsgIcon::None,
                        MsgButtons::Ok);
}

} // namespace

CTipDlg::CTipDlg(ISettings& settings, const std::filesystem::path& directory, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    showAtStartup_ = settings_.ReadNumber(kSectionTip, "RctStartUp", 0) == 0;
    long position = settings_.ReadNumber(kSectionTip, "RctFilePos", 0);
    const std::filesystem::path path = directory.empty() ? kTipsFile : directory / kTipsFile;
    file_ = std::fopen(path.string().c_str(), "rb");
    if (!file_)
        tipText_ = "Tips file does not exist in the prescribed directory";
    else {
        const std::string created = CreationTimeText(path);
        if (settings_.ReadText(kSectionTip, "RctTimeStamp", "") != created) {
            settings_.WriteText(kSectionTip, "RctTimeStamp", created);
            position = 0;
        }
        if (SeekTo(position))
            ReadNextTip();
        else
            ReportTrouble(nullptr);
    }
    CreateControls();
}

CTipDlg::~CTipDlg() {
    if (!file_)
        return;
    settings_.WriteNumber(kSectionTip, "RctFilePos", static_cast<std::int32_t>(std::ftell(file_)));
    std::fclose(file_);
}

bool CTipDlg::SeekTo(long position) {
    return position >= 0 && std::fseek(file_, position, SEEK_SET) == 0;
}

std::string CTipDlg::CreationTimeText(const std::filesystem::path& file) {
    const QFileInfo info(QString::fromStdString(file.string()));
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.lastModified(); // a file system that keeps no creation time
    created = created.toLocalTime();
    const QLocale c = QLocale::c();
    const QString text = c.toString(created, QStringLiteral("ddd MMM ")) +
                         QStringLiteral("%1").arg(created.date().day(), 2, 10, QLatin1Char(' ')) +
                         c.toString(created, QStringLiteral(" hh:mm:ss yyyy"));
    return text.toStdString();
}

void CTipDlg::ReadNextTip() {
    if (!file_)
        return;
    char line[kMaxTipLength + 1];
    // Two passes over the whole file at most: a file without any tip line shows a note instead of
    // reading for ever.
    int wraps = 0;
    while (true) {
        if (!std::fgets(line, sizeof line, file_)) {
            if (++wraps > 2) {
                tipText_ = kNoTips;
                return;
            }
            if (!SeekTo(0)) {
                ReportTrouble(this);
                tipText_.clear();
                return;
            }
            continue;
        }
        const char first = line[0];
        if (first == ' ' || first == '\t' || first == '\n' || first == '\r' || first == ';')
            continue;
        tipText_ = line;
        if (tipText_.ends_with("\r\n"))
            tipText_.erase(tipText_.size() - 2, 1); // the line end is kept, as LF
        if (tipLabel_)
            tipLabel_->setText(FromWin1252(tipText_));
        return;
    }
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

    tipLabel_ = new QLabel(FromWin1252(tipText_), this);
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
    showCheck_->setChecked(showAtStartup_);

    nextButton_ = new QPushButton(QStringLiteral("&Next Tip"), this);
    nextButton_->setObjectName(QStringLiteral("1002"));
    nextButton_->setGeometry(units.Rect(109, 143, 50, 14));
    nextButton_->setAutoDefault(false);
    nextButton_->setEnabled(file_ != nullptr);
    connect(nextButton_, &QPushButton::clicked, this, &CTipDlg::ReadNextTip);

    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("1"));
    close->setGeometry(units.Rect(168, 143, 50, 14));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &CTipDlg::OnClose);
}

void CTipDlg::OnClose() {
    showAtStartup_ = showCheck_->isChecked();
    accept();
    settings_.WriteNumber(kSectionTip, "RctStartUp", showAtStartup_ ? 0 : 1);
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
