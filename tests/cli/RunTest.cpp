// Runs the built lettrino-match and looks at what it prints and how it ends.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "CliFixtures.h"

namespace lettrino::cli {
namespace {

using namespace lettrino::cli::test;

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
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

class MatchRun : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        fonts = dir.filePath(QStringLiteral("fonts"));
        if (!copyFonts(dejavuFonts(), fonts)) GTEST_SKIP() << "the DejaVu fonts are not installed";
        bitmap = dir.filePath(QStringLiteral("g.bmp"));
        ASSERT_TRUE(
            writeSample(fonts + QStringLiteral("/DejaVuSerif.ttf"), QStringLiteral("g"), 140, bitmap));
    }
    QTemporaryDir dir;
    QString fonts;
    QString bitmap;
};

TEST_F(MatchRun, BadInputEndsWithStatusTwoAndOneLine) {
    const QString white = dir.filePath(QStringLiteral("white.bmp"));
    {
        QImage image(50, 50, QImage::Format_RGB32);
        image.fill(Qt::white);
        ASSERT_TRUE(image.save(white, "BMP"));
    }
    const QString text = dir.filePath(QStringLiteral("text.bmp"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture\n");
    }
    const QString emptyFolder = dir.filePath(QStringLiteral("nofonts"));
    QDir().mkpath(emptyFolder);
    const QString missing = dir.filePath(QStringLiteral("missing.bmp"));

    struct Case {
        QStringList args;
        QString message;  // the whole line, or its start when it ends in "..."
    };
    const Case cases[] = {
        {{missing, QStringLiteral("--fonts"), fonts},
         QStringLiteral("lettrino-match: cannot read bitmap ") + missing + QStringLiteral(": no such file")},
        {{text, QStringLiteral("--fonts"), fonts},
         QStringLiteral("lettrino-match: cannot read bitmap ") + text + QStringLiteral(": ...")},
        {{fonts, QStringLiteral("--fonts"), fonts},
         QStringLiteral("lettrino-match: cannot read bitmap ") + fonts + QStringLiteral(": is a folder")},
        {{white, QStringLiteral("--fonts"), fonts},
         QStringLiteral("lettrino-match: cannot read bitmap ") + white +
             QStringLiteral(": no ink: every pixel is white")},
        {{bitmap, QStringLiteral("--fonts"), dir.filePath(QStringLiteral("nowhere"))},
         QStringLiteral("lettrino-match: no such folder: ") + dir.filePath(QStringLiteral("nowhere"))},
        {{bitmap, QStringLiteral("--fonts"), emptyFolder},
         QStringLiteral("lettrino-match: no fonts found under ") + emptyFolder},
        {{bitmap, QStringLiteral("--speedup"), QStringLiteral("12")},
         QStringLiteral("lettrino-match: --speedup needs a whole number from 1 to 10, not \"12\" (see "
                        "lettrino-match --help)")},
        {{bitmap, QStringLiteral("--bogus")}, QStringLiteral("lettrino-match: unknown option --bogus ...")},
        {{}, QStringLiteral("lettrino-match: no bitmap given ...")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const Outcome r = runMatch(c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.out.isEmpty());
        ASSERT_TRUE(r.err.endsWith(QLatin1Char('\n')));
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        const QString line = r.err.chopped(1);
        if (c.message.endsWith(QLatin1String("...")))
            EXPECT_TRUE(line.startsWith(c.message.chopped(3))) << line.toStdString();
        else
            EXPECT_EQ(line, c.message);
    }
}

TEST_F(MatchRun, HelpAndVersion) {
    const Outcome help = runMatch({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QLatin1String("Usage: lettrino-match [options] BITMAP\n")));
    const Outcome version = runMatch({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("lettrino-match " LETTRINO_VERSION "\n"));
}

TEST_F(MatchRun, TheSourceFontComesFirstAndJobsDoNotChangeTheOutput) {
    const QStringList common{bitmap,
                             QStringLiteral("--fonts"),
                             fonts,
                             QStringLiteral("--char"),
                             QStringLiteral("g"),
                             QStringLiteral("--top"),
                             QStringLiteral("0")};
    const Outcome one = runMatch(common + QStringList{QStringLiteral("--jobs"), QStringLiteral("1")});
    const Outcome two = runMatch(common + QStringList{QStringLiteral("--jobs=2")});
    ASSERT_EQ(one.exitCode, 0) << one.err.toStdString();
    ASSERT_EQ(two.exitCode, 0);
    EXPECT_EQ(one.out, two.out);
    EXPECT_TRUE(one.err.isEmpty()) << one.err.toStdString();  // not a terminal: no progress line

    const QStringList lines = one.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);  // tsv by default off a terminal: a header and five fonts
    EXPECT_EQ(lines[0], QStringLiteral("rank\tscore\tmatch\tface\tfile\txratio\tyratio"));
    EXPECT_EQ(lines[1], QStringLiteral("1\t100.00\t100.00\tDejaVu Serif\t") + fonts +
                            QStringLiteral("/DejaVuSerif.ttf\t1.000\t1.000"));
    for (int i = 2; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith(QString::number(i) + QLatin1Char('\t')));
}

TEST_F(MatchRun, FormatsTopAndMinimum) {
    const QStringList common{bitmap, QStringLiteral("--fonts"), fonts, QStringLiteral("--char"),
                             QStringLiteral("g")};
    const Outcome json = runMatch(common + QStringList{QStringLiteral("--format"), QStringLiteral("json"),
                                                       QStringLiteral("--top"), QStringLiteral("2")});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonArray rows = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject().value(QLatin1String("face")).toString(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(rows[0].toObject().value(QLatin1String("match")).toDouble(), 100.0);

    // Nothing reaches the minimum: still a completed run.
    const Outcome none = runMatch(common + QStringList{QStringLiteral("--min"), QStringLiteral("100"),
                                                       QStringLiteral("--char"), QStringLiteral("x")});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, QStringLiteral("rank\tscore\tmatch\tface\tfile\txratio\tyratio\n"));

    const Outcome table =
        runMatch(common + QStringList{QStringLiteral("--format=table"), QStringLiteral("--top=1")});
    EXPECT_EQ(table.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 2);
    EXPECT_TRUE(table.out.contains(QLatin1String("100.00  100.00  DejaVu Serif")));
}

// Each ranking's column falls from the first row to the last.
TEST_F(MatchRun, RankOrdersAsDocumented) {
    struct Case {
        QStringList extra;
        int column;  // score 1, match 2
    };
    const Case cases[] = {{{}, 1},
                          {{QStringLiteral("--rank"), QStringLiteral("aspect")}, 1},
                          {{QStringLiteral("--rank=match")}, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra.join(QLatin1Char(' ')).toStdString());
        const Outcome r = runMatch(QStringList{bitmap, QStringLiteral("--fonts"), fonts,
                                               QStringLiteral("--char"), QStringLiteral("e")} +
                                   c.extra);
        ASSERT_EQ(r.exitCode, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
        ASSERT_EQ(lines.size(), 5);
        for (int i = 1; i < lines.size(); ++i)
            EXPECT_GE(lines[i - 1].split(QLatin1Char('\t'))[c.column].toDouble(),
                      lines[i].split(QLatin1Char('\t'))[c.column].toDouble());
    }
}

TEST_F(MatchRun, BrokenFontFilesAreSkippedAndSummed) {
    writeBrokenFonts(fonts + QStringLiteral("/broken"));
    // A real font cut short as well: its header reads, its tables do not.
    QFile whole(fonts + QStringLiteral("/DejaVuSans.ttf")), cut(fonts + QStringLiteral("/broken/cut.ttf"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(4096));
    cut.close();
    const Outcome r = runMatch({bitmap, QStringLiteral("--fonts"), fonts, QStringLiteral("--char"),
                                QStringLiteral("g"), QStringLiteral("--jobs"), QStringLiteral("2")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.count(QLatin1Char('\n')), 6);
    EXPECT_EQ(r.err, QStringLiteral("lettrino-match: 3 of 8 fonts could not be read and were skipped\n"));

    const QString onlyBroken = fonts + QStringLiteral("/broken");
    const Outcome broken = runMatch({bitmap, QStringLiteral("--fonts"), onlyBroken});
    EXPECT_EQ(broken.exitCode, 0);
    EXPECT_EQ(broken.err,
              QStringLiteral("lettrino-match: 3 of 3 fonts could not be read and were skipped\n"));
}

}  // namespace
}  // namespace lettrino::cli
