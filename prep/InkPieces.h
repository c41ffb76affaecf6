#pragma once

#include <QRect>

#include <cstdint>
#include <vector>

namespace lettrino::prep {

// One connected piece of ink on the analysis grid (8-connected cells darker than the
// midpoint between the ink and background levels).
struct InkComponent {
    QRect cells;         // its box, in analysis cells
    int area = 0;        // its cells
    bool speck = false;  // far smaller than the largest piece: left out of every character
};

// Labels the 8-connected pieces of the cells marked in `ink`, a grid of columns x rows row by
// row: labels gets, per cell, the index of its piece in `pieces` (-1 for a cell without ink),
// pieces are numbered in the order their first cell comes.
void labelPieces(const std::vector<std::uint8_t>& ink, int columns, int rows, std::vector<int>& labels,
                 std::vector<InkComponent>& pieces);

// Marks as specks the pieces with less than 1/50 of the largest one's area; returns that area.
int markSpecks(std::vector<InkComponent>& pieces);

}  // namespace lettrino::prep
