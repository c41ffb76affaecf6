// The program writes nothing: a whole window session (hostile_session) and a lettrino-match run,
// with HOME, TMPDIR, the runtime folder and the working folder pointed at fresh folders, leave
// them, the font folder and the bitmap's folder exactly as they were.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include "Fixtures.h"

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
        entries.insert(path.mid(root.size()), QStringLiteral("%1 %2 %3")
                                                  .arg(info.isSymLink() ? 'l'
                                                       : info.isDir()   ? 'd'
                                                                        : 'f')
                                                  .arg(info.isDir() ? 0 : info.size())
                                                  .arg(info.lastModified().toMSecsSinceEpoch()));
    }
    return entries;
}

class WritesNothing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        for (const char* d : {"home", "work", "tmp", "runtime", "fonts", "pictures"})
            ASSERT_TRUE(QDir(root_.path()).mkdir(QLatin1String(d)));
        QFile::setPermissions(path("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_EQ(fixtures::copyFonts(path("fonts"), {"dejavu/DejaVuSans.ttf", "dejavu/DejaVuSerif.ttf",
                                                      "liberation2/LiberationSans-Regular.ttf"})
                      .toStdString(),
                  "");
        QString linked;
        ASSERT_EQ(fixtures::systemFont(QStringLiteral("freefont/FreeSans.ttf"), &linked).toStdString(), "");
        ASSERT_TRUE(QFile::link(linked, path("fonts/linked.ttf")));
        QImage g;
        ASSERT_EQ(
            fixtures::referenceGlyph(path("fonts/DejaVuSans.ttf"), QStringLiteral("g"), &g).toStdString(),
            "");
        ASSERT_EQ(fixtures::saveBitmap(g, path("pictures/g.bmp")).toStdString(), "");
    }

    QString path(const char* relative) const { return root_.filePath(QLatin1String(relative)); }

    void expectUntouched(const QString& program, const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            env.remove(QLatin1String(v));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("runtime"));
        env.insert(QStringLiteral("HOME"), path("home"));
        env.insert(QStringLiteral("TMPDIR"), path("tmp"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const auto before = snapshot(root_.path());
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(path("work"));
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        ASSERT_TRUE(p.waitForFinished(10 * 60 * 1000)) << program.toStdString();
        const QString output = QString::fromLocal8Bit(p.readAll());
        std::printf("%s", qPrintable(output));  // what the program said it did
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << output.toStdString();
        EXPECT_EQ(p.exitCode(), 0) << output.toStdString();
        const auto after = snapshot(root_.path());
        for (auto it = after.begin(); it != after.end(); ++it)
            EXPECT_EQ(before.value(it.key()), it.value()) << "written: " << it.key().toStdString();
        for (auto it = before.begin(); it != before.end(); ++it)
            EXPECT_TRUE(after.contains(it.key())) << "removed: " << it.key().toStdString();
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
