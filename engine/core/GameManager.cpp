#include "core/GameManager.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/Clock.h"
#include "core/Config.h"
#include "core/EventStep.h"
#include "core/LogManager.h"
#include "core/Platform.h"
#include "display/DisplayManager.h"
#include "input/InputManager.h"
#include "network/NetworkManager.h"
#include "path/PathManager.h"
#include "resources/ResourceManager.h"
#include "world/Box.h"
#include "world/Vector.h"
#include "world/WorldManager.h"

namespace nv {

namespace {

// One line on the terminal, since a player who sees the program end at once will not think of the log.
void reportStartUpFailure(const std::string &reason) {
    const LogManager &log_manager = LogManager::getInstance();
    const std::size_t mark = reason.find("Error! ");
    const std::string text = mark == std::string::npos ? reason : reason.substr(mark + 7);
    std::string log_path = log_manager.getFileName();
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(log_path, error);
    if (!error) {
        log_path = absolute.string();
    }
    if (!log_manager.isStarted()) {
        std::fprintf(stderr, "Norvantis: start-up failed: unable to open the log file '%s'.\n", log_path.c_str());
        return;
    }
    std::fprintf(stderr, "Norvantis: start-up failed: %s Details in the log: %s\n",
                 text.empty() ? "a manager did not start." : text.c_str(), log_path.c_str());
}

} // namespace

GameManager::GameManager() : Manager(CoreManager{}), game_over(false), frame_time(0), step_count(0) {
    setType("GameManager");
}

GameManager::~GameManager() = default;

GameManager &GameManager::getInstance() {
    static GameManager game_manager;
    return game_manager;
}

bool GameManager::isValid(std::string event_type) const {
    return event_type == STEP_EVENT;
}

int GameManager::startUp() {
    LogManager &log_manager = LogManager::getInstance();
    if (isStarted()) {
        log_manager.writeLog("%s::startup(): Warning! %s already started.", getType().c_str(), getType().c_str());
        return -1;
    }
    Config &config = Config::getInstance();
    config.loadConfig();
    // The reason is taken before this manager's own line, which would only name the manager that failed.
    const auto failStartUp = [&log_manager](const char *line) {
        const std::string reason = log_manager.getLastError();
        log_manager.writeLog("%s", line);
        reportStartUpFailure(reason);
        return -1;
    };

    if (log_manager.startUp() != 0) {
        return failStartUp("GameManager::startUp(): Error! Starting log manager.");
    }
    log_manager.writeLog("****************************************************");
    log_manager.writeLog("** Norvantis version %.2f **", static_cast<double>(NV_VERSION));
    log_manager.writeLog("** Game engine started **");
    log_manager.writeLog("****************************************************");
    config.writeSummary();

    char cwd[256];
    log_manager.writeLog(1, "Working directory:");
    log_manager.writeLog(1, "  %s", Platform::currentDirectory(cwd, sizeof(cwd)) ? cwd : "(full path too long)");
    log_manager.writeLog(1, "Log Manager started.");

    frame_time = config.getFrameTime();
    log_manager.writeLog(5, "GameManager::startUp(): frame time is %d milliseconds", frame_time);

    if (DisplayManager::getInstance().startUp() != 0) {
        return failStartUp("GameManager::startUp(): Error! Starting display manager.");
    }
    log_manager.writeLog(1, "Display manager started.");
    if (InputManager::getInstance().startUp() != 0) {
        return failStartUp("GameManager::startUp(): Error! Starting input manager.");
    }
    log_manager.writeLog(1, "Input manager started.");
    if (config.getNetworking()) {
        if (NetworkManager::getInstance().startUp() != 0) {
            return failStartUp("GameManager::startUp(): Error! Starting network manager.");
        }
        log_manager.writeLog(1, "Network manager started.");
    }
    if (ResourceManager::getInstance().startUp() != 0) {
        return failStartUp("GameManager::startUp(): Error! Starting resource manager.");
    }
    log_manager.writeLog(1, "Resource manager started.");
    if (WorldManager::getInstance().startUp() != 0) {
        return failStartUp("GameManager::startUp(): Error starting world manager.");
    }
    log_manager.writeLog(1, "World manager started.");
    if (PathManager::getInstance().startUp() != 0) {
        return failStartUp("GameManager::startUp(): Error starting path manager.");
    }
    log_manager.writeLog(1, "Path manager started.");

    const Box world_box(Vector(0, 0), static_cast<float>(DisplayManager::getInstance().getHorizontalChars()),
                        static_cast<float>(DisplayManager::getInstance().getVerticalChars()));
    WorldManager &world_manager = WorldManager::getInstance();
    world_manager.setBoundary(world_box);
    world_manager.setView(world_box);
    world_manager.setViewSlack(Vector(0.33333334f, 0.33333334f));

    int seed = config.getRandomSeed();
    if (seed == 0) {
        seed = static_cast<int>(static_cast<unsigned int>(std::time(nullptr)));
    }
    if (seed != -1) {
        log_manager.writeLog(10, "GameManager()::startUp(): srand() seed with %d", seed);
        std::srand(static_cast<unsigned int>(seed));
    }

    if (Platform::timeBeginPeriod(1) == TIMERR_NOCANDO) {
        log_manager.writeLog(1, "GameManager()::startUp(): Warning!  timeBeginPeriod() cannot accept 1 msec.");
    }

    game_over = false;
    Manager::startUp();
    log_manager.writeLog(1, "GameManager successfully started.");
    return 0;
}

void GameManager::shutDown() {
    LogManager &log_manager = LogManager::getInstance();
    game_over = true;
    if (Platform::timeEndPeriod(1) == TIMERR_NOCANDO) {
        log_manager.writeLog(1, "GameManager()::shutDown(): Warning! timeEndPeriod() cannot accept 1 msec.");
    }
    if (PathManager::getInstance().isStarted()) {
        PathManager::getInstance().shutDown();
        log_manager.writeLog(1, "Path manager stopped");
    }
    if (WorldManager::getInstance().isStarted()) {
        WorldManager::getInstance().shutDown();
        log_manager.writeLog(1, "World manager stopped");
    }
    if (ResourceManager::getInstance().isStarted()) {
        ResourceManager::getInstance().shutDown();
        log_manager.writeLog(1, "Resource manager stopped");
    }
    if (Config::getInstance().getNetworking() && NetworkManager::getInstance().isStarted()) {
        NetworkManager::getInstance().shutDown();
        log_manager.writeLog(1, "Network manager stopped");
    }
    if (InputManager::getInstance().isStarted()) {
        InputManager::getInstance().shutDown();
        log_manager.writeLog(1, "Input manager stopped");
    }
    if (DisplayManager::getInstance().isStarted()) {
        DisplayManager::getInstance().shutDown();
        log_manager.writeLog(1, "Display manager stopped");
    }
    log_manager.writeLog("****************************************************");
    log_manager.writeLog("** Game engine stopped **");
    if (log_manager.isStarted()) {
        log_manager.shutDown();
    }
    Manager::shutDown();
}

void GameManager::run() {
    const long long frame_us = static_cast<long long>(frame_time) * 1000;
    long long adjust = 0;
    Clock clock;
    LogManager &log_manager = LogManager::getInstance();
    log_manager.writeLog(1, "GameManager::run(): starting game loop");
    game_over = false;
    step_count = 0;
    EventStep step_event;
    for (;;) {
        clock.delta();
        step_event.setStepCount(step_count);
        onEvent(&step_event);
        DisplayManager::getInstance().swapBuffers();
        InputManager::getInstance().getInput();
        WorldManager::getInstance().update();
        WorldManager::getInstance().draw();
        if (Config::getInstance().getNetworking() && NetworkManager::getInstance().isStarted()) {
            NetworkManager &network_manager = NetworkManager::getInstance();
            if (network_manager.isServer()) {
                network_manager.accept();
            }
            if (network_manager.isConnected()) {
                network_manager.deliverQueued();
            }
        }
        const long long split = clock.split();
        const int budget = static_cast<int>(static_cast<float>(frame_us - split - adjust) * 0.95f / 1000.0f);
        PathManager::getInstance().cycle(budget);

        const long long elapsed = clock.split();
        const long long remaining = frame_us - elapsed - adjust;
        if (remaining > 0) {
            const long long t0 = clock.split();
            Platform::sleepMilliseconds(static_cast<int>(remaining / 1000));
            const long long t1 = clock.split();
            const long long over = t1 - t0 - remaining;
            adjust = over > 0 ? over : 0;
        } else {
            if (adjust == 0 && frame_time > 0 && step_count > 0) {
                log_manager.writeLog("GameManager::run(): Can't keep up! frame_time %d ms, split %d ms", frame_time,
                                     static_cast<int>(elapsed / 1000));
            }
            adjust = 0;
        }
        step_count++;
        if (game_over) {
            log_manager.writeLog(1, "GameManager::run(): end of game loop");
            return;
        }
    }
}

void GameManager::setGameOver(bool new_game_over) {
    game_over = new_game_over;
}

bool GameManager::getGameOver() const {
    return game_over;
}

int GameManager::getFrameTime() const {
    return frame_time;
}

void GameManager::setFrameTime(int new_frame_time) {
    frame_time = new_frame_time;
}

int GameManager::getStepCount() const {
    return step_count;
}

} // namespace nv
