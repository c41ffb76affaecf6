// Find and Stop over a folder of DejaVu fonts with a reference drawn from one of them, the rows
// they list, the thresholds applied again to those rows, and browsing with Match.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <cmath>

#include "Fixtures.h"
#include "WindowFixture.h"

using namespace lettrino;
using namespace lettrino::testing;

namespace {

QString percent(double value) {
    return QLocale().toString(value, 'f', 1);
}
double number(const QString& text) {
    return QLocale().toDouble(QString(text).remove(QLatin1Char('%')));
}
// The rows' first cells.
QStringList files(const QList<QStringList>& rows) {
    QStringList names;
    for (const QStringList& row : rows) names << row[0];
    return names;
}

}  // namespace

class SearchRunTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<Window> w_;
    QStringList entries_;  // the font folder's files, as the dialog listed them

    QLabel* label(const char* name) const { return w_->get<QLabel>(name); }
    QLineEdit* field(const char* name) const { return w_->get<QLineEdit>(name); }
    void click(const char* button) { QTest::mouseClick(w_->get<QPushButton>(button), Qt::LeftButton); }
    // Find, until the run has ended.
    void find() {
        click("ButtonFind");
        QTRY_VERIFY(w_->get<QPushButton>("ButtonFind")->text() != QLatin1String("Stop"));
    }
    QString load(const char* folder) {
        QString why = chooseBitmap(*w_, dir_.filePath(QStringLiteral("A.bmp")));
        return why.isEmpty() ? chooseFontFolder(*w_, dir_.filePath(QLatin1String(folder)), &entries_) : why;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("five")) &&
                QDir(dir_.path()).mkpath(QStringLiteral("two")));
        QCOMPARE(fixtures::copyFonts(
                     dir_.filePath(QStringLiteral("five")),
                     {"dejavu/DejaVuSans.ttf", "dejavu/DejaVuSans-Bold.ttf", "dejavu/DejaVuSansCondensed.ttf",
                      "dejavu/DejaVuSerif.ttf", "dejavu/DejaVuSansMono.ttf"}),
                 QString());
        QCOMPARE(fixtures::copyFonts(dir_.filePath(QStringLiteral("two")),
                                     {"dejavu/DejaVuSans.ttf", "dejavu/DejaVuSerif.ttf"}),
                 QString());
        QImage reference;
        QCOMPARE(
            fixtures::referenceGlyph(dir_.filePath(QStringLiteral("five/DejaVuSans.ttf")), "A", &reference),
            QString());
        QCOMPARE(fixtures::saveBitmap(reference, dir_.filePath(QStringLiteral("A.bmp"))), QString());
    }
    void init() { w_ = openWindow(); }
    void cleanup() { w_.reset(); }

    // Every font above Add gets a row; the reference's own font matches in full at ratio 1, and
    // every row's ratios are its glyph's box over the bitmap's box, as the size captions read.
    void findListsTheFontsAboveAdd_data() {
        QTest::addColumn<double>("add");
        QTest::addColumn<double>("bold");
        QTest::newRow("all listed, bold from 100") << 0.0 << 100.0;
        QTest::newRow("a full match is not above 100") << 100.0 << 100.0;
    }
    void findListsTheFontsAboveAdd() {
        QFETCH(double, add);
        QFETCH(double, bold);
        QCOMPARE(load("five"), QString());
        typeInto(field("BoldThres"), percent(bold));
        typeInto(field("AddThres"), percent(add));
        find();
        const QList<QStringList> found = rows(*w_);
        QCOMPARE(files(found).size(), add < 100 ? entries_.size() : 0);
        QVERIFY(statusTexts(*w_).contains(QStringLiteral("Fonts Matched: %1").arg(found.size())));
        auto* list = w_->get<QTreeWidget>("List1");
        for (int i = 0; i < found.size(); ++i) {
            const QStringList& row = found[i];
            if (row[0] == QLatin1String("DejaVuSans.ttf"))
                QCOMPARE(row,
                         (QStringList{"DejaVuSans.ttf", "100.00", "DejaVu Sans", "1.000", "1.000", "bold"}));
            QCOMPARE(row[5] == QLatin1String("bold"), number(row[1]) >= bold);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->topLevelItem(i)).center());
            QCOMPARE(label("FontFilenameText")->text(), row[0]);
            const double xRatio =
                double(captionNumber(*w_, "FontSizeText", 0)) / captionNumber(*w_, "BitmapSizeText", 0);
            const double yRatio =
                double(captionNumber(*w_, "FontSizeText", 1)) / captionNumber(*w_, "BitmapSizeText", 1);
            QCOMPARE(row.mid(3, 2),
                     (QStringList{QLocale().toString(xRatio, 'f', 3), QLocale().toString(yRatio, 'f', 3)}));
        }
    }

    // Stop (clicked from inside the run) ends it after the font in hand; the slider stays on
    // that font and the next Find starts from it. While the run waits on the third of five
    // fonts, the timer's ticks (of 837 ms) give the rate of two fonts and the time the last two
    // take at it.
    void stopKeepsTheSliderWhereTheRunWas() {
        QCOMPARE(load("five"), QString());
        typeInto(field("AddThres"), percent(0));
        auto* slider = w_->get<QSlider>("Slider1");
        QString shownDuringTheRun;
        QStringList statistics;
        connect(slider, &QSlider::valueChanged, this, [&](int position) {
            if (position == 2 && shownDuringTheRun.isEmpty())
                QTimer::singleShot(0, this, [&] {
                    shownDuringTheRun = w_->get<QPushButton>("ButtonFind")->text();
                    for (int i = 0; i < 40 && statusTexts(*w_).contains(QStringLiteral("Fonts/Sec: 0.0 "));
                         ++i)
                        QTest::qWait(50);
                    statistics =
                        statusTexts(*w_).filter(QRegularExpression(QStringLiteral("^(Fonts/Sec|Estimated)")));
                    click("ButtonFind");
                });
        });
        find();
        QCOMPARE(shownDuringTheRun, QStringLiteral("Stop"));
        const int ticks =
            statistics.value(1) == QStringLiteral("Fonts/Sec: %1 ").arg(QLocale().toString(1.2, 'f', 1)) ? 2
                                                                                                         : 1;
        QCOMPARE(
            statistics,
            (QStringList{
                QStringLiteral("Estimated Time: 00:0%1").arg(ticks),
                QStringLiteral("Fonts/Sec: %1 ").arg(QLocale().toString(ticks == 1 ? 2.4 : 1.2, 'f', 1))}));
        QCOMPARE(w_->get<QPushButton>("ButtonFind")->text(), QStringLiteral("&Find"));
        QCOMPARE(slider->value(), 2);
        QCOMPARE(label("FontFilenameText")->text(), entries_[2]);
        QCOMPARE(files(rows(*w_)), entries_.mid(0, 3));
        QVERIFY(statusTexts(*w_).contains(QStringLiteral("Fonts Matched: 3")));

        click("ButtonClear");
        find();
        QCOMPARE(files(rows(*w_)), entries_.mid(2));
        QCOMPARE(slider->value(), entries_.size() - 1);
    }

    // Raising Add removes the rows below it, Bold re-marks the rows, and Add pushes Bold's value
    // and minimum up: Bold never goes below Add.
    void thresholdsAppliedAgainToTheRows() {
        QCOMPARE(load("five"), QString());
        typeInto(field("AddThres"), percent(0));
        find();
        const QList<QStringList> all = rows(*w_);
        QList<double> matches;
        for (const QStringList& row : all) matches << number(row[1]);
        std::sort(matches.begin(), matches.end());
        // A threshold in tenths with rows on both sides of it.
        double split = 0;
        for (int i = 1; i < matches.size() && split <= matches.first(); ++i)
            split = std::floor(matches[i] * 10) / 10;
        QVERIFY(split > matches.first());

        typeInto(field("BoldThres"), percent(split));
        for (const QStringList& row : rows(*w_))
            QCOMPARE(row[5] == QLatin1String("bold"), number(row[1]) >= split);
        typeInto(field("AddThres"), percent(split));
        QList<QStringList> kept;
        for (const QStringList& row : all)
            if (number(row[1]) >= split) kept << (QStringList(row.mid(0, 5)) << QStringLiteral("bold"));
        QCOMPARE(rows(*w_), kept);
        QVERIFY(statusTexts(*w_).contains(QStringLiteral("Fonts Matched: %1").arg(kept.size())));

        // Add at 99.0 typed, then 100.0 by its arrow: Bold follows, and cannot be stepped below.
        typeInto(field("AddThres"), percent(99));
        for (int i = 0; i < 2; ++i)
            QTest::mouseClick(child<QWidget>(w_->get("UpDown2"), "up"), Qt::LeftButton);
        QCOMPARE(field("AddThres")->text(), percent(100));
        QCOMPARE(field("BoldThres")->text(), percent(100));
        field("BoldThres")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(field("BoldThres"), Qt::Key_Down);
        QCOMPARE(field("BoldThres")->text(), percent(100));
        QCOMPARE(rows(*w_),
                 (QList<QStringList>{{"DejaVuSans.ttf", "100.00", "DejaVu Sans", "1.000", "1.000", "bold"}}));
    }

    // The slider's Up and Down keys show the next font; Match compares the font shown and lists
    // it; with Check1 ticked a completed move matches by itself.
    void browseAndMatch() {
        QCOMPARE(load("two"), QString());
        click("Command4");
        QCOMPARE(label("MatchText")->text(), QStringLiteral("100.00%"));
        QCOMPARE(rows(*w_),
                 (QList<QStringList>{{"DejaVuSans.ttf", "100.00", "DejaVu Sans", "1.000", "1.000", "bold"}}));
        QVERIFY(statusTexts(*w_).contains(QStringLiteral("Fonts Matched: 1")));

        auto* slider = w_->get<QSlider>("Slider1");
        slider->setFocus(Qt::TabFocusReason);
        QTest::keyClick(slider, Qt::Key_Down);
        QCOMPARE(label("FontFilenameText")->text(), QStringLiteral("DejaVuSerif.ttf"));
        QCOMPARE(label("FontFontnameText")->text(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(label("MatchText")->text(), QStringLiteral("100.00%"));  // nothing matched by itself
        click("Command4");
        QVERIFY2(number(label("MatchText")->text()) < 99, qPrintable(label("MatchText")->text()));

        QTest::mouseClick(w_->get<QCheckBox>("Check1"), Qt::LeftButton);
        slider->setFocus(Qt::TabFocusReason);
        QTest::keyClick(slider, Qt::Key_Up);
        QCOMPARE(label("FontFilenameText")->text(), QStringLiteral("DejaVuSans.ttf"));
        QCOMPARE(label("MatchText")->text(), QStringLiteral("100.00%"));
    }
};

QTEST_MAIN(SearchRunTest)
#include "SearchRunTest.moc"
