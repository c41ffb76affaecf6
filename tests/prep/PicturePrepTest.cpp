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
#include "prep/PicturePrep.h"
#include "prep/Segments.h"

using namespace lettrino;

namespace {

QFont dejaVu() {
    static int argc = 1;
    static char name[] = "prep_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    if (!QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")))
        ADD_FAILURE() << "DejaVu Sans is missing: install the Debian package fonts-dejavu-core";
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(100);
    return font;
}

// Where drawn() puts text: the longer side of its ink `ink` pixels, centred on `centre`.
QTransform placing(const QString& text, double ink, QPointF centre) {
    QPainterPath path;
    path.addText(0, 0, dejaVu(), text);
    const QRectF box = path.boundingRect();
    const double s = ink / std::max(box.width(), box.height());
    return QTransform::fromTranslate(-box.center().x(), -box.center().y()) * QTransform::fromScale(s, s) *
           QTransform::fromTranslate(centre.x(), centre.y());
}

// `text` antialiased on `paper`, placed as placing() says (in the middle by default).
QImage drawn(QSize size, const QString& text, double ink, QColor fg = Qt::black, QColor paper = Qt::white,
             QPointF centre = {-1, -1}) {
    QPainterPath path;
    path.addText(0, 0, dejaVu(), text);
    QImage image(size, QImage::Format_RGB32);
    image.fill(paper);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(
        placing(text, ink, centre.x() < 0 ? QPointF(size.width() / 2.0, size.height() / 2.0) : centre));
    p.fillPath(path, fg);
    return image;
}

QByteArray encoded(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// A photo of the picture: noise of about `sigma` levels, and with `vignette` the light falling
// to 40 % towards the corners.
QImage photo(QImage image, double sigma, bool vignette = false) {
    QRandomGenerator random(7);
    const double cx = image.width() / 2.0, cy = image.height() / 2.0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double d =
                sigma * 2 *
                (random.generateDouble() + random.generateDouble() + random.generateDouble() - 1.5);
            const double light =
                vignette ? 1 - 0.6 * ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (cx * cx + cy * cy) : 1;
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

// Intersection over union of two canvases' ink taken at mid-grey.
double sameInk(const QImage& a, const QImage& b) {
    int both = 0, either = 0;
    for (int y = 0; y < Canvas::kSize; ++y)
        for (int x = 0; x < Canvas::kSize; ++x) {
            const bool inA = qRed(a.pixel(x, y)) < 128, inB = qRed(b.pixel(x, y)) < 128;
            both += inA && inB;
            either += inA || inB;
        }
    return either ? double(both) / either : 0;
}

}  // namespace

// The same letter in many conditions: cropped, scaled to 177 pixels on its longer side, centred,
// black on white, and the shape of the letter drawn straight onto a canvas at that size.
TEST(PicturePrep, EveryConditionGivesTheSameCentredInk) {
    const QImage ideal = drawn(QSize(197, 197), QStringLiteral("g"), 177, Qt::black, Qt::white, {98.5, 98.5});
    auto g = [](QColor fg = Qt::black, QColor paper = Qt::white) {
        return drawn(QSize(400, 400), QStringLiteral("g"), 300, fg, paper);
    };
    QImage specks = g();
    for (QPoint at : {QPoint(10, 10), QPoint(380, 20), QPoint(30, 385)})
        QPainter(&specks).fillRect(QRect(at, QSize(3, 3)), Qt::black);
    const struct {
        const char* name;
        QImage picture;
        bool inverted = false;
        double ink = 300;  // the longer side of the ink drawn, centred on `centre`
        QPointF centre = {200, 200};
        double agreement = 0.97;  // the least intersection over union with the ideal's ink
    } rows[] = {
        {"light", g()},
        {"dark mode", g(QColor(225, 225, 225), QColor(30, 30, 34)), true},
        {"beige", g(QColor(60, 40, 30), QColor(245, 235, 210))},
        {"tinted", g(QColor(20, 30, 110), QColor(170, 200, 255))},
        {"coloured", g(Qt::black, QColor(200, 40, 40))},
        {"jpeg 60", QImage::fromData(encoded(g(), "JPEG", 60))},
        {"dark jpeg 50", QImage::fromData(encoded(g(Qt::white, Qt::black), "JPEG", 50)), true},
        {"noisy photo", photo(g(QColor(50, 50, 50), QColor(190, 180, 170)), 8)},
        {"vignetted photo", photo(g(QColor(40, 40, 40), QColor(235, 230, 220)), 5, true)},
        {"specks", specks},
        {"1000 x 1000", drawn(QSize(1000, 1000), QStringLiteral("g"), 700), false, 700, {500, 500}},
        {"tiny", drawn(QSize(400, 400), QStringLiteral("g"), 16), false, 16, {200, 200}, 0.85},
        {"off centre",
         drawn(QSize(900, 300), QStringLiteral("g"), 120, Qt::black, Qt::white, {700, 90}),
         false,
         120,
         {700, 90}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PreparedPicture p = preparePicture(row.picture);
        ASSERT_TRUE(p.error.isEmpty()) << p.error.toStdString();
        EXPECT_FALSE(p.unchanged);
        EXPECT_EQ(p.inverted, row.inverted);
        ASSERT_EQ(p.image.size(), QSize(197, 197));
        const InkBox box = windowInkBox(p.image);
        EXPECT_NEAR(std::max(box.width(), box.height()) + 1, 177, 1);
        EXPECT_NEAR(box.left, 196 - box.right, 1);
        EXPECT_NEAR(box.top, 196 - box.bottom, 1);
        EXPECT_GE(sameInk(p.image, ideal), row.agreement);
        const int longer = std::max(p.sourceInk.width(), p.sourceInk.height());
        EXPECT_NEAR(p.sourceInk.center().x(), row.centre.x(), 1.5);
        EXPECT_NEAR(p.sourceInk.center().y(), row.centre.y(), 1.5);
        EXPECT_NEAR(longer, row.ink, 2);
        EXPECT_DOUBLE_EQ(p.scale, 177.0 / longer);
    }
}

TEST(PicturePrep, OptionsSetTheInkSize) {
    const QImage big = drawn(QSize(400, 400), QStringLiteral("g"), 300);
    const QImage tiny = drawn(QSize(400, 400), QStringLiteral("g"), 16);
    const struct {
        QImage picture;
        PrepOptions options;
        int longerSide;  // of the prepared ink; 0: as in the source, unscaled
    } rows[] = {
        {big, {100, true}, 100}, {big, {197, true}, 197}, {big, {177, false}, 177}, {tiny, {177, false}, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options.maxInk);
        const PreparedPicture p = preparePicture(row.picture, row.options);
        const InkBox box = windowInkBox(p.image);
        const int source = std::max(p.sourceInk.width(), p.sourceInk.height());
        EXPECT_NEAR(std::max(box.width(), box.height()) + 1, row.longerSide ? row.longerSide : source, 1);
        EXPECT_EQ(p.scale, row.longerSide ? double(row.longerSide) / source : 1.0);
    }
}

// Pictures the window can use as they are come back as they are; any flaw gets them prepared.
TEST(PicturePrep, UsablePicturesComeBackUnchanged) {
    const QString g = QStringLiteral("g");
    const QImage clean = drawn(QSize(197, 197), g, 120);
    QImage faint = clean, wide = drawn(QSize(300, 260), g, 100, Qt::black, Qt::white, {90, 90}),
           outside = wide;
    faint.setPixel(3, 190, qRgb(250, 250, 250));
    outside.setPixel(250, 250, qRgb(0, 0, 0));
    const struct {
        const char* name;
        QImage picture;
        bool unchanged;
    } rows[] = {
        {"clean", clean, true},
        {"grey format", clean.convertToFormat(QImage::Format_Grayscale8), true},
        {"small", drawn(QSize(40, 30), g, 20), true},
        {"white beyond the canvas", wide, true},
        {"word", drawn(QSize(197, 100), QStringLiteral("Hij"), 90), true},
        {"a faint pixel away from the ink", faint, false},
        {"a pixel beyond the canvas", outside, false},
        {"red ink", drawn(QSize(197, 197), g, 120, Qt::red), false},
        {"grey paper", drawn(QSize(197, 197), g, 120, Qt::black, QColor(250, 250, 250)), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PreparedPicture p = preparePicture(row.picture);
        EXPECT_TRUE(p.error.isEmpty());
        EXPECT_EQ(p.unchanged, row.unchanged);
        EXPECT_EQ(p.image == row.picture && p.image.format() == row.picture.format(), row.unchanged);
        EXPECT_EQ(p.image.size(), row.unchanged ? row.picture.size() : QSize(197, 197));
    }
}

TEST(PicturePrep, NoCharacterIsAnError) {
    QImage white(300, 300, QImage::Format_RGB32), grey = white, salt = white;
    QImage coarse(12, 12, QImage::Format_RGB32);
    white.fill(Qt::white);
    grey.fill(QColor(128, 120, 110));
    salt.fill(Qt::white);
    QRandomGenerator random(5);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x) {
            const int v = int(random.bounded(256));
            if (random.bounded(200) == 0) salt.setPixel(x, y, qRgb(0, 0, 0));
            if (x < 12 && y < 12) coarse.setPixel(x, y, qRgb(v, v * 9 / 10, v * 8 / 10));
        }
    // A photo of a texture: smooth blotches.
    const QImage texture = photo(coarse.scaled(400, 400, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 6);
    const struct {
        const char* name;
        QImage picture;
    } rows[] = {{"null", QImage()},
                {"white", white},
                {"grey", grey},
                {"specks", salt},
                {"gaussian noise", photo(grey, 40)},
                {"texture", texture}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PreparedPicture p = preparePicture(row.picture);
        EXPECT_TRUE(p.image.isNull());
        EXPECT_TRUE(p.error.startsWith(QStringLiteral("no character found: "))) << p.error.toStdString();
        EXPECT_TRUE(findCharacters(row.picture).empty());
    }
}

// A word's characters left to right, each box around the character drawn at that place.
TEST(Segments, WordsSplitIntoCharacters) {
    const struct {
        const char* text;
        int count;
        bool dark;
    } rows[] = {{"Hij", 3, false}, {"mint", 4, false}, {"ä", 1, false}, {"%", 1, false}, {"mint", 4, true}};
    for (const auto& row : rows) {
        const QString text = QString::fromUtf8(row.text);
        SCOPED_TRACE(row.text);
        const QImage picture = drawn(QSize(500, 220), text, 150, row.dark ? Qt::white : Qt::black,
                                     row.dark ? Qt::black : Qt::white);
        const std::vector<QRect> boxes = findCharacters(picture);
        const std::vector<PreparedPicture> each = prepareCharacters(picture);
        ASSERT_EQ(int(boxes.size()), row.count);
        ASSERT_EQ(int(each.size()), row.count);
        const QTransform at = placing(text, 150, QPointF(250, 110));
        for (int i = 0; i < row.count; ++i) {
            QPainterPath one;
            one.addText(QFontMetricsF(dejaVu()).horizontalAdvance(text.left(i)), 0, dejaVu(), text.mid(i, 1));
            EXPECT_TRUE(boxes[std::size_t(i)].contains(at.mapRect(one.boundingRect()).center().toPoint()))
                << i;
            EXPECT_EQ(each[std::size_t(i)].sourceInk, boxes[std::size_t(i)]);
            EXPECT_EQ(prepareCharacter(picture, boxes[std::size_t(i)]).image, each[std::size_t(i)].image);
        }
    }
}

TEST(BitmapFile, ReadsCommonFormatsAndRefusesHugeOrCutFiles) {
    QTemporaryDir dir;
    QImage picture(120, 90, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter(&picture).fillRect(51, 41, 69, 49, Qt::black);
    const QByteArray png = encoded(picture, "PNG"), jpeg = encoded(picture, "JPEG", 80);
    // Written byte by byte: an 8 x 8 GIF, white with a black 4 x 4 square bottom right, each
    // pixel a 3-bit code after a clear code; a PNG whose header claims 20000 x 20000 grey pixels,
    // with 14 bytes of data.
    const QByteArray gif = QByteArray::fromHex(
        "47494638396108000800800000ffffff0000002c00000000080008000002310441100441100441100441"
        "100441100441100441100441100441100cc3300441100cc3300441100cc3300441100cc33005003b");
    const QByteArray hugePng = QByteArray::fromHex(
        "89504e470d0a1a0a0000000d4948445200004e2000004e200800000000c61b19e50000000c49444154789c"
        "6360a00c000000400001b7347cef0000000049454e44ae426082");
    QByteArray hugeBmp = encoded(picture, "BMP");  // claiming 20000 x 20000, with the pixels of 120 x 90
    hugeBmp.replace(18, 8, QByteArray::fromHex("204e0000204e0000"));
    const QString cut = QStringLiteral("the file is cut short");
    const QString huge = QStringLiteral("too large: 20000 x 20000 pixels, at most 100 megapixels");
    const struct {
        const char* name;
        QByteArray bytes;
        QString error;  // empty: read, its top-left pixel white and its bottom-right black
    } rows[] = {
        {"png", png, {}},
        {"grey png", encoded(picture.convertToFormat(QImage::Format_Grayscale8), "PNG"), {}},
        {"jpeg", jpeg, {}},
        {"gif", gif, {}},
        {"png claiming 20000 x 20000", hugePng, huge},
        {"bmp claiming 20000 x 20000", hugeBmp, huge},
        {"png cut in half", png.left(png.size() / 2), cut},
        {"png without IEND", png.left(png.size() - 12), cut},
        {"jpeg cut in half", jpeg.left(jpeg.size() / 2), cut},
        {"jpeg without its end marker", jpeg.left(jpeg.size() - 2), cut},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QFile file(dir.filePath(QStringLiteral("picture")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(row.bytes) == row.bytes.size());
        file.close();
        QString error;
        const QImage image = readBitmapFile(file.fileName(), &error);
        EXPECT_EQ(error.toStdString(), row.error.toStdString());
        EXPECT_EQ(image.isNull(), !row.error.isEmpty());
        if (image.isNull()) continue;
        EXPECT_GT(qGray(image.pixel(1, 1)), 240);
        EXPECT_LT(qGray(image.pixel(image.width() - 2, image.height() - 2)), 15);
    }
}
