// Runs the built lettrino-match as a user would and reads what it prints and how it ends.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "HostileFiles.h"
#include "Printing.h"

namespace lettrino {
namespace {

struct Outcome {
    int exitCode = -1;
    QString out, err;
    QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

Outcome runMatch(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(LETTRINO_MATCH), args);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "crashed";
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

const QString kHeader = QStringLiteral("rank\tscore\tmatch\tface\tfile\txratio\tyratio");

class MatchRun : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        fonts_ = dir_.filePath(QStringLiteral("fonts"));
        ASSERT_TRUE(QDir().mkpath(fonts_));
        ASSERT_EQ(fixtures::copyFonts(fonts_, {"dejavu/DejaVuSans.ttf", "dejavu/DejaVuSans-Bold.ttf",
                                               "dejavu/DejaVuSerif.ttf", "dejavu/DejaVuSansMono.ttf",
                                               "dejavu/DejaVuSerifCondensed.ttf"}),
                  QString());
        QImage glyph;
        ASSERT_EQ(fixtures::referenceGlyph(fonts_ + QStringLiteral("/DejaVuSerif.ttf"), QStringLiteral("g"),
                                           &glyph, 140),
                  QString());
        bitmap_ = dir_.filePath(QStringLiteral("g.bmp"));
        ASSERT_EQ(fixtures::saveBitmap(glyph, bitmap_), QString());
    }
    // The bitmap against the folder, for "g", then the extra arguments.
    QStringList args(const QStringList& extra) const {
        return QStringList{bitmap_, QStringLiteral("--fonts"), fonts_, QStringLiteral("--char"),
                           QStringLiteral("g")} +
               extra;
    }
    // The first row: the font the bitmap was drawn from.
    QString sourceRow() const {
        return "1\t100.00\t100.00\tDejaVu Serif\t" + fonts_ + "/DejaVuSerif.ttf\t1.000\t1.000";
    }
    QTemporaryDir dir_;
    QString fonts_, bitmap_;
};

TEST_F(MatchRun, BadInputEndsWithStatusTwoAndOneLine) {
    const QString white = dir_.filePath(QStringLiteral("white.bmp")),
                  text = dir_.filePath(QStringLiteral("text.bmp"));
    const QString none = dir_.filePath(QStringLiteral("nofonts")),
                  missing = dir_.filePath(QStringLiteral("missing.bmp"));
    ASSERT_EQ(fixtures::saveBitmap(fixtures::blockPicture(QRect()), white), QString());
    ASSERT_TRUE(hostile::writeFile(text, "not a picture\n") && QDir().mkpath(none));
    const QString cannot = QStringLiteral("lettrino-match: cannot read bitmap ");
    const struct {
        QStringList args;
        QString line;  // the whole line, or its start when it ends in "..."
    } cases[] = {
        {{missing, "--fonts", fonts_}, cannot + missing + ": no such file"},
        {{text, "--fonts", fonts_}, cannot + text + ": ..."},
        {{fonts_, "--fonts", fonts_}, cannot + fonts_ + ": is a folder"},
        {{white, "--fonts", fonts_}, "lettrino-match: " + white + ": no character found: ..."},
        {{bitmap_, "--fonts", none + "/x"}, "lettrino-match: no such folder: " + none + "/x"},
        {{bitmap_, "--fonts", none}, "lettrino-match: no fonts found under " + none},
        {{bitmap_, "--speedup", "12"},
         "lettrino-match: --speedup needs a whole number from 1 to 10, not \"12\" ..."},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.args.join(QLatin1Char(' ')));
        const Outcome r = runMatch(t.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, QString());
        ASSERT_TRUE(r.err.endsWith(QLatin1Char('\n')));
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err;
        if (t.line.endsWith(QLatin1String("...")))
            EXPECT_TRUE(r.err.startsWith(t.line.chopped(3))) << r.err;
        else
            EXPECT_EQ(r.err.chopped(1), t.line);
    }
}

TEST_F(MatchRun, TheSourceFontComesFirstAtFullMatchWhateverTheJobs) {
    const Outcome one = runMatch(args({"--top", "0", "--jobs", "1"})),
                  two = runMatch(args({"--top=0", "--jobs=2"}));
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(two.exitCode, 0);
    EXPECT_EQ(one.out, two.out);
    EXPECT_EQ(one.err, QStringLiteral("lettrino-match: 5 fonts, 5 matched, 5 scored in full\n"))
        << "no progress line";
    const QStringList lines = one.lines();
    ASSERT_EQ(lines.size(), 6);  // tsv off a terminal: the header and five fonts
    EXPECT_EQ(lines[0], kHeader);
    EXPECT_EQ(lines[1], sourceRow());
    for (int i = 2; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith(QString::number(i) + QLatin1Char('\t'))) << lines[i];
        EXPECT_LT(lines[i].section(QLatin1Char('\t'), 2, 2).toDouble(), 100.0) << lines[i];
    }
}

TEST_F(MatchRun, TopMinimumFormatsAndRankings) {
    const Outcome json = runMatch(args({"--format", "json", "--top", "2"}));
    QJsonParseError error;
    const QJsonArray rows = QJsonDocument::fromJson(json.out.toUtf8(), &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out;
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject().value(QLatin1String("face")).toString(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(rows[0].toObject().value(QLatin1String("match")).toDouble(), 100.0);
    // At least the minimum: the source's 100.00 passes --min 100, nothing else does.
    EXPECT_EQ(runMatch(args({"--min", "100", "--format", "tsv"})).lines(),
              (QStringList{kHeader, sourceRow()}));
    const Outcome table = runMatch(args({"--format=table", "--top=1"}));
    EXPECT_EQ(table.lines().size(), 2);
    EXPECT_TRUE(table.out.contains(QLatin1String("100.00  100.00  DejaVu Serif"))) << table.out;
    // Each ranking orders by its own column: score (aspect, the default) or match.
    const Outcome aspect = runMatch(args({"--char", "e"})),
                  match = runMatch(args({"--char", "e", "--rank=match"}));
    for (const auto& [out, column] : {std::pair{aspect.lines().mid(1), 1}, {match.lines().mid(1), 2}}) {
        ASSERT_EQ(out.size(), 5);
        for (int i = 1; i < out.size(); ++i)
            EXPECT_GE(out[i - 1].section(QLatin1Char('\t'), column, column).toDouble(),
                      out[i].section(QLatin1Char('\t'), column, column).toDouble())
                << out[i - 1] << " / " << out[i];
    }
}

TEST_F(MatchRun, BrokenFontFilesAreSkippedAndCounted) {
    const QString broken = fonts_ + QStringLiteral("/broken");
    ASSERT_TRUE(QDir().mkpath(broken));
    const QByteArray sans = hostile::readFile(fonts_ + QStringLiteral("/DejaVuSans.ttf"));
    // A font cut short: its header reads, its tables do not.
    ASSERT_TRUE(hostile::writeFile(broken + "/cut.ttf", sans.left(4096)));
    ASSERT_TRUE(hostile::writeFile(broken + "/empty.ttf", {}));
    ASSERT_TRUE(hostile::writeFile(broken + "/text.TTF", QByteArray("\0\1\0\0 not a font", 15)));
    const Outcome all = runMatch(args({"--jobs", "2", "--top", "0"}));
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(all.lines().size(), 6);
    EXPECT_TRUE(all.err.startsWith(QLatin1String("lettrino-match: 8 fonts, 5 matched, 3 could not be read")))
        << all.err;
    const Outcome only = runMatch({bitmap_, QStringLiteral("--fonts"), broken});
    EXPECT_EQ(only.exitCode, 0);
    EXPECT_EQ(only.out, kHeader + "\n");
    EXPECT_TRUE(only.err.startsWith(QLatin1String("lettrino-match: 3 fonts, 0 matched, 3 could not be read")))
        << only.err;
}

// A font collection (.ttc) of whole font files: each file's tables keep their place after it,
// their offsets moved by where the file lands.
QByteArray collectionOf(const QList<QByteArray>& fonts) {
    const auto put32 = [](QByteArray& b, int at, quint32 v) {
        for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (24 - 8 * i));
    };
    QByteArray out("ttcf\0\1\0\0", 8);
    out.append(QByteArray(4 + 4 * fonts.size(), '\0'));
    put32(out, 8, quint32(fonts.size()));
    for (int f = 0; f < fonts.size(); ++f) {
        while (out.size() % 4) out.append('\0');
        const int base = int(out.size());
        put32(out, 12 + 4 * f, quint32(base));
        QByteArray font = fonts[f];
        const int tables = quint8(font[4]) << 8 | quint8(font[5]);
        for (int t = 0; t < tables; ++t) {
            const int at = 12 + 16 * t + 8;
            const quint32 offset = quint32(quint8(font[at])) << 24 | quint8(font[at + 1]) << 16 |
                                   quint8(font[at + 2]) << 8 | quint8(font[at + 3]);
            put32(font, at, offset + quint32(base));
        }
        out.append(font);
    }
    return out;
}

TEST_F(MatchRun, PicturesPeopleHaveWordsCollectionsAndTheSheet) {
    // The bitmap as a dark-mode screenshot: light ink on a dark blue, larger picture, as a PNG
    // and as a JPEG; the font it was drawn from still comes first.
    QImage glyph(bitmap_);
    QImage dark(640, 420, QImage::Format_RGB32);
    dark.fill(qRgb(20, 24, 48));
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x) {
            const int v = qGray(glyph.pixel(x, y));
            dark.setPixel(
                300 + x, 150 + y,
                qRgb(20 + (255 - v) * 215 / 255, 24 + (255 - v) * 211 / 255, 48 + (255 - v) * 187 / 255));
        }
    const QString png = dir_.filePath(QStringLiteral("dark.png")),
                  jpg = dir_.filePath(QStringLiteral("dark.jpg"));
    ASSERT_TRUE(dark.save(png) && dark.save(jpg, "JPEG", 60));
    for (const QString& picture : {png, jpg}) {
        const Outcome r = runMatch({picture, "--fonts", fonts_, "--char", "g", "--top", "1"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(r.lines().value(1).contains(QLatin1String("\tDejaVu Serif\t"))) << picture << r.out;
    }
    // A word: two letters side by side, each its own character.
    QImage word(glyph.width() * 2, glyph.height(), QImage::Format_RGB32);
    word.fill(Qt::white);
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x)
            word.setPixel(x, y, glyph.pixel(x, y)), word.setPixel(glyph.width() + x, y, glyph.pixel(x, y));
    const QString gg = dir_.filePath(QStringLiteral("gg.png"));
    ASSERT_TRUE(word.save(gg));
    const Outcome two = runMatch({gg, "--fonts", fonts_, "--text", "g g", "--format", "json", "--top", "1"});
    ASSERT_EQ(two.exitCode, 0) << two.err;
    const QJsonObject first = QJsonDocument::fromJson(two.out.toUtf8()).array().at(0).toObject();
    EXPECT_EQ(first.value(QLatin1String("face")).toString(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(first.value(QLatin1String("text")).toString(), QStringLiteral("gg"));
    EXPECT_EQ(first.value(QLatin1String("sizespread")).toDouble(), 0.0);
    const Outcome three = runMatch({gg, "--fonts", fonts_, "--text", "ggg"});
    EXPECT_EQ(three.exitCode, 2);
    EXPECT_TRUE(three.err.contains(QLatin1String("shows 2 characters"))) << three.err;
    EXPECT_TRUE(runMatch({gg, "--fonts", fonts_, "--char", "g"}).err.contains(QLatin1String("use --text")));

    // Every face of a collection is scored and named.
    const QString shelf = dir_.filePath(QStringLiteral("shelf"));
    ASSERT_TRUE(QDir().mkpath(shelf));
    ASSERT_TRUE(hostile::writeFile(shelf + "/pair.ttc",
                                   collectionOf({hostile::readFile(fonts_ + "/DejaVuSans.ttf"),
                                                 hostile::readFile(fonts_ + "/DejaVuSerif.ttf")})));
    const Outcome faces = runMatch({bitmap_, "--fonts", shelf, "--char", "g", "--top", "0"});
    ASSERT_EQ(faces.lines().size(), 3) << faces.out << faces.err;
    EXPECT_EQ(faces.lines()[1], "1\t100.00\t100.00\tDejaVu Serif\t" + shelf + "/pair.ttc\t1.000\t1.000");
    EXPECT_TRUE(faces.lines()[2].contains(QLatin1String("\tDejaVu Sans\t"))) << faces.out;

    // The sheet: written whole where asked; a folder that cannot take it leaves the ranking
    // printed, says why and leaves nothing behind.
    const QString sheet = dir_.filePath(QStringLiteral("sheet.png"));
    const Outcome drawn = runMatch(args({"--top", "3", "--sheet", sheet}));
    EXPECT_EQ(drawn.exitCode, 0) << drawn.err;
    const QImage written(sheet);
    EXPECT_FALSE(written.isNull());
    EXPECT_LE(written.width(), 1600);
    const QString nowhere = dir_.filePath(QStringLiteral("no/such/folder/sheet.png"));
    const Outcome refused = runMatch(args({"--top", "3", "--sheet", nowhere}));
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.lines().size(), 4);
    EXPECT_TRUE(refused.err.contains(QLatin1String("cannot write ") + nowhere)) << refused.err;
    EXPECT_FALSE(QFileInfo::exists(nowhere));
}

}  // namespace
}  // namespace lettrino
