// lettrino-match: which fonts draw the character of a bitmap, ranked, from the command line.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

#include "cli/Options.h"
#include "cli/Progress.h"
#include "cli/Readings.h"
#include "cli/ResultTable.h"
#include "prep/PicturePrep.h"
#include "read/TextReader.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"
#include "session/FontSource.h"
#include "session/Session.h"
#include "session/TextReference.h"
#include "sheet/EvidenceSheet.h"

using namespace lettrino;
using namespace lettrino::cli;

namespace {

constexpr int kExitError = 2;
constexpr int kExitNoMatch = 1;
// How many of the fonts that match a picture's first reading best weigh its other readings.
constexpr int kReadingFonts = 20;
// And the first reading's best matches weighed too, scored or not. On the real-engine sets' lone
// letters read without --char, 10 reads 4 more right than none (and names 2 more fonts right); 20
// no more than 10, at twice the time.
constexpr int kReadingMatches = 10;
// Below this best match no font matches the picture: about half of the pixels of any two
// pictures agree by chance, and a degenerate ink box (a one-pixel bar) matches nothing.
constexpr double kMeaningfulMatch = 0.6;
// A text matched whole counts shared ink over the ink of either, which two drawings of the same
// text in different fonts already reach by half.
constexpr double kMeaningfulLineMatch = 0.5;

void write(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

int error(const QString& message) {
    write(stderr, QStringLiteral("lettrino-match: %1\n").arg(message));
    return kExitError;
}

// The evidence sheet of the printed rows: the reference as the program sees it, and each row's
// glyphs drawn again exactly as they were scored. False, with the reason, when it cannot be
// written.
// How wide a piece of a text matched whole is on the sheet: what a canvas holds with a margin.
constexpr int kLinePiece = 177;

QRect linePiece(const QImage& line, int i) {
    const int x = i * kLinePiece;
    return QRect(x, 0, std::min(kLinePiece, line.width() - x), line.height());
}

// A text matched whole is shown in pieces a canvas wide, side by side as a word's characters are:
// the picture's and each font's drawing, cut alike.
std::vector<Canvas> lineCanvases(const QImage& line, int pieces) {
    std::vector<Canvas> out(static_cast<std::size_t>(pieces));
    for (int i = 0; i < pieces; ++i) {
        const QRect piece = linePiece(line, i);
        QImage picture(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        painter.drawImage(QPoint((Canvas::kSize - piece.width()) / 2, (Canvas::kSize - piece.height()) / 2),
                          line.copy(piece).convertToFormat(QImage::Format_RGB32));
        painter.end();
        out[std::size_t(i)].setPicture(picture);
    }
    return out;
}

bool writeLineSheet(Session& session, const std::vector<FontRef>& jobs, const std::vector<ResultRow>& rows,
                    const QString& caption, const QString& path, QString* why) {
    const QImage& line = session.line();
    const int pieces = std::min(kSheetMaxCharacters, (line.width() + kLinePiece - 1) / kLinePiece);
    auto boxOf = [&line](int i) {
        const QRect piece = linePiece(line, i);
        InkBox box;
        box.left = (Canvas::kSize - piece.width()) / 2;
        box.top = (Canvas::kSize - piece.height()) / 2;
        box.right = box.left + piece.width() - 1;
        box.bottom = box.top + piece.height() - 1;
        return box;
    };
    const std::vector<Canvas> picture = lineCanvases(line, pieces);
    SheetReference reference;
    reference.caption = caption;
    for (int i = 0; i < pieces; ++i) reference.characters.push_back({&picture[std::size_t(i)], boxOf(i)});
    std::vector<std::vector<Canvas>> drawings;
    drawings.reserve(rows.size());
    std::vector<SheetEntry> entries;
    for (const ResultRow& row : rows) {
        SheetEntry entry{row.rank, row.face, row.file, row.score, row.m, {}};
        const QImage drawn = session.drawLine(jobs[size_t(row.job)]);
        drawings.push_back(lineCanvases(drawn.isNull() ? line : drawn, pieces));
        for (int i = 0; i < pieces; ++i)
            entry.glyphs.push_back({&drawings.back()[std::size_t(i)], drawn.isNull() ? InkBox{} : boxOf(i)});
        entries.push_back(std::move(entry));
    }
    return writePng(drawSheet(reference, entries), path, why);
}

bool writeSheet(Session& session, const std::vector<FontRef>& jobs, const std::vector<ResultRow>& rows,
                const QString& text, const QString& caption, const QString& path, QString* why) {
    if (session.matchesLine()) return writeLineSheet(session, jobs, rows, caption, path, why);
    const int characters = std::max<int>(1, int(session.word().size()));
    SheetReference reference;
    reference.caption = caption;
    reference.wordStarts = wordStartsOf(text);
    for (int i = 0; i < characters; ++i) {
        const Reference& r = session.word().empty() ? session.reference() : session.word()[size_t(i)].reference;
        reference.characters.push_back({&r.canvas, r.box});
    }
    // Every glyph needs a canvas of its own while the sheet is drawn.
    std::vector<Canvas> glyphs;
    glyphs.reserve(rows.size() * size_t(characters));
    std::vector<SheetEntry> entries;
    for (const ResultRow& row : rows) {
        SheetEntry entry{row.rank, row.face, row.file, row.score, row.m, {}};
        for (int i = 0; i < characters; ++i) {
            const RenderOutcome drawn = session.drawCharacter(jobs[size_t(row.job)], i);
            glyphs.push_back(session.glyphCanvas());
            entry.glyphs.push_back({&glyphs.back(), drawn.fontDisplayed ? drawn.glyphBox : InkBox{}});
        }
        entries.push_back(std::move(entry));
    }
    return writePng(drawSheet(reference, entries), path, why);
}

// Why the sheet may not go where asked, or "": it may replace a plain file, never the bitmap
// itself (by any name) nor a device, a pipe or a folder.
QString sheetTargetProblem(const QString& sheet, const QString& bitmap) {
    struct stat target {};
    struct stat input {};
    if (::stat(QFile::encodeName(sheet).constData(), &target) != 0) return {};  // a new file
    if (!S_ISREG(target.st_mode)) return QStringLiteral("--sheet %1 is not a plain file").arg(sheet);
    if (::stat(QFile::encodeName(bitmap).constData(), &input) == 0 && input.st_dev == target.st_dev &&
        input.st_ino == target.st_ino)
        return QStringLiteral("--sheet %1 is the bitmap itself").arg(sheet);
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    // The sheet's captions need the fonts of a GUI application; nothing else does. It draws into
    // an image only, so it never needs a display: the offscreen platform, whatever the
    // surroundings name (a platform that cannot start would end the program).
    bool sheet = false;
    for (int i = 1; i < argc; ++i) sheet = sheet || std::strncmp(argv[i], "--sheet", 7) == 0;
    std::unique_ptr<QCoreApplication> app;
    if (sheet) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qunsetenv("QT_QPA_PLATFORMTHEME");
        // The offscreen platform's start-up notes (a missing runtime folder) are no business of
        // this program's users.
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&,
                                                                    const QString& message) {
            if (type != QtDebugMsg && type != QtInfoMsg && type != QtWarningMsg)
                std::fprintf(stderr, "%s\n", qPrintable(message));
        });
        app = std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(previous);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
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
    if (!o.sheet.isEmpty())
        if (const QString why = sheetTargetProblem(o.sheet, o.bitmap); !why.isEmpty()) return error(why);

    // The font folders are listed, and the reader's language data loaded, while the picture is
    // read and the installed faces are listed.
    std::future<FileJobs> listing = std::async(std::launch::async, [&o] { return fileJobs(o.fontDirs); });
    std::vector<QString> readings{o.text.isEmpty() ? o.charText : o.text};
    std::future<std::unique_ptr<TextReader>> starting;
    if (readings.front().isEmpty())
        starting = std::async(std::launch::async, [] { return std::make_unique<TextReader>(); });

    Picture picture = readPicture(o.bitmap);
    if (!picture.ok()) return error(QStringLiteral("cannot read bitmap %1: %2").arg(o.bitmap, picture.error));

    // The first session (and its font system) is made here, on the main thread, before any
    // search thread starts: setting fontconfig up is not safe to race.
    Session session(o.system ? Session::InstalledFaces::Listed : Session::InstalledFaces::NotListed);

    // What the picture shows: what --char or --text says, else what it is read to say (the
    // fonts decide between readings below).
    if (starting.valid()) {
        const std::unique_ptr<TextReader> reader = starting.get();
        if (!reader->ok()) return error(reader->error());
        const Reading reading = reader->read(picture.image);
        if (!reading.ok() || reading.candidates.empty())
            return error(QStringLiteral("no text could be read: give --char or --text"));
        readings = reading.candidates;
        // A lone letter gives the reader no line to stand on (a "g" is read as a 9, a "Σ" as an
        // "E"): every Latin, Greek and Cyrillic letter and every digit is a reading too, and the
        // fonts tell them apart.
        if (readings.front().toUcs4().size() == 1) {
            for (const QString& other : loneCharacterReadings())
                if (std::find(readings.begin(), readings.end(), other) == readings.end()) readings.push_back(other);
        }
    }
    // One character, or a text's characters left to right. The window's ranking keeps the
    // window's picture; the aspect-aware one enlarges small ink.
    const auto shownAs = [&picture, &o](const QString& said) {
        const bool word = QString(said).remove(QLatin1Char(' ')).toUcs4().size() > 1;
        return textReferenceOf(picture.image, said, word, o.rank == RankBy::Aspect);
    };
    int chosen = 0;
    TextReference shown = shownAs(readings.front());
    if (!shown.ok()) return error(QStringLiteral("%1: %2").arg(o.bitmap, shown.error));
    // With no other reading to show, the picture (up to 100 megapixels) is let go before the search.
    if (readings.size() == 1) picture.image = QImage();

    const FileJobs files = listing.get();
    if (!files.error.isEmpty()) return error(files.error);

    SearchParams& params = session.params();
    const auto use = [](Session& s, const TextReference& what) {
        what.applyTo(s);
        s.params().character = what.word.empty() ? Character::fromText(what.text) : what.word.front().character;
    };
    use(session, shown);
    params.speedup = o.speedup;
    params.aspect = o.rank == RankBy::Aspect;
    params.screen = params.aspect;
    if (readings.size() > 1) params.screenMargin = kReadingScreenMargin;
    params.top = o.top;
    // Small text's best fonts are looked at again below: they need their exact scores.
    if (o.top > 0 && session.looksAtOwnSize()) params.top = std::max(o.top, kOwnSizeFonts);
    params.minPercent = o.minPercent;
    params.passOverLacking = true;
    std::vector<FontRef> jobs = files.jobs;
    if (o.system) {
        const std::vector<FontRef> installed = installedJobs(session.fonts());
        jobs.insert(jobs.end(), installed.begin(), installed.end());
    }
    if (jobs.empty()) {
        if (o.fontDirs.isEmpty()) return error(QStringLiteral("no fonts found: no installed faces"));
        return error(QStringLiteral("no fonts found under %1").arg(o.fontDirs.join(QStringLiteral(", "))));
    }

    QElapsedTimer clock;
    clock.start();
    SearchProgress progress;
    if (stderrIsTerminal) {
        progress = [&clock](int done, int total) {
            const QString line = progressText(done, total, clock.nsecsElapsed() / 1e9);
            write(stderr, QStringLiteral("\r\033[K") + (done < total ? line : QString()));
            std::fflush(stderr);
        };
    }
    std::vector<FontResult> results = searchInParallel(session, jobs, o.jobs, progress);
    if (readings.size() > 1) {
        // The readings a picture allows (a letter whose cases share their shape, the engine's
        // other choices) are weighed by the fonts that match the first one best: the reading
        // some font matches best wins.
        const auto scoreOf = [&o](const FontResult& r) { return o.rank == RankBy::Aspect ? r.aspectScore : r.score.m; };
        // The first reading's best fonts, and its best matches: a font that its first look did
        // not draw in full has no score for it, yet may draw another reading best.
        std::vector<FontRef> best;
        std::vector<char> taken(jobs.size(), 0);
        // A font's copies draw as it does: one of them is enough.
        for (const RankBy by : {o.rank, RankBy::Match})
            for (const std::vector<int>& copies :
                 copiesTogether(rankResults(results, 0, 0, by), by == o.rank ? kReadingFonts : kReadingMatches))
                if (!taken[size_t(copies[0])]) {
                    for (const int job : copies) taken[size_t(job)] = 1;
                    best.push_back(jobs[size_t(copies[0])]);
                }
        // How many characters each word of a reading has.
        const auto shape = [](const QString& s) {
            QList<int> lengths;
            for (const QString& word : s.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                lengths << int(word.toUcs4().size());
            return lengths;
        };
        // The first reading's best score is the search's; each other's is its best font's score,
        // which a search for the one best alone finds weighing fewest fonts (the fonts that
        // matched the first reading best come first).
        double bestScore = 0;
        for (const FontResult& r : results)
            if (r.matched) bestScore = std::max(bestScore, scoreOf(r));
        const SearchParams asked = params;
        params.top = 1;
        params.minPercent = 0;
        params.screen = false;
        // A reading can only win with a font that scores as much as the first reading's best (a
        // hair less for a tie): fonts that cannot are not weighed.
        if (params.aspect) params.floor = bestScore * (1 - 2e-9);
        // Each other reading's best score (-1 when the picture cannot show it), weighed on two
        // threads, each with a session of its own that keeps its few fonts open from reading to
        // reading.
        std::vector<double> scores(readings.size(), -1.0);
        // `apart`: the session was last given another reading's picture than the first's.
        const auto weighReading = [&](Session& s, bool& apart, int k) {
            // A reading of as many characters in as many words is shown by the picture prepared
            // alike (its ink, measured once, serves every such reading): only the characters differ.
            const QString& reading = readings[size_t(k)];
            std::vector<Character> characters;
            for (const uint u : QString(reading).remove(QLatin1Char(' ')).toUcs4())
                characters.push_back(Character::fromCodePoint(u));
            const bool alike = shape(reading) == shape(shown.text);
            if (alike && apart) {
                shown.applyTo(s);
                apart = false;
            }
            if (alike && (shown.whole() || shown.word.size() <= 1 || s.setWordCharacters(characters))) {
                s.params().character = characters.front();
                if (shown.whole()) s.setLine(shown.line.grey, reading, shown.line.own);
            } else {
                const TextReference candidate = shownAs(reading);
                if (!candidate.ok()) return;
                use(s, candidate);
                apart = true;
            }
            double score = 0;
            s.search(best, 0, [&](int, const RenderOutcome&, const FontResult& r) {
                if (r.matched) score = std::max(score, scoreOf(r));
                return true;
            });
            scores[size_t(k)] = score;
        };
        std::atomic<int> next{1};
        const auto share = [&](Session& s) {
            bool apart = false;
            for (int k; (k = next++) < int(readings.size());) weighReading(s, apart, k);
        };
        std::thread second;
        if (o.jobs > 1 && readings.size() > 2) second = onThreadLike(session, share);
        share(session);
        if (second.joinable()) second.join();
        for (int k = 1; k < int(readings.size()); ++k)
            if (scores[size_t(k)] >= 0 && readsBetter(scores[size_t(k)], readings[size_t(k)], bestScore, readings[size_t(chosen)]))
                bestScore = scores[size_t(k)], chosen = k;
        params = asked;
        if (chosen != 0) shown = shownAs(readings[size_t(chosen)]);  // notes and boxes as for that reading
        use(session, shown);
        if (chosen != 0) results = searchInParallel(session, jobs, o.jobs, progress);
    }
    session.lookAtOwnSize(jobs, results, o.jobs);
    if (o.charText.isEmpty() && o.text.isEmpty()) {
        const QString among = readings.size() > 1
                                  ? QStringLiteral(" (chosen by the fonts among %1 readings)").arg(readings.size())
                                  : QString();
        write(stderr, QStringLiteral("lettrino-match: read: %1%2\n").arg(shown.text, among));
    }
    if (!shown.note.isEmpty()) write(stderr, QStringLiteral("lettrino-match: %1\n").arg(shown.note));
    // The text as people read it (words apart), and as json has always carried it (no spaces).
    const QString words = shown.text.simplified();
    const QString text = QString(shown.text).remove(QLatin1Char(' '));

    int unreadable = 0, matched = 0, weighed = 0;
    for (const FontResult& r : results) {
        unreadable += r.unreadable ? 1 : 0;
        matched += r.matched ? 1 : 0;
        weighed += r.weighed ? 1 : 0;
    }
    // Every row, for the first's near-twins may lie beyond the top among its copies.
    std::vector<ResultRow> rows = rankResults(results, o.minPercent, 0, o.rank);
    if (o.rank == RankBy::Aspect) session.settleNearTwins(jobs, rows);
    if (o.top > 0 && int(rows.size()) > o.top) rows.resize(size_t(o.top));
    // The score column shows what the rows are ordered by: ranked by the match, the match.
    if (o.rank == RankBy::Match)
        for (ResultRow& row : rows) row.score = row.m;
    // A picture no font matches better than chance (a bar, a texture) ranks the fonts by noise.
    double bestMatch = 0;
    for (const FontResult& r : results)
        if (r.matched) bestMatch = std::max(bestMatch, r.score.m);
    const bool meaningful =
        matched == 0 || bestMatch >= (session.matchesLine() ? kMeaningfulLineMatch : kMeaningfulMatch);
    // Matched whole, a picture that no font sets like the text does not show it.
    if (session.matchesLine() && !meaningful)
        return error(QStringLiteral("%1: no font sets \"%2\" like the picture, which shows %3")
                         .arg(o.bitmap, words, shown.seen));
    const MatchedPicture against{text, meaningful, shown.region, shown.whole(), shown.characters};
    write(stdout, formatRows(rows, o.format, against));
    std::fflush(stdout);

    // The summary: what was matched, what could not be, and how much work the ranking needed.
    const int total = int(jobs.size());
    const int withoutGlyph = total - matched - unreadable;
    QString summary = QStringLiteral("lettrino-match: %1 fonts, %2 matched").arg(total).arg(matched);
    if (withoutGlyph > 0)
        summary += QStringLiteral(", %1 without \"%2\"").arg(withoutGlyph).arg(words);
    if (unreadable > 0) summary += QStringLiteral(", %1 could not be read and were skipped").arg(unreadable);
    if (params.aspect) summary += QStringLiteral(", %1 scored in full").arg(weighed);
    write(stderr, summary + QLatin1Char('\n'));
    if (!meaningful)
        write(stderr, QStringLiteral("lettrino-match: no font matches this picture: the best match is %1 %\n")
                          .arg(QLocale::c().toString(bestMatch * 100, 'f', 2)));

    if (!o.sheet.isEmpty()) {
        QString why;
        const QString caption = QStringLiteral("%1 \u2014 \u201c%2\u201d").arg(QFileInfo(o.bitmap).fileName(), words);
        if (!writeSheet(session, jobs, rows, words, caption, o.sheet, &why)) return error(why);
    }
    return meaningful ? 0 : kExitNoMatch;
}
