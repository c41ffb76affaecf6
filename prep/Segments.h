#pragma once

#include <QImage>
#include <QRect>

#include <vector>

namespace lettrino {

// The boxes, in source-picture coordinates, of the characters a picture shows, left to right:
// the pieces of ink (after the same background and polarity analysis as preparePicture),
// specks left out, pieces whose horizontal extents overlap by at least half the narrower
// one's width taken as one character (the dots of i and j, accents, a letter broken by a
// light scan). Each box holds every prepared pixel of its character, antialiased edge
// included. Empty for a picture without a character.
std::vector<QRect> findCharacters(const QImage& picture);

namespace prep {
struct InkAnalysis;
// The analysis's pieces grouped into characters, each a list of component indices, left to right;
// only the pieces marked in `only`, when it is not empty.
std::vector<std::vector<int>> characterGroups(const InkAnalysis& analysis, const std::vector<char>& only = {});
}  // namespace prep

}  // namespace lettrino
