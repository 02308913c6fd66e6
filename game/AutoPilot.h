#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Glyphcage.h"
#include "display/CellBatch.h"
#include "input/EventKeyboard.h"
#include "input/EventMouse.h"

class CrawlPathFind;

/// The game's controller with a player built in: it plays the real game by raising the keyboard and mouse
/// events the input manager raises, reading the world to decide, and records what it saw.
class AutoPilot : public Glyphcage {
public:
    /// A controller that plays by itself and keeps screenshots for shot_dir ("" keeps none).
    explicit AutoPilot(std::string new_shot_dir);
    ~AutoPilot() override;

    /// The controller's own handling first, then, on "nv-step", the player's move for this step.
    int eventHandler(const nv::Event *p_e) override;

    /// Writes the screenshots taken into the shot directory: the screens as text, and, with a window, as PNG
    /// pictures drawn again from the characters kept; the number of files written. Call before shutting down.
    int saveScreenshots();
    /// One line: levels reached, outcome and steps.
    std::string summary() const;
    /// True when the game ended on the escaped screen.
    bool hasEscaped() const { return outcome == "YOU ESCAPED GLYPH-CAGE!"; }
    /// The headline of the screen the game ended on ("" while still playing).
    std::string getOutcome() const { return outcome; }
    /// Highest level played.
    int getHighestLevel() const { return highest_level; }
    /// Steps played since the controller was created.
    int getSteps() const { return steps; }
    /// Hits the raft took.
    int getRaftHits() const { return raft_hits; }
    /// Nominal milliseconds after which the player gives up and quits.
    void setTimeLimit(long long new_time_limit) { time_limit = new_time_limit; }

private:
    // The keys the player uses, by index into its key tables.
    enum PilotKey { KEY_RETURN, KEY_ESCAPE, KEY_W, KEY_A, KEY_S, KEY_D, KEY_COUNT };

    struct Screenshot {
        std::string name;
        std::vector<std::string> rows;
        std::vector<nv::CellBatch::Cell> cells;
    };

    void pilot();
    void playTitle();
    void playCell();
    void playVents();
    void playSea();
    void playEnd();
    void releaseAll();
    void tap(PilotKey key);
    void sendKeys();
    void moveMouse(nv::Vector where);
    void clickMouse(nv::Vector where);
    void shoot(const std::string &name);

    std::string shot_dir;
    std::vector<Screenshot> shots;
    bool want[KEY_COUNT];
    bool held[KEY_COUNT];
    bool tapped[KEY_COUNT];
    nv::EventKeyboard keyboard_event;
    nv::EventMouse mouse_event;
    int steps;
    int state_steps;
    int last_state;
    int last_level;
    int highest_level;
    std::string outcome;
    long long nominal_time;
    long long time_limit;
    bool gave_up;
    // Cell: 0 walking to the vent, 1 pointing at it, 2 clicked.
    int cell_phase;
    float last_x;
    int still_steps;
    // Vents: the search for the current prisoner and the crawl it found.
    std::unique_ptr<CrawlPathFind> search;
    int planned_for;
    std::vector<nv::Vector> crawl;
    std::size_t crawl_index;
    int sections_shot;
    // Sea.
    int last_integrity;
    int raft_hits;
    bool sea_shot;
};
