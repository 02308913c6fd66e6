#include "Raft.h"

#include <algorithm>

#include "Glyphcage.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "display/DisplayManager.h"
#include "input/EventKeyboard.h"

namespace {
// Cells the raft drifts per second of step time while steered.
const float RAFT_SPEED = 18.0f;
const int HIT_FLASH = 750;
const int SINK_TIME = 1000;
} // namespace

Raft::Raft(Glyphcage *new_controller)
    : controller(new_controller), integrity(RAFT_INTEGRITY), hit_flash_left(0), sink_left(0), sinking(false),
      left(false), right(false) {
    setType("Raft");
    setSprite("raft");
    setSolidness(nv::SPECTRAL);
    setAltitude(3);
    nv::DisplayManager &display_manager = nv::DisplayManager::getInstance();
    setPosition(nv::Vector(static_cast<float>(display_manager.getHorizontalChars()) * 0.5f,
                           static_cast<float>(display_manager.getVerticalChars()) - 5.5f));
    registerInterest(nv::STEP_EVENT);
    registerInterest(nv::KEYBOARD_EVENT);
}

Raft::~Raft() {}

int Raft::eventHandler(const nv::Event *p_e) {
    if (controller == nullptr || controller->getState() != PLAYING) {
        return 0;
    }
    const std::string &event_type = p_e->typeName();
    if (event_type == nv::STEP_EVENT) {
        const int d = std::max(nv::GameManager::getInstance().getFrameTime(), 1);
        if (sinking) {
            setSprite("raft-hit");
            sink_left -= d;
            if (sink_left <= 0 && controller->getState() == PLAYING) {
                controller->changeState(LOST, controller->getLevel());
            }
            return 1;
        }
        const int steer = left ? -1 : (right ? 1 : 0);
        nv::DisplayManager &display_manager = nv::DisplayManager::getInstance();
        const float width = static_cast<float>(display_manager.getHorizontalChars());
        const float height = static_cast<float>(display_manager.getVerticalChars());
        float x = getPosition().getX() + static_cast<float>(steer) * RAFT_SPEED * static_cast<float>(d) / 1000.0f;
        x = std::min(x, width - 4.0f);
        x = std::max(x, 3.0f);
        setPosition(nv::Vector(x, height - 5.5f));
        hit_flash_left = std::max(hit_flash_left - d, 0);
        left = false;
        right = false;
        setSprite(hit_flash_left > 0 ? "raft-hit" : "raft");
        return 1;
    }
    if (event_type == nv::KEYBOARD_EVENT) {
        const nv::EventKeyboard *p_keyboard = dynamic_cast<const nv::EventKeyboard *>(p_e);
        if (p_keyboard != nullptr && p_keyboard->getKeyboardAction() == nv::KEY_DOWN) {
            if (p_keyboard->getKey() == nv::A) {
                left = true;
            } else if (p_keyboard->getKey() == nv::D) {
                right = true;
            }
        }
        return 1;
    }
    return 0;
}

void Raft::hit(int damage) {
    if (sinking) {
        return;
    }
    integrity = std::max(integrity - damage, 0);
    hit_flash_left = HIT_FLASH;
    setSprite("raft-hit");
    if (integrity == 0) {
        sinking = true;
        sink_left = SINK_TIME;
    }
}

int Raft::draw() {
    int result = Object::draw();
    nv::Color color = nv::RED;
    if (integrity >= 4) {
        color = nv::GREEN;
    } else if (integrity >= 2) {
        color = nv::YELLOW;
    }
    result += nv::DisplayManager::getInstance().drawString(
        nv::Vector(2, 1), "RAFT INTEGRITY: " + std::to_string(integrity) + " / 4", nv::JUSTIFY_LEFT, color);
    return result;
}
