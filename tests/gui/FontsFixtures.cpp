#include "FontsFixtures.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

#include "app/CanvasWidget.h"
#include "app/FontSlider.h"
#include "app/Form1.h"
#include "canvas/Canvas.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

namespace fixtures {

using namespace lettrino;

QString systemFont(const QString& relative) {
    const QString path = QStringLiteral(LETTRINO_SYSTEM_FONTS "/") + relative;
    return QFileInfo::exists(path) ? path : QString();
}

bool copyFonts(const QString& folder, const QStringList& relatives) {
    for (const QString& r : relatives) {
        const QString from = systemFont(r);
        if (from.isEmpty() || !QFile::copy(from, folder + QLatin1Char('/') + QFileInfo(r).fileName()))
            return false;
    }
    return true;
}

QImage referenceGlyph(const QString& fontFile, const QString& character) {
    FontSystem fonts;
    Canvas canvas;
    GlyphRenderer renderer(fonts, canvas);
    const QFileInfo info(fontFile);
    const QString prefix = info.absolutePath() + QLatin1Char('/');
    InkBox reference{30, 30, 170, 170};
    for (int pass = 0; pass < 8; ++pass) {
        const RenderOutcome out = renderer.displayFont(info.fileName(), prefix, character, reference);
        if (!out.fontDisplayed) return {};
        const InkBox drawn = out.glyphBox;
        if (drawn.height() == reference.height()) {
            canvas.drawRect(drawn.left, drawn.top, drawn.right, drawn.bottom, kRed);  // takes the outline off
            return canvas.screenImage();
        }
        reference = drawn;
    }
    return {};
}

bool loadReference(Form1& w, const QImage& image, const QString& folder) {
    const QString path = folder + QStringLiteral("/reference.bmp");
    if (image.isNull() || !image.save(path, "BMP")) return false;
    const QImage loaded(path);
    if (loaded.isNull()) return false;
    w.Picture1->setPicture(loaded);
    w.BitmapBox = scanInkBox(w.Picture1->canvas());
    return true;
}

QImage blockPicture() {
    QImage image(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 50; y < 60; ++y)
        for (int x = 50; x < 60; ++x) image.setPixel(x, y, qRgb(0, 0, 0));
    return image;
}

void sendMouse(QWidget* w, int type, const QPoint& at, bool leftHeld) {
    QMouseEvent e(QEvent::Type(type), QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                  leftHeld ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QPoint thumbCentre(FontSlider& s) {
    QStyleOptionSlider opt;
    opt.initFrom(&s);
    opt.orientation = s.orientation();
    opt.minimum = s.minimum();
    opt.maximum = s.maximum();
    opt.sliderPosition = s.sliderPosition();
    opt.sliderValue = s.value();
    opt.upsideDown = !s.invertedAppearance();
    opt.singleStep = s.singleStep();
    opt.pageStep = s.pageStep();
    return s.style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, &s).center();
}

std::vector<Colour> pixelsOf(const Canvas& c, bool persistent) {
    const Colour* p = persistent ? c.persistentPixels() : c.screenPixels();
    return std::vector<Colour>(p, p + Canvas::kSize * Canvas::kSize);
}

QString firstDifference(const quint32* a, const quint32* b) {
    for (int i = 0; i < Canvas::kSize * Canvas::kSize; ++i)
        if (a[i] != b[i])
            return QStringLiteral("(%1, %2): %3 vs %4")
                .arg(i % Canvas::kSize)
                .arg(i / Canvas::kSize)
                .arg(a[i], 6, 16, QLatin1Char('0'))
                .arg(b[i], 6, 16, QLatin1Char('0'));
    return {};
}

}  // namespace fixtures
