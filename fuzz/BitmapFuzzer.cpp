// Bitmap bytes, loaded as the window loads a chosen file (format decided from the content),
// put into a reference canvas and measured, then prepared as a reference and split into
// characters.

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/InkBox.h"
#include "prep/PicturePrep.h"
#include "prep/Segments.h"

using namespace lettrino;

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "bitmap_fuzzer: %s\n", what);
    std::abort();
}

bool sameLayer(const Colour* a, const Colour* b) {
    for (int i = 0; i < Canvas::kSize * Canvas::kSize; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// A prepared picture: an image exactly when there is no error; the picture itself when
// unchanged, else 197 x 197 grey levels; its ink box inside the picture.
void checkPrepared(const PreparedPicture& p, const QImage& picture) {
    if (p.image.isNull() == p.error.isEmpty()) fail("prepared image and error disagree");
    if (p.image.isNull()) return;
    if (!picture.rect().contains(p.sourceInk) || p.sourceInk.isEmpty())
        fail("source ink box outside the picture");
    if (!(p.scale > 0) || p.scale > 1e6) fail("scale out of range");
    if (p.unchanged) {
        if (!(p.image == picture)) fail("an unchanged picture came back changed");
        return;
    }
    if (p.image.size() != QSize(Canvas::kSize, Canvas::kSize) || p.image.format() != QImage::Format_RGB32)
        fail("prepared picture is not a 197 x 197 RGB32 image");
    for (int y = 0; y < Canvas::kSize; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(p.image.constScanLine(y));
        for (int x = 0; x < Canvas::kSize; ++x)
            if (qRed(line[x]) != qGreen(line[x]) || qGreen(line[x]) != qBlue(line[x]))
                fail("prepared pixel not grey");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Image format plugins are found through the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();

    Canvas canvas;
    canvas.setPicture(image);
    const InkBox box = scanInkBox(canvas);

    const bool noInk = box == InkBox{Canvas::kOuterSize, Canvas::kOuterSize, 0, 0};
    const bool inside = box.left >= 0 && box.left <= box.right && box.right < Canvas::kSize && box.top >= 0 &&
                        box.top <= box.bottom && box.bottom < Canvas::kSize;
    if (!noInk && !inside) fail("ink box neither empty nor inside the drawable area");
    if (image.isNull() && !noInk) fail("ink found without a picture");

    // The outline drawn twice leaves the picture exactly as it was.
    canvas.drawRect(box.left, box.top, box.right, box.bottom, kRed);
    canvas.drawRect(box.left, box.top, box.right, box.bottom, kRed);
    if (!sameLayer(canvas.pixels(), canvas.picturePixels())) fail("outline drawn twice changed the picture");

    const PreparedPicture prepared = preparePicture(image);
    checkPrepared(prepared, image);
    const std::vector<QRect> characters = findCharacters(image);
    if (characters.empty() != !prepared.error.isEmpty())
        fail("characters found where preparation found none, or none where it did");
    for (const QRect& c : characters)
        if (c.isEmpty() || !image.rect().contains(c) || !prepared.sourceInk.contains(c))
            fail("character box outside the ink");
    const std::vector<PreparedPicture> each = prepareCharacters(image);
    if (!characters.empty() && each.size() != characters.size())
        fail("characters and their preparations differ in number");
    for (const PreparedPicture& p : each) {
        if (p.unchanged) fail("a character came back unchanged");
        if (!characters.empty()) checkPrepared(p, image);
    }
    return 0;
}
