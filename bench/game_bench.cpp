// One headless game step (step event, buffer swap, world update and draw into the display's capture) on each
// screen of the game, against the title screen, whose step is the baseline; and the built-in player's share
// of a step at sea. In a real window (needs DISPLAY), the input step's share of a whole step at sea, with held
// state from the window's events against the two X server queries per step it once took (argument 1).
// Run from anywhere: the game's data is found beside this file.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "AutoPilot.h"
#include "GameStart.h"
#include "Glyphcage.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "display/DisplayManager.h"
#include "input/InputManager.h"
#include "world/WorldManager.h"

// Xlib's macros clash with the library headers above, so it comes last.
#include <X11/Xlib.h>

namespace {

// Starts the engine (headless, or in a 1024 x 768 window) at 80 x 24 in the repository root with the game's
// sprites, and makes a controller.
Glyphcage *startGame(bool with_pilot, bool in_window = false) {
    const std::filesystem::path root = std::filesystem::path(__FILE__).parent_path().parent_path();
    std::filesystem::current_path(root);
    const std::string config = (std::filesystem::temp_directory_path() / "glyphcage-bench-config.txt").string();
    std::ofstream(config) << (in_window ? "headless:false,\nfont_file:/usr/share/fonts/truetype/dejavu/"
                                          "DejaVuSansMono-Bold.ttf,\nwindow_horizontal_pixels:1024,\n"
                                          "window_vertical_pixels:768,\n"
                                        : "headless:true,\n")
                          << "networking:false,\nframe_time:33,\nwindow_horizontal_chars:80,\n"
                             "window_vertical_chars:24,\nrandom_seed:3,\n";
    setenv("NORVANTIS_CONFIG", config.c_str(), 1);
    setenv("NORVANTIS_LOG", "/dev/null", 1);
    setenv("ALSOFT_DRIVERS", "null", 0);
    if (startEngine() != 0) {
        return nullptr;
    }
    nv::DisplayManager::getInstance().setCapture(!in_window);
    loadResources();
    Glyphcage *p_controller = with_pilot ? new AutoPilot("") : new Glyphcage();
    connectLevels(p_controller);
    return p_controller;
}

void gameStep(int &count) {
    nv::EventStep event(count++);
    nv::GameManager::getInstance().onEvent(&event);
    nv::DisplayManager::getInstance().swapBuffers();
    nv::WorldManager::getInstance().update();
    nv::WorldManager::getInstance().draw();
}

// Steps the game on one screen; a level that ends is entered again, so every step is a step of that level.
void runScreen(benchmark::State &state, int level, bool with_pilot) {
    Glyphcage *p_controller = startGame(with_pilot);
    if (p_controller == nullptr) {
        state.SkipWithError("the engine did not start");
        return;
    }
    int count = 0;
    for (auto _ : state) {
        if (level > 0 && p_controller->getState() != PLAYING && p_controller->getState() != TRANSITION) {
            p_controller->changeState(PLAYING, level);
        }
        gameStep(count);
    }
    nv::GameManager::getInstance().shutDown();
}

// Whole game steps at sea in a window, the built-in player playing, as the game loop runs them; input_share is
// the input step's part of the step's time.
void BM_WindowSeaStepInput(benchmark::State &state) {
    if (std::getenv("DISPLAY") == nullptr) {
        state.SkipWithError("needs an X display");
        return;
    }
    Glyphcage *p_controller = startGame(true, true);
    if (p_controller == nullptr) {
        state.SkipWithError("the engine did not start");
        return;
    }
    Display *p_display = static_cast<Display *>(nv::SfmlBridge::nativeDisplay());
    using Time = std::chrono::steady_clock;
    Time::duration input{}, all{};
    int count = 0;
    for (auto _ : state) {
        if (p_controller->getState() != PLAYING && p_controller->getState() != TRANSITION) {
            p_controller->changeState(PLAYING, 3);
        }
        const Time::time_point start = Time::now();
        nv::EventStep event(count++);
        nv::GameManager::getInstance().onEvent(&event);
        nv::DisplayManager::getInstance().swapBuffers();
        const Time::time_point input_start = Time::now();
        nv::InputManager::getInstance().getInput();
        if (state.range(0) == 1) {
            char keymap[32];
            ::Window root, child;
            int root_x, root_y, x, y;
            unsigned int buttons;
            XQueryKeymap(p_display, keymap);
            XQueryPointer(p_display, DefaultRootWindow(p_display), &root, &child, &root_x, &root_y, &x, &y, &buttons);
        }
        const Time::time_point input_end = Time::now();
        nv::WorldManager::getInstance().update();
        nv::WorldManager::getInstance().draw();
        input += input_end - input_start;
        all += Time::now() - start;
    }
    state.counters["input_share"] = static_cast<double>(input.count()) / static_cast<double>(all.count());
    nv::GameManager::getInstance().shutDown();
}

void BM_TitleStep(benchmark::State &state) {
    runScreen(state, 0, false);
}
void BM_CellStep(benchmark::State &state) {
    runScreen(state, 1, false);
}
void BM_VentsStep(benchmark::State &state) {
    runScreen(state, 2, false);
}
void BM_SeaStep(benchmark::State &state) {
    runScreen(state, 3, false);
}
void BM_SeaStepWithAutoPilot(benchmark::State &state) {
    runScreen(state, 3, true);
}

} // namespace

BENCHMARK(BM_TitleStep);
BENCHMARK(BM_CellStep);
BENCHMARK(BM_VentsStep);
BENCHMARK(BM_SeaStep);
BENCHMARK(BM_SeaStepWithAutoPilot);
BENCHMARK(BM_WindowSeaStepInput)->Arg(0)->Arg(1)->Arg(0)->Arg(1)->Arg(0)->Arg(1)->MinTime(3);

BENCHMARK_MAIN();
