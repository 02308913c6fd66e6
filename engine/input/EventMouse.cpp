#include "input/EventMouse.h"

namespace nv {

EventMouse::EventMouse() : mouse_action(UNDEFINED_MOUSE_ACTION), mouse_button(UNDEFINED_MOUSE_BUTTON) {
    setType(MOUSE_EVENT);
}

EventMouse::~EventMouse() = default;

void EventMouse::setMouseAction(MouseAction new_mouse_action) {
    mouse_action = new_mouse_action;
}

MouseAction EventMouse::getMouseAction() const {
    return mouse_action;
}

void EventMouse::setMouseButton(MouseButton new_mouse_button) {
    mouse_button = new_mouse_button;
}

MouseButton EventMouse::getMouseButton() const {
    return mouse_button;
}

void EventMouse::setMousePosition(Vector new_mouse_xy) {
    mouse_xy = new_mouse_xy;
}

Vector EventMouse::getMousePosition() const {
    return mouse_xy;
}

} // namespace nv
