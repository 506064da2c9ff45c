// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// A paint device for the printing tests that records what a painter hands it, page by page:
// each piece of text with its baseline and font, and each line with its pen, in device units.

#include <QFont>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPen>
#include <QPointF>
#include <QString>
#include <QTextItem>
#include <QTransform>

#include <climits>
#include <vector>

struct RecordedText {
    QString text;
    QPointF at; // the baseline's start
    QFont font;
};

struct RecordedLine {
    QLineF line;
    QPen pen;
};

class CRecordingEngine : public QPaintEngine {
public:
    CRecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & QPaintEngine::DirtyPen)
            pen_ = state.pen();
        if (state.state() & QPaintEngine::DirtyTransform)
            transform_ = state.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i)
            pages.back().lines.push_back({transform_.map(lines[i]), pen_});
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        pages.back().texts.push_back({item.text(), transform_.map(p), item.font()});
    }
    Type type() const override { return QPaintEngine::User; }

    // A test that prints several pages adds one before drawing on it.
    struct Page {
        std::vector<RecordedText> texts;
        std::vector<RecordedLine> lines;
    };
    std::vector<Page> pages{1};

private:
    QPen pen_;
    QTransform transform_;
};

// A page of widthTenths x heightTenths of an inch at dpi dots per inch.
template <int Dpi, int WidthTenths, int HeightTenths> class CRecordingPageOf : public QPaintDevice {
public:
    static constexpr int kDpi = Dpi;
    QPaintEngine* paintEngine() const override { return &engine; }
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return WidthTenths * kDpi / 10;
        case PdmHeight:
            return HeightTenths * kDpi / 10;
        case PdmWidthMM:
            return (WidthTenths * 254 + 50) / 100;
        case PdmHeightMM:
            return (HeightTenths * 254 + 50) / 100;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return kDpi;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        }
        return 0;
    }
    mutable CRecordingEngine engine;
};
