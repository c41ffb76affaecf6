// lettrino-match: which fonts draw the character of a bitmap, ranked, from the command line.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <unistd.h>

#include <cstdio>

#include "cli/FontSource.h"
#include "cli/Options.h"
#include "cli/Progress.h"
#include "cli/ReferenceBitmap.h"
#include "cli/ResultTable.h"
#include "cli/Sweep.h"
#include "render/FontSystem.h"

using namespace lettrino;
using namespace lettrino::cli;

namespace {

constexpr int kExitError = 2;

void write(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

int error(const QString& message) {
    write(stderr, QStringLiteral("lettrino-match: %1\n").arg(message));
    return kExitError;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    const bool stderrIsTerminal = isatty(STDERR_FILENO) == 1;
    const ParsedArguments parsed =
        parseArguments(args, QThread::idealThreadCount(), isatty(STDOUT_FILENO) == 1);
    switch (parsed.action) {
        case ParsedArguments::Action::Help:
            write(stdout, usageText());
            return 0;
        case ParsedArguments::Action::Version:
            write(stdout, QStringLiteral("lettrino-match " LETTRINO_VERSION "\n"));
            return 0;
        case ParsedArguments::Action::Error:
            return error(parsed.error + QStringLiteral(" (see lettrino-match --help)"));
        case ParsedArguments::Action::Run:
            break;
    }
    const MatchOptions& o = parsed.options;

    const ReferenceBitmap reference = loadReferenceBitmap(o.bitmap);
    if (!reference.ok())
        return error(QStringLiteral("cannot read bitmap %1: %2").arg(o.bitmap, reference.error));

    const FileJobs files = fileJobs(o.fontDirs);
    if (!files.error.isEmpty()) return error(files.error);

    // The first font system is made here, on the main thread, before any worker starts:
    // setting fontconfig up is not safe to race.
    FontSystem fonts;
    std::vector<FontJob> jobs = files.jobs;
    if (o.system) {
        const std::vector<FontJob> installed = installedJobs(fonts);
        jobs.insert(jobs.end(), installed.begin(), installed.end());
    }
    if (jobs.empty()) {
        if (o.fontDirs.isEmpty()) return error(QStringLiteral("no fonts found: no installed faces"));
        return error(QStringLiteral("no fonts found under %1").arg(o.fontDirs.join(QStringLiteral(", "))));
    }

    SweepSettings settings;
    settings.charText = o.charText;
    settings.speedup = o.speedup;
    settings.jobs = o.jobs;
    QElapsedTimer clock;
    clock.start();
    SweepProgress progress;
    if (stderrIsTerminal) {
        progress = [&clock](int done, int total) {
            const QString line = progressText(done, total, clock.nsecsElapsed() / 1e9);
            write(stderr, QStringLiteral("\r\033[K") + (done < total ? line : QString()));
            std::fflush(stderr);
        };
    }
    const std::vector<FontResult> results =
        runSweep(fonts, Reference{&reference.canvas, reference.box}, jobs, settings, progress);

    int unreadable = 0;
    for (const FontResult& r : results) unreadable += r.unreadable ? 1 : 0;

    write(stdout, formatRows(rankResults(results, o.minPercent, o.top, o.rank), o.format));
    std::fflush(stdout);
    if (unreadable > 0)
        write(stderr, QStringLiteral("lettrino-match: %1 of %2 fonts could not be read and were skipped\n")
                          .arg(unreadable)
                          .arg(jobs.size()));
    return 0;
}
