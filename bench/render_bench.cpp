// Frames of an 80 x 24 screen drawn batched (only changed tiles redrawn) against the same frames drawn one
// character at a time, in the same run: every cell changing, 5 % changing, nothing changing, and steps of the
// game's levels 2 and 3 recorded headless and replayed. Each benchmark reports batched ms per frame (split into
// draw_ms for the drawCharacter calls and show_ms for swapBuffers), the per-character ms per frame of the same
// frames, and ratio = batched / per-character.
// Needs a display: run under xvfb-run -a.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AutoPilot.h"
#include "GameStart.h"
#include "core/Config.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "display/DisplayManager.h"
#include "world/WorldManager.h"

namespace {

const char *const FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
const int COLS = 80;
const int ROWS = 24;
const int FRAMES_PER_ROUND = 10;
const int RECORDED_STEPS = 400;
// Rounds are fixed rather than timed: a round's per-character half costs several times its batched half.
const int ROUNDS = 6;

using Recording = std::vector<std::vector<nv::CellBatch::Cell>>;

// Plays a level headless with the built-in player for a fixed number of steps and keeps what each step drew.
Recording recordLevel(int level) {
    const std::filesystem::path root = std::filesystem::path(__FILE__).parent_path().parent_path();
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(root);
    const std::string config = (std::filesystem::temp_directory_path() / "nv-render-bench-config.txt").string();
    std::ofstream(config) << "headless:true,\nnetworking:false,\nwindow_horizontal_chars:80,\n"
                             "window_vertical_chars:24,\nrandom_seed:3,\n";
    setenv("NORVANTIS_CONFIG", config.c_str(), 1);
    setenv("NORVANTIS_LOG", "/dev/null", 1);
    setenv("ALSOFT_DRIVERS", "null", 0);
    Recording frames;
    if (startEngine() == 0) {
        nv::DisplayManager &dm = nv::DisplayManager::getInstance();
        dm.setCapture(true);
        loadResources();
        Glyphcage *p_controller = new AutoPilot("");
        connectLevels(p_controller);
        for (int step = 0; step < RECORDED_STEPS; step++) {
            if (p_controller->getState() != PLAYING && p_controller->getState() != TRANSITION)
                p_controller->changeState(PLAYING, level);
            nv::EventStep event(step);
            nv::GameManager::getInstance().onEvent(&event);
            dm.swapBuffers();
            nv::WorldManager::getInstance().update();
            nv::WorldManager::getInstance().draw();
            const nv::CellBatch &drawn = dm.getPending();
            frames.emplace_back();
            for (std::size_t i = 0; i < drawn.size(); i++)
                frames.back().push_back(drawn.at(i));
        }
        dm.setCapture(false);
        nv::GameManager::getInstance().shutDown();
    }
    std::filesystem::remove(config);
    unsetenv("NORVANTIS_CONFIG");
    std::filesystem::current_path(here);
    return frames;
}

const Recording &levelRecording(int level) {
    static const Recording level2 = recordLevel(2);
    static const Recording level3 = recordLevel(3);
    return level == 2 ? level2 : level3;
}

bool ensureDisplay() {
    // Record first: playing the game starts and stops the managers.
    levelRecording(2);
    levelRecording(3);
    nv::DisplayManager &dm = nv::DisplayManager::getInstance();
    if (dm.isStarted())
        return true;
    nv::Config::getInstance().reset();
    nv::Config::getInstance().loadConfig(std::string("font_file:") + FONT_PATH + ",");
    nv::WorldManager &world = nv::WorldManager::getInstance();
    world.startUp();
    world.setBoundary(nv::Box(nv::Vector(0, 0), COLS, ROWS));
    world.setView(nv::Box(nv::Vector(0, 0), COLS, ROWS));
    return dm.startUp() == 0;
}

// A screen of characters that a scene changes some of from frame to frame.
struct Screen {
    char ch[ROWS][COLS];
    nv::Color color[ROWS][COLS];
};

void fillScreen(Screen &screen, int frame) {
    for (int y = 0; y < ROWS; y++)
        for (int x = 0; x < COLS; x++) {
            screen.ch[y][x] = static_cast<char>('!' + (frame + x * 7 + y * 3) % 90);
            screen.color[y][x] = static_cast<nv::Color>(1 + (frame + x + y) % 7);
        }
}

void drawScreen(const Screen &screen) {
    nv::DisplayManager &dm = nv::DisplayManager::getInstance();
    for (int y = 0; y < ROWS; y++)
        for (int x = 0; x < COLS; x++)
            dm.drawCharacter(nv::Vector(static_cast<float>(x), static_cast<float>(y)), screen.ch[y][x],
                             screen.color[y][x]);
}

enum class Change { All, FivePercent, Nothing };

// Frame number frame of a screen scene.
void drawScreenFrame(Change change, int frame) {
    static Screen screen;
    static unsigned int seed = 1;
    if (frame == 0 || change == Change::All) {
        fillScreen(screen, frame);
        seed = 1;
    } else if (change == Change::FivePercent) {
        for (int i = 0; i < COLS * ROWS / 20; i++) {
            seed = seed * 1103515245u + 12345u;
            const unsigned int cell = (seed >> 8) % (COLS * ROWS);
            char &ch = screen.ch[cell / COLS][cell % COLS];
            ch = static_cast<char>('!' + (ch - '!' + 1) % 90);
        }
    }
    drawScreen(screen);
}

void drawRecordedFrame(int level, int frame) {
    const Recording &frames = levelRecording(level);
    if (frames.empty())
        return;
    nv::DisplayManager &dm = nv::DisplayManager::getInstance();
    for (const nv::CellBatch::Cell &cell : frames[static_cast<std::size_t>(frame) % frames.size()])
        dm.drawCharacter(nv::Vector(cell.x, cell.y), cell.ch, cell.r, cell.g, cell.b, cell.angle);
}

// Seconds taken to draw and show frames first to first + count - 1 in one mode; drawing alone adds to drawing.
template <typename Draw> double timeFrames(bool batched, int first, int count, Draw draw, double &drawing) {
    using Clock = std::chrono::steady_clock;
    nv::DisplayManager &dm = nv::DisplayManager::getInstance();
    dm.setBatching(batched);
    // One frame to settle the mode: the first batched frame after per-character ones redraws everything.
    draw(first - 1);
    dm.swapBuffers();
    const auto start = Clock::now();
    for (int f = first; f < first + count; f++) {
        const auto drawn = Clock::now();
        draw(f);
        drawing += std::chrono::duration<double>(Clock::now() - drawn).count();
        dm.swapBuffers();
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Each iteration times a round of frames per character, then the same frames batched.
template <typename Draw> void runScene(benchmark::State &state, Draw draw) {
    if (!ensureDisplay()) {
        state.SkipWithError("no window: run under xvfb-run -a");
        return;
    }
    double single = 0;
    double batched = 0;
    double single_drawing = 0;
    double drawing = 0;
    int frame = 1;
    for (auto _ : state) {
        single += timeFrames(false, frame, FRAMES_PER_ROUND, draw, single_drawing);
        const double seconds = timeFrames(true, frame, FRAMES_PER_ROUND, draw, drawing);
        batched += seconds;
        frame += FRAMES_PER_ROUND + 1;
        state.SetIterationTime(seconds / FRAMES_PER_ROUND);
    }
    const double frames = static_cast<double>(state.iterations()) * FRAMES_PER_ROUND;
    state.counters["ms_per_frame"] = 1000 * batched / frames;
    // Batched, the calls that collect a frame's cells, and the swap that composes and shows it.
    state.counters["draw_ms"] = 1000 * drawing / frames;
    state.counters["show_ms"] = 1000 * (batched - drawing) / frames;
    state.counters["per_char_ms"] = 1000 * single / frames;
    state.counters["ratio"] = batched / single;
    state.counters["redrawn_tiles"] = static_cast<double>(nv::DisplayManager::getInstance().getRedrawnTiles());
}

void BM_FullChange(benchmark::State &state) {
    runScene(state, [](int f) { drawScreenFrame(Change::All, f); });
}
void BM_FivePercentChange(benchmark::State &state) {
    runScene(state, [](int f) { drawScreenFrame(Change::FivePercent, f); });
}
void BM_Unchanged(benchmark::State &state) {
    runScene(state, [](int f) { drawScreenFrame(Change::Nothing, f); });
}
void replayLevel(benchmark::State &state, int level) {
    runScene(state, [level](int f) { drawRecordedFrame(level, f); });
    double cells = 0;
    for (const auto &frame : levelRecording(level))
        cells += static_cast<double>(frame.size());
    state.counters["cells_per_frame"] = cells / std::max<double>(1, levelRecording(level).size());
}
void BM_Level2Replay(benchmark::State &state) {
    replayLevel(state, 2);
}
void BM_Level3Replay(benchmark::State &state) {
    replayLevel(state, 3);
}
// Nothing drawn at all: showing the window.
void BM_EmptyFrame(benchmark::State &state) {
    runScene(state, [](int) {});
}

BENCHMARK(BM_FullChange)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(ROUNDS);
BENCHMARK(BM_FivePercentChange)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(ROUNDS);
BENCHMARK(BM_Unchanged)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(ROUNDS);
BENCHMARK(BM_Level2Replay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(ROUNDS);
BENCHMARK(BM_Level3Replay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(ROUNDS);
BENCHMARK(BM_EmptyFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(ROUNDS);

} // namespace

BENCHMARK_MAIN();
