// MatchCalc from the window: the match of a font against a bitmap drawn from it, the add and
// bold decisions on crafted canvases, the interactive scan leaving the canvases as they were,
// the automatic match at the slider's release, Clear, and a row click.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

#include "FontsFixtures.h"
#include "WindowFixture.h"
#include "app/CanvasWidget.h"
#include "app/FontSlider.h"
#include "app/Form1.h"
#include "app/ResultsList.h"
#include "app/StatusBar.h"
#include "app/UpDown.h"
#include "canvas/Canvas.h"

using lettrino::Canvas;
using lettrino::Form1;

class SingleMatchTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        w_ = lettrino::testing::shownWindow();
    }
    void cleanup() {
        w_.reset();
        dir_.reset();
    }
    void fontAgainstItsOwnBitmap();
    void addAndBoldDecisions_data();
    void addAndBoldDecisions();
    void existingRowUpdatedAboveThresholdOnly();
    void noGlyphGivesZero();
    void autoMatchOnceAtRelease();
    void autoMatchAtUpDownKeysOnly_data();
    void autoMatchAtUpDownKeysOnly();
    void clearAndRowClick();

private:
    bool loadFontsAndReference(const QStringList& fonts);
    // Crafted canvases: the same 10 x 10 black block on both, `white` of the 25 samples of
    // speed-up 2 turned white on the glyph canvas.
    void craft(int white);
    // Counts interactive matches: each one starts its progress bar again from 0.
    int matchesDuring(const std::function<void()>& action);

    std::unique_ptr<Form1> w_;
    std::unique_ptr<QTemporaryDir> dir_;
};

bool SingleMatchTest::loadFontsAndReference(const QStringList& fonts) {
    if (!fixtures::copyFonts(dir_->path(), fonts)) return false;
    w_->CharText->setText(QStringLiteral("A"));
    const QImage reference =
        fixtures::referenceGlyph(dir_->path() + QStringLiteral("/DejaVuSans.ttf"), QStringLiteral("A"));
    if (!fixtures::loadReference(*w_, reference, dir_->path())) return false;
    w_->loadFontFolder(dir_->path());
    return w_->FontDisplayed;
}

void SingleMatchTest::craft(int white) {
    const QImage block = fixtures::blockPicture();
    QImage glyph = block;
    for (int i = 0; i < white; ++i) glyph.setPixel(50 + 2 * i, 50, qRgb(255, 255, 255));
    w_->Picture1->canvas().setPicture(block);
    w_->Picture2->canvas().setPicture(glyph);
    w_->BitmapBox = {50, 50, 59, 59};
    w_->FontBox = {50, 50, 59, 59};
    w_->FontDisplayed = true;
    w_->FontFilenameText->setText(QStringLiteral("crafted.ttf"));
    w_->FontFontnameText->setText(QStringLiteral("Crafted"));
    w_->UpDown4->setValue(2);
}

int SingleMatchTest::matchesDuring(const std::function<void()>& action) {
    w_->MatchProg->setValue(w_->MatchProg->maximum());
    QSignalSpy progress(w_->MatchProg, &QProgressBar::valueChanged);
    action();
    int starts = 0;
    for (const QList<QVariant>& v : progress) starts += v[0].toInt() == 0;
    return starts;
}

void SingleMatchTest::fontAgainstItsOwnBitmap() {
    if (!loadFontsAndReference({"dejavu/DejaVuSans.ttf", "liberation2/LiberationSerif-Regular.ttf"}))
        QSKIP("fonts from scripts/setup are missing");
    w_->UpDown4->setValue(1);
    const auto before1 = fixtures::pixelsOf(w_->Picture1->canvas());
    const auto before2 = fixtures::pixelsOf(w_->Picture2->canvas());
    QTest::mouseClick(w_->Command4, Qt::LeftButton);

    QCOMPARE(w_->MatchText->text(), QStringLiteral("100.00%"));
    QCOMPARE(w_->List1->rowCount(), 1);
    QTreeWidgetItem* row = w_->List1->topLevelItem(0);
    QCOMPARE(row->text(0), QStringLiteral("DejaVuSans.ttf"));
    QCOMPARE(row->text(1), QStringLiteral("100.00"));
    QCOMPARE(row->text(2), QStringLiteral("DejaVu Sans"));
    QCOMPARE(row->text(3), QStringLiteral("1.000"));
    QCOMPARE(row->text(4), QStringLiteral("1.000"));
    QCOMPARE(row->data(0, Qt::UserRole).toInt(), 0);
    QCOMPARE(row->data(1, Qt::UserRole).toString(), QStringLiteral("DejaVuSans.ttf"));
    QCOMPARE(row->data(2, Qt::UserRole).toString(), dir_->path());
    for (int c = 0; c < 5; ++c) QVERIFY(row->font(c).bold());
    QCOMPARE(w_->StatusBar1->panelText(3), QStringLiteral("Fonts Matched: 1"));
    QCOMPARE(w_->MatchProg->value(), w_->MatchProg->maximum());

    // The outlines are back and no scan line is left, on either canvas.
    QCOMPARE(fixtures::firstDifference(fixtures::pixelsOf(w_->Picture1->canvas()).data(), before1.data()),
             QString());
    QCOMPARE(fixtures::firstDifference(fixtures::pixelsOf(w_->Picture2->canvas()).data(), before2.data()),
             QString());

    // The other font scores lower; the same match again changes nothing.
    w_->Slider1->setFocus();
    QTest::keyClick(w_->Slider1, Qt::Key_Down);
    QTest::mouseClick(w_->Command4, Qt::LeftButton);
    QVERIFY(w_->MatchText->text() != QStringLiteral("100.00%"));
}

void SingleMatchTest::addAndBoldDecisions_data() {
    QTest::addColumn<int>("white");
    QTest::addColumn<int>("add");
    QTest::addColumn<int>("bold");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("added");
    QTest::addColumn<bool>("isBold");
    QTest::newRow("equal to the add threshold") << 5 << 800 << 900 << "80.00%" << false << false;
    QTest::newRow("equal to the bold threshold") << 5 << 795 << 800 << "80.00%" << true << true;
    QTest::newRow("below the bold threshold") << 5 << 795 << 805 << "80.00%" << true << false;
    QTest::newRow("identical") << 0 << 800 << 900 << "100.00%" << true << true;
    QTest::newRow("identical at the top") << 0 << 1000 << 1000 << "100.00%" << false << false;
}

void SingleMatchTest::addAndBoldDecisions() {
    QFETCH(int, white);
    QFETCH(int, add);
    QFETCH(int, bold);
    QFETCH(QString, shown);
    QFETCH(bool, added);
    QFETCH(bool, isBold);
    craft(white);
    w_->UpDown2->setValue(add);
    w_->UpDown3->setValue(bold);
    QCOMPARE(w_->UpDown3->value(), bold);
    w_->MatchCalc();
    QCOMPARE(w_->MatchText->text(), shown);
    QCOMPARE(w_->List1->rowCount(), added ? 1 : 0);
    if (added) QCOMPARE(w_->List1->topLevelItem(0)->font(0).bold(), isBold);
}

void SingleMatchTest::existingRowUpdatedAboveThresholdOnly() {
    craft(0);
    w_->MatchCalc();
    QCOMPARE(w_->List1->topLevelItem(0)->text(1), QStringLiteral("100.00"));

    craft(5);  // m = 0.8, exactly the add threshold: the row stays as it was
    w_->MatchCalc();
    QCOMPARE(w_->List1->rowCount(), 1);
    QCOMPARE(w_->List1->topLevelItem(0)->text(1), QStringLiteral("100.00"));
    QVERIFY(w_->List1->topLevelItem(0)->font(0).bold());

    w_->UpDown2->setValue(795);  // now above it: the lower score replaces the old one
    w_->MatchCalc();
    QCOMPARE(w_->List1->rowCount(), 1);
    QCOMPARE(w_->List1->topLevelItem(0)->text(1), QStringLiteral("80.00"));
    QVERIFY(!w_->List1->topLevelItem(0)->font(0).bold());
    QCOMPARE(w_->List1->topLevelItem(0)->text(2), QStringLiteral("Crafted"));
}

void SingleMatchTest::noGlyphGivesZero() {
    if (!loadFontsAndReference({"dejavu/DejaVuSans.ttf"})) QSKIP("fonts from scripts/setup are missing");
    w_->DisplayFont(QStringLiteral("DejaVuSans.ttf"), w_->FontList.prefix());
    w_->CharText->setText(QStringLiteral(" "));
    w_->DisplayFont(QStringLiteral("DejaVuSans.ttf"), w_->FontList.prefix());
    QVERIFY(!w_->FontDisplayed);
    QVERIFY(!w_->Command4->isEnabled());
    QVERIFY(!w_->Check1->isEnabled());
    QCOMPARE(w_->FontSizeText->text(), QStringLiteral("0 x 0 pixels"));
    w_->MatchProg->setValue(0);
    w_->MatchCalc();
    QCOMPARE(w_->MatchText->text(), QStringLiteral("0.0%"));
    QCOMPARE(w_->MatchProg->value(), w_->MatchProg->maximum());
    QCOMPARE(w_->List1->rowCount(), 0);
}

void SingleMatchTest::autoMatchOnceAtRelease() {
    if (!loadFontsAndReference({"dejavu/DejaVuSans.ttf", "freefont/FreeMono.ttf", "freefont/FreeSans.ttf",
                                "freefont/FreeSerif.ttf", "liberation2/LiberationSans-Regular.ttf"}))
        QSKIP("fonts from scripts/setup are missing");
    lettrino::FontSlider* s = w_->Slider1;
    auto drag = [&] {
        const QPoint start = fixtures::thumbCentre(*s);
        fixtures::sendMouse(s, QEvent::MouseButtonPress, start, true);
        QPoint at = start;
        for (int i = 0; i < 200 && s->value() < 3; ++i) {
            at += QPoint(0, 2);
            fixtures::sendMouse(s, QEvent::MouseMove, at, true);
            // Every position is a browse step; the tip names the entry under the thumb.
            QVERIFY(s->dragTipLabel());
            if (s->value() == 0) continue;
            QCOMPARE(w_->FontFilenameText->text(), w_->FontList.entries.at(s->value()));
            QCOMPARE(s->dragTipLabel()->text(), w_->FontList.entries.at(s->value()));
        }
        fixtures::sendMouse(s, QEvent::MouseButtonRelease, at, false);
        QVERIFY(!s->dragTipLabel());
    };

    w_->Check1->setChecked(true);
    QCOMPARE(matchesDuring(drag), 1);
    QCOMPARE(s->value(), 3);
    QCOMPARE(w_->FontListIndex, 3);
    QCOMPARE(w_->FontFilenameText->text(), w_->FontList.entries.at(3));

    s->setValue(0);
    w_->Check1->setChecked(false);
    QCOMPARE(matchesDuring(drag), 0);
    QCOMPARE(w_->FontListIndex, 3);
}

void SingleMatchTest::autoMatchAtUpDownKeysOnly_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("matches");
    QTest::newRow("Down") << int(Qt::Key_Down) << 1;
    QTest::newRow("Up") << int(Qt::Key_Up) << 1;
    QTest::newRow("Right") << int(Qt::Key_Right) << 0;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 0;
    QTest::newRow("Home") << int(Qt::Key_Home) << 0;
    QTest::newRow("End") << int(Qt::Key_End) << 0;
    QTest::newRow("Down auto-repeated") << -int(Qt::Key_Down) << 0;
}

void SingleMatchTest::autoMatchAtUpDownKeysOnly() {
    QFETCH(int, key);
    QFETCH(int, matches);
    if (!loadFontsAndReference({"dejavu/DejaVuSans.ttf", "freefont/FreeMono.ttf", "freefont/FreeSans.ttf"}))
        QSKIP("fonts from scripts/setup are missing");
    w_->Slider1->setValue(1);
    w_->Check1->setChecked(true);
    w_->Slider1->setFocus();
    QCOMPARE(matchesDuring([&] {
                 if (key > 0) return QTest::keyClick(w_->Slider1, Qt::Key(key));
                 // A held key: presses and auto-repeated releases, none of them the release.
                 QTest::keyPress(w_->Slider1, Qt::Key(-key));
                 QKeyEvent repeat(QEvent::KeyRelease, -key, Qt::NoModifier, QString(), true);
                 QApplication::sendEvent(w_->Slider1, &repeat);
             }),
             matches);
    QVERIFY(w_->FontListIndex != 1);  // every one of them moved and rendered
    QCOMPARE(w_->FontFilenameText->text(), w_->FontList.entries.at(w_->FontListIndex));
}

void SingleMatchTest::clearAndRowClick() {
    if (!loadFontsAndReference({"dejavu/DejaVuSans.ttf", "freefont/FreeMono.ttf"}))
        QSKIP("fonts from scripts/setup are missing");
    w_->UpDown4->setValue(1);
    w_->MatchCalc();
    QCOMPARE(w_->List1->rowCount(), 1);

    // A click on the row draws its font again, whatever the list holds now.
    w_->loadSystemFonts();
    QVERIFY(w_->FontFilenameText->text() != QStringLiteral("DejaVuSans.ttf"));
    const QRect r = w_->List1->visualItemRect(w_->List1->topLevelItem(0));
    QTest::mouseClick(w_->List1->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(w_->FontFilenameText->text(), QStringLiteral("DejaVuSans.ttf"));
    QCOMPARE(w_->FontFontnameText->text(), QStringLiteral("DejaVu Sans"));

    QTest::mouseClick(w_->ButtonClear, Qt::LeftButton);
    QCOMPARE(w_->List1->rowCount(), 0);
    QCOMPARE(w_->StatusBar1->panelText(3), QStringLiteral("Fonts Matched: 0 "));
    w_->MatchCalc();
    QCOMPARE(w_->StatusBar1->panelText(3), QStringLiteral("Fonts Matched: 1"));
    // The new row points at the font that was drawn, not at the installed list's selection.
    QTreeWidgetItem* row = w_->List1->topLevelItem(0);
    QCOMPARE(row->text(0), QStringLiteral("DejaVuSans.ttf"));
    QCOMPARE(row->data(1, Qt::UserRole).toString(), QStringLiteral("DejaVuSans.ttf"));
    QCOMPARE(row->data(2, Qt::UserRole).toString(), dir_->path());
    QCOMPARE(w_->List1->fileOf(row), dir_->path() + QStringLiteral("/DejaVuSans.ttf"));
}

QTEST_MAIN(SingleMatchTest)
#include "SingleMatchTest.moc"
