#pragma once

#include "NorvantisVersion.h"
#include "core/Manager.h"

namespace nv {

/// Frame time in milliseconds when the configuration gives none.
const int FRAME_TIME_DEFAULT = 33;

/// Starts and stops every manager in order and runs the fixed-rate game loop.
class GameManager : public Manager {
public:
    /// Returns the one game manager.
    static GameManager &getInstance();
    GameManager(const GameManager &) = delete;
    GameManager &operator=(const GameManager &) = delete;
    ~GameManager() override;

    /// Loads the configuration and starts every manager in order; 0 on success, -1 on the first failure.
    int startUp() override;
    /// Stops every started manager in reverse order, the log manager last.
    void shutDown() override;
    /// Accepts only "nv-step".
    bool isValid(std::string event_type) const override;

    /// Runs the fixed-rate loop until the end of the step in which game over is set.
    void run();

    /// Sets the game-over flag; the loop ends after the current step.
    void setGameOver(bool new_game_over = true);
    /// Returns the game-over flag.
    bool getGameOver() const;
    /// Returns the target duration of one step in milliseconds.
    int getFrameTime() const;
    /// Sets the target duration of one step; startUp() takes it from the configuration.
    void setFrameTime(int new_frame_time);
    /// Returns the number of steps completed since the loop started.
    int getStepCount() const;

private:
    GameManager();

    bool game_over;
    int frame_time;
    int step_count;
};

} // namespace nv
