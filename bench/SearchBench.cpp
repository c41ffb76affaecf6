// `lettrino-bench search-run`: the real main window (offscreen unless a display is set) loads a
// bitmap and a font folder, Find is pressed, and the run is timed from the click to its end.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidgetItem>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "app/Form1.h"
#include "bench/BenchCommon.h"
#include "app/ResultsList.h"
#include "app/UpDown.h"
#include "canvas/Canvas.h"
#include "match/NumberFormat.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"
#include "fonts/FontList.h"
#include "session/Session.h"

using namespace lettrino;

namespace {

// Resident memory in bytes.
long long residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

}  // namespace

int searchRunBench(int argc, char** argv) {
    const auto options =
        bench::readOptions(argc, argv, {"fonts", "char", "bitmap", "speedup"},
                           "lettrino-bench search-run --fonts DIR [--char C] [--speedup S] [--bitmap FILE]");
    if (!options) return 2;
    const QString folder = options->value(QStringLiteral("fonts"));
    QString bitmap = options->value(QStringLiteral("bitmap"));
    const QString character = options->value(QStringLiteral("char"), QStringLiteral("A"));
    const int speedup = std::clamp(options->value(QStringLiteral("speedup"), QStringLiteral("1")).toInt(), 1, 10);
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qargc = 1;
    QApplication app(qargc, argv);
    QApplication::setApplicationName(QStringLiteral("Lettrino"));

    QTemporaryDir scratch;
    if (bitmap.isEmpty()) {
        bitmap = scratch.filePath(QStringLiteral("reference.bmp"));
        const QImage reference = bench::drawnReference(character);
        if (reference.isNull() || !reference.save(bitmap, "BMP")) {
            std::fprintf(stderr, "lettrino-bench: cannot draw a reference bitmap\n");
            return 2;
        }
    }

    Session session;
    Form1 window(session);
    window.show();
    QApplication::processEvents();
    window.findChild<QLineEdit*>(QStringLiteral("CharText"))->setText(character.left(1));
    window.loadBitmap(bitmap, QFileInfo(bitmap).fileName());
    window.loadFontFolder(folder);
    window.findChild<UpDown*>(QStringLiteral("UpDown4"))->setValue(speedup);
    auto* list = window.findChild<ResultsList*>(QStringLiteral("List1"));
    const int fonts = int(fontFilesIn(folder).size());
    if (fonts == 0) {
        std::fprintf(stderr, "lettrino-bench: no font files in %s\n", qPrintable(folder));
        return 2;
    }
    QApplication::processEvents();

    const long long rssBefore = residentBytes();
    QElapsedTimer timer;
    timer.start();
    window.findChild<QPushButton*>(QStringLiteral("ButtonFind"))->click();  // the run goes on inside the click
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const long long rssAfter = residentBytes();

    struct Row {
        QString file, match, font;
        double value;
    };
    std::vector<Row> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        rows.push_back({item->text(0), item->text(1), item->text(2), double(numfmt::readNumber(item->text(1)).value_or(0))});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.value > b.value; });
    for (const Row& r : rows)
        std::printf("%s\t%s\t%s\n", qPrintable(r.file), qPrintable(r.match), qPrintable(r.font));
    std::printf("search run: %d fonts in %.3f s = %.0f fonts/s (rss +%.1f MB)\n", fonts, seconds,
                seconds > 0 ? fonts / seconds : 0.0, double(rssAfter - rssBefore) / (1024.0 * 1024.0));
    std::fflush(stdout);
    return 0;
}
