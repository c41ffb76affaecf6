#include "TestFonts.h"

#include <QFileInfo>

#include "render/FontSystem.h"

namespace lettrino::testing {

QString installedFontFile(const QString& face) {
    static FontSystem fonts;
    for (const FaceEntry& e : fonts.installedFaces())
        if (e.name == face && QFileInfo::exists(e.file)) return e.file;
    return {};
}

::testing::AssertionResult samePixels(const Colour* a, const Colour* b) {
    for (int i = 0; i < Canvas::kSize * Canvas::kSize; ++i)
        if (a[i] != b[i])
            return ::testing::AssertionFailure() << "first difference at (" << i % Canvas::kSize << ", "
                                                 << i / Canvas::kSize << "): " << std::hex << a[i] << " vs " << b[i];
    return ::testing::AssertionSuccess();
}

QImage blockImage(int width, int height, const QRect& block) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = block.top(); y <= block.bottom(); ++y)
        for (int x = block.left(); x <= block.right(); ++x)
            if (image.rect().contains(x, y)) image.setPixel(x, y, qRgb(0, 0, 0));
    return image;
}

}  // namespace lettrino::testing
