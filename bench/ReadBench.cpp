// lettrino-bench read --set MANIFEST [--limit N]
//
// How often the text reader reads a picture's text: exactly (case included) as its best
// reading, and among its candidates, per condition and in all, with the time per picture
// (preparation and reading; the language data is loaded once, before the clock starts). The
// manifest is tools/make-identify-set's or tools/make-real-set's: tab-separated, the picture
// relative to the manifest first, the condition fourth, the text sixth. --limit reads only the
// first N pictures. Prints, never asserts.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "bench/BenchCommon.h"
#include "read/TextReader.h"
#include "session/Reference.h"

using namespace lettrino;

namespace {

struct Tally {
    int exact = 0, among = 0, n = 0;
    double ms = 0;
};

}  // namespace

int readBench(int argc, char** argv) {
    const char* usage = "lettrino-bench read --set MANIFEST [--limit N]";
    const auto options = bench::readOptions(argc, argv, {QStringLiteral("set"), QStringLiteral("limit")}, usage);
    if (!options) return 2;
    const QString manifest = options->value(QStringLiteral("set"));
    const int limit = options->value(QStringLiteral("limit"), QStringLiteral("-1")).toInt();
    QFile file(manifest);
    if (manifest.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "read: cannot read the manifest %s\n", qPrintable(manifest));
        return 2;
    }
    // Image format plugins are found through the application object.
    std::unique_ptr<QCoreApplication> app;
    static int appArgc = 1;
    if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(appArgc, argv);

    QElapsedTimer timer;
    timer.start();
    TextReader reader;
    if (!reader.ok()) {
        std::fprintf(stderr, "read: %s\n", qPrintable(reader.error()));
        return 1;
    }
    std::printf("read: language data loaded in %.0f ms\n", double(timer.nsecsElapsed()) / 1e6);

    const QDir base = QFileInfo(file).absoluteDir();
    std::map<QString, Tally> tallies;
    QTextStream in(&file);
    int done = 0;
    while (!in.atEnd() && (limit < 0 || done < limit)) {
        const QStringList f = in.readLine().split(QLatin1Char('\t'));
        if (f.size() < 6 || f[0].startsWith(QLatin1Char('#'))) continue;
        ++done;
        const QString path = base.filePath(f[0]), &condition = f[3], &text = f[5];
        const Picture picture = readPicture(path);
        if (!picture.ok()) {
            std::printf("  %-52s %s\n", qPrintable(f[0]), qPrintable(picture.error));
            continue;
        }
        timer.restart();
        const Reading reading = reader.read(picture.image);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        const bool exact = reading.text == text;
        const bool among = std::find(reading.candidates.begin(), reading.candidates.end(), text) !=
                           reading.candidates.end();
        for (const QString& g : {condition, QStringLiteral("all")}) {
            Tally& t = tallies[g];
            ++t.n;
            t.exact += exact;
            t.among += among;
            t.ms += ms;
        }
        if (!exact)
            std::printf("  %-52s %-10s read %s [%s]%s%s %.0f ms\n", qPrintable(f[0]), qPrintable(text),
                        qPrintable(reading.text), qPrintable(reading.candidates.empty()
                                                                 ? QString()
                                                                 : QStringList(reading.candidates.begin(),
                                                                               reading.candidates.end())
                                                                       .join(QLatin1Char(' '))),
                        reading.ok() ? "" : " ", qPrintable(reading.error), ms);
    }
    std::printf("%-16s %5s %14s %14s %10s\n", "condition", "n", "exact", "among", "ms/picture");
    for (const auto& [condition, t] : tallies) {
        if (condition == QLatin1String("all")) continue;
        std::printf("%-16s %5d %5d (%5.1f%%) %5d (%5.1f%%) %10.1f\n", qPrintable(condition), t.n, t.exact,
                    100.0 * t.exact / t.n, t.among, 100.0 * t.among / t.n, t.ms / t.n);
    }
    const Tally& all = tallies[QStringLiteral("all")];
    if (all.n)
        std::printf("%-16s %5d %5d (%5.1f%%) %5d (%5.1f%%) %10.1f\n", "all", all.n, all.exact,
                    100.0 * all.exact / all.n, all.among, 100.0 * all.among / all.n, all.ms / all.n);
    return 0;
}
