#pragma once

// Fixtures every test suite shares; no test framework inside, so GoogleTest and Qt Test both
// use them. A fixture that cannot give what it was asked for returns the reason (naming the
// Debian package that scripts/setup installs, for a missing font), an empty string when all
// went well, so that a test fails with it: QCOMPARE(copyFonts(...), QString()) or
// ASSERT_EQ(copyFonts(...), "").

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

namespace lettrino::fixtures {

// The Debian package that brings a font file ("dejavu/DejaVuSans.ttf") or face ("DejaVu Sans").
QString debianPackageOf(const QString& fontOrFace);

// A font file that scripts/setup installs, as a path under the system's font folders, e.g.
// systemFont("dejavu/DejaVuSans.ttf", &path).
QString systemFont(const QString& relative, QString* path);
// The file of an installed face, e.g. installedFontFile("DejaVu Sans", &path).
QString installedFontFile(const QString& face, QString* path);
// Copies installed font files (named as for systemFont) into folder, keeping their names.
QString copyFonts(const QString& folder, const QStringList& relatives);

// A reference bitmap of one character drawn by the engine's own sample drawing
// (session/SampleGlyph.h) from a font file: a 200 x 200 grey picture whose ink is about
// inkHeight pixels tall, centred on (100, 100). Matching it against the same font gives 100 %.
QString referenceGlyph(const QString& fontFile, const QString& charText, QImage* glyph, int inkHeight = 120);

// A text as a font file sets it (FontSystem::drawText at 60 points, with or without its
// ligatures), grey on a white picture with a 20-pixel margin: stretched sideways by `stretch`
// (as letter-spacing does), and with a white gap 3 pixels wide cut down through it at `cut` (a
// fraction of its width; strokes that fall apart) unless cut is negative. *glyphs, when asked
// for, is how many glyphs the font set. Null when the font draws nothing.
QImage setTextPicture(const QString& fontFile, const QString& text, bool ligatures, double stretch = 1,
                      double cut = -1, int* glyphs = nullptr);

// A character or a text as a screen renderer draws it: set as the font sets it (no ligatures),
// `ppem` pixels to the em, fitted to the pixels as asked (0 full hinting, 1 light, 2 none with its
// glyphs between pixels, as PDF viewers draw, 3 subpixel, its fringes' luminance; 4 light between
// pixels, each coverage c made (c / 255)^0.7 of full, as browsers draw; 5 the same not darkened),
// black on white with a margin of 12 pixels beside it and 10 above and below. Null when
// the font draws nothing.
QImage screenText(const QString& fontFile, const QString& text, double ppem, int hinting);

// A white size x size picture with a black block (nothing when block is empty).
QImage blockPicture(const QRect& block, int size = 200);
// Saves a picture as a Windows bitmap.
QString saveBitmap(const QImage& picture, const QString& path);

// Where two pictures first differ: "" when they are the same size with the same colours
// (alpha ignored), else the pixel and both values, e.g. "(12, 40): ff0000 vs ffffff".
QString firstDifference(const QImage& actual, const QImage& expected);

}  // namespace lettrino::fixtures
