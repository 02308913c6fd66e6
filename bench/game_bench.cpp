// One headless game step (step event, buffer swap, world update and draw into the display's capture) on each
// screen of the game, against the title screen, whose step is the baseline; and the built-in player's share
// of a step at sea. Run from anywhere: the game's data is found beside this file.
#include <benchmark/benchmark.h>

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
#include "world/WorldManager.h"

namespace {

// Starts the engine headless at 80 x 24 in the repository root with the game's sprites, and makes a controller.
Glyphcage *startGame(bool with_pilot) {
    const std::filesystem::path root = std::filesystem::path(__FILE__).parent_path().parent_path();
    std::filesystem::current_path(root);
    const std::string config = (std::filesystem::temp_directory_path() / "glyphcage-bench-config.txt").string();
    std::ofstream(config) << "headless:true,\nnetworking:false,\nframe_time:33,\nwindow_horizontal_chars:80,\n"
                             "window_vertical_chars:24,\nrandom_seed:3,\n";
    setenv("NORVANTIS_CONFIG", config.c_str(), 1);
    setenv("NORVANTIS_LOG", "/dev/null", 1);
    setenv("ALSOFT_DRIVERS", "null", 0);
    if (startEngine() != 0) {
        return nullptr;
    }
    nv::DisplayManager::getInstance().setCapture(true);
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

BENCHMARK_MAIN();
