#pragma once

#include <string>

#include "world/Object.h"

/// What the controller shows.
enum GameState {
    TITLE = 0,
    PLAYING = 1,
    NOT_CONNECTED = 2,
    LOST = 3,
    WON = 4,
    TRANSITION = 5,
};

class Glyphcage;

/// Creates a level for the controller; the world manager owns the result.
using LevelCreator = nv::Object *(*)(Glyphcage *controller);

/// Number of levels the controller can connect.
const int LEVEL_COUNT = 3;

/// The game's flow: title, levels, captured and escaped screens, quitting.
class Glyphcage : public nv::Object {
public:
    /// A spectral controller on the title screen, listening to the keyboard and the step, with no level connected.
    Glyphcage();
    ~Glyphcage() override;

    /// Runs transitions on "nv-step" and answers Enter and Escape; 1 when the event was used.
    int eventHandler(const nv::Event *p_e) override;
    /// Draws the full-screen texts of the title, captured, escaped and not-connected screens; always 0.
    int draw() override;

    /// Starts a two-step transition to new_target_state with new_level; dropped while one is running.
    void changeState(int new_target_state, int new_level);
    /// Starts the next connected level after the current one, or the escaped screen.
    void advanceLevel();

    /// The first line of the full-screen text of the current state ("" while playing or in a transition).
    std::string headline() const;

    /// What is on screen now.
    int getState() const { return state; }
    /// The level being played or last played.
    int getLevel() const { return level; }
    /// The state the running transition ends in.
    int getTargetState() const { return target_state; }
    /// The level the running transition ends in.
    int getNextLevel() const { return next_level; }
    /// Steps left in the running transition.
    int getTransitionSteps() const { return transition_steps; }
    /// Connects level index + 1 to creator (null disconnects it); out-of-range indexes are ignored.
    void setLevelCreator(int index, LevelCreator creator);
    /// The creator of level index + 1, or null.
    LevelCreator getLevelCreator(int index) const;

private:
    int state;
    int target_state;
    int level;
    int next_level;
    int transition_steps;
    LevelCreator level_creators[LEVEL_COUNT];
};
