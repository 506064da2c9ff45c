#include "TopicListDlg.h"

#include "DialogUnits.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "Win1252.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

namespace {
constexpr int kListBoxId = 2060;
constexpr double kListPoints = 10.0;
constexpr int kTopicNone = 0;
} // namespace

CTopicListDlg::CTopicListDlg(const CPassageStore& store, QWidget* parent) : QDialog(parent) {
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.X(498), units.Y(335));

    const int topic = store.topicNumber;
    const int transFilter = store.TransFilter;
    int count = 0;
    const std::string text = ListText(store, topic, transFilter, count);
    setWindowTitle(Caption(topic, transFilter, count));

    listBox_ = new QPlainTextEdit(this);
    listBox_->setObjectName(QString::number(kListBoxId));
    listBox_->setGeometry(units.Rect(7, 7, 484, 321));
    listBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    listBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont listFont = listBox_->font();
    listFont.setPointSizeF(kListPoints);
    listBox_->setFont(listFont);
    QString shown = FromWin1252(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    listBox_->setPlainText(shown);
    // Enter closes the list like Escape does; typing is allowed but leads nowhere.
    listBox_->installEventFilter(this);

    listBox_->setFocus();
    QTextCursor top(listBox_->document());
    listBox_->setTextCursor(top);
    listBox_->ensureCursorVisible();
}

std::string CTopicListDlg::ListText(const CPassageStore& store, int topic, int transFilter,
                                    int& count) {
    std::string list;
    count = 0;
    for (int i = 0; i < store.PassageCount(); ++i) {
        const CPassage& passage = store.Passage(i);
        if (passage.primaryTopic != topic && passage.secondaryTopic != topic)
            continue;
        if (passage.trans != transFilter && transFilter != kTransAll)
            continue;
        ++count;
        list += passage.reference;
        if (passage.vCount > 1) {
            list += '-';
            list += std::to_string(passage.firstVerse + passage.vCount - 1);
        }
        list += ' ';
        // A secondary topic of "n/a" or "Misc" says nothing more, so one topic is named.
        if (passage.secondaryTopic != kTopicNone && passage.secondaryTopic != kTopicMisc) {
            list += "<<Topic(s) [Primary: ";
            list += passage.PrimaryTopicName();
            list += "] [Secondary: ";
            list += passage.SecondaryTopicName();
            list += "]>>";
        } else {
            list += "<Topic: ";
            list += passage.PrimaryTopicName();
            list += '>';
        }
        list += "\r\n";
        list += passage.PassageText();
        list += "\r\n\r\n";
    }
    return list;
}

QString CTopicListDlg::Caption(int topic, int transFilter, int count) {
    return QStringLiteral("Topic: %1  Translation: %2  Count: %3")
        .arg(FromWin1252(TopicName(topic)), FromWin1252(TransAbbrev(transFilter)),
             QString::number(count));
}

bool CTopicListDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == listBox_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
