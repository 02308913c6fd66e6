#include "input/InputManager.h"

namespace nv {

InputManager::InputManager() {
    setType("InputManager");
}

InputManager::~InputManager() = default;

InputManager &InputManager::getInstance() {
    static InputManager instance;
    return instance;
}

bool InputManager::isValid(std::string event_type) const {
    return event_type == "nv-keyboard" || event_type == "nv-mouse";
}

int InputManager::startUp() {
    return Manager::startUp();
}

void InputManager::shutDown() {
    Manager::shutDown();
}

void InputManager::getInput() {}

EventKeyboard InputManager::toEventKeyboard(const sf::Event &) const {
    return EventKeyboard();
}

} // namespace nv
