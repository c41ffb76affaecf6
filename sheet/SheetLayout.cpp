#include "sheet/SheetLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "canvas/Canvas.h"

namespace lettrino {

namespace {

constexpr int kMaxSheetWidth = 1600;
constexpr int kMaxColumns = 5;
constexpr int kMargin = 16;     // around the sheet
constexpr int kCellGap = 12;    // between cells
constexpr int kCellPad = 10;    // inside a cell's frame
constexpr int kPictureGap = 8;  // between a glyph and its overlay, between a word's two rows
constexpr int kCharGap = 6;     // between a word's characters
constexpr int kWordGap = 30;    // and between a line's words, more
constexpr int kTextGap = 6;     // between a cell's pictures and its text
constexpr int kHeaderGap = 16;  // between the header and the cells
constexpr int kCropMargin = 6;  // canvas pixels around the largest ink box of a character
constexpr int kLineHeight = 20;
constexpr int kCaptionHeight = 24;
constexpr int kSinglePictures = 356;  // widest pictures of a one-character cell
constexpr int kWordPictures = 760;    // widest pictures of a word's cell
constexpr int kTextWidth = 356;       // narrowest text column of a cell
constexpr int kHeaderWidth = 700;     // room for the caption and the legend

bool usable(const SheetGlyph& g) {
    return g.canvas && g.box.right >= g.box.left && g.box.bottom >= g.box.top;
}

// A box dimension in pixels, at most a canvas's, without overflow for any bounds.
int pixelsAcross(std::int32_t low, std::int32_t high) {
    return int(std::min<std::int64_t>(std::int64_t(high) - low + 1, Canvas::kSize));
}

// Keeps a coordinate near the canvas so that the arithmetic on crops cannot overflow.
int nearCanvas(std::int32_t v) {
    return std::clamp<std::int32_t>(v, -Canvas::kSize, 2 * Canvas::kSize);
}

// The region of `size` centred on the glyph's ink box (on the canvas centre without one).
QRect cropOf(const SheetGlyph& g, QSize size) {
    if (!g.canvas) return {};
    if (!usable(g)) {
        const int c = Canvas::kSize / 2;
        return QRect(c - size.width() / 2, c - size.height() / 2, size.width(), size.height());
    }
    const int left = nearCanvas(g.box.left), top = nearCanvas(g.box.top);
    const int w = pixelsAcross(g.box.left, g.box.right), h = pixelsAcross(g.box.top, g.box.bottom);
    return QRect(left - (size.width() - w) / 2, top - (size.height() - h) / 2, size.width(), size.height());
}

}  // namespace

SheetLayout sheetLayout(const SheetReference& reference, const std::vector<SheetEntry>& entries) {
    SheetLayout out;
    const int n = int(std::min<std::size_t>(reference.characters.size(), kSheetMaxCharacters));
    const int count = int(std::min<std::size_t>(entries.size(), kSheetMaxEntries));
    out.characters = n;
    bool twins = false;
    for (int k = 0; k < count; ++k) twins = twins || twinOf(entries, k) >= 0;

    // Per character, in canvas pixels: the crop shared by the reference and every glyph, and
    // the overlay (the reference box's size, nothing for a reference without ink).
    std::vector<QSize> crop(n), over(n);
    int natural = 0;
    for (int i = 0; i < n; ++i) {
        int w = 1, h = 1;
        const auto grow = [&](const SheetGlyph& g) {
            if (!usable(g)) return;
            w = std::max(w, pixelsAcross(g.box.left, g.box.right));
            h = std::max(h, pixelsAcross(g.box.top, g.box.bottom));
        };
        const SheetGlyph& r = reference.characters[i];
        grow(r);
        for (int k = 0; k < count; ++k)
            if (i < int(entries[k].glyphs.size())) grow(entries[k].glyphs[i]);
        crop[i] = QSize(w + 2 * kCropMargin, h + 2 * kCropMargin);
        if (usable(r) && std::int64_t(r.box.right) - r.box.left < Canvas::kSize &&
            std::int64_t(r.box.bottom) - r.box.top < Canvas::kSize)
            over[i] = QSize(r.box.width() + 1, r.box.height() + 1);
        natural += n == 1 ? crop[0].width() + (twins ? 2 : 1) * over[0].width() : crop[i].width();
    }

    // Before each character, the room between it and the one before.
    std::vector<int> before(n, kCharGap);
    for (const int i : reference.wordStarts)
        if (i > 0 && i < n) before[i] = kCharGap + kWordGap;
    // One scale for every picture, so that a cell's pictures fit their width.
    const bool single = n == 1;
    int fixed = single ? (twins ? 2 : 1) * kPictureGap : 0;
    for (int i = 1; i < n; ++i) fixed += before[i];
    // Each scaled width is rounded: up to half a pixel a character is kept spare for it.
    const int budget = (single ? kSinglePictures : kWordPictures) - fixed - n / 2;
    out.scale = natural > budget ? double(std::max(1, budget)) / natural : 1.0;
    const auto scaled = [&](QSize s) {
        const auto one = [&](int v) { return v > 0 ? std::max(1, int(std::lround(v * out.scale))) : 0; };
        return QSize(one(s.width()), one(s.height()));
    };

    // The pictures of a cell, relative to its top-left picture corner.
    std::vector<QRect> glyphAt(n), overlayAt(n), differenceAt(n);
    int blockWidth = 0, blockHeight = 0, rowHeight = 0;
    if (single) {
        const QSize c = scaled(crop[0]), o = scaled(over[0]);
        glyphAt[0] = QRect(QPoint(0, 0), c);
        overlayAt[0] = QRect(QPoint(c.width() + kPictureGap, (c.height() - o.height()) / 2), o);
        differenceAt[0] = overlayAt[0].translated(o.width() + kPictureGap, 0);
        blockWidth = (twins ? differenceAt[0] : overlayAt[0]).right() + 1;
        blockHeight = rowHeight = c.height();
    } else if (n > 1) {
        int overlayHeight = 0;
        for (int i = 0; i < n; ++i) {
            rowHeight = std::max(rowHeight, scaled(crop[i]).height());
            overlayHeight = std::max(overlayHeight, scaled(over[i]).height());
        }
        int x = 0;
        for (int i = 0; i < n; ++i) {
            if (i > 0) x += before[i];
            const QSize c = scaled(crop[i]), o = scaled(over[i]);
            glyphAt[i] = QRect(QPoint(x, (rowHeight - c.height()) / 2), c);
            overlayAt[i] = QRect(QPoint(x + (c.width() - o.width()) / 2, rowHeight + kPictureGap), o);
            differenceAt[i] = overlayAt[i].translated(0, overlayHeight + kPictureGap);
            x += c.width();
        }
        blockWidth = x;
        blockHeight = rowHeight + (twins ? 2 : 1) * (kPictureGap + overlayHeight);
    }

    // The header: caption, legend, the reference's characters as a cell shows its glyphs.
    out.caption = QRect(kMargin, kMargin, 0, kCaptionHeight);
    out.legend = QRect(kMargin, out.caption.bottom() + 1, 0, kLineHeight);
    if (twins) out.twinLegend = QRect(kMargin, out.legend.bottom() + 1, 0, kLineHeight);
    const int referenceTop = (twins ? out.twinLegend : out.legend).bottom() + 1 + kPictureGap;
    for (int i = 0; i < n; ++i)
        out.reference.push_back(
            {cropOf(reference.characters[i], crop[i]), glyphAt[i].translated(kMargin, referenceTop)});
    const int headerBottom = n > 0 ? referenceTop + rowHeight : referenceTop - kPictureGap;
    const int referenceWidth = single ? glyphAt[0].width() : blockWidth;

    // The cells, row by row.
    const int cellWidth = std::max(blockWidth, kTextWidth) + 2 * kCellPad;
    const int lines = twins ? 4 : 3;
    const int cellHeight = kCellPad + blockHeight + kTextGap + lines * kLineHeight + kCellPad;
    out.columns =
        std::clamp((kMaxSheetWidth - 2 * kMargin + kCellGap) / (cellWidth + kCellGap), 1, kMaxColumns);
    if (count > 0) out.columns = std::min(out.columns, count);
    const int cellsTop = headerBottom + kHeaderGap;
    for (int k = 0; k < count; ++k) {
        const SheetEntry& entry = entries[k];
        SheetLayout::Cell cell;
        cell.frame = QRect(kMargin + (k % out.columns) * (cellWidth + kCellGap),
                           cellsTop + (k / out.columns) * (cellHeight + kCellGap), cellWidth, cellHeight);
        const QPoint at = cell.frame.topLeft() + QPoint(kCellPad, kCellPad);
        for (int i = 0; i < n; ++i) {
            const SheetGlyph none;
            const SheetGlyph& g = i < int(entry.glyphs.size()) ? entry.glyphs[i] : none;
            cell.glyphs.push_back({cropOf(g, crop[i]), glyphAt[i].translated(at)});
            cell.overlays.push_back(overlayAt[i].translated(at));
            if (twins) cell.differences.push_back(differenceAt[i].translated(at));
        }
        cell.text = QRect(at.x(), at.y() + blockHeight + kTextGap, cellWidth - 2 * kCellPad, 3 * kLineHeight);
        if (twins) cell.twinText = QRect(cell.text.left(), cell.text.bottom() + 1, cell.text.width(), kLineHeight);
        out.cells.push_back(std::move(cell));
    }

    int width = 2 * kMargin + std::max(kHeaderWidth, referenceWidth);
    int height = headerBottom + kMargin;
    if (count > 0) {
        width = std::max(width, 2 * kMargin + out.columns * cellWidth + (out.columns - 1) * kCellGap);
        height = out.cells.back().frame.bottom() + 1 + kMargin;
    }
    out.size = QSize(width, height);
    out.caption.setWidth(width - 2 * kMargin);
    out.legend.setWidth(width - 2 * kMargin);
    if (twins) out.twinLegend.setWidth(width - 2 * kMargin);
    return out;
}

}  // namespace lettrino
