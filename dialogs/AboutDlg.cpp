#include "AboutDlg.h"

#include "DialogUnits.h"
#include "MessageBoxService.h"
#include "PassageStore.h"
#include "Win1252.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
constexpr int kFirstRowY = 39;
constexpr int kLastRowY = 142;

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

} // namespace

CAboutDlg::CAboutDlg(const CPassageStore& store, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Recitor"));
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.X(130), units.Y(204));

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    icon->setGeometry(units.X(11), units.Y(17), 32, 32);
    auto* version = new QLabel(QStringLiteral("Recitor Version 3.6d"), this);
    version->move(units.X(40), units.Y(10));
    auto* tagline = new QLabel(QStringLiteral("Scripture memory, one passage a day"), this);
    tagline->move(units.X(40), units.Y(25));

    const QString values[] = {
        QString::number(store.userCount),
        QString::number(store.baselineCount),
        QString::number(store.statsCount),
        store.exportNeeded != 0 ? QStringLiteral("True") : QStringLiteral("False"),
        QString::number(store.loadSeconds, 'g', 15),
        FromWin1252(store.transFilterName),
        QString::number(store.transPassageCount),
        QString::number(store.transVerseCount),
    };
    constexpr int rows = static_cast<int>(std::size(kRows));
    for (int i = 0; i < rows; ++i) {
        const int y = kFirstRowY + ((kLastRowY - kFirstRowY) * i + (rows - 1) / 2) / (rows - 1);
        auto* label = new QLabel(QString::fromLatin1(kRows[i].label), this);
        label->move(units.X(18), units.Y(y) + 2);
        auto* box = new QLineEdit(values[i], this);
        box->setObjectName(QString::number(kRows[i].id));
        box->setGeometry(units.Rect(72, y, 32, 12));
        box->setEnabled(false); // read-only, as a snapshot
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(units.Rect(80, 187, 50, 14));
    ok->setDefault(true);
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
