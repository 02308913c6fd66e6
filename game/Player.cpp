#include "Player.h"

#include "Reticle.h"
#include "core/EventStep.h"
#include "input/EventKeyboard.h"
#include "world/WorldManager.h"

Player::Player() : move_countdown(2), move_slowdown(2), dy(0), dx(0), held{} {
    setType("Player");
    setSprite("player");
    float height = nv::WorldManager::getInstance().getBoundary().getVertical();
    setPosition(nv::Vector(7, height * 0.5f));
    registerInterest(nv::KEYBOARD_EVENT);
    registerInterest(nv::STEP_EVENT);
    new Reticle();
}

Player::~Player() {}

int Player::eventHandler(const nv::Event *p_e) {
    const std::string &event_type = p_e->typeName();
    if (event_type == nv::KEYBOARD_EVENT) {
        const nv::EventKeyboard *p_keyboard = dynamic_cast<const nv::EventKeyboard *>(p_e);
        if (p_keyboard == nullptr) {
            return 0;
        }
        int action = p_keyboard->getKeyboardAction();
        if (action != nv::KEY_PRESSED && action != nv::KEY_RELEASED) {
            return 1;
        }
        int key_index;
        int *p_count;
        int sense;
        switch (p_keyboard->getKey()) {
        case nv::W:
            key_index = 0, p_count = &dy, sense = -1;
            break;
        case nv::S:
            key_index = 1, p_count = &dy, sense = 1;
            break;
        case nv::A:
            key_index = 2, p_count = &dx, sense = -1;
            break;
        case nv::D:
            key_index = 3, p_count = &dx, sense = 1;
            break;
        default:
            return 1;
        }
        bool pressed = action == nv::KEY_PRESSED;
        // A release of a key pressed before this player existed (held across a level change) must not count, or
        // the prisoner would drift with no key held.
        if (held[key_index] == pressed) {
            return 1;
        }
        held[key_index] = pressed;
        *p_count += pressed ? sense : -sense;
        return 1;
    }
    if (event_type == nv::STEP_EVENT) {
        if (move_countdown > 0) {
            move_countdown--;
        }
        if (dx == 0 && dy == 0) {
            return 1;
        }
        if (move_countdown > 0) {
            return 1;
        }
        move_countdown = move_slowdown;
        nv::WorldManager &world_manager = nv::WorldManager::getInstance();
        nv::Vector target(getPosition().getX() + static_cast<float>(dx), getPosition().getY() + static_cast<float>(dy));
        nv::Box boundary = world_manager.getBoundary();
        if (target.getY() > 3 && target.getY() < boundary.getVertical() && target.getX() > 3 &&
            target.getX() < boundary.getHorizontal()) {
            world_manager.moveObject(this, target);
        }
        return 1;
    }
    return 0;
}
