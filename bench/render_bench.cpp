// Full 80 x 24 screens, every cell changing each frame, drawn batched and one character at a time.
// Needs a display: run under xvfb-run -a.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "core/Config.h"
#include "display/DisplayManager.h"
#include "world/WorldManager.h"

namespace {

const char *const FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

bool ensureDisplay() {
    nv::DisplayManager &dm = nv::DisplayManager::getInstance();
    if (dm.isStarted())
        return true;
    nv::Config::getInstance().loadConfig(std::string("font_file:") + FONT_PATH + ",");
    nv::WorldManager &world = nv::WorldManager::getInstance();
    world.startUp();
    world.setBoundary(nv::Box(nv::Vector(0, 0), 80, 24));
    world.setView(nv::Box(nv::Vector(0, 0), 80, 24));
    return dm.startUp() == 0;
}

void drawFullScreen(nv::DisplayManager &dm, int frame) {
    for (int y = 0; y < 24; y++) {
        for (int x = 0; x < 80; x++) {
            const char ch = static_cast<char>('!' + (frame + x * 7 + y * 3) % 90);
            const nv::Color color = static_cast<nv::Color>(1 + (frame + x + y) % 7);
            dm.drawCharacter(nv::Vector(static_cast<float>(x), static_cast<float>(y)), ch, color);
        }
    }
}

void runFrames(benchmark::State &state, bool batched) {
    if (!ensureDisplay()) {
        state.SkipWithError("no window: run under xvfb-run -a");
        return;
    }
    nv::DisplayManager &dm = nv::DisplayManager::getInstance();
    dm.setBatching(batched);
    int frame = 0;
    for (int warm = 0; warm < 3; warm++) {
        drawFullScreen(dm, frame++);
        dm.swapBuffers();
    }
    for (auto _ : state) {
        drawFullScreen(dm, frame++);
        dm.swapBuffers();
    }
    state.counters["cells_per_frame"] = 80 * 24;
}

void BM_FullScreenBatched(benchmark::State &state) {
    runFrames(state, true);
}
void BM_FullScreenPerCharacter(benchmark::State &state) {
    runFrames(state, false);
}

// What a frame costs with nothing drawn: showing and clearing the window.
void BM_EmptyFrame(benchmark::State &state) {
    if (!ensureDisplay()) {
        state.SkipWithError("no window: run under xvfb-run -a");
        return;
    }
    for (auto _ : state)
        nv::DisplayManager::getInstance().swapBuffers();
}

BENCHMARK(BM_FullScreenPerCharacter)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FullScreenBatched)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

BENCHMARK_MAIN();
