#include "AutoPilot.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "CrawlPathFind.h"
#include "Level2.h"
#include "Level3.h"
#include "Lightning.h"
#include "Raft.h"
#include "Shark.h"
#include "Vent.h"
#include "core/Clock.h"
#include "core/Event.h"
#include "core/GameManager.h"
#include "display/DisplayManager.h"
#include "display/SfmlBridge.h"

#include "core/EventStep.h"
#include "input/InputManager.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"
#include "world/WorldManager.h"
#include <SFML/Graphics/Image.hpp>

namespace {
const nv::Key PILOT_KEYS[] = {nv::RETURN, nv::ESCAPE, nv::W, nv::A, nv::S, nv::D};

// Steps a screen is shown before the player takes a picture of it, and before it goes on.
const int TITLE_SHOT = 20;
const int TITLE_ENTER = 26;
const int END_SHOT = 25;
const int END_ESCAPE = 30;
// The prisoner stops this far left of the vent's centre, just clear of its grille.
const float VENT_STOP = 6.0f;
// Steps without progress after which a walk or crawl is given up and planned again.
const int STILL_LIMIT = 30;
// Microseconds of path search per step, so planning never makes a step late.
const long long SEARCH_BUDGET = 3000;
// Extra cells kept between the raft and a hazard's reach, and the time of the sea picture.
const float SEA_MARGIN = 1.0f;
const int SEA_SHOT_TIME = 12000;
const float RAFT_CELLS_PER_MS = 18.0f / 1000.0f;

int cellOf(float coordinate) {
    return static_cast<int>(std::lround(coordinate));
}

// One hazard as the sea player sees it.
struct Threat {
    float x;
    float reach;
    int strike_in;
    int over_in;
    int damage;
};

// Milliseconds (from now) during which a raft going from x to c at full speed, then staying, is within reach of
// the threat; false when it never is.
bool exposure(float x, float c, const Threat &threat, float &from, float &to) {
    const float lo = threat.x - threat.reach;
    const float hi = threat.x + threat.reach;
    const float infinity = std::numeric_limits<float>::infinity();
    if (c >= x) {
        if (x > hi || c < lo) {
            return false;
        }
        from = std::max(0.0f, (lo - x) / RAFT_CELLS_PER_MS);
        to = c > hi ? (hi - x) / RAFT_CELLS_PER_MS : infinity;
        return true;
    }
    if (x < lo || c > hi) {
        return false;
    }
    from = std::max(0.0f, (x - hi) / RAFT_CELLS_PER_MS);
    to = c < lo ? (x - lo) / RAFT_CELLS_PER_MS : infinity;
    return true;
}
} // namespace

AutoPilot::AutoPilot(std::string new_shot_dir)
    : shot_dir(std::move(new_shot_dir)), want{}, held{}, tapped{}, steps(0), state_steps(0), last_state(-1),
      last_level(0), highest_level(0), nominal_time(0), time_limit(600000), gave_up(false), cell_phase(0), last_x(0),
      still_steps(0), planned_for(-1), crawl_index(0), sections_shot(0), last_integrity(RAFT_INTEGRITY), raft_hits(0),
      sea_shot(false) {
    nv::DisplayManager::getInstance().setCapture(true);
}

AutoPilot::~AutoPilot() {}

int AutoPilot::eventHandler(const nv::Event *p_e) {
    int result = Glyphcage::eventHandler(p_e);
    if (p_e->typeName() == nv::STEP_EVENT) {
        pilot();
        return 1;
    }
    return result;
}

void AutoPilot::pilot() {
    steps++;
    nominal_time += std::max(nv::GameManager::getInstance().getFrameTime(), 1);
    if (getState() != last_state || getLevel() != last_level) {
        last_state = getState();
        last_level = getLevel();
        state_steps = 0;
        cell_phase = 0;
        still_steps = 0;
        last_x = -1;
        search.reset();
        planned_for = -1;
        crawl.clear();
        crawl_index = 0;
        last_integrity = RAFT_INTEGRITY;
        sea_shot = false;
    } else {
        state_steps++;
    }

    if (nominal_time > time_limit && !gave_up && outcome.empty()) {
        gave_up = true;
        outcome = "GAVE UP IN LEVEL " + std::to_string(getLevel());
        releaseAll();
        tap(KEY_ESCAPE);
        sendKeys();
        return;
    }

    switch (getState()) {
    case TITLE:
        playTitle();
        break;
    case PLAYING:
        highest_level = std::max(highest_level, getLevel());
        if (getLevel() == 1) {
            playCell();
        } else if (getLevel() == 2) {
            playVents();
        } else if (getLevel() == 3) {
            playSea();
        }
        break;
    case TRANSITION:
        releaseAll();
        break;
    default:
        playEnd();
        break;
    }
    sendKeys();
}

void AutoPilot::playTitle() {
    if (state_steps == TITLE_SHOT) {
        shoot("1-title");
    }
    if (state_steps == TITLE_ENTER) {
        tap(KEY_RETURN);
    }
}

void AutoPilot::playCell() {
    nv::Object *p_player = nullptr;
    nv::Object *p_vent = nullptr;
    nv::ObjectList all = nv::WorldManager::getInstance().getAllObjects();
    for (nv::ObjectListIterator it(&all); !it.isDone(); it.next()) {
        nv::Object *p_o = it.currentObject();
        if (p_player == nullptr && p_o->getType() == "Player") {
            p_player = p_o;
        } else if (p_vent == nullptr && dynamic_cast<Vent *>(p_o) != nullptr) {
            p_vent = p_o;
        }
    }
    if (p_player == nullptr || p_vent == nullptr) {
        return;
    }
    const nv::Vector vent_cell = p_vent->getPosition();
    if (cell_phase == 0) {
        const float x = p_player->getPosition().getX();
        still_steps = (x == last_x) ? still_steps + 1 : 0;
        last_x = x;
        if (x < vent_cell.getX() - VENT_STOP && still_steps < STILL_LIMIT) {
            want[KEY_D] = true;
            return;
        }
        want[KEY_D] = false;
        shoot("2-cell");
        moveMouse(vent_cell);
        cell_phase = 1;
    } else if (cell_phase == 1) {
        clickMouse(vent_cell);
        cell_phase = 2;
    }
}

void AutoPilot::playVents() {
    nv::Object *p_prisoner = nullptr;
    nv::Object *p_exit = nullptr;
    int section = 0;
    nv::ObjectList all = nv::WorldManager::getInstance().getAllObjects();
    for (nv::ObjectListIterator it(&all); !it.isDone(); it.next()) {
        nv::Object *p_o = it.currentObject();
        if (p_prisoner == nullptr && p_o->getType() == "Prisoner") {
            p_prisoner = p_o;
        } else if (p_exit == nullptr && p_o->getType() == "Exit") {
            p_exit = p_o;
        } else if (const Level2 *p_level = dynamic_cast<const Level2 *>(p_o)) {
            section = p_level->getSection();
        }
    }
    want[KEY_W] = want[KEY_A] = want[KEY_S] = want[KEY_D] = false;
    if (p_prisoner == nullptr || p_exit == nullptr) {
        return;
    }
    if (p_prisoner->getId() != planned_for) {
        planned_for = p_prisoner->getId();
        search = std::make_unique<CrawlPathFind>(p_prisoner, p_exit);
        crawl.clear();
        crawl_index = 0;
        still_steps = 0;
    }
    if (search != nullptr) {
        nv::Clock clock;
        int result = nv::PATH_SEARCHING;
        while (result == nv::PATH_SEARCHING && clock.split() < SEARCH_BUDGET) {
            result = search->cycleOnce();
        }
        if (result == nv::PATH_SEARCHING) {
            return;
        }
        if (result == nv::PATH_FOUND) {
            crawl = search->getPath().getNodes();
            crawl_index = 1;
        }
        search.reset();
    }
    if (crawl.empty()) {
        // No way found from here: search again once the prisoner has had time to settle.
        if (++still_steps > STILL_LIMIT) {
            planned_for = -1;
        }
        return;
    }

    const nv::Vector here = p_prisoner->getPosition();
    const int x = cellOf(here.getX());
    const int y = cellOf(here.getY());
    while (crawl_index < crawl.size() && cellOf(crawl[crawl_index].getX()) == x &&
           cellOf(crawl[crawl_index].getY()) == y) {
        crawl_index++;
        still_steps = 0;
    }
    if (sections_shot < section && crawl_index * 2 >= crawl.size()) {
        sections_shot = section;
        shoot(section == 1 ? "3-vents-1" : "4-vents-2");
    }
    if (crawl_index >= crawl.size()) {
        return;
    }
    const int dx = cellOf(crawl[crawl_index].getX()) - x;
    const int dy = cellOf(crawl[crawl_index].getY()) - y;
    if (std::abs(dx) > 1 || std::abs(dy) > 1 || ++still_steps > STILL_LIMIT) {
        planned_for = -1;
        return;
    }
    want[KEY_D] = dx > 0;
    want[KEY_A] = dx < 0;
    want[KEY_S] = dy > 0;
    want[KEY_W] = dy < 0;
}

void AutoPilot::playSea() {
    Raft *p_raft = nullptr;
    const Level3 *p_level = nullptr;
    std::vector<Threat> threats;
    nv::ObjectList all = nv::WorldManager::getInstance().getAllObjects();
    for (nv::ObjectListIterator it(&all); !it.isDone(); it.next()) {
        nv::Object *p_o = it.currentObject();
        if (Raft *p_r = dynamic_cast<Raft *>(p_o)) {
            p_raft = p_r;
        } else if (const Level3 *p_l = dynamic_cast<const Level3 *>(p_o)) {
            p_level = p_l;
        } else if (const Shark *p_shark = dynamic_cast<const Shark *>(p_o)) {
            if (!p_shark->isHitDone() && p_shark->getAge() < 2000) {
                threats.push_back({p_o->getPosition().getX(), 4.0f + SEA_MARGIN, 1500 - p_shark->getAge(),
                                   2000 - p_shark->getAge(), 1});
            }
        } else if (const Lightning *p_bolt = dynamic_cast<const Lightning *>(p_o)) {
            if (!p_bolt->isHitDone() && p_bolt->getAge() < 2000) {
                threats.push_back({p_o->getPosition().getX(), 2.5f + SEA_MARGIN, 1500 - p_bolt->getAge(),
                                   2000 - p_bolt->getAge(), 2});
            }
        }
    }
    want[KEY_A] = want[KEY_D] = false;
    if (p_raft == nullptr) {
        return;
    }
    if (p_raft->getIntegrity() < last_integrity) {
        raft_hits += last_integrity - p_raft->getIntegrity();
    }
    last_integrity = p_raft->getIntegrity();
    if (p_level != nullptr && !sea_shot && p_level->getElapsed() >= SEA_SHOT_TIME) {
        sea_shot = true;
        shoot("5-sea");
    }

    const int frame = std::max(nv::GameManager::getInstance().getFrameTime(), 1);
    const float width = static_cast<float>(nv::DisplayManager::getInstance().getHorizontalChars());
    const float x = p_raft->getPosition().getX();
    float best = x;
    float best_cost = std::numeric_limits<float>::infinity();
    for (float c = 3.0f; c <= width - 4.0f + 0.01f; c += 0.5f) {
        float cost = 0.02f * std::fabs(c - x);
        const float room = std::min(c - 3.0f, width - 4.0f - c);
        if (room < 8.0f) {
            cost += 0.05f * (8.0f - room);
        }
        for (const Threat &threat : threats) {
            float from = 0;
            float to = 0;
            if (exposure(x, c, threat, from, to) && from <= static_cast<float>(threat.over_in) &&
                to >= static_cast<float>(threat.strike_in - frame)) {
                cost += 100.0f * static_cast<float>(threat.damage);
            }
        }
        if (cost < best_cost) {
            best_cost = cost;
            best = c;
        }
    }
    const float step_move = RAFT_CELLS_PER_MS * static_cast<float>(frame);
    want[KEY_D] = best - x > step_move * 0.5f;
    want[KEY_A] = x - best > step_move * 0.5f;
}

void AutoPilot::playEnd() {
    if (state_steps == 0) {
        outcome = headline();
    }
    if (state_steps == END_SHOT) {
        shoot("6-final");
    }
    if (state_steps == END_ESCAPE) {
        tap(KEY_ESCAPE);
    }
}

void AutoPilot::releaseAll() {
    for (int k = 0; k < KEY_COUNT; k++) {
        want[k] = false;
    }
}

void AutoPilot::tap(PilotKey key) {
    want[key] = true;
    tapped[key] = true;
}

void AutoPilot::sendKeys() {
    nv::InputManager &input_manager = nv::InputManager::getInstance();
    for (int k = 0; k < KEY_COUNT; k++) {
        keyboard_event.setKey(PILOT_KEYS[k]);
        if (want[k]) {
            if (!held[k]) {
                keyboard_event.setKeyboardAction(nv::KEY_PRESSED);
                input_manager.onEvent(&keyboard_event);
                held[k] = true;
            }
            keyboard_event.setKeyboardAction(nv::KEY_DOWN);
            input_manager.onEvent(&keyboard_event);
        } else if (held[k]) {
            keyboard_event.setKeyboardAction(nv::KEY_RELEASED);
            input_manager.onEvent(&keyboard_event);
            held[k] = false;
        }
        if (tapped[k]) {
            tapped[k] = false;
            want[k] = false;
        }
    }
}

void AutoPilot::moveMouse(nv::Vector where) {
    mouse_event.setMouseAction(nv::MOVED);
    mouse_event.setMouseButton(nv::UNDEFINED_MOUSE_BUTTON);
    mouse_event.setMousePosition(where);
    nv::InputManager::getInstance().onEvent(&mouse_event);
}

void AutoPilot::clickMouse(nv::Vector where) {
    mouse_event.setMouseAction(nv::CLICKED);
    mouse_event.setMouseButton(nv::LEFT);
    mouse_event.setMousePosition(where);
    nv::InputManager::getInstance().onEvent(&mouse_event);
}

void AutoPilot::shoot(const std::string &name) {
    if (shot_dir.empty()) {
        return;
    }
    // Only the characters are kept now: reading the picture back from the window takes longer than a frame.
    const nv::CellBatch &drawn = nv::DisplayManager::getInstance().getPending();
    Screenshot shot;
    shot.name = name;
    shot.rows = drawn.toRows(nv::DisplayManager::getInstance().getHorizontalChars(),
                             nv::DisplayManager::getInstance().getVerticalChars());
    shot.cells.reserve(drawn.size());
    for (std::size_t i = 0; i < drawn.size(); i++) {
        shot.cells.push_back(drawn.at(i));
    }
    shots.push_back(std::move(shot));
}

int AutoPilot::saveScreenshots() {
    if (shot_dir.empty() || shots.empty()) {
        return 0;
    }
    std::error_code error;
    std::filesystem::create_directories(shot_dir, error);
    nv::DisplayManager &display_manager = nv::DisplayManager::getInstance();
    int written = 0;
    for (const Screenshot &shot : shots) {
        const std::string base = (std::filesystem::path(shot_dir) / shot.name).string();
        std::ofstream text(base + ".txt");
        for (const std::string &row : shot.rows) {
            text << row << '\n';
        }
        if (text) {
            written++;
        }
        sf::RenderWindow *p_window = display_manager.getWindow();
        if (p_window == nullptr) {
            continue;
        }
        display_manager.swapBuffers();
        for (const nv::CellBatch::Cell &cell : shot.cells) {
            display_manager.drawCharacter(nv::viewToWorld(nv::Vector(cell.x, cell.y)), cell.ch, cell.r, cell.g, cell.b,
                                          cell.angle);
        }
        display_manager.flush();
        sf::Image image;
        if (nv::SfmlBridge::captureWindow(*p_window, image) && image.saveToFile(base + ".png")) {
            written++;
        }
    }
    return written;
}

std::string AutoPilot::summary() const {
    return "Autoplay: reached level " + std::to_string(highest_level) + " of " + std::to_string(LEVEL_COUNT) +
           ", outcome: " + (outcome.empty() ? std::string("none") : outcome) + ", steps: " + std::to_string(steps) +
           ", raft hits: " + std::to_string(raft_hits);
}
