#include "prep/Segments.h"

#include <algorithm>

#include "prep/InkAnalysis.h"
#include "prep/LumaSource.h"

namespace lettrino {

namespace prep {

std::vector<std::vector<int>> characterGroups(const InkAnalysis& analysis, const std::vector<char>& only) {
    struct Group {
        QRect cells;
        std::vector<int> pieces;
    };
    std::vector<Group> groups;
    for (int i = 0; i < int(analysis.components.size()); ++i) {
        const InkComponent& c = analysis.components[std::size_t(i)];
        if (!c.speck && (only.empty() || only[std::size_t(i)])) groups.push_back({c.cells, {i}});
    }
    // Merge until no two groups overlap across by half the narrower one's width.
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t i = 0; i < groups.size() && !merged; ++i) {
            for (std::size_t j = i + 1; j < groups.size() && !merged; ++j) {
                const QRect& a = groups[i].cells;
                const QRect& b = groups[j].cells;
                const int overlap = std::min(a.right(), b.right()) - std::max(a.left(), b.left()) + 1;
                if (overlap * 2 < std::min(a.width(), b.width())) continue;
                groups[i].cells |= b;
                groups[i].pieces.insert(groups[i].pieces.end(), groups[j].pieces.begin(),
                                        groups[j].pieces.end());
                groups.erase(groups.begin() + std::ptrdiff_t(j));
                merged = true;
            }
        }
    }
    // A speck over or under a character, within half its height (the dot of a small "i", an
    // accent), is part of it.
    for (int i = 0; i < int(analysis.components.size()); ++i) {
        const InkComponent& c = analysis.components[std::size_t(i)];
        if (!c.speck || (!only.empty() && !only[std::size_t(i)])) continue;
        for (Group& g : groups) {
            const QRect& a = g.cells;
            const int overlap = std::min(a.right(), c.cells.right()) - std::max(a.left(), c.cells.left()) + 1;
            const int gap = std::max(a.top() - c.cells.bottom(), c.cells.top() - a.bottom()) - 1;
            if (overlap * 2 < c.cells.width() || gap < 0 || gap * 2 > a.height()) continue;
            g.cells |= c.cells;
            g.pieces.push_back(i);
            break;
        }
    }
    std::stable_sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
        return a.cells.left() != b.cells.left() ? a.cells.left() < b.cells.left()
                                                : a.cells.top() < b.cells.top();
    });
    std::vector<std::vector<int>> out;
    out.reserve(groups.size());
    for (Group& g : groups) out.push_back(std::move(g.pieces));
    return out;
}

}  // namespace prep

std::vector<QRect> findCharacters(const QImage& picture) {
    const prep::LumaSource source(picture);
    const prep::InkAnalysis analysis = prep::analyseInk(source);
    std::vector<QRect> boxes;
    if (!analysis.error.isEmpty()) return boxes;
    for (const std::vector<int>& group : prep::characterGroups(analysis)) {
        std::vector<char> chosen(analysis.components.size(), 0);
        for (int i : group) chosen[std::size_t(i)] = 1;
        const QRect box = prep::cropInk(source, analysis, prep::inkRegion(analysis, chosen), false).box;
        if (!box.isEmpty()) boxes.push_back(box);
    }
    return boxes;
}

}  // namespace lettrino
