// Bitmap bytes, loaded as the window loads a chosen file (format decided from the content),
// put into a reference canvas and measured.

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
    return 0;
}
