// The program writes nothing: a whole window session (hostile_session) and a lettrino-match
// run, with HOME, the working directory and TMPDIR pointed at fresh folders, leave those
// folders, the font folder and the bitmap's folder exactly as they were.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include "canvas/Canvas.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

namespace lettrino::hostile {
namespace {

// Every entry under a folder (hidden ones too, links not followed): kind, size, change time.
QMap<QString, QString> snapshot(const QString& root) {
    QMap<QString, QString> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString kind = info.isSymLink() ? QStringLiteral("link")
                             : info.isDir()   ? QStringLiteral("dir")
                                              : QStringLiteral("file");
        entries.insert(path.mid(root.size()), QStringLiteral("%1 %2 %3")
                                                  .arg(kind)
                                                  .arg(info.isDir() ? 0 : info.size())
                                                  .arg(info.lastModified().toMSecsSinceEpoch()));
    }
    return entries;
}

QString describeChanges(const QMap<QString, QString>& before, const QMap<QString, QString>& after) {
    QString out;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (before.value(it.key()) != it.value())
            out += QStringLiteral("  written: ") + it.key() + QLatin1Char('\n');
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!after.contains(it.key())) out += QStringLiteral("  removed: ") + it.key() + QLatin1Char('\n');
    return out;
}

class WritesNothing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        for (const char* d : {"home", "work", "tmp", "runtime", "fonts", "pictures"})
            ASSERT_TRUE(QDir(root_.path()).mkdir(QLatin1String(d)));
        QFile::setPermissions(path("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        int n = 0;
        for (const char* f : {"/dejavu/DejaVuSans.ttf", "/dejavu/DejaVuSerif.ttf",
                              "/liberation2/LiberationSans-Regular.ttf"}) {
            const QString source = QStringLiteral(LETTRINO_SYSTEM_FONTS) + QLatin1String(f);
            if (QFile::copy(source, path("fonts/") + QFileInfo(source).fileName())) ++n;
        }
        if (n < 2) GTEST_SKIP() << "the fonts that scripts/setup installs are missing";
        ASSERT_TRUE(QFile::link(QStringLiteral(LETTRINO_SYSTEM_FONTS "/freefont/FreeSans.ttf"),
                                path("fonts/linked.ttf")));

        // The reference bitmap: DejaVu Sans "g" as the renderer draws it.
        FontSystem fonts;
        Canvas canvas;
        GlyphRenderer(fonts, canvas)
            .displayFont(QStringLiteral("DejaVuSans.ttf"), path("fonts/"), QStringLiteral("g"),
                         InkBox{40, 50, 150, 160});
        QImage picture = canvas.screenImage();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const int r = qRed(picture.pixel(x, y));
                picture.setPixel(x, y, qRgb(r, r, r));  // drop the red outline's green and blue
            }
        ASSERT_TRUE(picture.save(path("pictures/g.bmp"), "BMP"));
    }

    QString path(const QString& relative) const { return root_.path() + QLatin1Char('/') + relative; }

    QProcessEnvironment sandbox() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            env.remove(QLatin1String(v));
        // A desktop session always has its runtime folder; nothing may be written there either.
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("runtime"));
        env.insert(QStringLiteral("HOME"), path("home"));
        env.insert(QStringLiteral("TMPDIR"), path("tmp"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    // Runs a program in the sandbox and returns its exit code (-1 when it did not finish).
    int run(const QString& program, const QStringList& args, QString* output) {
        QProcess p;
        p.setProcessEnvironment(sandbox());
        p.setWorkingDirectory(path("work"));
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        if (!p.waitForFinished(10 * 60 * 1000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        *output = QString::fromLocal8Bit(p.readAll());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    void expectUntouched(const QString& program, const QStringList& args) {
        const auto before = snapshot(root_.path());
        QString output;
        EXPECT_EQ(run(program, args, &output), 0) << output.toStdString();
        std::printf("%s", output.toLocal8Bit().constData());
        const auto after = snapshot(root_.path());
        EXPECT_TRUE(after == before) << describeChanges(before, after).toStdString() << output.toStdString();
    }

    QTemporaryDir root_;
};

TEST_F(WritesNothing, WindowSession) {
    expectUntouched(QStringLiteral(LETTRINO_SESSION), {path("pictures/g.bmp"), path("fonts")});
}

TEST_F(WritesNothing, MatchRun) {
    expectUntouched(QStringLiteral(LETTRINO_MATCH),
                    {QStringLiteral("--fonts"), path("fonts"), QStringLiteral("--char"), QStringLiteral("g"),
                     QStringLiteral("--format"), QStringLiteral("tsv"), path("pictures/g.bmp")});
}

}  // namespace
}  // namespace lettrino::hostile
