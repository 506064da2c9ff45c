// SPDX-License-Identifier: GPL-2.0-or-later
#include "ChartWidget.h"

#include <QDate>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMargin = 8;
constexpr double kTick = 4;
constexpr int kValueSteps = 4;
// Dark text and axes on white, a grid light enough to stay behind the values.
const QColor kBackground(Qt::white);
const QColor kText(0x20, 0x20, 0x20);
const QColor kGrid(0xdd, 0xdd, 0xdd);

QDate DateOf(std::int64_t day) {
    return QDate(1970, 1, 1).addDays(day);
}

// The smallest of 1, 2 or 5 times a power of ten that is at least value.
double RoundUp(double value) {
    if (value <= 1)
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double step : {1.0, 2.0, 5.0, 10.0})
        if (step * power >= value)
            return step * power;
    return 10 * power;
}

} // namespace

CChartWidget::CChartWidget(const QString& title, Kind kind, QWidget* parent)
    : QWidget(parent), title_(title), kind_(kind) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    Measure();
}

void CChartWidget::SetData(std::int64_t firstDay, std::vector<Series> series) {
    firstDay_ = firstDay;
    series_ = std::move(series);
    Measure();
    update();
}

// The extent of the values is found once for each change of data: the paint asks for it at every
// point it places, thousands of days for years of history.
void CChartWidget::Measure() {
    std::size_t days = 0;
    for (const Series& one : series_)
        days = std::max(days, one.values.size());
    days_ = static_cast<int>(days);
    double top = 0;
    for (int day = 0; day < days_; ++day) {
        double sum = 0;
        for (const Series& one : series_) {
            const double value =
                day < static_cast<int>(one.values.size()) ? one.values[std::size_t(day)] : 0;
            sum = kind_ == Kind::StackedAreas ? sum + value : std::max(sum, value);
        }
        top = std::max(top, sum);
    }
    // Four steps of whole numbers at least.
    top_ = RoundUp(std::max(top, double{kValueSteps}) / kValueSteps) * kValueSteps;
}

CChartWidget::Geometry CChartWidget::Layout() const {
    const QFontMetricsF metrics(font());
    const double line = metrics.height();
    Geometry geometry;
    geometry.title = QRectF(kMargin, kMargin, width() - 2 * kMargin, line * 1.3);
    geometry.legend = QRectF(kMargin, geometry.title.bottom(), width() - 2 * kMargin,
                             series_.size() > 1 ? line * 1.4 : 0);
    const double left = kMargin + metrics.horizontalAdvance(QString::number(top_)) + 2 * kTick;
    const double top = geometry.legend.bottom() + line / 2;
    const double bottom = height() - kMargin - line - kTick;
    geometry.plot =
        QRectF(left, top, std::max(1.0, width() - kMargin - left), std::max(1.0, bottom - top));
    return geometry;
}

double CChartWidget::DayCentre(int index) const {
    return Centre(PlotArea(), index);
}

double CChartWidget::Centre(const QRectF& plot, int index) const {
    return plot.left() + (index + 0.5) * plot.width() / std::max(1, days_);
}

QSize CChartWidget::sizeHint() const {
    return {480, 200};
}

QSize CChartWidget::minimumSizeHint() const {
    return {240, 140};
}

void CChartWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.setRenderHint(QPainter::Antialiasing);
    const Geometry geometry = Layout();
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(kText);
    painter.drawText(geometry.title, Qt::AlignLeft | Qt::AlignVCenter, title_);
    painter.setFont(font());
    DrawLegend(painter, geometry.legend);
    DrawValueAxis(painter, geometry.plot, top_);
    DrawSeries(painter, geometry.plot, top_);
    DrawDateAxis(painter, geometry.plot);
}

void CChartWidget::DrawLegend(QPainter& painter, const QRectF& area) const {
    if (area.height() <= 0)
        return;
    const QFontMetricsF metrics(font());
    const double box = metrics.ascent() * 0.8;
    double x = area.left();
    for (const Series& one : series_) {
        const double y = area.center().y();
        painter.fillRect(QRectF(x, y - box / 2, box, box), one.color);
        x += box + kTick;
        painter.setPen(kText);
        painter.drawText(QPointF(x, y + metrics.ascent() / 2 - 1), one.name);
        x += metrics.horizontalAdvance(one.name) + 3 * kTick;
    }
}

void CChartWidget::DrawValueAxis(QPainter& painter, const QRectF& plot, double top) const {
    const QFontMetricsF metrics(font());
    for (int step = 0; step <= kValueSteps; ++step) {
        const double value = top * step / kValueSteps;
        const double y = plot.bottom() - plot.height() * step / kValueSteps;
        painter.setPen(step == 0 ? kText : kGrid);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(kText);
        const QString label = QString::number(value, 'g', 10);
        painter.drawText(QPointF(plot.left() - kTick - metrics.horizontalAdvance(label),
                                 y + metrics.ascent() / 2 - 1),
                         label);
    }
    painter.drawLine(plot.topLeft(), plot.bottomLeft());
}

// Dates mark the first of each month, and over a few months also the 8th, 15th and 22nd. Over
// many months the labels thin out to every third, sixth or twelfth month, so that the years stay
// readable: January, which carries the year, is always among them. A label that would still run
// into the one before it is left out.
void CChartWidget::DrawDateAxis(QPainter& painter, const QRectF& plot) const {
    const QFontMetricsF metrics(font());
    const int days = days_;
    const bool weeks = days <= 120;
    const double gap = metrics.horizontalAdvance(QStringLiteral("  "));
    const double monthWide = days > 0 ? plot.width() / days * 30.44 : plot.width();
    const double labelWide = metrics.horizontalAdvance(QStringLiteral("May 2000")) + gap;
    int monthStep = 1;
    for (const int step : {1, 3, 6, 12}) {
        monthStep = step;
        if (step * monthWide >= labelWide)
            break;
    }
    double free = plot.left() - 1e9;
    painter.setPen(kText);
    for (int index = 0; index < days; ++index) {
        const QDate date = DateOf(firstDay_ + index);
        const int dayOfMonth = date.day();
        if (dayOfMonth != 1 && !(weeks && (dayOfMonth - 1) % 7 == 0 && dayOfMonth < 29))
            continue;
        const double x = Centre(plot, index);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTick));
        if (!weeks && (date.month() - 1) % monthStep != 0)
            continue;
        const QString label = weeks || date.month() != 1 ? date.toString(weeks ? "d MMM" : "MMM")
                                                         : date.toString("MMM yyyy");
        const double wide = metrics.horizontalAdvance(label);
        const double left =
            std::clamp(x - wide / 2, plot.left(), std::max(plot.left(), width() - kMargin - wide));
        if (left < free)
            continue;
        painter.drawText(QPointF(left, plot.bottom() + kTick + metrics.ascent()), label);
        free = left + wide + gap;
    }
}

void CChartWidget::DrawSeries(QPainter& painter, const QRectF& plot, double top) const {
    const int days = days_;
    if (days == 0)
        return;
    const double slot = plot.width() / days;
    const auto yOf = [&](double value) { return plot.bottom() - plot.height() * value / top; };
    const auto valueOf = [](const Series& one, int day) {
        return day < static_cast<int>(one.values.size()) ? one.values[std::size_t(day)] : 0.0;
    };
    painter.save();
    painter.setClipRect(plot.adjusted(0, -1, 1, 1));
    if (kind_ == Kind::Bars) {
        const double gap = slot > 3 ? slot / 5 : 0;
        for (const Series& one : series_)
            for (int day = 0; day < days; ++day)
                if (valueOf(one, day) > 0)
                    painter.fillRect(QRectF(plot.left() + day * slot + gap / 2,
                                            yOf(valueOf(one, day)), slot - gap,
                                            plot.bottom() - yOf(valueOf(one, day))),
                                     one.color);
    } else if (kind_ == Kind::Line) {
        for (const Series& one : series_) {
            QPolygonF line;
            for (int day = 0; day < days; ++day)
                line << QPointF(Centre(plot, day), yOf(valueOf(one, day)));
            if (days == 1) // a single day is drawn across the chart
                line = {QPointF(plot.left(), line[0].y()), QPointF(plot.right(), line[0].y())};
            painter.setPen(QPen(one.color, 2));
            painter.drawPolyline(line);
        }
    } else {
        // Each area lies between the sum of the series below it and that sum with its own values;
        // a single day fills the width of the chart.
        std::vector<double> below(std::size_t(days), 0.0);
        const auto xOf = [&](int day) {
            return days == 1 ? (day == 0 ? plot.left() : plot.right()) : Centre(plot, day);
        };
        const int points = std::max(days, 2);
        painter.setPen(Qt::NoPen);
        for (const Series& one : series_) {
            QPolygonF area;
            std::vector<double> above(below);
            for (int day = 0; day < days; ++day)
                above[std::size_t(day)] += valueOf(one, day);
            for (int point = 0; point < points; ++point)
                area << QPointF(xOf(point), yOf(above[std::size_t(std::min(point, days - 1))]));
            for (int point = points - 1; point >= 0; --point)
                area << QPointF(xOf(point), yOf(below[std::size_t(std::min(point, days - 1))]));
            painter.setBrush(one.color);
            painter.drawPolygon(area);
            below = std::move(above);
        }
    }
    painter.restore();
}
