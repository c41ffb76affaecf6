// Number texts in two locales, folder font lists, and reading Windows bitmaps.

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "HostileFiles.h"
#include "Printing.h"
#include "canvas/BitmapFile.h"
#include "fonts/FontList.h"
#include "match/NumberFormat.h"

namespace lettrino {
namespace {

constexpr int kNone = INT_MIN;  // an unreadable text

TEST(NumberFormat, TextsInADecimalCommaAndADecimalPointLocale) {
    const struct {
        const char* locale;
        std::function<QString()> text;
        const char* want;
    } texts[] = {{"de_DE", [] { return numfmt::threshold(805); }, "80,5"},
                 {"de_DE", [] { return numfmt::percent(1); }, "100,00%"},
                 {"de_DE", [] { return numfmt::fixed(12345.678, 1); }, "12345,7"},
                 {"de_DE", [] { return numfmt::fixed(-0.0001, 2); }, "0,00"},
                 {"de_DE", [] { return numfmt::general(12.5f); }, "12,5"},
                 {"de_DE", [] { return numfmt::general(12.0f); }, "12"},
                 {"en_US", [] { return numfmt::threshold(800); }, "80.0"},
                 {"en_US", [] { return numfmt::percent(0.8534); }, "85.34%"},
                 {"en_US", [] { return numfmt::general(-3.25f); }, "-3.25"},
                 {"en_US", [] { return numfmt::minutesSeconds(59.4); }, "00:59"},
                 {"en_US", [] { return numfmt::minutesSeconds(59.6); }, "01:00"},
                 {"en_US", [] { return numfmt::minutesSeconds(3725); }, "02:05"}};
    const struct {
        const char* locale;
        const char* text;
        int threshold, integer;
    } reads[] = {
        {"de_DE", "80,25", 802, 80},      {"de_DE", "80,35", 803, 80},    {"de_DE", " 99,8 ", 998, 100},
        {"de_DE", "2,5", 25, 2},          {"de_DE", "3,5", 35, 4},        {"de_DE", "1.000", kNone, kNone},
        {"de_DE", "abc", kNone, kNone},   {"de_DE", "", kNone, kNone},    {"en_US", "80.25", 802, 80},
        {"en_US", "80,25", kNone, kNone}, {"en_US", "1e30", kNone, kNone}};
    const QLocale previous;
    for (const auto& t : texts) {
        QLocale::setDefault(QLocale(QString::fromLatin1(t.locale)));
        EXPECT_EQ(t.text(), QString::fromUtf8(t.want)) << t.locale;
    }
    for (const auto& t : reads) {
        QLocale::setDefault(QLocale(QString::fromLatin1(t.locale)));
        const QString text = QString::fromLatin1(t.text);
        EXPECT_EQ(numfmt::readThreshold(text).value_or(kNone), t.threshold) << t.locale << " " << t.text;
        EXPECT_EQ(numfmt::readInteger(text).value_or(kNone), t.integer) << t.locale << " " << t.text;
    }
    QLocale::setDefault(previous);
    for (const auto& [v, want] : {std::pair{0.5, 0LL}, {1.5, 2LL}, {2.5, 2LL}, {-2.5, -2LL}, {2.51, 3LL}})
        EXPECT_EQ(numfmt::roundHalfEven(v), want) << v;
}

TEST(FontList, FolderListsTtfAndOtfInAnyCaseSorted) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("sub/deeper")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.ttf")));
    for (const char* name : {"b.ttf", "A.TTF", "c.otf", "d.Otf", "notes.txt", "e.ttf.bak", "ttf",
                             ".hidden.ttf", "sub/z.ttf", "sub/deeper/Y.OTF"})
        ASSERT_TRUE(hostile::writeFile(dir.filePath(QString::fromLatin1(name)), "x")) << name;
    EXPECT_EQ(fontFilesIn(dir.path()), (QStringList{".hidden.ttf", "A.TTF", "b.ttf", "c.otf", "d.Otf"}));
    EXPECT_EQ(fontFilesIn(dir.filePath(QStringLiteral("missing"))), QStringList());
    const QString root = dir.path() + QLatin1Char('/');
    EXPECT_EQ(fontFilesUnder(dir.path()),
              (QStringList{root + ".hidden.ttf", root + "A.TTF", root + "b.ttf", root + "c.otf",
                           root + "d.Otf", root + "sub/deeper/Y.OTF", root + "sub/z.ttf"}));
}

TEST(BitmapFile, ReadsEveryDepthAndRefusesWhatIsCutShort) {
    QTemporaryDir dir;
    const auto square = hostile::blackSquare(10, 20, 30);
    const QByteArray whole = hostile::bmpBytes(120, 100, 24, square);
    const struct {
        const char* name;
        QByteArray bytes;
        bool reads;
    } cases[] = {{"24 bits", whole, true},
                 {"8 bits top-down", hostile::bmpBytes({120, -100, 8, false, false, square}), true},
                 {"16 bits", hostile::bmpBytes(120, 100, 16, square), true},
                 {"half", whole.left(whole.size() / 2), false},
                 {"a byte short", whole.left(whole.size() - 1), false}};
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        const QString path = dir.filePath(QStringLiteral("picture.bmp"));
        ASSERT_TRUE(hostile::writeFile(path, t.bytes));
        QString error;
        const QImage image = readBitmapFile(path, &error);
        EXPECT_EQ(error.isEmpty(), t.reads) << error;
        ASSERT_EQ(image.isNull(), !t.reads);
        if (!t.reads) continue;
        // The square's corners are black and white lies around it, whatever the depth.
        EXPECT_EQ(image.size(), QSize(120, 100));
        for (const auto& [x, y, rgb] :
             {std::tuple{10, 20, 0u}, {39, 49, 0u}, {9, 20, 0xFFFFFFu}, {40, 49, 0xFFFFFFu}})
            EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF, rgb) << x << "," << y;
    }
}

}  // namespace
}  // namespace lettrino
