// lettrino-bench: timing figures for the engine and the window. Prints, never asserts.
#include <cstdio>
#include <cstring>

int engineBench(int argc, char** argv);
int identifyBench(int argc, char** argv);
int searchRunBench(int argc, char** argv);
int rawBench(int argc, char** argv);

namespace {
struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;
};
const Command kCommands[] = {
    {"engine", engineBench, "engine --fonts DIR [--char C] [--bitmap FILE]"},
    {"identify", identifyBench, "identify --set MANIFEST [--dump FILE] [--jobs N]"},
    {"raw", rawBench, "raw --fonts DIR [--passes N]"},
    {"search-run", searchRunBench, "search-run --fonts DIR [--char C] [--speedup S] [--bitmap FILE]"},
};
}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2) {
        for (const Command& c : kCommands)
            if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "usage:\n");
    for (const Command& c : kCommands) std::fprintf(stderr, "  lettrino-bench %s\n", c.usage);
    return 2;
}
