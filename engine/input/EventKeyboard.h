#pragma once

#include <string>

#include "core/Event.h"

namespace nv {

/// Type name of the events the input manager raises for keys.
const std::string KEYBOARD_EVENT = "nv-keyboard";

/// The engine's key codes; 73 is reserved and nothing produces it.
enum Key {
    UNDEFINED_KEY = -1,
    SPACE = 0,
    RETURN,
    ESCAPE,
    TAB,
    LEFTARROW,
    RIGHTARROW,
    UPARROW,
    DOWNARROW,
    PAUSE,
    MINUS,
    PLUS,
    TILDE,
    PERIOD,
    COMMA,
    SLASH,
    EQUAL,
    BACKSLASH,
    MULTIPLY,
    QUOTE,
    SEMICOLON,
    LEFTCONTROL,
    RIGHTCONTROL,
    LEFTSHIFT,
    RIGHTSHIFT,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    A,
    B,
    C,
    D,
    E,
    F,
    G,
    H,
    I,
    J,
    K,
    L,
    M,
    N,
    O,
    P,
    Q,
    R,
    S,
    T,
    U,
    V,
    W,
    X,
    Y,
    Z,
    NUM1,
    NUM2,
    NUM3,
    NUM4,
    NUM5,
    NUM6,
    NUM7,
    NUM8,
    NUM9,
    NUM0,
    BACKSPACE,
    LEFTBRACKET = 74,
    RIGHTBRACKET,
    BACKTICK,
};

/// What happened to a key during a step.
enum KeyboardAction {
    UNDEFINED_KEYBOARD_ACTION = -1,
    KEY_PRESSED = 0,
    KEY_RELEASED,
    KEY_DOWN,
};

/// The character a key types ("A", "1", "-", ...), or "" for keys without one and unknown values.
std::string keyToString(int key);

/// A key going down, coming up or being held.
class EventKeyboard : public Event {
public:
    EventKeyboard();
    ~EventKeyboard() override;

    /// Sets the key.
    virtual void setKey(Key new_key);
    /// The key, UNDEFINED_KEY until set.
    virtual Key getKey() const;
    /// Sets what happened to the key.
    virtual void setKeyboardAction(KeyboardAction new_action);
    /// What happened to the key, UNDEFINED_KEYBOARD_ACTION until set.
    virtual KeyboardAction getKeyboardAction() const;

private:
    Key key;
    KeyboardAction keyboard_action;
};

} // namespace nv
