// Filling the font list from the installed faces or a folder, the state that follows, browsing
// with the slider, and the message for a font file that cannot be opened.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

#include "FontsFixtures.h"
#include "WindowFixture.h"
#include "app/FontSlider.h"
#include "app/Form1.h"
#include "app/ResultsList.h"
#include "app/UpDown.h"

using lettrino::Form1;

class FontListsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        folder_ = dir_->path();
        w_ = lettrino::testing::shownWindow();
    }
    void cleanup() {
        w_.reset();
        dir_.reset();
    }
    void systemFontsTwiceGiveTheSameList();
    void folderLoads_data();
    void folderLoads();
    void singleEntryDisablesAnEnabledSlider();
    void folderWithoutFontsKeepsTheList();
    void browsingRendersTheEntry();
    void cantOpenIsReportedOutsideARunOnly();
    void listsBeyondSixteenBits();

private:
    std::unique_ptr<Form1> w_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;
};

void FontListsTest::systemFontsTwiceGiveTheSameList() {
    const QStringList installed = lettrino::installedFaceNames(w_->fonts());
    QVERIFY(!installed.isEmpty());
    const int n = int(installed.size());
    w_->loadSystemFonts();
    QCOMPARE(w_->FontList.entries, installed);
    w_->loadSystemFonts();
    QCOMPARE(w_->FontList.entries, installed);
    QCOMPARE(w_->FontList.prefix(), QStringLiteral("\\"));
    QCOMPARE(w_->FontListIndex, 0);
    QCOMPARE(w_->Slider1->minimum(), 0);
    QCOMPARE(w_->Slider1->maximum(), n - 1);
    QCOMPARE(w_->Slider1->value(), 0);
    QVERIFY(w_->Slider1->isEnabled());
    QVERIFY(w_->ButtonFind->isEnabled());
    QCOMPARE(w_->FontFilenameText->text(), installed.first());
    QCOMPARE(w_->FontFontnameText->text(), installed.first());
    // The bar's maximum is the count minus 0.9, and it ends on the last position.
    QCOMPARE(w_->MainProgressBar->maximum(), int(std::lround((n - 0.9) * Form1::kProgressScale)));
    QCOMPARE(w_->MainProgressBar->value(), (n - 1) * Form1::kProgressScale);
    for (QWidget* c : {static_cast<QWidget*>(w_->List1), static_cast<QWidget*>(w_->UpDown2),
                       static_cast<QWidget*>(w_->CharText), static_cast<QWidget*>(w_->FontSizeText),
                       static_cast<QWidget*>(w_->MatchText)})
        QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
}

void FontListsTest::folderLoads_data() {
    QTest::addColumn<QStringList>("fonts");
    QTest::addColumn<int>("sliderMax");
    QTest::addColumn<bool>("sliderEnabled");
    QTest::addColumn<QString>("firstFace");
    QTest::newRow("one file") << QStringList{"dejavu/DejaVuSans.ttf"} << 1 << false << "DejaVu Sans";
    QTest::newRow("three files") << QStringList{"liberation2/LiberationSerif-Regular.ttf",
                                                "dejavu/DejaVuSans.ttf", "freefont/FreeMono.ttf"}
                                 << 2 << true << "DejaVu Sans";
}

void FontListsTest::folderLoads() {
    QFETCH(QStringList, fonts);
    QFETCH(int, sliderMax);
    QFETCH(bool, sliderEnabled);
    QFETCH(QString, firstFace);
    if (!fixtures::copyFonts(folder_, fonts)) QSKIP("fonts from scripts/setup are missing");
    QFile other(folder_ + QStringLiteral("/readme.txt"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();

    w_->loadFontFolder(folder_ + QLatin1Char('/'));
    QCOMPARE(w_->FontList.count(), int(fonts.size()));
    QCOMPARE(w_->FontList.entries.first(), QStringLiteral("DejaVuSans.ttf"));
    QCOMPARE(w_->FontList.folder, folder_);
    QCOMPARE(w_->FontList.prefix(), folder_ + QLatin1Char('/'));
    QCOMPARE(w_->Slider1->maximum(), sliderMax);
    QCOMPARE(w_->Slider1->value(), 0);
    QCOMPARE(w_->Slider1->isEnabled(), sliderEnabled);
    QVERIFY(w_->ButtonFind->isEnabled());
    QCOMPARE(w_->FontFilenameText->text(), QStringLiteral("DejaVuSans.ttf"));
    QCOMPARE(w_->FontFontnameText->text(), firstFace);
    QVERIFY(w_->FontDisplayed);
    QVERIFY(w_->Command4->isEnabled());
    QVERIFY(w_->Check1->isEnabled());
    QCOMPARE(w_->MainProgressBar->maximum(), int(std::lround((fonts.size() - 0.9) * Form1::kProgressScale)));

    // The installed faces afterwards: the folder is gone, the renderers get the marker alone.
    w_->loadSystemFonts();
    QCOMPARE(w_->FontList.prefix(), QStringLiteral("\\"));
    QVERIFY(w_->FontList.folder.isEmpty());
}

void FontListsTest::singleEntryDisablesAnEnabledSlider() {
    QDir(folder_).mkdir(QStringLiteral("one"));
    if (!fixtures::copyFonts(folder_, {"dejavu/DejaVuSans.ttf", "freefont/FreeSans.ttf"}) ||
        !fixtures::copyFonts(folder_ + QStringLiteral("/one"), {"freefont/FreeSans.ttf"}))
        QSKIP("fonts from scripts/setup are missing");
    w_->loadFontFolder(folder_);
    QVERIFY(w_->Slider1->isEnabled());
    w_->loadFontFolder(folder_ + QStringLiteral("/one"));
    QVERIFY(!w_->Slider1->isEnabled());
    QCOMPARE(w_->Slider1->maximum(), 1);
    QCOMPARE(w_->FontList.entries, QStringList{QStringLiteral("FreeSans.ttf")});
}

void FontListsTest::folderWithoutFontsKeepsTheList() {
    if (!fixtures::copyFonts(folder_, {"dejavu/DejaVuSans.ttf"}))
        QSKIP("fonts from scripts/setup are missing");
    w_->loadFontFolder(folder_);
    QDir(folder_).mkdir(QStringLiteral("empty"));
    w_->loadFontFolder(folder_ + QStringLiteral("/empty"));
    w_->loadFontFolder(folder_ + QStringLiteral("/does-not-exist"));
    QCOMPARE(w_->FontList.entries, QStringList{QStringLiteral("DejaVuSans.ttf")});
    QCOMPARE(w_->FontList.folder, folder_);
}

void FontListsTest::browsingRendersTheEntry() {
    if (!fixtures::copyFonts(folder_,
                             {"dejavu/DejaVuSans.ttf", "freefont/FreeMono.ttf", "freefont/FreeSans.ttf"}))
        QSKIP("fonts from scripts/setup are missing");
    w_->loadFontFolder(folder_);
    w_->Slider1->setFocus();
    QTest::keyClick(w_->Slider1, Qt::Key_Down);
    QCOMPARE(w_->FontListIndex, 1);
    QCOMPARE(w_->FontFilenameText->text(), QStringLiteral("FreeMono.ttf"));
    QCOMPARE(w_->FontFontnameText->text(), QStringLiteral("FreeMono"));
    QCOMPARE(w_->Slider1->dragTip(), QStringLiteral("FreeMono.ttf"));
    // A move by the program is not a browse step.
    w_->Slider1->setValue(2);
    QCOMPARE(w_->FontListIndex, 1);
    QCOMPARE(w_->FontFilenameText->text(), QStringLiteral("FreeMono.ttf"));
    // Nor after a key that moved nothing at the end of the range.
    QTest::keyClick(w_->Slider1, Qt::Key_Home);
    QCOMPARE(w_->FontListIndex, 0);
    QTest::keyClick(w_->Slider1, Qt::Key_Home);
    w_->Slider1->setValue(2);
    QCOMPARE(w_->FontListIndex, 0);
}

void FontListsTest::cantOpenIsReportedOutsideARunOnly() {
    if (!fixtures::copyFonts(folder_, {"dejavu/DejaVuSans.ttf"}))
        QSKIP("fonts from scripts/setup are missing");
    QFile broken(folder_ + QStringLiteral("/broken.ttf"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a font at all");
    broken.close();

    lettrino::testing::MessageCatcher messages;
    const QStringList& shown = messages.shown;

    w_->loadFontFolder(folder_);  // "broken.ttf" sorts first and is drawn at once
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0], QApplication::applicationName() + QStringLiteral("|Error: Can't open ") + folder_ +
                           QStringLiteral("/broken.ttf"));

    w_->FindRunning = true;
    w_->DisplayFont(QStringLiteral("broken.ttf"), w_->FontList.prefix());
    w_->FindRunning = false;
    QCOMPARE(shown.size(), 1);
}

void FontListsTest::listsBeyondSixteenBits() {
    const QString font = fixtures::systemFont(QStringLiteral("dejavu/DejaVuSans.ttf"));
    if (font.isEmpty()) QSKIP("fonts from scripts/setup are missing");
    const int n = 33000;
    for (int i = 0; i < n; ++i)
        QVERIFY(QFile::link(font, folder_ + QStringLiteral("/f%1.ttf").arg(i, 5, 10, QLatin1Char('0'))));
    w_->loadFontFolder(folder_);
    QCOMPARE(w_->FontList.count(), n);
    QCOMPARE(w_->Slider1->maximum(), n - 1);
    w_->Slider1->setFocus();
    QTest::keyClick(w_->Slider1, Qt::Key_End);
    QCOMPARE(w_->FontListIndex, n - 1);
    QCOMPARE(w_->FontFilenameText->text(), QStringLiteral("f32999.ttf"));
    QVERIFY(w_->FontDisplayed);
}

QTEST_MAIN(FontListsTest)
#include "FontListsTest.moc"
