#include "canvas/Canvas.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace lettrino {

namespace {
constexpr int kPixels = Canvas::kSize * Canvas::kSize;

Colour fromQRgb(QRgb rgb) { return Colour(qRed(rgb)) | Colour(qGreen(rgb)) << 8 | Colour(qBlue(rgb)) << 16; }
QRgb toQRgb(Colour c) { return qRgb(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)); }
}  // namespace

Canvas::Canvas() : picture_(kPixels, kWhite) {}

void Canvas::setPicture(const QImage& image) {
    std::fill(picture_.begin(), picture_.end(), kWhite);
    // Only the drawable area is ever seen.
    const int w = std::min(image.width(), kSize);
    const int h = std::min(image.height(), kSize);
    if (image.format() == QImage::Format_Grayscale8) {
        // Opaque greys (every prepared picture), copied as they are.
        for (int y = 0; y < h; ++y) {
            const uchar* line = image.constScanLine(y);
            for (int x = 0; x < w; ++x) picture_[y * kSize + x] = Colour(line[x]) * 0x010101u;
        }
    } else if (!image.isNull()) {
        // Colours as they are, anything with alpha composited onto white first.
        QImage visible = image;
        if (image.format() != QImage::Format_RGB32) {
            visible = QImage(w, h, QImage::Format_RGB32);
            visible.fill(Qt::white);
            QPainter painter(&visible);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.drawImage(QPoint(0, 0), image, QRect(0, 0, w, h));
        }
        for (int y = 0; y < h; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(visible.constScanLine(y));
            for (int x = 0; x < w; ++x) picture_[y * kSize + x] = fromQRgb(line[x]);
        }
    }
    resetLayers();
}

void Canvas::clearPicture() {
    std::fill(picture_.begin(), picture_.end(), kWhite);
    resetLayers();
}

void Canvas::resetLayers() {
    std::vector<Colour>().swap(persistent_);
    screenDetached_ = !autoRedraw_;
    if (screenDetached_) screen_ = picture_;
    dirtyMinX_ = dirtyMinY_ = kSize;
    dirtyMaxX_ = dirtyMaxY_ = -1;
    ++revision_;
}

void Canvas::setAutoRedraw(bool on) {
    if (on == autoRedraw_) return;
    autoRedraw_ = on;
    if (!on) {
        // The screen becomes a layer of its own, showing the persistent image for now.
        screen_.assign(persistentPixels(), persistentPixels() + kPixels);
        screenDetached_ = true;
    } else {
        screenDetached_ = false;
    }
    dirtyMinX_ = dirtyMinY_ = kSize;
    dirtyMaxX_ = dirtyMaxY_ = -1;
    ++revision_;
}

void Canvas::clear() {
    if (autoRedraw_) {
        if (!persistent_.empty()) persistent_ = picture_;
    } else if (dirtyMinX_ <= dirtyMaxX_) {
        // Only the pixels drawn since the last clear can differ from the persistent image.
        const int n = dirtyMaxX_ - dirtyMinX_ + 1;
        for (int y = dirtyMinY_; y <= dirtyMaxY_; ++y) {
            const int at = y * kSize + dirtyMinX_;
            std::copy_n(persistentPixels() + at, n, screen_.begin() + at);
        }
    }
    dirtyMinX_ = dirtyMinY_ = kSize;
    dirtyMaxX_ = dirtyMaxY_ = -1;
    ++revision_;
}

std::int32_t Canvas::getPixel(int x, int y) const {
    return inside(x, y) ? std::int32_t(target()[y * kSize + x] & 0xFFFFFF) : -1;
}

void Canvas::touch(int x, int y) {
    if (!screenDetached_) return;
    dirtyMinX_ = std::min(dirtyMinX_, x);
    dirtyMaxX_ = std::max(dirtyMaxX_, x);
    dirtyMinY_ = std::min(dirtyMinY_, y);
    dirtyMaxY_ = std::max(dirtyMaxY_, y);
}

void Canvas::notXor(int x, int y, Colour pen) {
    if (!inside(x, y)) return;
    Colour& p = target()[y * kSize + x];
    p = ~(pen ^ p) & 0xFFFFFF;
    touch(x, y);
}

void Canvas::drawLine(int x1, int y1, int x2, int y2, Colour pen) {
    // Bresenham, both ends included: every pixel of the line is inverted exactly once.
    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1, y = y1;
    for (;;) {
        notXor(x, y, pen);
        if (x == x2 && y == y2) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    ++revision_;
}

void Canvas::drawRect(int x1, int y1, int x2, int y2, Colour pen) {
    const int left = std::min(x1, x2), right = std::max(x1, x2);
    const int top = std::min(y1, y2), bottom = std::max(y1, y2);
    if (left == right || top == bottom) {
        drawLine(left, top, right, bottom, pen);
        return;
    }
    for (int x = left; x <= right; ++x) {
        notXor(x, top, pen);
        notXor(x, bottom, pen);
    }
    for (int y = top + 1; y < bottom; ++y) {
        notXor(left, y, pen);
        notXor(right, y, pen);
    }
    ++revision_;
}

void Canvas::blendBlack(int x, int y, const std::uint8_t* coverage, int width, int height, int pitch) {
    const int c0 = std::max(0, -x), c1 = std::min(width, kSize - x);
    const int r0 = std::max(0, -y), r1 = std::min(height, kSize - y);
    if (c0 >= c1 || r0 >= r1) return;
    Colour* px = target();
    for (int r = r0; r < r1; ++r) {
        const std::uint8_t* cov = coverage + std::ptrdiff_t(r) * pitch;
        Colour* row = px + (y + r) * kSize + x;
        for (int c = c0; c < c1; ++c) {
            // Each component scaled by the uncovered share, rounded to nearest; no coverage
            // leaves a pixel as it is, and white becomes the grey of the uncovered share.
            const unsigned keep = 255 - unsigned(cov[c]);
            const Colour p = row[c];
            if (p == kWhite) {
                row[c] = keep * 0x010101u;
                continue;
            }
            const unsigned rr = ((p & 0xFF) * keep + 127) / 255;
            const unsigned gg = ((p >> 8 & 0xFF) * keep + 127) / 255;
            const unsigned bb = ((p >> 16 & 0xFF) * keep + 127) / 255;
            row[c] = rr | gg << 8 | bb << 16;
        }
    }
    touch(x + c0, y + r0);
    touch(x + c1 - 1, y + r1 - 1);
    ++revision_;
}

QImage Canvas::screenImage() const {
    QImage image(kSize, kSize, QImage::Format_RGB32);
    const Colour* px = screenPixels();
    for (int y = 0; y < kSize; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kSize; ++x) line[x] = toQRgb(px[y * kSize + x]);
    }
    return image;
}

}  // namespace lettrino
