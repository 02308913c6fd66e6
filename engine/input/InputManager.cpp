#include "input/InputManager.h"

#include <cstddef>

#include "core/Config.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "display/DisplayManager.h"
#include "input/EventKeyboard.h"
#include "input/EventMouse.h"

namespace nv {

namespace {

using LibKey = SfmlBridge::Key;

/// The engine key a library key produces, or UNDEFINED_KEY for keys the engine does not handle.
Key engineKey(LibKey key) {
    if (key >= LibKey::A && key <= LibKey::Z) {
        return static_cast<Key>(A + (static_cast<int>(key) - static_cast<int>(LibKey::A)));
    }
    if (key >= LibKey::Num1 && key <= LibKey::Num9) {
        return static_cast<Key>(NUM1 + (static_cast<int>(key) - static_cast<int>(LibKey::Num1)));
    }
    if (key >= LibKey::F1 && key <= LibKey::F12) {
        return static_cast<Key>(F1 + (static_cast<int>(key) - static_cast<int>(LibKey::F1)));
    }
    switch (key) {
    case LibKey::Space:
        return SPACE;
    case LibKey::Enter:
        return RETURN;
    case LibKey::Escape:
        return ESCAPE;
    case LibKey::Tab:
        return TAB;
    case LibKey::Left:
        return LEFTARROW;
    case LibKey::Right:
        return RIGHTARROW;
    case LibKey::Up:
        return UPARROW;
    case LibKey::Down:
        return DOWNARROW;
    case LibKey::Pause:
        return PAUSE;
    case LibKey::Subtract:
        return MINUS;
    case LibKey::Add:
        return PLUS;
    case LibKey::Grave:
        return TILDE;
    case LibKey::Period:
        return PERIOD;
    case LibKey::Comma:
        return COMMA;
    case LibKey::Slash:
        return SLASH;
    case LibKey::Equal:
        return EQUAL;
    case LibKey::Backslash:
        return BACKSLASH;
    case LibKey::Multiply:
        return MULTIPLY;
    case LibKey::Apostrophe:
        return QUOTE;
    case LibKey::Semicolon:
        return SEMICOLON;
    case LibKey::LControl:
        return LEFTCONTROL;
    case LibKey::RControl:
        return RIGHTCONTROL;
    case LibKey::LShift:
        return LEFTSHIFT;
    case LibKey::RShift:
        return RIGHTSHIFT;
    case LibKey::Num0:
        return NUM0;
    case LibKey::Backspace:
        return BACKSPACE;
    case LibKey::LBracket:
        return LEFTBRACKET;
    case LibKey::RBracket:
        return RIGHTBRACKET;
    default:
        return UNDEFINED_KEY;
    }
}

/// The keys polled for KEY_DOWN each step, in polling order (F11 and F12 are not among them).
const LibKey POLLED_KEYS[] = {
    LibKey::Up,         LibKey::Down,     LibKey::Left,     LibKey::Right,     LibKey::Space,     LibKey::Enter,
    LibKey::Tab,        LibKey::Escape,   LibKey::Pause,    LibKey::Subtract,  LibKey::Add,       LibKey::Grave,
    LibKey::Period,     LibKey::Comma,    LibKey::Slash,    LibKey::Equal,     LibKey::Backslash, LibKey::Multiply,
    LibKey::Apostrophe, LibKey::LBracket, LibKey::RBracket, LibKey::Semicolon, LibKey::LControl,  LibKey::RControl,
    LibKey::LShift,     LibKey::RShift,   LibKey::F1,       LibKey::F2,        LibKey::F3,        LibKey::F4,
    LibKey::F5,         LibKey::F6,       LibKey::F7,       LibKey::F8,        LibKey::F9,        LibKey::F10,
    LibKey::A,          LibKey::B,        LibKey::C,        LibKey::D,         LibKey::E,         LibKey::F,
    LibKey::G,          LibKey::H,        LibKey::I,        LibKey::J,         LibKey::K,         LibKey::L,
    LibKey::M,          LibKey::N,        LibKey::O,        LibKey::P,         LibKey::Q,         LibKey::R,
    LibKey::S,          LibKey::T,        LibKey::U,        LibKey::V,         LibKey::W,         LibKey::X,
    LibKey::Y,          LibKey::Z,        LibKey::Num1,     LibKey::Num2,      LibKey::Num3,      LibKey::Num4,
    LibKey::Num5,       LibKey::Num6,     LibKey::Num7,     LibKey::Num8,      LibKey::Num9,      LibKey::Num0,
    LibKey::Backspace,
};

const std::size_t POLLED_COUNT = sizeof(POLLED_KEYS) / sizeof(POLLED_KEYS[0]);
static_assert(POLLED_COUNT == 73, "73 keys are polled");

/// The engine button of a library button.
MouseButton engineButton(SfmlBridge::MouseButton button) {
    switch (button) {
    case SfmlBridge::MouseButton::Left:
        return LEFT;
    case SfmlBridge::MouseButton::Right:
        return RIGHT;
    case SfmlBridge::MouseButton::Middle:
        return MIDDLE;
    default:
        return UNDEFINED_MOUSE_BUTTON;
    }
}

/// A window pixel position in window cells.
Vector pixelsToCells(int x, int y) {
    return pixelsToSpaces(Vector(static_cast<float>(x), static_cast<float>(y)));
}

} // namespace

InputManager::InputManager() {
    setType("InputManager");
}

InputManager::~InputManager() = default;

InputManager &InputManager::getInstance() {
    static InputManager instance;
    return instance;
}

bool InputManager::isValid(std::string event_type) const {
    return event_type == KEYBOARD_EVENT || event_type == MOUSE_EVENT;
}

int InputManager::startUp() {
    const LogManager &log_manager = LogManager::getInstance();
    if (isStarted()) {
        log_manager.writeLog("%s::startup(): Warning! %s already started.", getType().c_str(), getType().c_str());
        return -1;
    }
    if (Config::getInstance().getHeadless()) {
        log_manager.writeLog(1, "InputManager::startUp(): no input in headless mode.");
    } else {
        const DisplayManager &display_manager = DisplayManager::getInstance();
        if (!display_manager.isStarted()) {
            log_manager.writeLog("InputManager::startUp(): Error! DisplayManager must be started first.");
            return -1;
        }
        sf::RenderWindow *p_window = display_manager.getWindow();
        // A window made since the last start may sit where the old one was: what it held is not carried over.
        SfmlBridge::forgetHeldInput();
        if (p_window != nullptr) {
            SfmlBridge::setKeyRepeatEnabled(*p_window, false);
            log_manager.writeLog(2, "InputManager::startUp(): Keyboard repeated disabled.");
        } else {
            log_manager.writeLog(
                "InputManager::startUp(): Warning! DisplayManager null. Cannot disable keyboard repeat.");
        }
    }
    Manager::startUp();
    log_manager.writeLog(5, "InputManager::startUp(): successfully started.");
    return 0;
}

void InputManager::shutDown() {
    const LogManager &log_manager = LogManager::getInstance();
    sf::RenderWindow *p_window = DisplayManager::getInstance().getWindow();
    if (p_window != nullptr) {
        SfmlBridge::setKeyRepeatEnabled(*p_window, true);
        log_manager.writeLog(2, "InputManager::shutDown(): Keyboard repeat enabled.");
    }
    Manager::shutDown();
    log_manager.writeLog(5, "InputManager::shutDown(): successfully stopped.");
}

void InputManager::getInput() {
    if (Config::getInstance().getHeadless()) {
        return;
    }
    sf::RenderWindow *p_window = DisplayManager::getInstance().getWindow();
    if (p_window == nullptr) {
        LogManager::getInstance().writeLog(
            "InputManager::getInput(): DisplayManager unexpectedly returned null window!");
        return;
    }

    SfmlBridge::WindowEvent window_event;
    while (SfmlBridge::pollEvent(*p_window, window_event)) {
        switch (window_event.kind) {
        case SfmlBridge::EventKind::Closed:
            LogManager::getInstance().writeLog(1, "InputManager::getInput(): Window closed. Setting game over.");
            GameManager::getInstance().setGameOver(true);
            return;
        case SfmlBridge::EventKind::KeyPressed:
        case SfmlBridge::EventKind::KeyReleased: {
            EventKeyboard keyboard = toEventKeyboard(window_event);
            keyboard.setKeyboardAction(window_event.kind == SfmlBridge::EventKind::KeyPressed ? KEY_PRESSED
                                                                                              : KEY_RELEASED);
            onEvent(&keyboard);
            break;
        }
        case SfmlBridge::EventKind::MouseMoved: {
            EventMouse mouse;
            mouse.setMouseAction(MOVED);
            mouse.setMouseButton(UNDEFINED_MOUSE_BUTTON);
            mouse.setMousePosition(pixelsToCells(window_event.x, window_event.y));
            onEvent(&mouse);
            break;
        }
        case SfmlBridge::EventKind::MouseButtonPressed: {
            EventMouse mouse;
            mouse.setMouseAction(CLICKED);
            mouse.setMouseButton(engineButton(window_event.button));
            mouse.setMousePosition(pixelsToCells(window_event.x, window_event.y));
            onEvent(&mouse);
            break;
        }
        default:
            break;
        }
    }

    int pixel_x = 0;
    int pixel_y = 0;
    bool held_buttons[3] = {};
    SfmlBridge::mouseState(*p_window, pixel_x, pixel_y, held_buttons);
    EventMouse held;
    held.setMouseAction(PRESSED);
    held.setMousePosition(pixelsToCells(pixel_x, pixel_y));
    const MouseButton buttons[] = {LEFT, RIGHT, MIDDLE};
    for (int i = 0; i < 3; i++) {
        if (held_buttons[i]) {
            held.setMouseButton(buttons[i]);
            onEvent(&held);
        }
    }

    // Held state as the events just taken leave it: a press and release within one step give no KEY_DOWN.
    bool held_keys[POLLED_COUNT];
    SfmlBridge::heldKeys(*p_window, POLLED_KEYS, POLLED_COUNT, held_keys);
    EventKeyboard down;
    down.setKeyboardAction(KEY_DOWN);
    for (std::size_t i = 0; i < POLLED_COUNT; i++) {
        if (held_keys[i]) {
            down.setKey(engineKey(POLLED_KEYS[i]));
            onEvent(&down);
        }
    }
}

EventKeyboard InputManager::toEventKeyboard(const sf::Event &event) const {
    return toEventKeyboard(SfmlBridge::translate(event));
}

EventKeyboard InputManager::toEventKeyboard(const SfmlBridge::WindowEvent &event) const {
    const LogManager &log_manager = LogManager::getInstance();
    EventKeyboard keyboard;
    if (event.kind != SfmlBridge::EventKind::KeyPressed && event.kind != SfmlBridge::EventKind::KeyReleased) {
        log_manager.writeLog("toEventKeyboard(): Error! Called with non-keyboard event.");
        return keyboard;
    }
    const Key key = engineKey(event.key);
    // Descriptions are only built when a line would be written: this runs for every key press.
    if (key == UNDEFINED_KEY && log_manager.getLogLevel() >= 1) {
        log_manager.writeLog(1, "InputManager::toEventKeyboard(): Warning key '%s' not handled.",
                             SfmlBridge::keyDescription(event.key).c_str());
    }
    keyboard.setKey(key);
    if (log_manager.getLogLevel() >= 15) {
        log_manager.writeLog(15, "InputManager::toEventKeyboard(): Keyboard event '%s' (%s)", keyToString(key).c_str(),
                             SfmlBridge::keyDescription(event.key).c_str());
    }
    return keyboard;
}

} // namespace nv
