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

// The reference box's size, or nothing for a missing canvas or a box no canvas holds.
bool referenceBox(const SheetGlyph& reference, std::int64_t& bw, std::int64_t& bh) {
    const InkBox& rb = reference.box;
    bw = std::int64_t(rb.right) - rb.left;
    bh = std::int64_t(rb.bottom) - rb.top;
    return reference.canvas && bw >= 0 && bh >= 0 && bw < Canvas::kSize && bh < Canvas::kSize;
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

// A legend line: its title, then a swatch and a word for each colour (or outline).
struct LegendItem {
    QRgb colour;
    bool outline;
    QString text;
};
void drawLegend(QPainter& p, const QRect& line, const QString& title, std::initializer_list<LegendItem> items) {
    const QFont font = sheetFont(kTextPixels);
    const QFontMetrics metrics(font);
    p.setFont(font);
    p.setPen(kText);
    const int swatch = 12;
    int x = line.left();
    p.drawText(QRect(x, line.top(), line.width(), line.height()), Qt::AlignLeft | Qt::AlignVCenter, title);
    x += metrics.horizontalAdvance(title) + 10;
    for (const LegendItem& item : items) {
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
    std::int64_t bw = 0, bh = 0;
    if (!glyph.canvas || !referenceBox(reference, bw, bh)) return {};
    const InkRule referenceInk(*reference.canvas, reference.box);
    const BoxSampler glyphInk(*glyph.canvas, glyph.box, bw, bh);
    QImage out(int(bw) + 1, int(bh) + 1, QImage::Format_RGB32);
    for (int y = 0; y <= bh; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const int gy = glyphInk.row(y);
        const int ry = int(std::int64_t(reference.box.top) + y);
        for (int x = 0; x <= bw; ++x) {
            const bool r = referenceInk.ink(int(std::int64_t(reference.box.left) + x), ry);
            const bool g = glyphInk.ink(x, gy);
            line[x] = r ? (g ? kSharedInk : kReferenceOnlyInk) : (g ? kGlyphOnlyInk : kNoInk);
        }
    }
    return out;
}

int twinOf(const std::vector<SheetEntry>& entries, int k) {
    const auto twin = [&entries](std::size_t i) {
        return i < entries.size() && entries[i].score >= entries[0].score * (1 - kTwinHair);
    };
    if (k < 0 || !twin(std::size_t(k))) return -1;
    if (k > 0) return 0;
    return twin(1) ? 1 : -1;
}

TwinDifference twinDifference(const SheetGlyph& reference, const SheetGlyph& glyph, const SheetGlyph& other) {
    TwinDifference out;
    std::int64_t bw = 0, bh = 0;
    if (!glyph.canvas || !other.canvas || !referenceBox(reference, bw, bh)) return out;
    const InkRule referenceInk(*reference.canvas, reference.box);
    const BoxSampler thisInk(*glyph.canvas, glyph.box, bw, bh), otherInk(*other.canvas, other.box, bw, bh);
    out.image = QImage(int(bw) + 1, int(bh) + 1, QImage::Format_RGB32);
    for (int y = 0; y <= bh; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.image.scanLine(y));
        const int ty = thisInk.row(y), oy = otherInk.row(y);
        const int ry = int(std::int64_t(reference.box.top) + y);
        for (int x = 0; x <= bw; ++x) {
            const bool t = thisInk.ink(x, ty), o = otherInk.ink(x, oy);
            if (t == o) {
                line[x] = t ? kBothFontsInk : kNoInk;
                continue;
            }
            const bool asThis = referenceInk.ink(int(std::int64_t(reference.box.left) + x), ry) == t;
            line[x] = asThis ? kAsThisFont : kAsOtherFont;
            ++out.differing;
            out.asThis += asThis;
        }
    }
    return out;
}

QString twinLine(int otherRank, int differing, int asThis) {
    if (differing == 0) return QStringLiteral("vs %1.: no pixel differs").arg(otherRank);
    const int share = differing > 0 ? int(std::lround(100.0 * asThis / differing)) : 0;
    return QStringLiteral("vs %1.: %2 px differ, %3 % as this font").arg(otherRank).arg(differing).arg(share);
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
    std::vector<QString> twinLines(layout.cells.size());
    for (std::size_t k = 0; k < layout.cells.size(); ++k) {
        const SheetLayout::Cell& cell = layout.cells[k];
        const SheetEntry& entry = entries[k];
        ring(p, cell.frame.adjusted(1, 1, -1, -1), kFrame);
        const int twin = twinOf(entries, int(k));
        int differing = 0, asThis = 0;
        for (int i = 0; i < layout.characters; ++i) {
            const std::size_t at = std::size_t(i);
            if (at >= entry.glyphs.size()) break;
            drawCrop(p, entry.glyphs[at], cell.glyphs[at], layout.scale);
            const QImage both = overlay(reference.characters[at], entry.glyphs[at]);
            if (both.isNull()) continue;
            drawScaled(p, both, cell.overlays[at]);
            ring(p, cell.overlays[at], kFrame);
            const std::vector<SheetGlyph>& others = entries[std::size_t(std::max(0, twin))].glyphs;
            if (twin < 0 || at >= others.size()) continue;
            const TwinDifference d = twinDifference(reference.characters[at], entry.glyphs[at], others[at]);
            if (d.image.isNull()) continue;
            drawScaled(p, d.image, cell.differences[at]);
            ring(p, cell.differences[at], kFrame);
            differing += d.differing;
            asThis += d.asThis;
        }
        if (twin >= 0) twinLines[k] = twinLine(entries[std::size_t(twin)].rank, differing, asThis);
    }

    // Text needs the fonts of a QGuiApplication; without one the sheet goes without its words.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return sheet;
    const QFont captionFont = sheetFont(kCaptionPixels, true);
    p.setFont(captionFont);
    p.setPen(kText);
    p.drawText(
        layout.caption, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(captionFont).elidedText(reference.caption, Qt::ElideMiddle, layout.caption.width()));
    drawLegend(p, layout.legend, QStringLiteral("Overlay ink:"),
               {{kReferenceOnlyInk, false, QStringLiteral("reference only")},
                {kGlyphOnlyInk, false, QStringLiteral("glyph only")},
                {kSharedInk, false, QStringLiteral("both")},
                {kNoInk, false, QStringLiteral("neither")},
                {kInkBoxOutline, true, QStringLiteral("ink box")}});
    if (!layout.twinLegend.isNull())
        drawLegend(p, layout.twinLegend, QStringLiteral("Near-twins differ:"),
                   {{kAsThisFont, false, QStringLiteral("the picture as this font")},
                    {kAsOtherFont, false, QStringLiteral("as the other")},
                    {kBothFontsInk, false, QStringLiteral("ink of both")}});
    for (std::size_t k = 0; k < layout.cells.size(); ++k) {
        const SheetLayout::Cell& cell = layout.cells[k];
        drawCellText(p, entries[k], cell.text);
        if (twinLines[k].isEmpty()) continue;
        p.setFont(sheetFont(kTextPixels));
        p.setPen(kText);
        p.drawText(cell.twinText, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(p.font()).elidedText(twinLines[k], Qt::ElideRight, cell.twinText.width()));
    }
    return sheet;
}

}  // namespace lettrino
