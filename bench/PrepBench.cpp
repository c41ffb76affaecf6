// `lettrino-bench prep`: how long turning a picture into a reference takes. The picture is read
// once (the reading is timed too), then prepared and split into characters N times each.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/BenchCommon.h"
#include "canvas/BitmapFile.h"
#include "prep/PicturePrep.h"
#include "prep/Segments.h"

int prepBench(int argc, char** argv) {
    const char* usage = "lettrino-bench prep --picture FILE [--passes N]";
    const auto options = lettrino::bench::readOptions(argc, argv, {"picture", "passes"}, usage);
    if (!options) return 2;
    const QString path = options->value(QStringLiteral("picture"));
    if (path.isEmpty()) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return 2;
    }
    const int passes = std::max(1, options->value(QStringLiteral("passes"), QStringLiteral("20")).toInt());
    // Image format plugins are found through the application object.
    std::unique_ptr<QCoreApplication> app;
    static int appArgc = 1;
    if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(appArgc, argv);

    QElapsedTimer timer;
    timer.start();
    QString error;
    const QImage picture = lettrino::readBitmapFile(path, &error);
    const double readMs = double(timer.nsecsElapsed()) / 1e6;
    if (picture.isNull()) {
        std::fprintf(stderr, "lettrino-bench: %s: %s\n", qPrintable(path), qPrintable(error));
        return 1;
    }
    std::printf("picture: %d x %d, read in %.1f ms\n", picture.width(), picture.height(), readMs);

    // The mean and the fastest pass (the figure least disturbed by the rest of the machine).
    struct Figures {
        double mean = 0;
        double fastest = 1e300;
    };
    auto time = [passes, &timer](auto&& work) {
        Figures f;
        for (int i = 0; i < passes; ++i) {
            timer.restart();
            work();
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            f.mean += ms / passes;
            f.fastest = std::min(f.fastest, ms);
        }
        return f;
    };
    lettrino::PreparedPicture prepared;
    const Figures prep = time([&] { prepared = lettrino::preparePicture(picture); });
    std::vector<QRect> characters;
    const Figures split = time([&] { characters = lettrino::findCharacters(picture); });

    std::printf("preparation: %.2f ms per picture (fastest %.2f, %d passes)\n", prep.mean, prep.fastest,
                passes);
    if (!prepared.error.isEmpty()) {
        std::printf("  %s\n", qPrintable(prepared.error));
    } else {
        const QRect& ink = prepared.sourceInk;
        std::printf("  ink %d x %d at (%d, %d), scale %.4f%s%s\n", ink.width(), ink.height(), ink.x(),
                    ink.y(), prepared.scale, prepared.unchanged ? ", unchanged" : "",
                    prepared.inverted ? ", inverted" : "");
    }
    std::printf("characters: %zu, %.2f ms per picture (fastest %.2f)\n", characters.size(), split.mean,
                split.fastest);
    return 0;
}
