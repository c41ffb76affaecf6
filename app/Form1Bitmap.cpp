// The reference bitmap: the bitmap dialog's button, loading the chosen file into Picture1,
// and measuring its ink box.
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <cmath>

#include "app/CanvasWidget.h"
#include "app/Form1.h"
#include "canvas/BitmapFile.h"
#include "dialogs/Form2.h"

namespace lettrino {

void Form1::connectBitmap() {
    connect(Command2, &QPushButton::clicked, this, [this] { bitmapDialog()->showModal(); });
    connect(Picture1, &CanvasWidget::pictureChanged, this, [this] { measureBitmap(); });
}

void Form1::loadBitmap(const QString& path, const QString& fileName) {
    // Read the file first: a file that is not a picture leaves the previous bitmap, its
    // box, outline and texts exactly as they were.
    const QImage image = readBitmapFile(path);
    if (image.isNull()) {
        QMessageBox::warning(this, caption(), QStringLiteral("Error: Can't read a picture from ") + path);
        return;
    }

    Frame1->setEnabled(true);
    BitmapFilename->setEnabled(true);
    BitmapFilenameText->setEnabled(true);
    BitmapFilenameText->setText(fileName);
    for (QLabel* l : {BitmapTop, BitmapLeft, BitmapSize, BitmapTopText, BitmapLeftText, BitmapSizeText})
        l->setEnabled(true);
    Command1->setEnabled(true);
    Command5->setEnabled(true);

    Picture1->setPicture(image);  // its change notification measures the bitmap
}

void Form1::measureBitmap() {
    Canvas& canvas = Picture1->canvas();
    const int h = Canvas::kOuterSize - 5;
    setMainProgress(0, h, 0);
    BitmapBox = scanInkBox(canvas, [this](int y) { setMainProgressValue(y); });
    canvas.drawRect(BitmapBox.left, BitmapBox.top, BitmapBox.right, BitmapBox.bottom, kRed);
    BitmapTopText->setText(BitmapBox.topText());
    BitmapLeftText->setText(BitmapBox.leftText());
    BitmapSizeText->setText(BitmapBox.sizeText());
    Picture1->refresh();
}

}  // namespace lettrino
