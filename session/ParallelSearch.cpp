// Running a search on several threads, one session each.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "session/Session.h"

namespace lettrino {

std::thread onThreadLike(const Session& like, std::function<void(Session&)> work) {
    std::promise<void> made;
    std::thread thread([&like, &made, work = std::move(work)] {
        Session own(like, nullptr);
        made.set_value();
        work(own);
    });
    made.get_future().wait();
    return thread;
}

std::vector<FontResult> searchInParallel(Session& first, const std::vector<FontRef>& jobs, int threads,
                                         const SearchProgress& progress, int progressIntervalMs) {
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
    int running = std::max(1, std::min(threads, total));
    const int count = running;

    // A search that looks first (session/Screen.h) meets between its rounds: the last thread to
    // finish the first looks chooses the fonts to draw in full. What is done is what is settled:
    // a font the first round lets through is done when drawn in full.
    const bool looksFirst = first.looksFirst();
    const int top = first.params().top;
    const double margin = first.lookMargin();
    std::vector<double> looks(looksFirst ? jobs.size() : 0);
    std::vector<std::vector<int>> inFull;
    std::atomic<int> nextInFull{0};
    int looking = count;
    std::condition_variable looked;

    // Each thread claims the next job, so that slow fonts do not hold up one thread's share;
    // each result goes to its own slot, so no lock is needed for them.
    auto work = [&](Session& session) {
        session.startSearch();
        for (int i = next++; i < total; i = next++) {
            if (!looksFirst) {
                results[size_t(i)] = session.matchFont(jobs[size_t(i)]);
                ++done;
                continue;
            }
            looks[size_t(i)] = session.lookFirst(jobs[size_t(i)], results[size_t(i)]);
            if (looks[size_t(i)] == kLookSettled) ++done;
        }
        if (looksFirst) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                if (--looking == 0) {
                    inFull = toDrawInFull(looks, results, top, margin);
                    int let = 0, drawn = 0;
                    for (const double look : looks) let += look != kLookSettled;
                    for (const std::vector<int>& copies : inFull) drawn += int(copies.size());
                    done += let - drawn;
                    looked.notify_all();
                } else {
                    looked.wait(lock, [&looking] { return looking == 0; });
                }
            }
            // A library's copies of a font take what its first copy gets.
            for (int k = nextInFull++; k < int(inFull.size()); k = nextInFull++) {
                const std::vector<int>& copies = inFull[size_t(k)];
                const FontResult drawn = session.matchInFull(jobs[size_t(copies[0])]);
                for (const int i : copies) {
                    results[size_t(i)] = drawn;
                    results[size_t(i)].file = jobs[size_t(i)].file;
                }
                done += int(copies.size());
            }
        }
        session.finishSearch();
    };
    auto signalEnd = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        --running;
        finished.notify_all();
    };

    std::vector<std::thread> pool;
    pool.reserve(size_t(count));
    pool.emplace_back([&] {
        work(first);
        signalEnd();
    });
    for (int t = 1; t < count; ++t) {
        pool.emplace_back([&] {
            {
                Session own(first, nullptr);
                work(own);
            }
            signalEnd();
        });
    }

    {
        std::unique_lock<std::mutex> lock(mutex);
        const auto interval = std::chrono::milliseconds(std::max(1, progressIntervalMs));
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

}  // namespace lettrino
