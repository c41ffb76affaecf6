// The dialogs and the font lists they lead to: which files the bitmap and font-folder dialogs
// list, the font lists that System Fonts and Fonts Directory load, and the About box. Loading
// bitmaps through the bitmap dialog is checked over a table of bitmaps in hostile_window_tests.
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "WindowFixture.h"

using namespace lettrino;
using namespace lettrino::testing;

// Receives what the About box hands to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

class DialogsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<Window> w_;

    QString path(const QString& relative) const { return dir_.filePath(relative); }
    QStringList listed(QDialog* d) const {
        QStringList names;
        for (const QListWidgetItem* item :
             child<QListWidget>(d, "File1")->findItems(QString(), Qt::MatchContains))
            names << item->text();
        return names;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        for (const char* folder : {"pictures", "fonts/three", "fonts/one", "fonts/names", "fonts/none"})
            QVERIFY(QDir(dir_.path()).mkpath(QLatin1String(folder)));
        QCOMPARE(fixtures::saveBitmap(fixtures::blockPicture(QRect(40, 50, 30, 30)), path("pictures/a.bmp")),
                 QString());
        for (const char* name : {"B.BMP", "c.png", "d.JPG", "e.jpeg", "f.gif", "g.txt", "h.tif", "i.bmp.bak"})
            QVERIFY(QFile(path("pictures/") + QLatin1String(name)).open(QIODevice::WriteOnly));
        for (const char* name : {"A.TTF", "b.ttf", "c.otf", "readme.txt", "d.ttf.bak"})
            QVERIFY(QFile(path("fonts/names/") + QLatin1String(name)).open(QIODevice::WriteOnly));
        QVERIFY(QFile(path("fonts/none/readme.txt")).open(QIODevice::WriteOnly));
        QCOMPARE(fixtures::copyFonts(path("fonts/three"), {"dejavu/DejaVuSerif.ttf", "dejavu/DejaVuSans.ttf",
                                                           "dejavu/DejaVuSansMono.ttf"}),
                 QString());
        QCOMPARE(fixtures::copyFonts(path("fonts/one"), {"dejavu/DejaVuSerif.ttf"}), QString());
    }
    void init() { w_ = openWindow(); }
    void cleanup() { w_.reset(); }

    // Pictures of any case, among other files.
    void bitmapDialogListsPictures() {
        QDialog* d = openDialog(*w_, "Command2", "Form2");
        QVERIFY(d);
        QCOMPARE(openFolder(d, path("pictures")), QString());
        QCOMPARE(listed(d), (QStringList{"a.bmp", "B.BMP", "c.png", "d.JPG", "e.jpeg", "f.gif"}));
    }

    void fontFolderDialogOffersOkForFontsOnly_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("font files of any case") << "fonts/names" << QStringList{"A.TTF", "b.ttf", "c.otf"};
        QTest::newRow("no font file") << "fonts/none" << QStringList{};
    }
    void fontFolderDialogOffersOkForFontsOnly() {
        QFETCH(QString, folder);
        QFETCH(QStringList, files);
        QCOMPARE(chooseBitmap(*w_, path("pictures/a.bmp")), QString());
        QDialog* d = openDialog(*w_, "Command1", "Form3");
        QVERIFY(d);
        QCOMPARE(openFolder(d, path(folder)), QString());
        QCOMPARE(listed(d), files);
        QCOMPARE(child<QPushButton>(d, "Command1")->isEnabled(), !files.isEmpty());
    }

    // System Fonts and Fonts Directory fill the slider's range, show the first font and make
    // the font controls usable; a list of one font has nothing to browse.
    void fontListLoads_data() {
        QTest::addColumn<QString>("folder");  // empty: System Fonts
        QTest::addColumn<QString>("face");
        QTest::newRow("System Fonts") << QString() << QString();
        QTest::newRow("three files") << "fonts/three"
                                     << "DejaVu Sans";
        QTest::newRow("one file") << "fonts/one"
                                  << "DejaVu Serif";
    }
    void fontListLoads() {
        QFETCH(QString, folder);
        QFETCH(QString, face);
        MessageCatcher messages;
        QCOMPARE(chooseBitmap(*w_, path("pictures/a.bmp")), QString());
        QStringList entries;
        if (folder.isEmpty()) {
            QTest::mouseClick(w_->get<QPushButton>("Command5"), Qt::LeftButton);
            for (const FontRef& font : installedJobs(w_->session.fonts())) entries << font.name;
            face = entries.value(0);
        } else {
            QCOMPARE(chooseFontFolder(*w_, path(folder), &entries), QString());
        }
        const auto* slider = w_->get<QSlider>("Slider1");
        QCOMPARE(slider->value(), 0);
        QCOMPARE(slider->isEnabled(), entries.size() > 1);
        if (entries.size() > 1) QCOMPARE(slider->maximum(), entries.size() - 1);
        QCOMPARE(w_->get<QLabel>("FontFilenameText")->text(), entries.value(0));
        QCOMPARE(w_->get<QLabel>("FontFontnameText")->text(), face);
        for (const char* name :
             {"ButtonFind", "Command4", "CharText", "AddThres", "BoldThres", "SpeedUp", "List1"})
            QVERIFY2(w_->get(name)->isEnabled(), name);
        QCOMPARE(messages.shown, QStringList());
    }

    // The About box: its title, the home page as a README that is there, an e-mail line that
    // opens nothing.
    void aboutBox() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
        QDialog* about = openDialog(*w_, "ButtonAbout", "About");
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("About ") + Form1::caption());
        QTest::mouseClick(child<QPushButton>(about, "Command1"), Qt::LeftButton);
        QTest::mouseClick(child<QWidget>(about, "Text2"), Qt::LeftButton);  // the e-mail line
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(catcher.urls.size(), 1);
        QVERIFY2(catcher.urls[0].isLocalFile(), qPrintable(catcher.urls[0].toString()));
        // Installed, or else the source tree's: a file that is there.
        QVERIFY2(catcher.urls[0].path().endsWith(QLatin1String("/README.md")) &&
                     QFileInfo(catcher.urls[0].toLocalFile()).isFile(),
                 qPrintable(catcher.urls[0].toString()));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
