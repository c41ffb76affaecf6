#include "prep/InkPieces.h"

#include <algorithm>

namespace lettrino::prep {

namespace {

// A piece of ink with less than 1/50 of the largest piece's area is a speck.
constexpr int kSpeckRatio = 50;

int findRoot(std::vector<int>& parent, int i) {
    while (parent[i] != i) {
        parent[i] = parent[parent[i]];
        i = parent[i];
    }
    return i;
}

void unite(std::vector<int>& parent, int a, int b) {
    a = findRoot(parent, a);
    b = findRoot(parent, b);
    if (a != b) parent[std::max(a, b)] = std::min(a, b);
}

}  // namespace

void labelPieces(const std::vector<std::uint8_t>& ink, int cols, int rows, std::vector<int>& labels,
                 std::vector<InkComponent>& pieces) {
    labels.assign(ink.size(), -1);
    std::vector<int>& parent = labels;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const int i = r * cols + c;
            if (!ink[i]) continue;
            parent[i] = i;
            if (c > 0 && ink[i - 1]) unite(parent, i, i - 1);
            if (r > 0) {
                const int up = i - cols;
                if (c > 0 && ink[up - 1]) unite(parent, i, up - 1);
                if (ink[up]) unite(parent, i, up);
                if (c + 1 < cols && ink[up + 1]) unite(parent, i, up + 1);
            }
        }
    }
    for (int i = 0; i < int(parent.size()); ++i)
        if (parent[i] >= 0) parent[i] = findRoot(parent, i);
    // A root is its piece's smallest index, so it is met before the rest of its piece: each
    // cell becomes -2 - its piece's number on the way, and the number itself at the end.
    pieces.clear();
    for (int i = 0; i < int(parent.size()); ++i) {
        if (parent[i] < 0) continue;
        const QRect cell(i % cols, i / cols, 1, 1);
        if (parent[i] == i) {
            parent[i] = -2 - int(pieces.size());
            pieces.push_back({cell, 1, false});
            continue;
        }
        parent[i] = parent[parent[i]];
        InkComponent& piece = pieces[std::size_t(-2 - parent[i])];
        piece.cells |= cell;
        ++piece.area;
    }
    for (int& l : parent)
        if (l <= -2) l = -2 - l;
}

int markSpecks(std::vector<InkComponent>& pieces) {
    int largest = 0;
    for (const InkComponent& c : pieces) largest = std::max(largest, c.area);
    for (InkComponent& c : pieces) c.speck = std::int64_t(c.area) * kSpeckRatio < largest;
    return largest;
}

}  // namespace lettrino::prep
