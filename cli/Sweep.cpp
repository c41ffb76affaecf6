#include "cli/Sweep.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "match/Aspect.h"
#include "render/FontSystem.h"

namespace lettrino::cli {

SweepWorker::SweepWorker(FontSystem& fonts, const Reference& reference, const QString& charText, int speedup)
    : fonts_(fonts),
      reference_(reference),
      referenceInk_(reference.canvas ? inkMask(*reference.canvas, reference.box) : InkMask{}),
      charText_(charText),
      speedup_(speedup),
      initialFontCount_(fonts.faceCount()),
      renderer_(fonts, glyph_) {
    // As the search run does: start from a clear canvas, then draw straight to the screen
    // layer, so that every clear goes back to white.
    glyph_.clear();
    glyph_.setAutoRedraw(false);
}

FontResult SweepWorker::match(const FontJob& job) {
    FontResult r;
    r.file = job.file;
    try {
        const RenderOutcome outcome =
            renderer_.displayFontFast(job.entry, job.prefix, charText_, reference_.box, initialFontCount_);
        r.face = outcome.faceName;
        if (outcome.registrationFailed) {
            r.unreadable = true;
            return r;
        }
        if (!outcome.fontDisplayed) return r;
        r.score = matchFast(*reference_.canvas, reference_.box, glyph_, outcome.glyphBox, speedup_);
        r.glyphBox = outcome.glyphBox;
        measureInk(glyph_, outcome.glyphBox, glyphInk_);
        const AspectScore aspect = referenceInk_.score(r.score.m, glyphInk_);
        r.aspectScore = aspect.score;
        r.inkAgreement = aspect.agreement;
        r.aspectDistance = aspect.aspectDistance;
        r.matched = true;
    } catch (const std::exception&) {
        // A font that makes the engine give up counts as unreadable; the sweep goes on.
        r.unreadable = true;
        r.matched = false;
    }
    return r;
}

std::vector<FontResult> runSweep(FontSystem& firstFonts, const Reference& reference,
                                 const std::vector<FontJob>& jobs, const SweepSettings& settings,
                                 const SweepProgress& progress) {
    const int total = int(jobs.size());
    std::vector<FontResult> results(jobs.size());
    if (total == 0) {
        if (progress) progress(0, 0);
        return results;
    }

    std::atomic<int> next{0};
    std::atomic<int> done{0};
    std::mutex mutex;
    std::condition_variable finished;
    int running = std::max(1, std::min(settings.jobs, total));
    const int threads = running;

    // Each worker claims the next job, so that slow fonts do not hold up one thread's share;
    // each result goes to its own slot, so no lock is needed for them.
    auto work = [&](FontSystem& fonts) {
        SweepWorker worker(fonts, reference, settings.charText, settings.speedup);
        for (int i = next++; i < total; i = next++) {
            results[size_t(i)] = worker.match(jobs[size_t(i)]);
            ++done;
        }
    };
    auto signalEnd = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        --running;
        finished.notify_all();
    };

    std::vector<std::thread> pool;
    pool.reserve(size_t(threads));
    pool.emplace_back([&] {
        work(firstFonts);
        signalEnd();
    });
    for (int t = 1; t < threads; ++t) {
        pool.emplace_back([&] {
            {
                FontSystem own;
                work(own);
            }
            signalEnd();
        });
    }

    {
        std::unique_lock<std::mutex> lock(mutex);
        const auto interval = std::chrono::milliseconds(std::max(1, settings.progressIntervalMs));
        while (running > 0) {
            finished.wait_for(lock, interval, [&] { return running == 0; });
            if (progress && running > 0) {
                lock.unlock();
                progress(done.load(), total);
                lock.lock();
            }
        }
    }
    for (std::thread& t : pool) t.join();
    if (progress) progress(total, total);
    return results;
}

}  // namespace lettrino::cli
