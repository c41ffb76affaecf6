// The reference bitmap: the bitmap dialog's button, loading the chosen file into Picture1,
// and measuring its ink box.
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

#include "app/CanvasWidget.h"
#include "app/Form1.h"
#include "canvas/BitmapFile.h"
#include "dialogs/Form2.h"
#include "prep/PicturePrep.h"
#include "session/Session.h"

namespace lettrino {

void Form1::connectBitmap() {
    connect(Command2, &QPushButton::clicked, this, [this] { bitmapDialog()->showModal(); });
    connect(Picture1, &CanvasWidget::pictureChanged, this, [this] { measureBitmap(); });

    // A picture file dropped on the reference canvas, or a picture (or a copied picture file)
    // pasted with Ctrl+V, loads as if chosen in the dialog. Never during a search run. A text
    // field with the focus takes Ctrl+V first: eventFilter() hands it here when the clipboard
    // holds a picture.
    Picture1->setAcceptDrops(true);
    auto* paste = new QShortcut(QKeySequence::Paste, this);
    paste->setObjectName(QStringLiteral("PastePicture"));
    connect(paste, &QShortcut::activated, this, [this] { pastePicture(); });
}

void Form1::openArguments(const QStringList& arguments) {
    if (arguments.size() > 1) loadBitmap(arguments.at(1), QFileInfo(arguments.at(1)).fileName());
}

bool Form1::pastePicture() {
    if (FindRunning) return false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return false;
    if (const QString path = pictureFileOf(data); !path.isEmpty()) {
        loadBitmap(path, QFileInfo(path).fileName());
        return true;
    }
    if (!data->hasImage()) return false;
    loadPicture(qvariant_cast<QImage>(data->imageData()), QStringLiteral("(pasted)"));
    return true;
}

QString Form1::pictureFileOf(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
    const QUrl url = data->urls().first();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

bool Form1::pictureDropEvent(QEvent* event) {
    if (event->type() == QEvent::DragEnter) {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        if (!FindRunning && !pictureFileOf(enter->mimeData()).isEmpty()) enter->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = pictureFileOf(drop->mimeData());
        if (FindRunning || path.isEmpty()) return true;
        drop->acceptProposedAction();
        loadBitmap(path, QFileInfo(path).fileName());
        return true;
    }
    return false;
}

void Form1::loadBitmap(const QString& path, const QString& fileName) {
    // Read the file first: a file that is not a picture leaves the previous bitmap, its
    // box, outline and texts exactly as they were.
    const QImage image = readBitmapFile(path);
    if (image.isNull()) {
        QMessageBox::warning(this, caption(), QStringLiteral("Error: Can't read a picture from ") + path);
        return;
    }
    loadPicture(image, fileName);
}

void Form1::loadPicture(const QImage& picture, const QString& name) {
    // A picture the canvas can take as it is (within the canvas's size, on pure white) comes as
    // it is, specks and all: every pixel that is not white is ink. Any other (a screenshot, a
    // photo, dark mode, a large picture) is prepared first; one in which no character can be
    // told from the background (all white, one dot) comes as it is: its ink box then says
    // what there is.
    PrepOptions options;
    options.keepWhatFits = true;
    const PreparedPicture prepared = preparePicture(picture, options);
    const QImage& shown = prepared.image.isNull() ? picture : prepared.image;
    Frame1->setEnabled(true);
    BitmapFilename->setEnabled(true);
    BitmapFilenameText->setEnabled(true);
    BitmapFilenameText->setText(name);
    for (QLabel* l : {BitmapTop, BitmapLeft, BitmapSize, BitmapTopText, BitmapLeftText, BitmapSizeText})
        l->setEnabled(true);
    Command1->setEnabled(true);
    Command5->setEnabled(true);

    Picture1->setPicture(shown);  // its change notification measures the bitmap
}

void Form1::measureBitmap() {
    Reference& reference = session_.reference();
    setMainProgress(0, Canvas::kOuterSize - 5, 0);
    reference.measure([this](int y) { setMainProgressValue(y); });
    const InkBox& box = reference.box;
    reference.canvas.drawRect(box.left, box.top, box.right, box.bottom, kRed);
    BitmapTopText->setText(box.topText());
    BitmapLeftText->setText(box.leftText());
    BitmapSizeText->setText(box.sizeText());
    Picture1->refresh();
}

}  // namespace lettrino
