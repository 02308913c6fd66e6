#include "Prisoner.h"

#include <cstring>

#include "core/EventStep.h"
#include "input/EventKeyboard.h"
#include "world/WorldManager.h"

namespace {

// The label of the picture facing the way (dx, dy) points, or null when the way is diagonal or still.
const char *pictureFor(int dx, int dy) {
    if (dy == 0 && dx >= 1) {
        return "v_prisoner_right";
    }
    if (dy == 0 && dx < 0) {
        return "v_prisoner_left";
    }
    if (dx == 0 && dy < 0) {
        return "v_prisoner_up";
    }
    if (dx == 0 && dy >= 1) {
        return "v_prisoner_down";
    }
    return nullptr;
}

} // namespace

Prisoner::Prisoner(int new_start_x, int new_start_y)
    : move_slowdown(7), move_countdown(7), dy(0), dx(0), start_x(new_start_x), start_y(new_start_y), up(false),
      down(false), left(false), right(false), shown_picture("v_prisoner_up") {
    setSprite(shown_picture);
    setType(PRISONER_TYPE);
    registerInterest(nv::KEYBOARD_EVENT);
    registerInterest(nv::STEP_EVENT);
    setPosition(nv::Vector(static_cast<float>(start_x), static_cast<float>(start_y)));
}

Prisoner::~Prisoner() {}

int Prisoner::eventHandler(const nv::Event *p_e) {
    if (p_e->typeName() == nv::KEYBOARD_EVENT) {
        const nv::EventKeyboard *p_keyboard = dynamic_cast<const nv::EventKeyboard *>(p_e);
        if (p_keyboard == nullptr) {
            return 0;
        }
        const nv::KeyboardAction action = p_keyboard->getKeyboardAction();
        const bool is_down = action == nv::KEY_PRESSED || action == nv::KEY_DOWN;
        switch (p_keyboard->getKey()) {
        case nv::ESCAPE:
            if (action == nv::KEY_PRESSED) {
                nv::WorldManager::getInstance().markForDelete(this);
            }
            return 1;
        case nv::W:
            up = is_down;
            break;
        case nv::S:
            down = is_down;
            break;
        case nv::A:
            left = is_down;
            break;
        case nv::D:
            right = is_down;
            break;
        default:
            return 1;
        }
        dx = static_cast<int>(right) - static_cast<int>(left);
        dy = static_cast<int>(down) - static_cast<int>(up);
        return 1;
    }
    if (p_e->typeName() == nv::STEP_EVENT) {
        if (move_countdown > 0) {
            move_countdown--;
        }
        if ((dx != 0 || dy != 0) && move_countdown < 1) {
            move_countdown = move_slowdown;
            const nv::Vector here = getPosition();
            const float target_x = here.getX() + static_cast<float>(dx);
            const float target_y = here.getY() + static_cast<float>(dy);
            nv::WorldManager &world_manager = nv::WorldManager::getInstance();
            const nv::Box boundary = world_manager.getBoundary();
            if (target_y > 3 && target_y < boundary.getVertical() && target_x > 3 &&
                target_x < boundary.getHorizontal()) {
                world_manager.moveObject(this, nv::Vector(target_x, target_y));
            }
        }
        const char *picture = pictureFor(dx, dy);
        if (picture != nullptr && std::strcmp(picture, shown_picture) != 0) {
            // Turning only on a change keeps the crawl animation running and the step free of look-ups.
            shown_picture = picture;
            setSprite(picture);
        }
        return 1;
    }
    return 0;
}
