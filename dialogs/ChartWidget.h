// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QPainter;

// A chart of values by day, drawn with QPainter: bars, a line or stacked areas over a time axis
// labelled with dates, a value axis with a grid, a title and a legend. One value per day from the
// first day on; every series has as many values as the days shown.
class CChartWidget : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Bars, Line, StackedAreas };
    struct Series {
        QString name;
        QColor color;
        std::vector<double> values;
    };

    CChartWidget(const QString& title, Kind kind, QWidget* parent = nullptr);

    // Shows series (in legend order; stacked from the bottom up) over the days from firstDay
    // (days since 1 January 1970).
    void SetData(std::int64_t firstDay, std::vector<Series> series);
    const std::vector<Series>& Data() const { return series_; }
    // The area the values are drawn in, and the horizontal middle of day index (from the first
    // day) in it: where a test looks for what was drawn.
    QRectF PlotArea() const { return Layout().plot; }
    double DayCentre(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Geometry {
        QRectF title;
        QRectF legend;
        QRectF plot;
    };
    Geometry Layout() const;
    // Finds the days shown and the top of the value axis for the data set.
    void Measure();
    double Centre(const QRectF& plot, int index) const;
    void DrawValueAxis(QPainter& painter, const QRectF& plot, double top) const;
    void DrawDateAxis(QPainter& painter, const QRectF& plot) const;
    void DrawLegend(QPainter& painter, const QRectF& area) const;
    void DrawSeries(QPainter& painter, const QRectF& plot, double top) const;

    QString title_;
    Kind kind_;
    std::int64_t firstDay_ = 0;
    std::vector<Series> series_;
    int days_ = 0;
    // The top of the value axis, a round number at or above the highest value (stacked: sum).
    double top_ = 0;
};
