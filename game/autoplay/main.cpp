#include <cstdio>
#include <string>

#include "AutoPilot.h"
#include "GameStart.h"
#include "core/GameManager.h"
#include "core/LogManager.h"

// Plays the whole game by itself; the optional argument names the screenshot folder ("autoplay-shots").
int main(int argc, char **argv) {
    const std::string shot_dir = argc > 1 ? argv[1] : "autoplay-shots";
    if (startEngine() != 0) {
        return 1;
    }
    prepareGame();
    AutoPilot *p_pilot = new AutoPilot(shot_dir);
    connectLevels(p_pilot);

    nv::GameManager &game_manager = nv::GameManager::getInstance();
    game_manager.run();

    const int saved = p_pilot->saveScreenshots();
    const std::string line = p_pilot->summary();
    const bool escaped = p_pilot->hasEscaped();
    nv::LogManager::getInstance().writeLog("%s", line.c_str());
    std::printf("%s\n", line.c_str());
    if (saved > 0) {
        std::printf("Screenshots: %d files in %s\n", saved, shot_dir.c_str());
    }
    std::fflush(stdout);
    game_manager.shutDown();
    return escaped ? 0 : 2;
}
