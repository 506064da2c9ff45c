// SPDX-License-Identifier: GPL-2.0-or-later
#include "TopicChoiceDlg.h"

#include "DialogUnits.h"
#include "TopicList.h"
#include "TopicListDlg.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

namespace {

constexpr const char* kLabels[] = {
    "Assurance (inc Perseverance, Security, and Easy Believism [also see Grace, Sovereignty])",
    "Blessing (inc Prosperity [see Healing, Peace])",
    "Calling [see Holy Spirit]",
    "Church (inc Baptism, Communsion, Denominations, Sacraments, Tithing, Unity)",
    "Confession [inc Forgiveness, Prayer, Sin]",
    "Creation [see Omnipotence]",
    "Day of the Lord (inc End Times, Eschatology, Second Coming)",
    "Envy and Coveting",
    "Faith (inc Courage, Trust [see Grace, Sovereignty, Virtues])",
    "Forgiveness [see Repent, Sin]",
    "God (inc His Glory, Divine Care, Divine Will, Providence, Trinity [see Creation, Holy "
    "Spirit, Jesus, Omniscience, Sovereignty])",
    "God's Faithfulness (inc Covenant, Promises)",
    "Grace (inc Salvation [see Assurance, Faith, Justification, Mercy, Jesus, Sovereignty])",
    "Holy Spirit (inc Conviction, Gifts, Guidance, Indwelling [see God, Grace, Sanctification, "
    "Trinity])",
    "Idols [see Sin, Vices]",
    "Judgment (inc Accountability, Condemnation, Heavenly Rewards, Punishment)",
    "Justification [see Grace]",
    "Love (inc Self-denial [see Mercy, Virtues])",
    "Marriage (inc Courtship, Divorce [see Parenting, Sex])",
    "Meditation and Memorization",
    "Mercy (inc Compassion, Kindness [see Grace, Virtues])",
    "Messiah (inc Jesus, Resurrection, [see God, Grace])",
    "Misc (inc creeds, songs, tracts, speeches, pledges, Apocrypha, etc. [or doesn't fit another "
    "topic])",
    "Obedience (inc Discipleship [see Sanctification, Virtues])",
    "Omniscience [see Sovereignty]",
    "Omnipotence [see Creation]",
    "Omnipresence [see Holy Spirit]",
    "Parenting [see Marriage]",
    "Peace (inc Contentment, Hope, Joy [see Blessing, Faith, Virtues])",
    "Pleasing God [see Obedience, Sanctification, Virtues]",
    "Prayer (inc Fasting, Hindrances [see Faith, Repent, Sovereignty])",
    "Pride [see Sin, Vices]",
    "Preaching (inc Teaching, Prophecy [see Word of God])",
    "Repentance, Confession, Forgiveness, Temptation [also see Prayer, Sin, Vices]",
    "Righteousness and Holiness",
    "Sabbath [see Word of God]",
    "Sanctification (inc Good Works, Lordship, Purity, Victory [see Obedience, Pleasing God, "
    "Repent, Righteousness,Virtues])",
    "Sin (inc Abomination, Homosexuality, Immorality, Perversion [see Idols, Sex, Repentance, "
    "Vices, Suffering])",
    "Sovereignty (inc Free Will, Election, Foreknowledge Predestination [see Assurance, God, "
    "Grace, Mercy, Prayer])",
    "Temptation [see Prayer, Repentance, Sin, Vice]",
    "Wisdom and Proverbs",
    "Witness,Evangelism,Apologetics",
    "Word of God (inc Bible, Heresy, Inerrancy, Law, Legalism [see Meditation])",
    "Worldly Concerns (inc Civil Authority, Cultural Mandate, Priorities [see Stewardship])",
    "Worship, Praise, Thanksgiving",
    "Wrath (inc Curses, God's Anger]",
    "Faithfulness (inc Diligence, Honesty, Friendship, Our Hearts, Servanthood [also see "
    "Virtues])",
    "Healing (Medical and Emotional)",
    "Other World (inc Afterlife, Angels, Demons, Heaven, Hell, Satan, Spiritual Warfare)",
    "Our Tongues (inc Flattery, Gossip, Grumbling, Profanity, Slander [also see Sin, Vices])",
    "Sex (inc Adultery, Celibacy, Fornication, Lust, Perversion [see Marriage, Sin, Vices])",
    "Stewardship (inc Finances, Generosity, Greed, Money [see Church, Worldly Concerns])",
    "Suffering (inc Adversity, Trials, Discipline [see Sanctification, Repent, Sin, "
    "Sovereignty, Vices])",
    "Vices-Other (inc Anger, Anxiety, Critical Spirit, Deceit, Dissensions, Drunkenness, "
    "Favoritism, Hatred, Hypocrisy, Impurity, Jealousy, Malice, Revenge, Selfishness, "
    "Witchcraft [see Envy, Our Tongues, Pride, Repent, Sin])",
    "Virtues-Other (inc Gentleness, Goodness, Hospitality, Humility, Patience, Self-control "
    "[see Love, Faithfulness, Peace, Mercy, Obedience, Sanctification])",
    "User #1",
    "User #2",
};
static_assert(std::size(kLabels) == CTopicChoiceDlg::kTopicButtons);

// The reserved user topics, which cannot be chosen yet.
constexpr int kFirstUserTopic = 56;
// Topics added in a later release, framed together.
constexpr int kFirstAdditionalTopic = 47;

constexpr int kCancelId = 2;
constexpr int kDialogWidth = 503;
constexpr int kDialogHeight = 327;

// A radio button whose label wraps within the button's width, with the indicator beside the
// first line. The whole area, label included, takes the click.
class CWrapRadio : public QRadioButton {
public:
    CWrapRadio(const QString& text, QWidget* parent) : QRadioButton(text, parent) {}

    int TextIndent() const {
        return style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this) +
               style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, this);
    }
    // The height the label needs at a given button width.
    int HeightForWidth(int width) const {
        const QRect bounds = fontMetrics().boundingRect(
            QRect(0, 0, std::max(1, width - TextIndent()), 100000), Qt::TextWordWrap, text());
        return std::max(bounds.height(), fontMetrics().height());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        option.state &= ~QStyle::State_HasFocus;
        option.rect.setHeight(fontMetrics().height());
        painter.drawControl(QStyle::CE_RadioButton, option);
        const QRect textRect = rect().adjusted(TextIndent(), 0, 0, 0);
        painter.drawItemText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, palette(),
                             isEnabled(), text(), QPalette::WindowText);
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = painter.boundingRect(textRect, Qt::AlignLeft | Qt::TextWordWrap, text());
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

} // namespace

CTopicChoiceDlg::CTopicChoiceDlg(Mode mode, int topic, const CPassageStore& store, int transFilter,
                                 QWidget* parent)
    : QDialog(parent), mode_(mode), topic_(topic), store_(store), transFilter_(transFilter) {
    setWindowTitle(mode_ == Mode::Choice
                       ? QStringLiteral("Topic Choice")
                       : QStringLiteral("Topic Filter (will show all passages matching selected "
                                        "topic category,  from current Bible translation)"));
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.X(kDialogWidth), units.Y(kDialogHeight));

    // The only push button: tiny and default, so that Enter and Escape both cancel.
    auto* cancel = new QPushButton(this);
    cancel->setObjectName(QString::number(kCancelId));
    cancel->setGeometry(units.Rect(kDialogWidth - 7, 1, 6, 6));
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    CreateButtons();

    // Topic 0 ("n/a") has no button, so nothing is selected for it.
    if (QAbstractButton* selected = group_->button(topic_ - 1))
        selected->setChecked(true);
    connect(group_, &QButtonGroup::idClicked, this, &CTopicChoiceDlg::OnTopicClicked);
}

int CTopicChoiceDlg::SelectedIndex() const {
    return group_->checkedId();
}

QString CTopicChoiceDlg::ButtonLabel(int topic) {
    if (topic < 1 || topic > kTopicButtons)
        return {};
    return QString::fromLatin1(kLabels[topic - 1]);
}

// The buttons flow down four columns, each label wrapped to the column's width. The frame of the
// additional topics fills the bottom of the two right-hand columns and holds two columns of its
// own; the earlier topics fill the space above it.
void CTopicChoiceDlg::CreateButtons() {
    const CDialogUnits units(font());
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);

    std::vector<CWrapRadio*> radios;
    for (int index = 0; index < kTopicButtons; ++index) {
        auto* radio = new CWrapRadio(QString::fromLatin1(kLabels[index]), this);
        radio->setObjectName(QString::number(kFirstButtonId + index));
        radio->setEnabled(index + 1 < kFirstUserTopic);
        group_->addButton(radio, index);
        radios.push_back(radio);
    }

    constexpr int kMargin = 4;
    constexpr int kColumns = 4;
    constexpr int kGap = 2;
    const int top = units.Y(8);
    const int bottom = units.Y(kDialogHeight - kMargin);
    const int gap = units.Y(kGap);
    const int columnPitch = (units.X(kDialogWidth) - 2 * units.X(kMargin)) / kColumns;
    const int columnWidth = columnPitch - units.X(3);
    const auto columnX = [&](int column) { return units.X(kMargin) + column * columnPitch; };

    // The frame first: its height decides how far the earlier topics may reach on the right.
    const int additional = kFirstAdditionalTopic - 1;
    const int frameLeft = columnX(2) - units.X(2);
    const int frameWidth = units.X(kDialogWidth - kMargin) - frameLeft;
    const int innerPitch = (frameWidth - units.X(6)) / 2;
    const int innerWidth = innerPitch - units.X(3);
    std::array<int, 2> innerHeight{0, 0};
    // Balance the frame's two columns: move on to the second once half the height is used.
    int total = 0;
    for (int index = additional; index < kTopicButtons; ++index)
        total += radios[static_cast<std::size_t>(index)]->HeightForWidth(innerWidth) + gap;
    std::vector<int> innerColumn(kTopicButtons, 0);
    for (int index = additional, column = 0; index < kTopicButtons; ++index) {
        const int height = radios[static_cast<std::size_t>(index)]->HeightForWidth(innerWidth);
        if (column == 0 && innerHeight[0] > 0 && innerHeight[0] + height / 2 > total / 2)
            column = 1;
        innerColumn[static_cast<std::size_t>(index)] = column;
        innerHeight[static_cast<std::size_t>(column)] += height + gap;
    }
    const int titleHeight = units.Y(10);
    const int frameHeight = titleHeight + std::max(innerHeight[0], innerHeight[1]) + units.Y(2);
    const int frameTop = bottom - frameHeight;
    auto* frame = new QGroupBox(QStringLiteral("Additional Topics (ver 3.6a and later)"), this);
    frame->setGeometry(frameLeft, frameTop, frameWidth, frameHeight);
    // The caption sits in the frame's top line, as in the main window, so the frame encloses
    // its buttons.
    frame->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); margin-top: 0.5em; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
    frame->lower();
    std::array<int, 2> innerY{frameTop + titleHeight, frameTop + titleHeight};
    for (int index = additional; index < kTopicButtons; ++index) {
        CWrapRadio* radio = radios[static_cast<std::size_t>(index)];
        const int column = innerColumn[static_cast<std::size_t>(index)];
        const int height = radio->HeightForWidth(innerWidth);
        radio->setGeometry(frameLeft + units.X(4) + column * innerPitch,
                           innerY[static_cast<std::size_t>(column)], innerWidth, height);
        innerY[static_cast<std::size_t>(column)] += height + gap;
        radio->raise();
    }

    int column = 0;
    int y = top;
    for (int index = 0; index < additional; ++index) {
        CWrapRadio* radio = radios[static_cast<std::size_t>(index)];
        const int height = radio->HeightForWidth(columnWidth);
        const int limit = column < 2 ? bottom : frameTop - gap;
        if (y + height > limit && column + 1 < kColumns) {
            ++column;
            y = top;
        }
        radio->setGeometry(columnX(column), y, columnWidth, height);
        y += height + gap;
    }
}

void CTopicChoiceDlg::OnTopicClicked(int index) {
    topic_ = index + 1;
    if (mode_ == Mode::Choice) {
        accept();
        return;
    }
    // The filter stays open, so the user can look at one topic after another.
    CTopicListDlg list(CTopicList(store_, topic_, transFilter_), this);
    list.exec();
}
