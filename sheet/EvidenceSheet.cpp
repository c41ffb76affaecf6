#include "sheet/EvidenceSheet.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "canvas/Canvas.h"
#include "sheet/SheetLayout.h"

namespace lettrino {

namespace {

constexpr int kTextPixels = 14;
constexpr int kCaptionPixels = 16;
const QColor kText(20, 20, 20);
const QColor kFileText(90, 90, 90);
const QColor kFrame(200, 200, 200);

// Which pixels of a canvas are ink inside a box: red darker than halfway between white and
// the darkest red of the box (match/InkMask.h's rule); nothing is ink outside the canvas.
class InkRule {
public:
    InkRule(const Canvas& canvas, const InkBox& box) : pixels_(canvas.pixels()) {
        const int left = int(std::max<std::int32_t>(0, box.left));
        const int top = int(std::max<std::int32_t>(0, box.top));
        const int right = int(std::min<std::int32_t>(Canvas::kSize - 1, box.right));
        const int bottom = int(std::min<std::int32_t>(Canvas::kSize - 1, box.bottom));
        int darkest = 255;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                darkest = std::min(darkest, int(pixels_[y * Canvas::kSize + x] & 0xFF));
        threshold_ = darkest >= 255 ? 0 : (255 + darkest + 1) / 2;
    }
    bool ink(int x, int y) const {
        return Canvas::inside(x, y) && int(pixels_[y * Canvas::kSize + x] & 0xFF) < threshold_;
    }

private:
    const Colour* pixels_;
    int threshold_ = 0;
};

// The glyph coordinate a reference offset samples, halves to even as the match rounds;
// -1 when it falls outside a canvas.
int sampled(int offset, double ratio, std::int32_t origin) {
    const double v = std::nearbyint(offset * ratio + double(origin));
    return v >= 0 && v < Canvas::kSize ? int(v) : -1;
}

QString percent(double v) {
    return QString::number(v * 100.0, 'f', 2);
}

// A one-pixel ring just outside `inner`.
void ring(QPainter& p, const QRect& inner, const QColor& colour) {
    const QRect r = inner.adjusted(-1, -1, 1, 1);
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
    p.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), colour);
    p.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), colour);
}

void drawScaled(QPainter& p, const QImage& image, const QRect& place) {
    if (image.isNull() || place.isEmpty()) return;
    if (image.size() == place.size())
        p.drawImage(place.topLeft(), image);
    else
        p.drawImage(place.topLeft(),
                    image.scaled(place.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

// A canvas region as the match sees it (the red component as grey, white beyond the canvas),
// with the ink box outlined just outside its ink.
void drawCrop(QPainter& p, const SheetGlyph& g, const SheetLayout::Picture& pic, double scale) {
    if (!g.canvas || pic.crop.isEmpty() || pic.place.isEmpty()) return;
    QImage image(pic.crop.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int r = g.canvas->red(pic.crop.left() + x, pic.crop.top() + y);
            line[x] = r < 0 ? kNoInk : qRgb(r, r, r);
        }
    }
    drawScaled(p, image, pic.place);
    if (g.box.right < g.box.left || g.box.bottom < g.box.top) return;
    // A box edge on the sheet; edges far off the canvas are held near it (the clip hides them).
    const auto at = [&](std::int64_t v, int origin) {
        return (double(std::clamp<std::int64_t>(v, -Canvas::kSize, 2 * Canvas::kSize)) - origin) * scale;
    };
    const QRect box(
        QPoint(pic.place.left() + int(std::floor(at(g.box.left, pic.crop.left()))),
               pic.place.top() + int(std::floor(at(g.box.top, pic.crop.top())))),
        QPoint(pic.place.left() + int(std::ceil(at(std::int64_t(g.box.right) + 1, pic.crop.left()))) - 1,
               pic.place.top() + int(std::ceil(at(std::int64_t(g.box.bottom) + 1, pic.crop.top()))) - 1));
    p.save();
    p.setClipRect(pic.place);
    ring(p, box, QColor::fromRgb(kInkBoxOutline));
    p.restore();
}

QFont sheetFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The legend line: a swatch and a word for each colour of the overlays, and the box outline.
void drawLegend(QPainter& p, const QRect& line) {
    const QFont font = sheetFont(kTextPixels);
    const QFontMetrics metrics(font);
    p.setFont(font);
    p.setPen(kText);
    struct Item {
        QRgb colour;
        bool outline;
        QString text;
    };
    const Item items[] = {
        {kReferenceOnlyInk, false, QStringLiteral("reference only")},
        {kGlyphOnlyInk, false, QStringLiteral("glyph only")},
        {kSharedInk, false, QStringLiteral("both")},
        {kNoInk, false, QStringLiteral("neither")},
        {kInkBoxOutline, true, QStringLiteral("ink box")},
    };
    const int swatch = 12;
    int x = line.left();
    p.drawText(QRect(x, line.top(), line.width(), line.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Overlay ink:"));
    x += metrics.horizontalAdvance(QStringLiteral("Overlay ink:")) + 10;
    for (const Item& item : items) {
        const QRect box(x + 1, line.center().y() - swatch / 2 + 1, swatch - 2, swatch - 2);
        if (item.outline) {
            ring(p, box, QColor::fromRgb(item.colour));
        } else {
            p.fillRect(box, QColor::fromRgb(item.colour));
            ring(p, box, kFrame);
        }
        x += swatch + 5;
        p.drawText(QRect(x, line.top(), line.right() - x, line.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   item.text);
        x += metrics.horizontalAdvance(item.text) + 16;
    }
}

// The cell's lines: rank and face in bold, the figures, the file in grey; each elided to fit.
void drawCellText(QPainter& p, const SheetEntry& entry, const QRect& text) {
    const QStringList lines = entryLines(entry);
    const int lineHeight = text.height() / int(lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        const QFont font = sheetFont(kTextPixels, i == 0);
        p.setFont(font);
        p.setPen(i == 2 ? kFileText : kText);
        p.drawText(
            QRect(text.left(), text.top() + i * lineHeight, text.width(), lineHeight),
            Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(font).elidedText(lines[i], i == 2 ? Qt::ElideMiddle : Qt::ElideRight, text.width()));
    }
}

}  // namespace

std::vector<int> wordStartsOf(const QString& text) {
    std::vector<int> starts;
    int at = 0;  // characters so far, spaces not counted
    bool space = false;
    for (const uint u : text.toUcs4()) {
        if (QChar::isSpace(u)) {
            space = true;
            continue;
        }
        if (space && at > 0) starts.push_back(at);
        space = false;
        ++at;
    }
    return starts;
}

QImage overlay(const SheetGlyph& reference, const SheetGlyph& glyph) {
    if (!reference.canvas || !glyph.canvas) return {};
    const InkBox& rb = reference.box;
    const InkBox& gb = glyph.box;
    const std::int64_t bw = std::int64_t(rb.right) - rb.left, bh = std::int64_t(rb.bottom) - rb.top;
    if (bw < 0 || bh < 0 || bw >= Canvas::kSize || bh >= Canvas::kSize) return {};
    // The match's stretch: the glyph box onto the reference box, 0 along a zero-length side.
    const double xRatio = bw != 0 ? (double(gb.right) - gb.left) / double(bw) : 0.0;
    const double yRatio = bh != 0 ? (double(gb.bottom) - gb.top) / double(bh) : 0.0;
    const InkRule referenceInk(*reference.canvas, rb), glyphInk(*glyph.canvas, gb);

    QImage out(int(bw) + 1, int(bh) + 1, QImage::Format_RGB32);
    std::vector<int> glyphX(std::size_t(bw) + 1);
    for (int x = 0; x <= bw; ++x) glyphX[std::size_t(x)] = sampled(x, xRatio, gb.left);
    for (int y = 0; y <= bh; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const int gy = sampled(y, yRatio, gb.top);
        const int ry = int(std::int64_t(rb.top) + y);
        for (int x = 0; x <= bw; ++x) {
            const bool r = referenceInk.ink(int(std::int64_t(rb.left) + x), ry);
            const bool g = gy >= 0 && glyphInk.ink(glyphX[std::size_t(x)], gy);
            line[x] = r ? (g ? kSharedInk : kReferenceOnlyInk) : (g ? kGlyphOnlyInk : kNoInk);
        }
    }
    return out;
}

QStringList entryLines(const SheetEntry& entry) {
    return {QString::number(entry.rank) + QStringLiteral(". ") + entry.face,
            QStringLiteral("score %1 %, match %2 %").arg(percent(entry.score), percent(entry.m)),
            QFileInfo(entry.file).fileName()};
}

QImage drawSheet(const SheetReference& reference, const std::vector<SheetEntry>& entries) {
    const SheetLayout layout = sheetLayout(reference, entries);
    QImage sheet(layout.size, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);

    for (int i = 0; i < layout.characters; ++i)
        drawCrop(p, reference.characters[std::size_t(i)], layout.reference[std::size_t(i)], layout.scale);
    for (std::size_t k = 0; k < layout.cells.size(); ++k) {
        const SheetLayout::Cell& cell = layout.cells[k];
        const SheetEntry& entry = entries[k];
        ring(p, cell.frame.adjusted(1, 1, -1, -1), kFrame);
        for (int i = 0; i < layout.characters; ++i) {
            const std::size_t at = std::size_t(i);
            if (at >= entry.glyphs.size()) break;
            drawCrop(p, entry.glyphs[at], cell.glyphs[at], layout.scale);
            const QImage both = overlay(reference.characters[at], entry.glyphs[at]);
            if (both.isNull()) continue;
            drawScaled(p, both, cell.overlays[at]);
            ring(p, cell.overlays[at], kFrame);
        }
    }

    // Text needs the fonts of a QGuiApplication; without one the sheet goes without its words.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return sheet;
    const QFont captionFont = sheetFont(kCaptionPixels, true);
    p.setFont(captionFont);
    p.setPen(kText);
    p.drawText(
        layout.caption, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(captionFont).elidedText(reference.caption, Qt::ElideMiddle, layout.caption.width()));
    drawLegend(p, layout.legend);
    for (std::size_t k = 0; k < layout.cells.size(); ++k) drawCellText(p, entries[k], layout.cells[k].text);
    return sheet;
}

}  // namespace lettrino
