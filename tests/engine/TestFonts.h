#pragma once

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <ostream>

#include "canvas/Canvas.h"
#include "canvas/InkBox.h"

// QStrings in test messages and failure output.
inline std::ostream& operator<<(std::ostream& os, const QString& s) { return os << s.toStdString(); }
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace lettrino {
inline void PrintTo(const InkBox& b, std::ostream* os) {
    *os << "{top " << b.top << ", left " << b.left << ", right " << b.right << ", bottom " << b.bottom << "}";
}
}  // namespace lettrino

namespace lettrino::testing {

// The file of an installed face, found through fontconfig; empty when the face is not installed
// (scripts/setup installs the DejaVu, Liberation, FreeFont and Noto packages).
QString installedFontFile(const QString& face);

// Skips the current test when a face the test relies on is missing.
#define REQUIRE_FACE(file, face)                                                      \
    const QString file = ::lettrino::testing::installedFontFile(QStringLiteral(face)); \
    if (file.isEmpty()) GTEST_SKIP() << "font not installed: " << face

// A canvas's pixels compared with another's: the first differing pixel, or nothing.
::testing::AssertionResult samePixels(const Colour* a, const Colour* b);

// A white image with a filled black rectangle.
QImage blockImage(int width, int height, const QRect& block);

}  // namespace lettrino::testing
