// lettrino-match must give every font the match the window's search run gives it: the window
// runs Find over a font folder, the program runs over the same folder, the lists must agree.

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidgetItem>

#include "CliFixtures.h"
#include "app/Form1.h"
#include "app/ResultsList.h"
#include "app/UpDown.h"

using lettrino::Form1;
using lettrino::ResultsList;

namespace {

struct Row {
    QString match, xRatio, yRatio;
    bool operator==(const Row& o) const {
        return match == o.match && xRatio == o.xRatio && yRatio == o.yRatio;
    }
};

}  // namespace

class WindowAgreementTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findAndProgramAgree_data();
    void findAndProgramAgree();
};

void WindowAgreementTest::findAndProgramAgree_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("character");
    QTest::addColumn<int>("speedup");
    auto row = [](const char* name, const char* source, const char* character, int speedup) {
        QTest::newRow(name) << QString::fromLatin1(source) << QString::fromLatin1(character) << speedup;
    };
    row("serif g, graded", "DejaVuSerif.ttf", "g", 1);
    row("bold R, every 3rd pixel", "DejaVuSans-Bold.ttf", "R", 3);
    row("mono 5, every 10th pixel", "DejaVuSansMono.ttf", "5", 10);
}

void WindowAgreementTest::findAndProgramAgree() {
    QFETCH(QString, source);
    QFETCH(QString, character);
    QFETCH(int, speedup);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fonts = dir.filePath(QStringLiteral("fonts"));
    if (!lettrino::cli::test::copyFonts(lettrino::cli::test::dejavuFonts(), fonts))
        QSKIP("the DejaVu fonts are not installed");
    const QString bitmap = dir.filePath(QStringLiteral("reference.bmp"));
    QVERIFY(lettrino::cli::test::writeSample(fonts + QLatin1Char('/') + source, character, 120, bitmap));

    // The window: the bitmap, the folder, the parameters, then Find over the whole list.
    Form1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.loadBitmap(bitmap, QStringLiteral("reference.bmp"));
    w.loadFontFolder(fonts);
    QCOMPARE(w.FontList.count(), 5);
    w.CharText->setText(character);
    QVERIFY(w.UpDown2->setValue(0) || w.UpDown2->value() == 0);  // list every match above 0
    QVERIFY(w.UpDown4->setValue(speedup) || w.UpDown4->value() == speedup);
    QCOMPARE(w.CharText->text(), character);
    QTest::mouseClick(w.ButtonFind, Qt::LeftButton);
    QTRY_VERIFY(!w.FindRunning);

    QMap<QString, Row> window;
    for (int i = 0; i < w.List1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = w.List1->topLevelItem(i);
        window.insert(item->text(ResultsList::kFilename),
                      {item->text(ResultsList::kMatch), item->text(ResultsList::kXRatio),
                       item->text(ResultsList::kYRatio)});
    }
    QVERIFY(!window.isEmpty());
    // Emptied before the window goes: the results list's row index is reset from a model
    // signal that still arrives while the list is being destroyed.
    w.List1->clear();

    // The program, on two threads.
    QProcess p;
    p.start(QStringLiteral(LETTRINO_MATCH),
            {bitmap, QStringLiteral("--fonts"), fonts, QStringLiteral("--char"), character,
             QStringLiteral("--speedup"), QString::number(speedup), QStringLiteral("--top"),
             QStringLiteral("0"), QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("--format"),
             QStringLiteral("tsv"), QStringLiteral("--rank"), QStringLiteral("match")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QMap<QString, Row> program;
    const QStringList lines =
        QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines.mid(1)) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        QCOMPARE(cells.size(), 7);
        // The window lists what passes its add threshold, 0 %: a match above zero.
        if (cells[2] == QLatin1String("0.00")) continue;
        program.insert(QFileInfo(cells[4]).fileName(), {cells[2], cells[5], cells[6]});
    }

    QCOMPARE(program.keys(), window.keys());
    for (const QString& file : window.keys()) {
        const Row a = program.value(file), b = window.value(file);
        QVERIFY2(a == b,
                 qPrintable(QStringLiteral("%1: program %2 %3 %4, window %5 %6 %7")
                                .arg(file, a.match, a.xRatio, a.yRatio, b.match, b.xRatio, b.yRatio)));
    }
}

QTEST_MAIN(WindowAgreementTest)
#include "WindowAgreementTest.moc"
