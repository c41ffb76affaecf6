// lettrino-bench: timing figures for the engine and the window. Prints, never asserts.
#include <cstdio>
#include <cstring>

int engineBench(int argc, char** argv);
int identifyBench(int argc, char** argv);
int searchRunBench(int argc, char** argv);
int rawBench(int argc, char** argv);
int libraryBench(int argc, char** argv);
int prepBench(int argc, char** argv);
int readBench(int argc, char** argv);

namespace {
struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;
};
const Command kCommands[] = {
    {"engine", engineBench, "engine --fonts DIR [--char C] [--bitmap FILE] [--passes N]"},
    {"identify", identifyBench, "identify --set MANIFEST [--dump FILE] [--jobs N] [--hinting full|light|none]"},
    {"library", libraryBench, "library [--size N] [--fonts DIR] [--char C] [--jobs N] [--top K] [--bitmap FILE]"},
    {"prep", prepBench, "prep --picture FILE [--passes N]"},
    {"read", readBench, "read --set MANIFEST [--limit N]"},
    {"raw", rawBench, "raw --fonts DIR [--passes N]"},
    {"search-run", searchRunBench, "search-run --fonts DIR [--char C] [--speedup S] [--bitmap FILE]"},
};

// The subcommands' list: on stdout for --help (exit 0), on stderr for anything else (exit 2).
int usage(std::FILE* to) {
    std::fprintf(to, "usage:\n");
    for (const Command& c : kCommands) std::fprintf(to, "  lettrino-bench %s\n", c.usage);
    std::fprintf(to, "Options take --name VALUE or --name=VALUE. Figures are printed, never checked.\n");
    return to == stdout ? 0 : 2;
}

}  // namespace

// The first argument picks the subcommand, which reads the rest with its own options
// (bench::readOptions).
int main(int argc, char** argv) {
    if (argc >= 2) {
        for (const Command& c : kCommands)
            if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 1, argv + 1);
        if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) return usage(stdout);
    }
    return usage(stderr);
}
