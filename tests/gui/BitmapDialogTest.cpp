// The bitmap dialog: its lists, Ok and Cancel, reopening, the drives, and the unreadable-file
// fault through Ok. What loading does to the window (ink box, outline, captions, progress bar)
// is checked over every kind of bitmap in the hostile-input tests.
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include "WindowFixture.h"
#include "app/CanvasWidget.h"
#include "dialogs/FolderBrowser.h"
#include "dialogs/Form2.h"

using namespace lettrino;
using namespace lettrino::testing;

namespace {

// A white 200 x 200 grayscale-looking picture with the given pixels set.
QImage picture(std::initializer_list<std::pair<QPoint, QRgb>> pixels) {
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (const auto& [p, c] : pixels) image.setPixel(p, c);
    return image;
}

}  // namespace

class BitmapDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init() {
        QDir::setCurrent(dir_.path());
        w_ = shownWindow();
    }
    void cleanup() {
        w_.reset();
        QDir::setCurrent(start_);
    }

    void firstShowingSelectsNothing();
    void folderWithBitmapsSelectsFirst();
    void folderWithoutBitmapsDisablesOk();
    void okLoadsSelectedFileNotTypedName();
    void cancelChangesNothing();
    void reopeningKeepsFolderAndSelection();
    void unreadableFileKeepsPreviousBitmap_data();
    void unreadableFileKeepsPreviousBitmap();
    void drivesStartWithRootThenHome();

private:
    Form2* openDialog() {
        QTest::mouseClick(w_->Command2, Qt::LeftButton);
        auto* d = w_->findChild<Form2*>(QStringLiteral("Form2"));
        if (d) (void)QTest::qWaitForWindowExposed(d);
        return d;
    }
    QListWidget* files(Form2* d) { return child<QListWidget>(d, "File1"); }

    QTemporaryDir dir_;
    QString start_;
    std::unique_ptr<Form1> w_;
};

void BitmapDialogTest::initTestCase() {
    QVERIFY(dir_.isValid());
    start_ = QDir::currentPath();
    QDir root(dir_.path());
    QVERIFY(root.mkpath(QStringLiteral("bitmaps/sub")));
    QVERIFY(root.mkpath(QStringLiteral("empty")));
    const QString b = dir_.filePath(QStringLiteral("bitmaps/"));
    QVERIFY(picture({{QPoint(10, 20), qRgb(0, 0, 0)}}).save(b + "b-dot.bmp", "BMP"));
    QVERIFY(picture({{QPoint(30, 40), qRgb(0, 0, 0)}, {QPoint(150, 160), qRgb(0, 0, 0)}})
                .save(b + "A-two.BMP", "BMP"));
    QVERIFY(picture({}).save(b + "c-white.bmp", "BMP"));
    QVERIFY(picture({{QPoint(5, 5), qRgb(0, 0, 0)}}).save(b + "notes.png", "PNG"));  // not offered
    // Not pictures at all, under the pattern.
    QFile garbage(b + "d-garbage.bmp");
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("this is not a bitmap");
    garbage.close();
    QFile whole(b + "b-dot.bmp");
    QVERIFY(whole.open(QIODevice::ReadOnly));
    QFile truncated(b + "e-truncated.bmp");
    QVERIFY(truncated.open(QIODevice::WriteOnly));
    truncated.write(whole.read(40));
    truncated.close();
    QFile empty(b + "f-empty.bmp");
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
}

void BitmapDialogTest::firstShowingSelectsNothing() {
    QDir::setCurrent(dir_.filePath(QStringLiteral("bitmaps")));
    Form2* d = openDialog();
    QVERIFY(d && d->isVisible());
    QCOMPARE(d->windowTitle(), QStringLiteral("Select Bitmap"));
    QCOMPARE(d->isModal() || d->windowModality() != Qt::NonModal, true);
    QCOMPARE(d->Text1->text(), QDir::cleanPath(dir_.filePath(QStringLiteral("bitmaps"))));
    QVERIFY(d->Text2->text().isEmpty());
    QVERIFY(d->Command1->isEnabled());
    // *.bmp in any case, sorted by name whatever the case.
    QCOMPARE(d->browser()->fileNames(), (QStringList{"A-two.BMP", "b-dot.bmp", "c-white.bmp", "d-garbage.bmp",
                                                     "e-truncated.bmp", "f-empty.bmp"}));
    QVERIFY(d->browser()->selectedFile().isEmpty());
    // Ok with nothing selected explains and keeps the dialog open.
    MessageCatcher messages;
    QTest::mouseClick(d->Command1, Qt::LeftButton);
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(d->isVisible());
    QVERIFY(!w_->Command5->isEnabled());
}

void BitmapDialogTest::folderWithBitmapsSelectsFirst() {
    Form2* d = openDialog();
    QVERIFY(d->browser()->setPath(dir_.filePath(QStringLiteral("bitmaps"))));
    QCOMPARE(d->Text2->text(), QStringLiteral("A-two.BMP"));
    QCOMPARE(files(d)->currentRow(), 0);
    QVERIFY(d->Command1->isEnabled());
    QCOMPARE(d->Text1->text(), QDir::cleanPath(dir_.filePath(QStringLiteral("bitmaps"))));
    // A click on another file shows its name.
    QListWidget* list = files(d);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    QCOMPARE(d->Text2->text(), QStringLiteral("c-white.bmp"));
}

void BitmapDialogTest::folderWithoutBitmapsDisablesOk() {
    Form2* d = openDialog();
    QVERIFY(d->browser()->setPath(dir_.filePath(QStringLiteral("bitmaps"))));
    QVERIFY(d->browser()->setPath(dir_.filePath(QStringLiteral("bitmaps/sub"))));
    QVERIFY(d->Text2->text().isEmpty());
    QVERIFY(!d->Command1->isEnabled());
    QCOMPARE(d->browser()->fileCount(), 0);
    // Double click on the parent's entry in the folder list opens it.
    QListWidget* folders = child<QListWidget>(d, "Dir1");
    QListWidgetItem* parent = nullptr;
    for (int i = 0; i < folders->count(); ++i)
        if (folders->item(i)->text().trimmed() == QLatin1String("bitmaps")) parent = folders->item(i);
    QVERIFY(parent);
    const QPoint at = folders->visualItemRect(parent).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, at);
    QMouseEvent dclick(QEvent::MouseButtonDblClick, QPointF(at),
                       QPointF(folders->viewport()->mapToGlobal(at)), Qt::LeftButton, Qt::LeftButton,
                       Qt::NoModifier);
    QApplication::sendEvent(folders->viewport(), &dclick);
    QCOMPARE(d->browser()->path(), QDir::cleanPath(dir_.filePath(QStringLiteral("bitmaps"))));
    QVERIFY(d->Command1->isEnabled());
    // An unreadable folder changes nothing.
    QVERIFY(!d->browser()->setPath(dir_.filePath(QStringLiteral("missing"))));
    QCOMPARE(d->browser()->path(), QDir::cleanPath(dir_.filePath(QStringLiteral("bitmaps"))));
}

void BitmapDialogTest::okLoadsSelectedFileNotTypedName() {
    Form2* d = openDialog();
    QVERIFY(d->browser()->setPath(dir_.filePath(QStringLiteral("bitmaps"))));
    d->browser()->selectFile(1);  // b-dot.bmp
    d->Text2->setText(QStringLiteral("c-white.bmp"));
    QTest::keyClick(d, Qt::Key_Return);  // Ok is the default button
    QVERIFY(!d->isVisible());
    QCOMPARE(w_->BitmapFilenameText->text(), QStringLiteral("b-dot.bmp"));
    QCOMPARE(w_->BitmapBox, (InkBox{20, 10, 10, 20}));
    for (QWidget* c : {static_cast<QWidget*>(w_->Frame1), static_cast<QWidget*>(w_->BitmapFilename),
                       static_cast<QWidget*>(w_->BitmapFilenameText), static_cast<QWidget*>(w_->BitmapTop),
                       static_cast<QWidget*>(w_->BitmapLeft), static_cast<QWidget*>(w_->BitmapSize),
                       static_cast<QWidget*>(w_->BitmapTopText), static_cast<QWidget*>(w_->BitmapLeftText),
                       static_cast<QWidget*>(w_->BitmapSizeText), static_cast<QWidget*>(w_->Command1),
                       static_cast<QWidget*>(w_->Command5)})
        QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
    QVERIFY(!w_->ButtonFind->isEnabled());
}

void BitmapDialogTest::cancelChangesNothing() {
    Form2* d = openDialog();
    QVERIFY(d->browser()->setPath(dir_.filePath(QStringLiteral("bitmaps"))));
    QTest::mouseClick(d->Command2, Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QCOMPARE(w_->BitmapFilenameText->text(), QStringLiteral("none"));
    QVERIFY(!w_->Command1->isEnabled());
    QCOMPARE(w_->BitmapBox, (InkBox{0, 0, 0, 0}));
    // Escape cancels too.
    d = openDialog();
    QTest::keyClick(d, Qt::Key_Escape);
    QVERIFY(!d->isVisible());
    QVERIFY(!w_->Command5->isEnabled());
}

void BitmapDialogTest::reopeningKeepsFolderAndSelection() {
    Form2* d = openDialog();
    QVERIFY(d->browser()->setPath(dir_.filePath(QStringLiteral("bitmaps"))));
    d->browser()->selectFile(2);
    d->Text2->setText(d->browser()->selectedFile());
    QTest::mouseClick(d->Command2, Qt::LeftButton);
    Form2* again = openDialog();
    QCOMPARE(again, d);
    QCOMPARE(again->browser()->path(), QDir::cleanPath(dir_.filePath(QStringLiteral("bitmaps"))));
    QCOMPARE(again->browser()->selectedFile(), QStringLiteral("c-white.bmp"));
    QCOMPARE(again->Text2->text(), QStringLiteral("c-white.bmp"));
}

void BitmapDialogTest::unreadableFileKeepsPreviousBitmap_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("not a picture") << "d-garbage.bmp";
    QTest::newRow("truncated") << "e-truncated.bmp";
    QTest::newRow("empty file") << "f-empty.bmp";
    QTest::newRow("vanished") << "gone.bmp";
}

void BitmapDialogTest::unreadableFileKeepsPreviousBitmap() {
    QFETCH(QString, file);
    const QString b = QDir::cleanPath(dir_.filePath(QStringLiteral("bitmaps")));
    w_->loadBitmap(b + "/A-two.BMP", QStringLiteral("A-two.BMP"));
    const std::vector<Colour> pixels(w_->Picture1->canvas().pixels(),
                                     w_->Picture1->canvas().pixels() + Canvas::kSize * Canvas::kSize);
    const InkBox box = w_->BitmapBox;
    const QStringList texts{w_->BitmapFilenameText->text(), w_->BitmapTopText->text(),
                            w_->BitmapLeftText->text(), w_->BitmapSizeText->text()};

    Form2* d = openDialog();
    QVERIFY(d->browser()->setPath(b));
    const int row = d->browser()->fileNames().indexOf(file);
    if (row >= 0) {
        d->browser()->selectFile(row);
    } else {
        // The file went away after the list was read.
        d->browser()->fileList()->addItem(file);
        d->browser()->selectFile(d->browser()->fileCount() - 1);
    }
    MessageCatcher messages;
    QTest::mouseClick(d->Command1, Qt::LeftButton);
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY2(messages.shown[0].contains(b + "/" + file), qPrintable(messages.shown[0]));
    QVERIFY(!d->isVisible());
    QCOMPARE(w_->BitmapBox, box);
    QCOMPARE((QStringList{w_->BitmapFilenameText->text(), w_->BitmapTopText->text(),
                          w_->BitmapLeftText->text(), w_->BitmapSizeText->text()}),
             texts);
    QVERIFY(std::equal(pixels.begin(), pixels.end(), w_->Picture1->canvas().pixels()));
}

void BitmapDialogTest::drivesStartWithRootThenHome() {
    const QStringList mounts = FolderBrowser::mountPoints();
    QVERIFY(!mounts.isEmpty());
    QCOMPARE(mounts.first(), QStringLiteral("/"));
    if (QDir::homePath() != QLatin1String("/")) QCOMPARE(mounts.value(1), QDir::cleanPath(QDir::homePath()));
    QStringList unique = mounts;
    QCOMPARE(int(unique.removeDuplicates()), 0);
    Form2* d = openDialog();
    auto* drives = child<QComboBox>(d, "Drive1");
    QCOMPARE(drives->count(), mounts.size());
    QCOMPARE(drives->itemText(0), QStringLiteral("/"));
    // Choosing the root drive opens the folder last used there.
    QVERIFY(d->browser()->setPath(dir_.filePath(QStringLiteral("bitmaps"))));
    QVERIFY(d->browser()->setPath(QStringLiteral("/")));
    QVERIFY(d->browser()->setPath(dir_.filePath(QStringLiteral("empty"))));
    QCOMPARE(FolderBrowser::join(QStringLiteral("/"), QStringLiteral("x.bmp")), QStringLiteral("/x.bmp"));
    QCOMPARE(FolderBrowser::join(QStringLiteral("/tmp"), QStringLiteral("x.bmp")),
             QStringLiteral("/tmp/x.bmp"));
}

QTEST_MAIN(BitmapDialogTest)
#include "BitmapDialogTest.moc"
