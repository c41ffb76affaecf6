// Runs the built lettrino-match as a user would and reads what it prints and how it ends.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "HostileFiles.h"
#include "Printing.h"

namespace lettrino {
namespace {

struct Outcome {
    int exitCode = -1;
    QString out, err;
    QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

// Runs lettrino-match; through `sh -c SCRIPT` when given ("$0" is the program), for arguments
// no QString carries, with the environment's variables changed as `env` says (an empty value
// removes one).
Outcome runMatch(const QStringList& args, const QString& script = {}, const QStringList& env = {}) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& v : env) {
        const QString name = v.section(QLatin1Char('='), 0, 0), value = v.section(QLatin1Char('='), 1);
        value.isEmpty() ? e.remove(name) : e.insert(name, value);
    }
    p.setProcessEnvironment(e);
    if (script.isEmpty())
        p.start(QStringLiteral(LETTRINO_MATCH), args);
    else
        p.start(QStringLiteral("/bin/sh"), QStringList{"-c", script, QStringLiteral(LETTRINO_MATCH)} + args);
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

// A PNG's signature, header and the start of its pixel data: enough for a reader to tell its
// size and depth, not to decode it.
QByteArray pngHead(int width, int height, int bitDepth) {
    const auto chunk = [](const char* type, const QByteArray& data) {
        QByteArray c = QByteArray(4, '\0') + type + data;
        quint32 crc = 0xFFFFFFFFu;
        for (const char b : c.mid(4)) {
            crc ^= quint8(b);
            for (int k = 0; k < 8; ++k) crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        crc = ~crc;
        for (int i = 0; i < 4; ++i) c[i] = char(data.size() >> (24 - 8 * i));
        for (int i = 0; i < 4; ++i) c.append(char(crc >> (24 - 8 * i)));
        return c;
    };
    QByteArray ihdr(13, '\0');
    for (int i = 0; i < 4; ++i)
        ihdr[i] = char(width >> (24 - 8 * i)), ihdr[4 + i] = char(height >> (24 - 8 * i));
    ihdr[8] = char(bitDepth);
    ihdr[9] = 6;  // RGBA
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) +
           chunk("IDAT", qCompress(QByteArray(64, 0)).mid(4)) + chunk("IEND", {});
}

TEST_F(MatchRun, BadInputEndsWithStatusTwoAndOneLine) {
    const QString white = dir_.filePath(QStringLiteral("white.bmp")),
                  text = dir_.filePath(QStringLiteral("text.bmp"));
    const QString none = dir_.filePath(QStringLiteral("nofonts")),
                  missing = dir_.filePath(QStringLiteral("missing.bmp"));
    ASSERT_EQ(fixtures::saveBitmap(fixtures::blockPicture(QRect()), white), QString());
    ASSERT_TRUE(hostile::writeFile(text, "not a picture\n") && QDir().mkpath(none));
    // Pictures that hang a reader, are cut short, or claim more memory than a picture may take.
    const QString fifo = dir_.filePath(QStringLiteral("fifo.png")),
                  gif = dir_.filePath(QStringLiteral("g.gif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QImage picture(bitmap_);
    const QByteArray gifBytes = hostile::gifBytes(picture.width(), picture.height(),
                                                  [&](int x, int y) { return picture.pixel(x, y); });
    ASSERT_TRUE(hostile::writeFile(gif, gifBytes));
    QStringList cut;
    for (int percent : {50, 90}) {
        cut << dir_.filePath(QStringLiteral("cut%1.gif").arg(percent));
        ASSERT_TRUE(hostile::writeFile(cut.last(), gifBytes.left(gifBytes.size() * percent / 100)));
    }
    const QString screen = dir_.filePath(QStringLiteral("screen.gif")),
                  deep = dir_.filePath(QStringLiteral("deep.png"));
    // A 35-byte GIF whose screen is 10000 x 10000 pixels, and a 16-bit PNG of as many.
    ASSERT_TRUE(hostile::writeFile(screen, QByteArray("GIF89a\x10\x27\x10\x27\x80\0\0\0\0\0\xff\xff\xff"
                                                      ",\0\0\0\0\1\0\1\0\0\2\2D\1\0;",
                                                      35)));
    ASSERT_TRUE(hostile::writeFile(deep, pngHead(10000, 10000, 16)));
    // A grey picture of 100 megapixels, all white: read, and nothing found in it.
    const QString hundred = dir_.filePath(QStringLiteral("hundred.png"));
    {
        QImage grey(10000, 10000, QImage::Format_Grayscale8);
        grey.fill(255);
        ASSERT_TRUE(grey.save(hundred));
    }
    // Sheets that would replace the bitmap, or a pipe (as a device) through a link.
    const QString device = dir_.filePath(QStringLiteral("link.png"));
    ASSERT_TRUE(QFile::link(fifo, device));
    const QString g64 = QStringLiteral("g").repeated(64);
    const QString cannot = QStringLiteral("lettrino-match: cannot read bitmap ");
    const struct {
        QStringList args;
        QString line;  // the whole line, or its start when it ends in "..."
        QString script = {};
    } cases[] = {
        {{fifo, "--fonts", fonts_}, cannot + fifo + ": not a plain file"},
        {{cut[0], "--fonts", fonts_}, cannot + cut[0] + ": the file is cut short"},
        {{cut[1], "--fonts", fonts_}, cannot + cut[1] + ": the file is cut short"},
        {{screen, "--fonts", fonts_},
         cannot + screen +
             ": too large: 10000 x 10000 pixels take 381 megabytes once decoded, at most 256 megabytes"},
        {{deep, "--fonts", fonts_},
         cannot + deep + ": too large: 10000 x 10000 pixels take 762 megabytes ..."},
        {{bitmap_, "--fonts", fonts_, "--sheet", bitmap_.chopped(4) + ".png"},
         "lettrino-match: --sheet " + bitmap_.chopped(4) + ".png is the bitmap itself"},
        {{bitmap_, "--fonts", fonts_, "--sheet", device},
         "lettrino-match: --sheet " + device + " is not a plain file"},
        {{bitmap_, "--fonts", fonts_, "--text", g64, "--top", "16", "--sheet", dir_.filePath("s.png")},
         "lettrino-match: --sheet shows at most 1000 glyphs, not 1024 (--top 16 of 64 characters) ..."},
        {{bitmap_, "--fonts", fonts_, "--char", " "},
         "lettrino-match: --char needs a character with ink, not \" \" ..."},
        {{bitmap_, "--fonts", fonts_, "--char", "\u200b"},
         "lettrino-match: --char needs a character with ink, ..."},
        {{bitmap_, "--fonts", fonts_},
         "lettrino-match: --char needs UTF-8 text ...",
         "exec \"$0\" \"$@\" --char \"$(printf '\\377')\""},
        {{bitmap_, "--fonts", fonts_},
         "lettrino-match: --text needs UTF-8 text ...",
         "exec \"$0\" \"$@\" --text \"g$(printf '\\303')\""},
        {{missing, "--fonts", fonts_}, cannot + missing + ": no such file"},
        {{text, "--fonts", fonts_}, cannot + text + ": ..."},
        {{fonts_, "--fonts", fonts_}, cannot + fonts_ + ": is a folder"},
        {{white, "--fonts", fonts_, "--char", "g"}, "lettrino-match: " + white + ": no character found: ..."},
        {{hundred, "--fonts", fonts_, "--char", "g"}, "lettrino-match: " + hundred + ": no character found: ..."},
        {{white, "--fonts", fonts_}, "lettrino-match: no text could be read: give --char or --text"},
        {{bitmap_, "--fonts", none + "/x"}, "lettrino-match: no such folder: " + none + "/x"},
        {{bitmap_, "--fonts", none}, "lettrino-match: no fonts found under " + none},
        {{bitmap_, "--speedup", "12"},
         "lettrino-match: --speedup needs a whole number from 1 to 10, not \"12\" ..."},
    };
    // The bitmap given as the sheet, by another name.
    ASSERT_TRUE(QFile::link(bitmap_, bitmap_.chopped(4) + ".png"));
    for (const auto& t : cases) {
        SCOPED_TRACE(t.args.join(QLatin1Char(' ')));
        const Outcome r = runMatch(t.args, t.script);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, QString());
        ASSERT_TRUE(r.err.endsWith(QLatin1Char('\n')));
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err;
        if (t.line.endsWith(QLatin1String("...")))
            EXPECT_TRUE(r.err.startsWith(t.line.chopped(3))) << r.err;
        else
            EXPECT_EQ(r.err.chopped(1), t.line);
    }
    // The whole GIF reads, and the bitmap and the pipe are as they were.
    EXPECT_TRUE(
        runMatch({gif, "--fonts", fonts_, "--char", "g"}).lines().value(1).contains("\tDejaVu Serif\t"));
    EXPECT_EQ(QImage(bitmap_), picture);
    struct stat st {};
    EXPECT_TRUE(::stat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
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
    // The rows come in the order of the score column, which shows what each ranking orders
    // by: the aspect-aware score (the default) or the match.
    const Outcome aspect = runMatch(args({"--char", "e"})),
                  match = runMatch(args({"--char", "e", "--rank=match"}));
    for (const auto& [out, byMatch] :
         {std::pair{aspect.lines().mid(1), false}, {match.lines().mid(1), true}}) {
        ASSERT_EQ(out.size(), 5);
        for (int i = 0; i < out.size(); ++i) {
            const auto column = [&](int row, int c) {
                return out[row].section(QLatin1Char('\t'), c, c).toDouble();
            };
            if (i > 0) {
                EXPECT_GE(column(i - 1, 1), column(i, 1)) << out[i - 1] << " / " << out[i];
            }
            EXPECT_EQ(column(i, 1) == column(i, 2), byMatch) << out[i];
        }
    }
    // --rank match takes a picture as the window does: one that fits the canvas on white is used
    // as it is, an off-white speck far from the letter as ink, so that the source font's glyph
    // is drawn as tall as the box from the letter's top to the speck (the aspect-aware ranking
    // prepares such a picture, and drops the speck).
    QImage speck = QImage(bitmap_).convertToFormat(QImage::Format_RGB32);
    const auto blankRow = [&speck](int y) {
        for (int x = 0; x < speck.width(); ++x)
            if (speck.pixel(x, y) != qRgb(255, 255, 255)) return false;
        return true;
    };
    int inkTop = 0;
    while (blankRow(inkTop)) ++inkTop;
    speck.setPixel(190, 190, qRgb(254, 255, 255));
    const QString specked = dir_.filePath(QStringLiteral("speck.png"));
    ASSERT_TRUE(speck.save(specked));
    const QJsonObject box =
        QJsonDocument::fromJson(runMatch({specked, "--fonts", fonts_, "--char", "g", "--rank", "match",
                                          "--format", "json", "--top", "1"})
                                    .out.toUtf8())[0][QLatin1String("glyphbox")]
            .toObject();
    EXPECT_EQ(box[QLatin1String("bottom")].toInt() - box[QLatin1String("top")].toInt(), 190 - inkTop)
        << inkTop;
    // Pictures no font matches better than chance: a one-pixel bar, a checkerboard. The rows
    // are printed, stderr and json say so, and the status is 1.
    QImage bar = fixtures::blockPicture(QRect(40, 100, 120, 1)), board(200, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            board.setPixel(x, y, (x / 8 + y / 8) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    for (const auto& [picture, best] : {std::pair{bar, "0.00"}, {board, "5"}}) {
        const QString file = dir_.filePath(QStringLiteral("noise.png"));
        ASSERT_TRUE(picture.save(file));
        for (const char* rank : {"aspect", "match"}) {
            const Outcome r = runMatch({file, "--fonts", fonts_, "--char", "A", "--rank", rank, "--format", "json"});
            EXPECT_EQ(r.exitCode, 1) << rank << r.err;
            EXPECT_TRUE(r.err.contains("\nlettrino-match: no font matches this picture: the best match is " +
                                       QLatin1String(best)))
                << r.err;
            const QJsonArray rows = QJsonDocument::fromJson(r.out.toUtf8()).array();
            EXPECT_EQ(rows.size(), 5);
            EXPECT_EQ(rows.at(0)[QLatin1String("meaningful")], QJsonValue(false));
        }
    }
    EXPECT_EQ(QJsonDocument::fromJson(
                  runMatch(args({"--format", "json"})).out.toUtf8())[0][QLatin1String("meaningful")],
              QJsonValue(true));
}

TEST_F(MatchRun, BrokenFontFilesAreSkippedAndCounted) {
    const QString broken = fonts_ + QStringLiteral("/broken");
    ASSERT_TRUE(QDir().mkpath(broken));
    const QByteArray sans = hostile::readFile(fonts_ + QStringLiteral("/DejaVuSans.ttf"));
    // A font cut short: its header reads, its tables do not.
    ASSERT_TRUE(hostile::writeFile(broken + "/cut.ttf", sans.left(4096)));
    ASSERT_TRUE(hostile::writeFile(broken + "/empty.ttf", {}));
    ASSERT_TRUE(hostile::writeFile(broken + "/text.TTF", QByteArray("\0\1\0\0 not a font", 15)));
    // Links named like a font and like a collection to a pipe: neither is waited for.
    const QString pipe = dir_.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, broken + "/pipe.ttf") && QFile::link(pipe, broken + "/pipe.ttc"));
    const Outcome all = runMatch(args({"--jobs", "2", "--top", "0"}));
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(all.lines().size(), 6);
    EXPECT_TRUE(all.err.startsWith(QLatin1String("lettrino-match: 10 fonts, 5 matched, 5 could not be read")))
        << all.err;
    const Outcome only = runMatch({bitmap_, QStringLiteral("--fonts"), broken, QStringLiteral("--char"), QStringLiteral("g")});
    EXPECT_EQ(only.exitCode, 0);
    EXPECT_EQ(only.out, kHeader + "\n");
    EXPECT_TRUE(only.err.startsWith(QLatin1String("lettrino-match: 5 fonts, 0 matched, 5 could not be read")))
        << only.err;
    // A font file whose name holds a tab and a line break is printed as a shell would take it.
    const QString odd = dir_.filePath(QStringLiteral("odd"));
    ASSERT_TRUE(QDir().mkpath(odd) && QFile::copy(fonts_ + "/DejaVuSerif.ttf", odd + "/a\tb\nc.ttf"));
    const QString quoted = "$'" + odd + "/a\\tb\\nc.ttf'";
    for (const auto& [format, row] : {std::pair{"tsv", "\tDejaVu Serif\t" + quoted + "\t1.000\t"},
                                      {"table", "DejaVu Serif  " + quoted + "  "}})
        EXPECT_TRUE(runMatch({bitmap_, "--fonts", odd, "--char", "g", "--format", format})
                        .lines()
                        .value(1)
                        .contains(row))
            << format;
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
    // Screen text, lightly hinted at 14 pixels to the em: drawn again as small, its font is the
    // picture itself.
    const QString small = dir_.filePath(QStringLiteral("small.png"));
    ASSERT_TRUE(fixtures::screenText(fonts_ + "/DejaVuSans-Bold.ttf", QStringLiteral("R"), 14, 1).save(small));
    const Outcome screen = runMatch({small, "--fonts", fonts_, "--char", "R", "--top", "1"});
    ASSERT_EQ(screen.exitCode, 0) << screen.err;
    EXPECT_TRUE(screen.lines().value(1).startsWith(QLatin1String("1\t100.00\t"))) << screen.out;
    EXPECT_TRUE(screen.lines().value(1).contains(QLatin1String("\tDejaVu Sans Bold\t"))) << screen.out;
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
    EXPECT_TRUE(runMatch({gg, "--fonts", fonts_, "--char", "g"}).err.contains(QLatin1String("shows 2 pieces")));
    // The letter under a caption: the caption's line is left out.
    const QImage caption = fixtures::setTextPicture(fonts_ + "/DejaVuSans.ttf", QStringLiteral("Terms apply"), true)
                               .scaled(220, 40, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage captioned(glyph.width() + 40, glyph.height() + 60, QImage::Format_RGB32);
    captioned.fill(Qt::white);
    {
        QPainter painter(&captioned);
        painter.drawImage(0, 0, caption);
        painter.drawImage(20, 60, glyph);
    }
    const QString underCaption = dir_.filePath(QStringLiteral("captioned.png"));
    ASSERT_TRUE(captioned.save(underCaption));
    const Outcome found = runMatch({underCaption, "--fonts", fonts_, "--char", "g", "--top", "1", "--format", "json"});
    ASSERT_EQ(found.exitCode, 0) << found.err;
    EXPECT_TRUE(found.err.startsWith(QLatin1String("lettrino-match: matched the second of 2 lines\n"))) << found.err;
    const QJsonObject best = QJsonDocument::fromJson(found.out.toUtf8()).array().at(0).toObject();
    EXPECT_EQ(best.value(QLatin1String("face")).toString(), QStringLiteral("DejaVu Serif"));
    // The part matched is the letter's ink, below the caption.
    const QJsonObject region = best.value(QLatin1String("region")).toObject();
    EXPECT_GE(region.value(QLatin1String("top")).toInt(), 60) << found.out;
    EXPECT_EQ(best.value(QLatin1String("characters")).toArray().at(0).toObject(), region);

    // Letters that touch cannot be cut apart: the text is matched as each font sets it.
    const QString ry = dir_.filePath(QStringLiteral("ry.png"));
    ASSERT_TRUE(fixtures::setTextPicture(fonts_ + "/DejaVuSerif.ttf", QStringLiteral("ry"), true).save(ry));
    const Outcome touching = runMatch({ry, "--fonts", fonts_, "--text", "ry", "--top", "1"});
    ASSERT_EQ(touching.exitCode, 0) << touching.err;
    EXPECT_TRUE(touching.err.contains(QLatin1String("\"ry\" has 2: matching the text as each font sets it")))
        << touching.err;
    EXPECT_TRUE(touching.lines().value(1).contains(QLatin1String("\tDejaVu Serif\t"))) << touching.out;
    // Its sheet shows the text and each font's drawing of it as they were compared.
    const QString rySheet = dir_.filePath(QStringLiteral("ry-sheet.png"));
    EXPECT_EQ(runMatch({ry, "--fonts", fonts_, "--text", "ry", "--top", "2", "--sheet", rySheet}).exitCode, 0);
    const QImage drawnSheet(rySheet);
    ASSERT_FALSE(drawnSheet.isNull());
    EXPECT_GT(drawnSheet.width(), 2 * 200);

    // Without --char or --text the picture is read; between readings whose letters share their
    // shape (x and X) the fonts decide.
    const QString x = dir_.filePath(QStringLiteral("x.png")), hamburg = dir_.filePath(QStringLiteral("hamburg.png")),
                  k = dir_.filePath(QStringLiteral("k.png")), ampersand = dir_.filePath(QStringLiteral("and.png")),
                  be = dir_.filePath(QStringLiteral("be.png"));
    ASSERT_TRUE(fixtures::setTextPicture(fonts_ + "/DejaVuSans.ttf", QStringLiteral("x"), true).save(x));
    ASSERT_TRUE(fixtures::setTextPicture(fonts_ + "/DejaVuSerif.ttf", QStringLiteral("Hamburg"), true).save(hamburg));
    ASSERT_TRUE(fixtures::setTextPicture(fonts_ + "/DejaVuSans.ttf", QStringLiteral("K"), true).save(k));
    ASSERT_TRUE(fixtures::setTextPicture(fonts_ + "/DejaVuSerif.ttf", QStringLiteral("&"), true).save(ampersand));
    ASSERT_TRUE(fixtures::setTextPicture(fonts_ + "/DejaVuSans-Bold.ttf", QStringLiteral("б"), true).save(be));
    // A lone letter the reader takes for another (this "g" for a "Ч", this Cyrillic "б" for a 6)
    // is told by the fonts too; a Latin K wins over the Greek and Cyrillic ones drawn alike; a
    // lone sign is read.
    for (const auto& [picture, said, face] : {std::tuple{x, "x", "DejaVu Sans"}, {hamburg, "Hamburg", "DejaVu Serif"},
                                              {bitmap_, "g", "DejaVu Serif"}, {k, "K", "DejaVu Sans"},
                                              {ampersand, "&", "DejaVu Serif"}, {be, "б", "DejaVu Sans Bold"}}) {
        const Outcome read = runMatch({picture, "--fonts", fonts_, "--top", "1", "--format", "json"});
        ASSERT_EQ(read.exitCode, 0) << read.err;
        EXPECT_TRUE(read.err.startsWith(QStringLiteral("lettrino-match: read: %1 (chosen by the fonts among ").arg(QString::fromUtf8(said))))
            << read.err;
        const QJsonObject first = QJsonDocument::fromJson(read.out.toUtf8()).array().at(0).toObject();
        EXPECT_EQ(first.value(QLatin1String("text")).toString(), QString::fromUtf8(said));
        EXPECT_EQ(first.value(QLatin1String("face")).toString(), QString::fromLatin1(face)) << said;
    }

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
    // Drawn without a display, whatever platform the surroundings name.
    const QString sheet = dir_.filePath(QStringLiteral("sheet.png"));
    const Outcome drawn = runMatch(args({"--top", "3", "--sheet", sheet}), {},
                                   {"QT_QPA_PLATFORM=xcb", "DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(drawn.exitCode, 0) << drawn.err;
    EXPECT_EQ(drawn.err.count(QLatin1Char('\n')), 1) << drawn.err;
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
