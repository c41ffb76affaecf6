#include "prep/PicturePrep.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "prep/InkAnalysis.h"
#include "prep/LumaSource.h"
#include "prep/Segments.h"

namespace lettrino {

namespace {

constexpr int kCanvasSize = 197;  // the reference canvas's drawable area
// Ink the window takes as it is must be grey: red, green and blue this close together (the
// window compares red channels; the prepared picture is grey by construction).
constexpr int kNeutralSpread = 16;

using prep::InkAnalysis;
using prep::InkRegion;
using prep::LumaSource;

// Whether the window can take the picture as it is: on a pure white background, nothing but
// pure white outside the top-left canvas area, and every other pixel neutral and part of the
// ink the analysis kept (no specks, no noise away from the ink, no tint).
bool usableAsIs(const LumaSource& source, const InkAnalysis& a, const InkRegion& region, bool keepWhatFits) {
    if (a.inverted || a.background != 255) return false;
    const QRect canvas(0, 0, kCanvasSize, kCanvasSize);
    if (keepWhatFits) return source.whiteOutside(canvas);
    for (const prep::InkComponent& c : a.components)
        if (!c.speck && !canvas.contains(prep::sourceBox(a, c.cells))) return false;
    const QRect area = canvas & QRect(0, 0, source.width(), source.height());
    std::vector<QRgb> line(static_cast<std::size_t>(area.width()));
    for (int y = 0; y < area.height(); ++y) {
        source.colours(y, 0, area.width(), line.data());
        const int cellRow = y / a.factor - region.cells.top();
        for (int x = 0; x < area.width(); ++x) {
            const QRgb c = line[std::size_t(x)];
            if ((c & 0xFFFFFFu) == 0xFFFFFFu) continue;
            const int lo = std::min({qRed(c), qGreen(c), qBlue(c)});
            const int hi = std::max({qRed(c), qGreen(c), qBlue(c)});
            if (hi - lo > kNeutralSpread) return false;
            const int cellColumn = x / a.factor - region.cells.left();
            if (cellRow < 0 || cellColumn < 0 || cellRow >= region.cells.height() ||
                cellColumn >= region.cells.width())
                return false;
            if (!region.allowed[std::size_t(cellRow) * std::size_t(region.cells.width()) +
                                std::size_t(cellColumn)])
                return false;
        }
    }
    return source.whiteOutside(canvas);
}

// The crop's greys averaged over k x k blocks; blocks the crop only partly covers are
// filled up with white, so the ink keeps its place and size.
QImage shrunk(const prep::InkCrop& crop, int k) {
    const int w = crop.box.width(), h = crop.box.height();
    const int sw = (w + k - 1) / k, sh = (h + k - 1) / k;
    QImage out(sw, sh, QImage::Format_Grayscale8);
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(sw));
    for (int sy = 0; sy < sh; ++sy) {
        std::fill(sums.begin(), sums.end(), 0);
        const int y1 = std::min(h, (sy + 1) * k);
        for (int y = sy * k; y < y1; ++y) {
            const std::uint8_t* row = crop.grey.data() + std::size_t(y) * std::size_t(w);
            for (int x = 0; x < w; ++x) sums[std::size_t(x / k)] += row[x];
        }
        uchar* line = out.scanLine(sy);
        for (int sx = 0; sx < sw; ++sx) {
            const int covered = (std::min(w, (sx + 1) * k) - sx * k) * (y1 - sy * k);
            const std::uint32_t sum = sums[std::size_t(sx)] + std::uint32_t(k * k - covered) * 255;
            line[sx] = uchar((sum + std::uint32_t(k * k) / 2) / std::uint32_t(k * k));
        }
    }
    return out;
}

// The crop's greys scaled by s to ow x oh, Format_Grayscale8. Large ink is first averaged over
// whole blocks (cheap), then area-averaged the rest of the way.
QImage scaledInk(const prep::InkCrop& crop, double s, int ow, int oh) {
    const int w = crop.box.width(), h = crop.box.height();
    const int k = s < 0.5 ? int(1 / (2 * s)) : 1;
    QImage ink;
    if (k > 1) {
        ink = shrunk(crop, k);
    } else {
        ink = QImage(w, h, QImage::Format_Grayscale8);
        for (int y = 0; y < h; ++y)
            std::memcpy(ink.scanLine(y), crop.grey.data() + std::size_t(y) * std::size_t(w), std::size_t(w));
    }
    if (ink.width() != ow || ink.height() != oh)
        ink = ink.scaled(ow, oh, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return ink.convertToFormat(QImage::Format_Grayscale8);
}

// The crop scaled to options.maxInk on its longer side and centred on a white canvas.
PreparedPicture placeInk(const prep::InkCrop& crop, const PrepOptions& options, bool inverted) {
    PreparedPicture out;
    out.inverted = inverted;
    out.sourceInk = crop.box;
    const int w = crop.box.width(), h = crop.box.height();
    const int longer = std::max(w, h);
    double s = double(std::clamp(options.maxInk, 1, kCanvasSize)) / longer;
    if (!options.upscale) s = std::min(s, 1.0);
    const int ow = std::clamp(int(std::lround(w * s)), 1, kCanvasSize);
    const int oh = std::clamp(int(std::lround(h * s)), 1, kCanvasSize);

    const QImage ink = scaledInk(crop, s, ow, oh);

    QImage canvas(kCanvasSize, kCanvasSize, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    const int x0 = (kCanvasSize - ow) / 2, y0 = (kCanvasSize - oh) / 2;
    for (int y = 0; y < oh; ++y) {
        const uchar* from = ink.constScanLine(y);
        QRgb* to = reinterpret_cast<QRgb*>(canvas.scanLine(y0 + y)) + x0;
        for (int x = 0; x < ow; ++x) to[x] = qRgb(from[x], from[x], from[x]);
    }
    out.image = canvas;
    out.scale = double(std::max(ow, oh)) / longer;
    return out;
}

PreparedPicture failed(const QString& why, bool inverted = false) {
    PreparedPicture out;
    out.error = why;
    out.inverted = inverted;
    return out;
}

// The pieces that are no specks and, when the region is not null, whose centres lie inside it.
std::vector<char> inside(const InkAnalysis& a, const QRect& region) {
    std::vector<char> chosen(a.components.size());
    for (std::size_t i = 0; i < chosen.size(); ++i)
        chosen[i] = !a.components[i].speck &&
                    (region.isNull() || region.contains(prep::sourceBox(a, a.components[i].cells).center()));
    return chosen;
}

PreparedPicture prepareChosen(const LumaSource& source, const InkAnalysis& a, const std::vector<char>& chosen,
                              const PrepOptions& options) {
    const prep::InkCrop crop = prep::cropInk(source, a, prep::inkRegion(a, chosen));
    if (crop.box.isEmpty()) return failed(QStringLiteral("no character found: no ink"), a.inverted);
    return placeInk(crop, options, a.inverted);
}

}  // namespace

PreparedLine prepareLine(const QImage& picture, int inkHeight, const QRect& region, int keepOwnUnder,
                         bool evenPaper) {
    PreparedLine out;
    const LumaSource source(picture);
    const InkAnalysis a = prep::analyseInk(source, evenPaper);
    out.inverted = a.inverted;
    if (!a.error.isEmpty()) {
        out.error = a.error;
        return out;
    }
    const std::vector<char> chosen = inside(a, region);
    const prep::InkCrop crop = prep::cropInk(source, a, prep::inkRegion(a, chosen));
    if (crop.box.isEmpty()) {
        out.error = QStringLiteral("no character found: no ink");
        return out;
    }
    out.sourceInk = crop.box;
    const int w = crop.box.width(), h = crop.box.height();
    double s = inkHeight > 0 ? double(inkHeight) / h : 1.0;
    if (w * s > kMaxLineWidth) s = double(kMaxLineWidth) / w;
    const int ow = std::max(1, int(std::lround(w * s))), oh = std::max(1, int(std::lround(h * s)));
    out.grey = scaledInk(crop, s, ow, oh);
    out.scale = double(oh) / h;
    if (h < keepOwnUnder) out.own = ow == w && oh == h ? out.grey : scaledInk(crop, 1, w, h);
    return out;
}

PreparedPicture preparePicture(const QImage& picture, const PrepOptions& options) {
    const LumaSource source(picture);
    const InkAnalysis a = prep::analyseInk(source, options.evenPaper);
    if (!a.error.isEmpty()) return failed(a.error, a.inverted);
    std::vector<char> chosen(a.components.size());
    for (std::size_t i = 0; i < chosen.size(); ++i) chosen[i] = !a.components[i].speck;
    const InkRegion region = prep::inkRegion(a, chosen);
    if (usableAsIs(source, a, region, options.keepWhatFits)) {
        PreparedPicture out;
        out.image = picture;
        out.unchanged = true;
        out.sourceInk = prep::cropInk(source, a, region, false).box;
        return out;
    }
    return prepareChosen(source, a, chosen, options);
}

PreparedPicture prepareCharacter(const QImage& picture, const QRect& box, const PrepOptions& options) {
    const LumaSource source(picture);
    const InkAnalysis a = prep::analyseInk(source, options.evenPaper);
    if (!a.error.isEmpty()) return failed(a.error, a.inverted);
    std::vector<char> chosen(a.components.size());
    bool any = false;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const prep::InkComponent& c = a.components[i];
        chosen[i] = !c.speck && box.contains(prep::sourceBox(a, c.cells).center());
        any = any || chosen[i];
    }
    if (!any) return failed(QStringLiteral("no character found: nothing inside the box"), a.inverted);
    return prepareChosen(source, a, chosen, options);
}

std::vector<PreparedPicture> prepareCharacters(const QImage& picture, const PrepOptions& options,
                                               const QRect& region) {
    const LumaSource source(picture);
    const InkAnalysis a = prep::analyseInk(source, options.evenPaper);
    if (!a.error.isEmpty()) return {failed(a.error, a.inverted)};
    std::vector<PreparedPicture> out;
    for (const std::vector<int>& group : prep::characterGroups(a, inside(a, region))) {
        std::vector<char> chosen(a.components.size(), 0);
        for (int i : group) chosen[std::size_t(i)] = 1;
        out.push_back(prepareChosen(source, a, chosen, options));
    }
    return out;
}

}  // namespace lettrino
