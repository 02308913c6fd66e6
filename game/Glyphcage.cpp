#include "Glyphcage.h"

#include "core/EventStep.h"
#include "core/GameManager.h"
#include "display/DisplayManager.h"
#include "input/EventKeyboard.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"
#include "world/WorldManager.h"

Glyphcage::Glyphcage()
    : state(TITLE), target_state(TITLE), level(1), next_level(1), transition_steps(0), level_creators{} {
    setType("Glyphcage");
    setSolidness(nv::SPECTRAL);
    setAltitude(4);
    registerInterest(nv::KEYBOARD_EVENT);
    registerInterest(nv::STEP_EVENT);
}

Glyphcage::~Glyphcage() {}

void Glyphcage::setLevelCreator(int index, LevelCreator creator) {
    if (index >= 0 && index < LEVEL_COUNT) {
        level_creators[index] = creator;
    }
}

LevelCreator Glyphcage::getLevelCreator(int index) const {
    if (index < 0 || index >= LEVEL_COUNT) {
        return nullptr;
    }
    return level_creators[index];
}

void Glyphcage::changeState(int new_target_state, int new_level) {
    if (state == TRANSITION) {
        return;
    }
    state = TRANSITION;
    target_state = new_target_state;
    next_level = new_level;
    transition_steps = 2;

    nv::WorldManager &world_manager = nv::WorldManager::getInstance();
    world_manager.setViewFollowing(nullptr);
    nv::ObjectList all = world_manager.getAllObjects(true);
    for (nv::ObjectListIterator it(&all); !it.isDone(); it.next()) {
        nv::Object *p_o = it.currentObject();
        if (p_o == this) {
            continue;
        }
        p_o->setActive(false);
        p_o->setVisible(false);
        world_manager.markForDelete(p_o);
    }
}

void Glyphcage::advanceLevel() {
    for (int n = level + 1; n <= LEVEL_COUNT; n++) {
        if (level_creators[n - 1] != nullptr) {
            changeState(PLAYING, n);
            return;
        }
    }
    changeState(WON, level);
}

int Glyphcage::eventHandler(const nv::Event *p_e) {
    const std::string &event_type = p_e->typeName();
    if (event_type == nv::STEP_EVENT) {
        if (state != TRANSITION) {
            return 0;
        }
        transition_steps--;
        if (transition_steps > 0) {
            return 0;
        }
        level = next_level;
        state = target_state;
        nv::DisplayManager &display_manager = nv::DisplayManager::getInstance();
        nv::WorldManager &world_manager = nv::WorldManager::getInstance();
        nv::Box screen(nv::Vector(0, 0), static_cast<float>(display_manager.getHorizontalChars()),
                       static_cast<float>(display_manager.getVerticalChars()));
        world_manager.setBoundary(screen);
        world_manager.setView(world_manager.getBoundary());
        if (state == PLAYING) {
            if (level >= 1 && level <= LEVEL_COUNT && level_creators[level - 1] != nullptr) {
                level_creators[level - 1](this);
            } else {
                state = NOT_CONNECTED;
            }
        }
        return 1;
    }
    if (event_type == nv::KEYBOARD_EVENT) {
        const nv::EventKeyboard *p_keyboard = dynamic_cast<const nv::EventKeyboard *>(p_e);
        if (p_keyboard == nullptr || p_keyboard->getKeyboardAction() != nv::KEY_PRESSED) {
            return 0;
        }
        if (p_keyboard->getKey() == nv::ESCAPE) {
            nv::GameManager::getInstance().setGameOver(true);
            return 1;
        }
        if ((state == TITLE || state == LOST || state == WON) && p_keyboard->getKey() == nv::RETURN) {
            changeState(PLAYING, 1);
        }
        return 1;
    }
    return 0;
}

std::string Glyphcage::headline() const {
    switch (state) {
    case TITLE:
        return "[ ESCAPE FROM GLYPH-CAGE ]";
    case LOST:
        return level == 2 ? "YOU PASSED OUT AND WERE CAPTURED!" : "YOU CAPSIZED AND WERE CAPTURED!";
    case WON:
        return "YOU ESCAPED GLYPH-CAGE!";
    case NOT_CONNECTED:
        return "LEVEL " + std::to_string(level) + " IS NOT CONNECTED YET";
    default:
        return "";
    }
}

int Glyphcage::draw() {
    if (state == PLAYING || state == TRANSITION) {
        return 0;
    }
    nv::DisplayManager &display_manager = nv::DisplayManager::getInstance();
    float cx = static_cast<float>(display_manager.getHorizontalChars()) * 0.5f;
    float cy = static_cast<float>(display_manager.getVerticalChars()) * 0.5f;

    const std::string line1 = headline();
    const char *line2 = "BEGIN YOUR SENTENCE: Enter";
    if (state == LOST) {
        line2 = "TRY TO ESCAPE AGAIN: Enter";
    } else if (state == WON) {
        line2 = "TURN YOURSELF BACK IN: Enter";
    }
    display_manager.drawString(nv::Vector(cx, cy - 3), line1, nv::JUSTIFY_CENTER, nv::YELLOW);
    display_manager.drawString(nv::Vector(cx, cy), line2, nv::JUSTIFY_CENTER, nv::WHITE);
    display_manager.drawString(nv::Vector(cx, cy + 3), "QUIT: Escape", nv::JUSTIFY_CENTER, nv::WHITE);
    return 0;
}
