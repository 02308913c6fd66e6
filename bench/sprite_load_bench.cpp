#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "resources/ResourceManager.h"

namespace {

/// A sprite of frames frames of width x height characters in the simple format.
std::string simpleSprite(int frames, int width, int height) {
    std::string out =
        std::to_string(frames) + "\n" + std::to_string(width) + "\n" + std::to_string(height) + "\n2\ngreen\n";
    for (int f = 0; f < frames; f++) {
        for (int row = 0; row < height; row++) {
            out += std::string(width, static_cast<char>('a' + (f + row) % 26)) + "\n";
        }
    }
    return out;
}

/// The same sprite in the sectioned format.
std::string robustSprite(int frames, int width, int height) {
    std::string out = "<HEADER>\nframes " + std::to_string(frames) + "\nwidth " + std::to_string(width) + "\nheight " +
                      std::to_string(height) +
                      "\nslowdown 2\ncolor green\ntransparency #\n</HEADER>\n"
                      "<BODY>\n";
    for (int f = 0; f < frames; f++) {
        for (int row = 0; row < height; row++) {
            out += std::string(width, static_cast<char>('a' + (f + row) % 26)) + "\n";
        }
        out += "end\n";
    }
    return out + "</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n";
}

std::string writeTemp(const std::string &name, const std::string &contents) {
    static const std::string dir = [] {
        char pattern[] = "/tmp/nv-sprite-bench-XXXXXX";
        const char *made = mkdtemp(pattern);
        return std::string(made != nullptr ? made : "/tmp");
    }();
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
    return path;
}

/// Loads path again and again; the table is emptied (untimed) before it fills up.
void loadRepeatedly(benchmark::State &state, const std::string &path) {
    nv::ResourceManager &rm = nv::ResourceManager::getInstance();
    if (rm.isStarted()) {
        rm.shutDown();
    }
    rm.startUp();
    for (auto _ : state) {
        if (rm.getSpriteCount() == nv::MAX_SPRITES) {
            state.PauseTiming();
            rm.shutDown();
            rm.startUp();
            state.ResumeTiming();
        }
        if (rm.loadSprite(path, "bench") != 0) {
            state.SkipWithError("sprite did not load");
            break;
        }
    }
    rm.shutDown();
    state.SetItemsProcessed(state.iterations());
}

// The game's sprites are a few frames of a few rows: 4 frames of 12 x 4.
void BM_SimpleFormatSmall(benchmark::State &state) {
    loadRepeatedly(state, writeTemp("small.txt", simpleSprite(4, 12, 4)));
}
void BM_RobustFormatSmall(benchmark::State &state) {
    loadRepeatedly(state, writeTemp("small-robust.txt", robustSprite(4, 12, 4)));
}
// A splash-sized picture: 30 frames of 60 x 8.
void BM_SimpleFormatLarge(benchmark::State &state) {
    loadRepeatedly(state, writeTemp("large.txt", simpleSprite(30, 60, 8)));
}
void BM_RobustFormatLarge(benchmark::State &state) {
    loadRepeatedly(state, writeTemp("large-robust.txt", robustSprite(30, 60, 8)));
}

} // namespace

BENCHMARK(BM_SimpleFormatSmall);
BENCHMARK(BM_RobustFormatSmall);
BENCHMARK(BM_SimpleFormatLarge);
BENCHMARK(BM_RobustFormatLarge);

BENCHMARK_MAIN();
