#include "prep/InkCrop.h"

#include <algorithm>

#include "prep/InkAnalysis.h"
#include "prep/LumaSource.h"

namespace lettrino::prep {

InkRegion inkRegion(const InkAnalysis& a, const std::vector<char>& chosen) {
    InkRegion region;
    const int reach = a.factor == 1 ? 2 : 1;  // the antialiased edge: 2 pixels, or 1 averaged cell
    QRect box;
    for (std::size_t i = 0; i < a.components.size(); ++i)
        if (i < chosen.size() && chosen[i]) box |= a.components[i].cells;
    if (box.isEmpty()) return region;
    box = box.adjusted(-reach, -reach, reach, reach) & QRect(0, 0, a.columns, a.rows);
    region.cells = box;
    const int bw = box.width(), bh = box.height();
    // Each cell's ink: kChosen, kOther's (another component's) or none.
    constexpr std::uint8_t kChosen = 1, kOther = 2;
    std::vector<std::uint8_t> ink(std::size_t(bw) * std::size_t(bh), 0), wide(ink.size(), 0);
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x) {
            const int label =
                a.labels[std::size_t(box.top() + y) * std::size_t(a.columns) + std::size_t(box.left() + x)];
            if (label >= 0)
                ink[std::size_t(y * bw + x)] =
                    std::size_t(label) < chosen.size() && chosen[std::size_t(label)] ? kChosen : kOther;
        }
    // Widened across, then down.
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x) {
            if (ink[std::size_t(y * bw + x)] != kChosen) continue;
            for (int d = std::max(0, x - reach); d <= std::min(bw - 1, x + reach); ++d)
                wide[std::size_t(y * bw + d)] = 1;
        }
    region.allowed.assign(ink.size(), 0);
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x) {
            if (!wide[std::size_t(y * bw + x)]) continue;
            for (int d = std::max(0, y - reach); d <= std::min(bh - 1, y + reach); ++d)
                region.allowed[std::size_t(d * bw + x)] = 1;
        }
    // Another component's ink is no edge of these, however near (close letters of small text).
    for (std::size_t i = 0; i < ink.size(); ++i)
        if (ink[i] == kOther) region.allowed[i] = 0;
    return region;
}

InkCrop cropInk(const LumaSource& source, const InkAnalysis& a, const InkRegion& region, bool keepGrey) {
    InkCrop crop;
    if (region.cells.isEmpty()) return crop;
    const int f = a.factor;
    const QRect area = sourceBox(a, region.cells) & QRect(0, 0, source.width(), source.height());
    const int aw = area.width(), ah = area.height();
    std::vector<int> cellOf(static_cast<std::size_t>(aw));
    for (int x = 0; x < aw; ++x) cellOf[std::size_t(x)] = (area.left() + x) / f - region.cells.left();
    std::vector<std::uint8_t> grey;
    if (keepGrey) grey.assign(std::size_t(aw) * std::size_t(ah), 255);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(aw));
    int left = aw, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < ah; ++y) {
        const int cellRow = (area.top() + y) / f - region.cells.top();
        const std::uint8_t* allowed =
            region.allowed.data() + std::size_t(cellRow) * std::size_t(region.cells.width());
        source.luma(area.top() + y, area.left(), aw, line.data());
        normalisePixels(a, area.top() + y, area.left(), aw, line.data());
        std::uint8_t* out = keepGrey ? grey.data() + std::size_t(y) * std::size_t(aw) : nullptr;
        for (int x = 0; x < aw; ++x) {
            const std::uint8_t g = a.tone[line[std::size_t(x)]];
            if (g == 255 || !allowed[cellOf[std::size_t(x)]]) continue;
            if (out) out[x] = g;
            left = std::min(left, x);
            right = std::max(right, x);
            if (top < 0) top = y;
            bottom = y;
        }
    }
    if (top < 0) return crop;
    crop.box = QRect(QPoint(left, top), QPoint(right, bottom)).translated(area.topLeft());
    if (keepGrey) {
        const int bw = right - left + 1, bh = bottom - top + 1;
        crop.grey.resize(std::size_t(bw) * std::size_t(bh));
        for (int y = 0; y < bh; ++y)
            std::copy_n(grey.data() + std::size_t(top + y) * std::size_t(aw) + std::size_t(left), bw,
                        crop.grey.data() + std::size_t(y) * std::size_t(bw));
    }
    return crop;
}

}  // namespace lettrino::prep
