// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CardSheetLayout.h"

#include <QMarginsF>
#include <QPageSize>
#include <QPen>

#include <functional>
#include <vector>

class CPassageStore;
class QPaintDevice;
class QPainter;

// Pocket cards of many passages, several to a page: each card drawn by the card renderer at its
// place on the page, and the page's cut lines drawn over the cards' edges once its cards are
// done. The pages come from any paint device (a printer, a PDF writer, a recording device in the
// tests); the caller says how a new page is started.
class CCardSheet {
public:
    enum class Outcome { Done, Cancelled, Failed };

    // passages are indices into store, in the order their cards are to come; store outlives the
    // sheet and does not change while it paints.
    CCardSheet(const CPassageStore& store, std::vector<int> passages, const SheetPaper& paper);

    const CCardSheetLayout& Layout() const { return layout_; }
    int CardCount() const { return static_cast<int>(passages_.size()); }
    int PageCount() const { return layout_.PageCount(CardCount()); }

    // Paints every card with painter, which is active on a device of the sheet's paper. newPage
    // is called before each page after the first and returns false when the device could not
    // start it (the run fails). progress is told after each card how many are done and returns
    // false to stop the run there (cancelled), with the page in hand finished as far as it goes.
    Outcome Paint(QPainter& painter, const std::function<bool()>& newPage,
                  const std::function<bool(int done)>& progress) const;

    // The paper of a device that is ready to paint from the paper's top-left corner: its size
    // and resolution, with the edges the device cannot print on given in points.
    static SheetPaper PaperOf(const QPaintDevice& device, const QMarginsF& unprintablePoints = {});
    // A page of a PDF file: paper of size id laid landscape, at dpi dots per inch.
    static SheetPaper LandscapePaper(QPageSize::PageSizeId id, int dpi);
    // The cut lines' pen at a resolution: half a point wide and light grey, plain to cut along
    // but faint beside the cards' black text.
    static QPen CutPen(int dpi);

private:
    void DrawCutLines(QPainter& painter, int count) const;

    const CPassageStore& store_;
    std::vector<int> passages_;
    CCardSheetLayout layout_;
};
