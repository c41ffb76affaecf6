// The search run driven through the real window: which rows it adds, where it starts and stops,
// the statistics texts, and closing the window in the middle of a run.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidgetItem>

#include <map>
#include <memory>

#include "FontsFixtures.h"
#include "WindowFixture.h"
#include "app/CanvasWidget.h"
#include "app/FontSlider.h"
#include "app/Form1.h"
#include "app/ResultsList.h"
#include "app/StatusBar.h"
#include "app/UpDown.h"
#include "canvas/Canvas.h"
#include "fonts/FontList.h"
#include "match/Matcher.h"
#include "match/NumberFormat.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

using namespace lettrino;

namespace {

const QStringList kFonts = {"dejavu/DejaVuSans.ttf",
                            "dejavu/DejaVuSerif.ttf",
                            "dejavu/DejaVuSans-Bold.ttf",
                            "liberation2/LiberationSans-Regular.ttf",
                            "liberation2/LiberationMono-Regular.ttf",
                            "freefont/FreeSans.ttf",
                            "freefont/FreeSerif.ttf",
                            "dejavu/DejaVuSansMono.ttf"};

// The match of every font file of a folder, computed with the engine alone the way a run does.
std::map<QString, double> expectedMatches(const QString& folder, const QString& bitmap,
                                          const QString& character) {
    FontSystem fonts;
    Canvas reference, glyph;
    reference.setPicture(QImage(bitmap));
    const InkBox box = scanInkBox(reference);
    glyph.clear();
    glyph.setAutoRedraw(false);
    GlyphRenderer renderer(fonts, glyph);
    const int initial = fonts.faceCount();
    std::map<QString, double> matches;
    for (const QString& file : fontFilesIn(folder)) {
        const RenderOutcome out = renderer.displayFontFast(file, folder + "/", character, box, initial);
        matches[file] = out.fontDisplayed ? matchFast(reference, box, glyph, out.glyphBox, 1).m : -1;
    }
    return matches;
}

}  // namespace

class SearchRunTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString folder_;
    std::unique_ptr<Form1> w_;

    // A window with a reference "A" drawn from DejaVu Sans and a folder of real fonts loaded.
    bool setUpWindow(const QStringList& fonts) {
        w_ = testing::shownWindow();
        folder_ = dir_.path() + "/fonts" + QString::number(qrand_++);
        if (!QDir().mkpath(folder_) || !fixtures::copyFonts(folder_, fonts)) return false;
        const QImage reference = fixtures::referenceGlyph(fixtures::systemFont("dejavu/DejaVuSans.ttf"), "A");
        if (reference.isNull() || !fixtures::loadReference(*w_, reference, dir_.path())) return false;
        w_->loadFontFolder(folder_);
        return w_->FontList.count() == fonts.size();
    }
    int qrand_ = 0;

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanup() { w_.reset(); }

    void runAddsExactlyTheFontsAboveTheThreshold() {
        if (!setUpWindow(kFonts)) QSKIP("fonts from scripts/setup are missing");
        w_->AddThres->setText("60.0");
        w_->UpDown2->setValue(600);
        const auto expected = expectedMatches(folder_, dir_.filePath("reference.bmp"), "A");

        w_->ButtonFind->click();
        QCOMPARE(w_->FindRunning, false);
        QCOMPARE(w_->ButtonFind->text(), QString("&Find"));
        QCOMPARE(w_->Slider1->value(), kFonts.size() - 1);

        std::map<QString, QString> listed;
        for (int i = 0; i < w_->List1->topLevelItemCount(); ++i)
            listed[w_->List1->topLevelItem(i)->text(0)] = w_->List1->topLevelItem(i)->text(1);
        int above = 0;
        for (const auto& [file, m] : expected) {
            if (m > 0.6) {
                ++above;
                QVERIFY2(listed.count(file), qPrintable(file));
                QCOMPARE(listed[file], numfmt::fixed(m * 100, 2));
            } else {
                QVERIFY2(!listed.count(file), qPrintable(file));
            }
        }
        QCOMPARE(int(listed.size()), above);
        QVERIFY(listed.count("DejaVuSans.ttf"));
        QCOMPARE(listed["DejaVuSans.ttf"], QString("100.00"));
        QCOMPARE(w_->StatusBar1->panelText(3), QString("Fonts Matched: %1").arg(above));
        // the controls a run takes away are back
        for (QWidget* c : {static_cast<QWidget*>(w_->Command1), static_cast<QWidget*>(w_->Command2),
                           static_cast<QWidget*>(w_->Command5), static_cast<QWidget*>(w_->Slider1)})
            QVERIFY(c->isEnabled());
        QVERIFY(w_->Picture2->canvas().autoRedraw());
    }

    void stopFinishesTheCurrentFontAndTheNextRunStartsThere() {
        if (!setUpWindow(kFonts)) QSKIP("fonts from scripts/setup are missing");
        const int j = 3;
        int highest = -1;
        bool stopped = false;
        auto c = connect(w_->Slider1, &QSlider::valueChanged, this, [&](int i) {
            highest = std::max(highest, i);
            if (i == j && !stopped) {
                stopped = true;
                QVERIFY(w_->FindRunning);
                QCOMPARE(w_->ButtonFind->text(), QString("Stop"));
                QVERIFY(!w_->Slider1->isEnabled());
                QVERIFY(!w_->Command4->isEnabled());
                QTest::keyClick(w_.get(), Qt::Key_Escape);  // Esc stands for the Stop click
            }
        });
        w_->ButtonFind->click();
        disconnect(c);
        QVERIFY(stopped);
        QCOMPARE(highest, j);
        QCOMPARE(w_->Slider1->value(), j);
        QCOMPARE(w_->ButtonFind->text(), QString("&Find"));
        QCOMPARE(w_->FontFilenameText->text(), fontFilesIn(folder_).at(j));

        w_->ButtonFind->click();
        QCOMPARE(w_->Timer1Tag, QString::number(j));
        QCOMPARE(w_->Slider1->value(), kFonts.size() - 1);

        // A run that reached the end makes the next one start over.
        w_->ButtonFind->click();
        QCOMPARE(w_->Timer1Tag, QString("0"));
    }

    void singleFontList() {
        if (!setUpWindow({"dejavu/DejaVuSans.ttf"})) QSKIP("fonts from scripts/setup are missing");
        QCOMPARE(w_->Slider1->maximum(), 1);
        QVERIFY(!w_->Slider1->isEnabled());
        for (int run = 0; run < 2; ++run) {
            w_->ButtonFind->click();
            QCOMPARE(w_->Timer1Tag, QString("0"));
            QCOMPARE(w_->Slider1->value(), 0);
            QCOMPARE(w_->List1->topLevelItemCount(), 1);
            QVERIFY2(!w_->Slider1->isEnabled(), "a one-font list has nothing to browse");
        }
    }

    void statisticsTexts_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("elapsedBefore");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("estimate");
        QTest::newRow("first tick, nothing done") << "en_US" << 5 << 5 << 100 << 0 << "Fonts/Sec: 0.0 "
                                                  << "Estimated Time: Undefined";
        QTest::newRow("decimal comma") << "de_DE" << 5 << 5 << 100 << 0 << "Fonts/Sec: 0,0 "
                                       << "Estimated Time: Undefined";
        QTest::newRow("hours dropped") << "en_US" << 274 << 275 << 4000 << 163 << "Fonts/Sec: 1.0 "
                                       << "Estimated Time: 02:05";
        QTest::newRow("a few seconds") << "en_US" << 0 << 837 << 900 << 0 << "Fonts/Sec: 1000.0 "
                                       << "Estimated Time: 00:00";
    }
    void statisticsTexts() {
        QFETCH(QString, locale);
        QFETCH(int, start);
        QFETCH(int, value);
        QFETCH(int, maximum);
        QFETCH(int, elapsedBefore);
        QFETCH(QString, rate);
        QFETCH(QString, estimate);
        QLocale::setDefault(QLocale(locale));
        Form1 w;
        w.Slider1->setRange(0, maximum);
        w.Slider1->setValue(value);
        w.Timer1Tag = QString::number(start);
        w.FindElapsedMs = elapsedBefore;
        w.timerTick();
        QCOMPARE(w.FindElapsedMs, elapsedBefore + 837);
        QCOMPARE(w.StatusBar1->panelText(4), rate);
        QCOMPARE(w.StatusBar1->panelText(2), estimate);
    }
};

QTEST_MAIN(SearchRunTest)
#include "SearchRunTest.moc"
