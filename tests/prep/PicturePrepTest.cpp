// Picture reading and preparation: pictures drawn here with DejaVu Sans (fonts-dejavu-core) or
// written byte by byte, prepared, and measured the way the window measures a canvas.
#include <QBuffer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "canvas/BitmapFile.h"
#include "canvas/Canvas.h"
#include "canvas/InkBox.h"
#include "prep/Fringes.h"
#include "prep/PicturePrep.h"
#include "prep/Segments.h"
#include "prep/TextLines.h"
#include "session/TextReference.h"

using namespace lettrino;

namespace {

// `text` in DejaVu Sans at 100 pixels, or only its character `only`, where the text puts it.
QPainterPath outline(const QString& text, int only = -1) {
    static int argc = 1;
    static char name[] = "prep_tests", *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    if (!QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")))
        ADD_FAILURE() << "DejaVu Sans is missing: install the Debian package fonts-dejavu-core";
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(100);
    QPainterPath path;
    const double x = only < 0 ? 0 : QFontMetricsF(font).horizontalAdvance(text.left(only));
    path.addText(x, 0, font, only < 0 ? text : text.mid(only, 1));
    return path;
}

// Where drawn() puts text: the longer side of its ink `ink` pixels, centred on `centre`.
QTransform placing(const QString& text, double ink, QPointF centre) {
    const QRectF box = outline(text).boundingRect();
    const double s = ink / std::max(box.width(), box.height());
    return QTransform::fromTranslate(-box.center().x(), -box.center().y()) * QTransform::fromScale(s, s) *
           QTransform::fromTranslate(centre.x(), centre.y());
}

// `text` antialiased in `fg` on `paper`, placed as placing() says (in the middle by default).
QImage drawn(double ink, QColor fg = Qt::black, QColor paper = Qt::white, QSize size = {400, 400},
             const QString& text = QStringLiteral("g"), QPointF centre = {-1, -1}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(paper);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(placing(text, ink, centre.x() < 0 ? QRectF(image.rect()).center() : centre));
    p.fillPath(outline(text), fg);
    return image;
}
QByteArray encoded(const QImage& image, const char* format, int quality = -1) {
    QBuffer buffer;  // opened by the writer
    image.save(&buffer, format, quality);
    return buffer.data();
}
// How a photo is lit: evenly; a vignette falling to 40 % in the corners, evenly from the middle;
// a lens's vignette, falling to 60 % at the edges' middles, and 60 % beyond; a fall-off from
// the left edge to 65 % at the right.
enum class Light { Even, Vignette, LensVignette, FallOff };
// A photo of it: noise of about `sigma` levels, lit so.
QImage photo(QImage image, double sigma, Light lighting = Light::Even) {
    QRandomGenerator random(7);
    const double cx = image.width() / 2.0, cy = image.height() / 2.0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            double d = -3 * sigma;
            for (int i = 0; i < 3; ++i) d += 2 * sigma * random.generateDouble();
            const double r2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (cx * cx + cy * cy);
            const double e2 = (x - cx) * (x - cx) / (cx * cx) + (y - cy) * (y - cy) / (cy * cy);
            const double light = lighting == Light::Vignette       ? 1 - 0.6 * r2
                                 : lighting == Light::LensVignette ? std::max(0.6, 1 - 0.4 * e2)
                                 : lighting == Light::FallOff      ? 1 - 0.35 * x / (2 * cx)
                                                                   : 1;
            const QRgb c = image.pixel(x, y);
            auto lit = [&](int v) { return std::clamp(int(std::lround((v + d) * light)), 0, 255); };
            image.setPixel(x, y, qRgb(lit(qRed(c)), lit(qGreen(c)), lit(qBlue(c))));
        }
    return image;
}

// The ink box the window would measure: every pixel that is not pure white.
InkBox windowInkBox(const QImage& image) {
    Canvas canvas;
    canvas.setPicture(image);
    return scanInkBox(canvas);
}

}  // namespace

// Prepared: the ink cropped, scaled to `size` on its longer side, centred, black on white. Kept: as it is.
TEST(PicturePrep, EveryPictureIsPreparedKeptOrRefused) {
    const QImage clean = drawn(120, Qt::black, Qt::white, {197, 197}),
                 wide = drawn(100, Qt::black, Qt::white, {300, 260}, "g", {90, 90});
    QImage specks = drawn(300), inBox = clean, beside = clean, outside = wide,
           white(300, 300, QImage::Format_RGB32), grey = white, salt;
    for (QPoint at : {QPoint(10, 10), QPoint(380, 20), QPoint(30, 385)})
        QPainter(&specks).fillRect(QRect(at, QSize(3, 3)), Qt::black);
    inBox.setPixel(63, 41, qRgb(250, 250, 250));  // in the ink's box (60, 38)-(136, 158), off the ink
    beside.setPixel(3, 190, qRgb(250, 250, 250));
    outside.setPixel(250, 250, qRgb(0, 0, 0));
    grey.fill(QColor(128, 120, 110));
    white.fill(Qt::white);
    salt = white;
    for (int i = 0; i < 450; ++i) salt.setPixel(i * 97 % 300, i * 61 % 300, qRgb(0, 0, 0));
    enum Outcome { Prepared, Inverted, Kept, Reworked, NoCharacter };  // Reworked: prepared, not measured
    const struct {
        const char* name;
        QImage picture;
        Outcome outcome = Prepared;
        PrepOptions options = {};
        int size = 177;           // the longer side of the prepared ink
        double agreement = 0.97;  // the least intersection over union with the letter drawn at `size`
    } rows[] = {
        {"dark mode", drawn(300, QColor(225, 225, 225), QColor(30, 30, 34)), Inverted},
        {"dark paper, darker ink", drawn(300, Qt::black, QColor(200, 40, 40))},
        {"dark jpeg 50", QImage::fromData(encoded(drawn(300, Qt::white, Qt::black), "JPEG", 50)), Inverted},
        {"noisy photo", photo(drawn(300, QColor(50, 50, 50), QColor(190, 180, 170)), 8)},
        {"vignetted photo", photo(drawn(300, QColor(40, 40, 40), QColor(235, 230, 220)), 5, Light::Vignette)},
        {"lens-vignetted photo",
         photo(drawn(90, QColor(30, 30, 30), QColor(245, 245, 245), {600, 450}), 3, Light::LensVignette), Prepared, {}, 177,
         0.95},
        {"photo lit from the left",
         photo(drawn(90, QColor(30, 30, 30), QColor(245, 245, 245), {600, 450}), 3, Light::FallOff), Prepared, {}, 177,
         0.95},
        {"specks", specks},
        {"maxInk 100", drawn(300), Prepared, {100, true}, 100, 0.9},
        {"maxInk 197", drawn(300), Prepared, {197, true}, 197},
        {"shrunk, not enlarged", drawn(300), Prepared, {177, false}},
        {"tiny", drawn(16), Prepared, {}, 177, 0.85},
        {"tiny, not enlarged", drawn(16), Prepared, {177, false}, 16, 0.45},
        {"1200 x 1200", drawn(1000, Qt::black, Qt::white, {1200, 1200})},
        {"off centre", drawn(120, Qt::black, Qt::white, {900, 300}, "g", {700, 90})},
        {"clean", clean, Kept},
        {"grey format", clean.convertToFormat(QImage::Format_Grayscale8), Kept},
        {"small", drawn(20, Qt::black, Qt::white, {40, 30}), Kept},
        {"white beyond the canvas", wide, Kept},
        {"word", drawn(90, Qt::black, Qt::white, {197, 100}, "Hij"), Kept},
        {"a faint pixel in the ink's box, off the ink", inBox, Reworked},
        {"a faint pixel beside the ink's box", beside, Reworked},
        {"a pixel beyond the canvas", outside, Reworked},
        {"red ink", drawn(120, Qt::red, Qt::white, {197, 197}), Reworked},
        {"grey paper", drawn(120, Qt::black, QColor(250, 250, 250), {197, 197}), Reworked},
        {"null", QImage(), NoCharacter},
        {"white", white, NoCharacter},
        {"scattered specks", salt, NoCharacter},
        {"noise", photo(grey, 40), NoCharacter},
        {"blotches", photo(photo(grey, 120).scaled(12, 12).scaledToWidth(400, Qt::SmoothTransformation), 6),
         NoCharacter},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PreparedPicture p = preparePicture(row.picture, row.options);
        if (row.outcome == NoCharacter) {
            EXPECT_TRUE(p.image.isNull() && findCharacters(row.picture).empty());
            EXPECT_TRUE(p.error.startsWith(QStringLiteral("no character found: "))) << p.error.toStdString();
            continue;
        }
        EXPECT_TRUE(p.error.isEmpty()) << p.error.toStdString();
        EXPECT_EQ(p.unchanged, row.outcome == Kept);
        EXPECT_EQ(p.image == row.picture && p.image.format() == row.picture.format(), row.outcome == Kept);
        if (row.outcome == Kept) continue;
        ASSERT_EQ(p.image.size(), QSize(197, 197));
        if (row.outcome == Reworked) continue;
        EXPECT_EQ(p.inverted, row.outcome == Inverted);
        // One character: no shadow in a corner or along an edge passes for another.
        EXPECT_EQ(findCharacters(row.picture).size(), 1u);
        const InkBox box = windowInkBox(p.image);
        EXPECT_NEAR(std::max(box.width(), box.height()) + 1, row.size, 1);
        EXPECT_NEAR(box.left, 196 - box.right, 1);
        EXPECT_NEAR(box.top, 196 - box.bottom, 1);
        const QImage ideal = drawn(row.size, Qt::black, Qt::white, {197, 197}, "g", {98.5, 98.5});
        int both = 0, either = 0;  // ink at mid-grey
        for (int y = 0; y < Canvas::kSize; ++y)
            for (int x = 0; x < Canvas::kSize; ++x) {
                const bool a = qRed(p.image.pixel(x, y)) < 128, b = qRed(ideal.pixel(x, y)) < 128;
                both += a && b;
                either += a || b;
            }
        EXPECT_GE(double(both) / either, row.agreement);
        EXPECT_DOUBLE_EQ(p.scale * std::max(p.sourceInk.width(), p.sourceInk.height()), row.size);
    }
}

// Screen text drawn for an LCD's subpixels shows warm and cool fringes; grey text and ink of one
// colour do not.
TEST(Fringes, SubpixelTextShowsThemGreyOrColouredInkDoesNot) {
    // The text drawn three times as wide, each three columns then one pixel's red, green and blue
    // (or blue, green and red).
    const auto subpixel = [](bool bgr) {
        const QImage wide = drawn(40, Qt::black, Qt::white, {300, 60}, QStringLiteral("Kafka"));
        QImage out(100, 60, QImage::Format_RGB32);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 100; ++x) {
                const int a = qRed(wide.pixel(3 * x, y)), b = qRed(wide.pixel(3 * x + 1, y)), c = qRed(wide.pixel(3 * x + 2, y));
                out.setPixel(x, y, bgr ? qRgb(c, b, a) : qRgb(a, b, c));
            }
        return out;
    };
    const QImage grey = drawn(40, Qt::black, Qt::white, {100, 60}, QStringLiteral("Kafka"));
    const struct {
        const char* name;
        QImage picture;
        bool fringes;
    } rows[] = {
        {"subpixel, red to blue", subpixel(false), true},
        {"subpixel, blue to red", subpixel(true), true},
        {"grey", grey, false},
        {"grey format", grey.convertToFormat(QImage::Format_Grayscale8), false},
        {"red ink", drawn(40, Qt::red, Qt::white, {100, 60}, QStringLiteral("Kafka")), false},
        {"blue ink on yellow", drawn(40, Qt::blue, Qt::yellow, {100, 60}, QStringLiteral("Kafka")), false},
    };
    for (const auto& row : rows) EXPECT_EQ(showsColourFringes(row.picture), row.fringes) << row.name;
    EXPECT_FALSE(showsColourFringes(subpixel(false), QRect(0, 0, 2, 2)));  // only the paper
}

// A word's characters left to right, each box around the character drawn at that place.
TEST(Segments, WordsSplitIntoCharacters) {
    const std::tuple<const char*, int, bool> rows[] = {{"Hij", 3, false}, {"%", 1, false}, {"mint", 4, true}};
    for (const auto& [text, count, dark] : rows) {
        SCOPED_TRACE(text);
        const QImage picture =
            drawn(150, dark ? Qt::white : Qt::black, dark ? Qt::black : Qt::white, {500, 220}, text);
        const std::vector<QRect> boxes = findCharacters(picture);
        const std::vector<PreparedPicture> each = prepareCharacters(picture);
        // Paper known to be even is taken as the fit finds it.
        PrepOptions evenPaper;
        evenPaper.evenPaper = true;
        const std::vector<PreparedPicture> unfitted = prepareCharacters(picture, evenPaper);
        ASSERT_EQ(std::tuple(int(boxes.size()), int(each.size()), int(unfitted.size())), std::tuple(count, count, count));
        const QTransform at = placing(text, 150, QPointF(250, 110));
        for (int i = 0; i < count; ++i) {
            EXPECT_TRUE(boxes[i].contains(at.mapRect(outline(text, i).boundingRect()).center().toPoint()))
                << i;
            EXPECT_EQ(each[i].sourceInk, boxes[i]);
            EXPECT_EQ(prepareCharacter(picture, boxes[i]).image, each[i].image);
            EXPECT_EQ(unfitted[i].image, each[i].image);
        }
    }
}

// Letters a pixel or two apart (small text, tightly set): each keeps its own ink and its
// antialiased edge, never the other's ink beside it.
TEST(Segments, CloseLettersDoNotTakeEachOthersInk) {
    for (const int gap : {1, 2, 3}) {
        SCOPED_TRACE(gap);
        QImage picture(100, 80, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter p(&picture);
        const QRect left(10, 20, 20, 40), right(30 + gap, 10, 20, 40);
        p.fillRect(left, Qt::black);
        p.fillRect(right, QColor(60, 60, 60));
        p.end();
        const std::vector<PreparedPicture> each = prepareCharacters(picture);
        ASSERT_EQ(each.size(), 2u);
        EXPECT_EQ(each[0].sourceInk, left);
        EXPECT_EQ(each[1].sourceInk, right);
    }
}

// A dot over a stem is part of its letter even when it is small enough beside the largest piece
// to count as a speck (a small "i" of a light weight); a speck over nothing is dropped.
TEST(Segments, ADotOverALetterStaysWithIt) {
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.fillRect(10, 20, 30, 40, Qt::black);  // a heavy letter: the largest piece
    p.fillRect(60, 30, 3, 30, Qt::black);   // a stem
    p.fillRect(60, 24, 3, 3, Qt::black);    // its dot
    p.fillRect(100, 5, 2, 2, Qt::black);    // a speck over nothing
    p.end();
    const std::vector<QRect> boxes = findCharacters(picture);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], QRect(60, 24, 3, 36));
}

// The part of a picture that shows a text among other things: a caption above or below, a
// neighbouring word, a rule under a heading; and the whole picture when it shows only the text.
TEST(TextLines, TheTextIsFoundAmongOtherThings) {
    struct Piece {
        const char* text;
        double ink;  // the longer side of its ink, in pixels
        QPointF centre;
    };
    const struct {
        std::vector<Piece> pieces;
        bool rule;         // a bar under the first piece
        const char* text;  // what to find: the first piece's
        const char* note;  // empty: the whole picture
    } rows[] = {
        {{{"kinder", 300, {250, 170}}, {"Terms apply", 150, {200, 50}}}, false, "kinder",
         "matched the second of 2 lines"},
        {{{"Kayak", 260, {250, 90}}, {"Edited by K. Lund", 200, {230, 200}}}, false, "Kayak",
         "matched the first of 2 lines"},
        {{{"Valley", 260, {330, 120}}, {"of", 60, {130, 130}}}, false, "Valley",
         "matched 1 word of the line; 1 word to the left ignored"},
        {{{"R", 90, {100, 120}}, {"and", 150, {260, 127}}}, false, "R",
         "matched 1 word of the line; 1 word to the right ignored"},
        {{{"K", 100, {330, 120}}, {"on", 90, {190, 147}}}, false, "K",
         "matched 1 word of the line; 1 word to the left ignored"},
        {{{"Gazette", 300, {250, 100}}}, true, "Gazette", "matched the line; 1 rule left out"},
        {{{"mint", 300, {250, 120}}}, false, "mint", ""},
        {{{"i", 150, {250, 120}}}, false, "i", ""},
        {{{"Hij", 300, {250, 120}}}, false, "Hij", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        QImage picture(500, 260, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        for (const Piece& piece : row.pieces) {
            p.setTransform(placing(QString::fromUtf8(piece.text), piece.ink, piece.centre));
            p.fillPath(outline(QString::fromUtf8(piece.text)), Qt::black);
        }
        const QRectF first = placing(QString::fromUtf8(row.pieces[0].text), row.pieces[0].ink, row.pieces[0].centre)
                                 .mapRect(outline(QString::fromUtf8(row.pieces[0].text)).boundingRect());
        p.resetTransform();
        if (row.rule) p.fillRect(QRectF(first.left(), first.bottom() + 12, first.width(), 6), Qt::black);
        p.end();
        const TextPlace place = findText(picture, QString::fromUtf8(row.text));
        EXPECT_EQ(place.note, QString::fromUtf8(row.note));
        EXPECT_EQ(place.whole, !*row.note);
        if (place.whole) continue;
        // The part holds the text's ink and nothing of the other things.
        EXPECT_TRUE(place.box.adjusted(-2, -2, 2, 2).contains(first.toAlignedRect())) << place.box.x() << ","
                                                                                      << place.box.y();
        for (std::size_t i = 1; i < row.pieces.size(); ++i)
            EXPECT_FALSE(place.box.contains(row.pieces[i].centre.toPoint())) << i;
        EXPECT_LT(place.box.bottom(), first.bottom() + 12);
    }
}

// Small text in a big picture is analysed on a grid coarser than its pixels; it is looked at
// again on the part that holds it, and its characters are told in the picture's coordinates.
TEST(TextLines, SmallTextInABigPictureIsFoundCharacterByCharacter) {
    const struct {
        QSize picture;
        bool focused;  // looked at again on a part
    } rows[] = {{{900, 600}, false}, {{3000, 2000}, true}, {{9000, 6000}, true}};
    const QString text = QStringLiteral("Hamburg");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.picture.width());
        QImage picture(row.picture, QImage::Format_Grayscale8);
        picture.fill(255);
        const QPointF centre(row.picture.width() * 0.6, row.picture.height() * 0.3);
        const QTransform at = placing(text, 200, centre);  // about 45 pixels tall
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(at);
        p.fillPath(outline(text), Qt::black);
        p.end();
        EXPECT_EQ(findText(picture, text).focus.isNull(), !row.focused);
        const TextReference shown = textReferenceOf(picture, text, true, true);
        ASSERT_TRUE(shown.ok()) << shown.error.toStdString();
        ASSERT_FALSE(shown.whole()) << shown.note.toStdString();
        ASSERT_EQ(shown.characters.size(), 7u);
        for (int i = 0; i < 7; ++i) {
            const QRect ink = at.mapRect(outline(text, i).boundingRect()).toAlignedRect();
            EXPECT_TRUE(shown.characters[size_t(i)].adjusted(-1, -1, 1, 1).contains(ink)) << i;
            EXPECT_TRUE(ink.adjusted(-1, -1, 1, 1).contains(shown.characters[size_t(i)])) << i;
        }
    }
}

TEST(BitmapFile, ReadsCommonFormatsAndRefusesHugeOrCutFiles) {
    QTemporaryDir dir;
    QImage picture(120, 90, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter(&picture).fillRect(51, 41, 69, 49, Qt::black);
    const QByteArray png = encoded(picture, "PNG"), jpeg = encoded(picture, "JPEG", 80);
    // Written byte by byte: an 8 x 8 GIF, white with a black 4 x 4 square bottom right (3-bit codes after
    // a clear code); a PNG whose header claims 20000 x 20000 grey pixels, with 14 bytes of data.
    const QByteArray gif = QByteArray::fromHex(
        "47494638396108000800800000ffffff0000002c00000000080008000002310441100441100441100441"
        "100441100441100441100441100441100cc3300441100cc3300441100cc3300441100cc33005003b");
    const QByteArray hugePng = QByteArray::fromHex(
        "89504e470d0a1a0a0000000d4948445200004e2000004e200800000000c61b19e50000000c49444154789c"
        "6360a00c000000400001b7347cef0000000049454e44ae426082");
    QByteArray hugeBmp = encoded(picture, "BMP");  // claiming 20000 x 20000, with the pixels of 120 x 90
    hugeBmp.replace(18, 8, QByteArray::fromHex("204e0000204e0000"));
    const std::tuple<const char*, QByteArray, const char*> rows[] = {
        {"png", png, ""},  // the error; none: read, its top-left pixel white and its bottom-right black
        {"jpeg", jpeg, ""},
        {"gif", gif, ""},
        {"png claiming 20000 x 20000", hugePng, "too large: 20000 x 20000 pixels, at most 100 megapixels"},
        {"bmp claiming 20000 x 20000", hugeBmp, "too large: 20000 x 20000 pixels, at most 100 megapixels"},
        {"png without IEND", png.left(png.size() - 12), "the file is cut short"},
        {"jpeg without its end marker", jpeg.left(jpeg.size() - 2), "the file is cut short"},
    };
    for (const auto& [name, bytes, why] : rows) {
        SCOPED_TRACE(name);
        QFile file(dir.filePath(QStringLiteral("picture")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush());
        QString error;
        const QImage image = readBitmapFile(file.fileName(), &error);
        EXPECT_EQ(error.toStdString(), why);
        EXPECT_TRUE(*why || (qGray(image.pixel(1, 1)) > 240 &&
                             qGray(image.pixel(image.width() - 2, image.height() - 2)) < 15));
    }
}
