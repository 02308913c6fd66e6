#pragma once

#include <string>

#include "core/Manager.h"
#include "display/SfmlBridge.h"
#include "input/EventKeyboard.h"
#include "input/EventMouse.h"

namespace nv {

/// Turns the window's keyboard, mouse and close events into engine events once per step.
class InputManager : public Manager {
public:
    /// The one input manager, created on first use.
    static InputManager &getInstance();

    InputManager(const InputManager &) = delete;
    InputManager &operator=(const InputManager &) = delete;
    ~InputManager() override;

    /// Accepts exactly "nv-keyboard" and "nv-mouse".
    bool isValid(std::string event_type) const override;
    /// Switches key repeat off (unless headless) and marks started; -1 if already started or no display.
    int startUp() override;
    /// Switches key repeat back on and marks stopped.
    void shutDown() override;

    /// Raises the events of the window's pending input and of held keys and buttons.
    void getInput();
    /// The keyboard event of a key press or release, key set, action left undefined.
    EventKeyboard toEventKeyboard(const sf::Event &event) const;
    /// The same for an event already taken off the window's queue.
    EventKeyboard toEventKeyboard(const SfmlBridge::WindowEvent &event) const;

private:
    InputManager();
};

} // namespace nv
