// SPDX-License-Identifier: GPL-2.0-or-later
#include "AboutDlg.h"

#include "DialogUnits.h"
#include "MessageBoxService.h"
#include "Version.h"
#include "Win1252.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

struct Row {
    const char* label;
    int id;
};

constexpr Row kRows[] = {
    {"User Passages", 1007}, {"Baseline Psgs", 1008}, {"Stats Count", 1010},
    {"Pda Export", 1011},    {"Load Elapsed", 1009},  {"Trans Name", 1012},
    {"Trans Psg #", 1013},   {"Trans Verse #", 1014},
};
constexpr int kWidth = 130;
constexpr int kHeight = 204;
constexpr int kRightMargin = 7;
constexpr int kLabelX = 18;
constexpr int kBoxX = 72; // moved right only when a label needs more room in the dialog's font
constexpr int kBoxHeight = 12;
constexpr int kLabelGap = 4;
constexpr int kFirstRowY = 39;
constexpr int kLastRowY = 142;
constexpr int kLoadElapsedRow = 4;

constexpr const char* kLaunchReport[] = {
    "Recitor can be slow to 'launch' (get started) because of:",
    "* Overall slow computer (including old components, inadequate",
    "   memory, drive fragmentation, virus infection, etc.",
    "* Large number of Added and/or Revised Passages in RctUser.xml",
    "* Other tasks on computer happening concurrently, inc 'spies'",
    "",
    "The length of time for Recitor to 'launch' can be seen above",
    "and in the 'Help-About' box. This should be under 1-2 seconds on",
    "reasonably modern computers. (also a decent speed test :-)",
    "",
    "If your computer is slow, here are several things that may help:",
    "* Fix one or more issues above that apply",
    "   (newer releases may preload passages you added; delete if so)",
    "* If you only use one Bible translation, there are versions of",
    "   RctInfo.xml that only preload those passages. Check here:",
    "   http://forum.quillmark.org/group/Recitor/files/Translations",
    "* Above page also has previous versions of RctInfo.xml with",
    "   significantly fewer passages and fewer translations. They tend",
    "   to have the most well known passages and load much faster.",
    "",
    "Upcoming Recitor releases will have dramatically more preloaded",
    "passages and more translations. A design goal of Recitor is to",
    "work well on older computers typically used by missionaries,",
    "seminarians, schools, children, etc. (also reflected in displays",
    "with only 640*480 or 800*600 resolution. Recitor would be much",
    "different if it could assume 'latest/greatest' with 1024*768+ res.)",
    "",
    "Feedback invited and appreciated on this issue!",
};

// The distance between rows in whole pixels, as near the even spread from the first row to the
// last as can be. At a fractional scale such as 1.5 an odd pitch puts every other row on a half
// device pixel, which the painter rounds the other way, so the rows would look uneven; there the
// nearest pitch that is a whole number of device pixels is taken.
int RowPitch(int firstY, int lastY, int rows, qreal devicePixelRatio) {
    const double even = static_cast<double>(lastY - firstY) / (rows - 1);
    const int nearest = static_cast<int>(std::lround(even));
    for (const int delta : {0, 1, -1, 2, -2}) {
        const double device = (nearest + delta) * devicePixelRatio;
        if (std::abs(device - std::round(device)) < 1e-6)
            return nearest + delta;
    }
    return nearest;
}

} // namespace

CAboutDlg::CAboutDlg(const Values& values, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Recitor"));
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.X(kWidth), units.Y(kHeight));
    const int right = units.X(kWidth - kRightMargin);

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    icon->setGeometry(units.X(11), units.Y(17), 32, 32);
    auto* version = new QLabel(QStringLiteral("Recitor Version " RECITOR_VERSION), this);
    version->move(units.X(40), units.Y(10));
    version->adjustSize();
    auto* tagline = new QLabel(QStringLiteral("Scripture by heart"), this);
    tagline->move(units.X(40), units.Y(25));
    tagline->adjustSize();

    const QString texts[] = {
        QString::number(values.userCount),
        QString::number(values.baselineCount),
        QString::number(values.statsCount),
        values.exportDue ? QStringLiteral("True") : QStringLiteral("False"),
        QString::number(values.loadSeconds, 'g', 15),
        FromWin1252(values.transName),
        QString::number(values.transPassages),
        QString::number(values.transVerses),
    };
    constexpr int rows = static_cast<int>(std::size(kRows));

    // The labels take the width of the longest one; the boxes start after it and reach to the
    // dialog's margin, which leaves the most room for the values.
    int labelWidth = 0;
    for (const Row& row : kRows)
        labelWidth =
            std::max(labelWidth, fontMetrics().horizontalAdvance(QString::fromLatin1(row.label)));
    const int boxLeft =
        std::max(units.X(kBoxX), units.X(kLabelX) + labelWidth + units.X(kLabelGap));
    const int boxHeight = units.Y(kBoxHeight);
    const int firstY = units.Y(kFirstRowY);
    const int pitch = RowPitch(firstY, units.Y(kLastRowY), rows, devicePixelRatioF());
    for (int i = 0; i < rows; ++i) {
        const int y = firstY + pitch * i;
        auto* label = new QLabel(QString::fromLatin1(kRows[i].label), this);
        label->setGeometry(units.X(kLabelX), y, boxLeft - units.X(kLabelGap) - units.X(kLabelX),
                           boxHeight);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        auto* box = new QLineEdit(texts[i], this);
        box->setObjectName(QString::number(kRows[i].id));
        box->setGeometry(boxLeft, y, right - boxLeft, boxHeight);
        // A snapshot: it can be selected and copied but not changed, and reads in the normal
        // text colour.
        box->setReadOnly(true);
        // A value too long for its box shows its leading digits, which matter most.
        box->setCursorPosition(0);
        // The load time is the one value without a bounded length: a time measured in
        // milliseconds always fits, but the full value is at hand whatever it is.
        if (i == kLoadElapsedRow)
            box->setToolTip(texts[i]);
        // The label names its box, for screen readers as for the eye.
        label->setBuddy(box);
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    // Its right edge keeps the margin of the boxes above it rather than touching the border.
    ok->setGeometry(right - units.X(50), units.Y(187), units.X(50), units.Y(14));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString LaunchTimeCaption(double loadSeconds) {
    return QStringLiteral("Recitor launch time: %1 seconds").arg(loadSeconds, 0, 'f', 3);
}

void ShowLaunchTimeReport(double loadSeconds) {
    QStringList lines;
    for (const char* line : kLaunchReport)
        lines << QString::fromLatin1(line);
    MessageBoxes().Show(nullptr, LaunchTimeCaption(loadSeconds), lines.join(QLatin1Char('\n')),
                        MsgIcon::None, MsgButtons::Ok);
}
