#pragma once

#include <string>

#include "core/Event.h"
#include "world/Vector.h"

namespace nv {

/// Type name of the events the input manager raises for the mouse.
const std::string MOUSE_EVENT = "nv-mouse";

/// What the mouse did during a step.
enum MouseAction {
    UNDEFINED_MOUSE_ACTION = -1,
    CLICKED = 0,
    PRESSED,
    MOVED,
};

/// Which mouse button an event is about.
enum MouseButton {
    UNDEFINED_MOUSE_BUTTON = -1,
    LEFT = 0,
    RIGHT,
    MIDDLE,
};

/// A mouse click, held button or move, positioned in window cells.
class EventMouse : public Event {
public:
    EventMouse();
    ~EventMouse() override;

    /// Sets what the mouse did.
    void setMouseAction(MouseAction new_mouse_action);
    /// What the mouse did, UNDEFINED_MOUSE_ACTION until set.
    MouseAction getMouseAction() const;
    /// Sets the button.
    void setMouseButton(MouseButton new_mouse_button);
    /// The button, UNDEFINED_MOUSE_BUTTON until set.
    MouseButton getMouseButton() const;
    /// Sets the position in window cells.
    void setMousePosition(Vector new_mouse_xy);
    /// The position in window cells (the view's offset not added).
    Vector getMousePosition() const;

private:
    MouseAction mouse_action;
    MouseButton mouse_button;
    Vector mouse_xy;
};

} // namespace nv
