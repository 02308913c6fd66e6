#include "input/EventKeyboard.h"

namespace nv {

std::string keyToString(int key) {
    if (key >= A && key <= Z) {
        return std::string(1, static_cast<char>('A' + (key - A)));
    }
    if (key >= NUM1 && key <= NUM9) {
        return std::string(1, static_cast<char>('1' + (key - NUM1)));
    }
    switch (key) {
    case SPACE:
        return " ";
    case MINUS:
        return "-";
    case PLUS:
        return "+";
    case TILDE:
        return "~";
    case PERIOD:
        return ".";
    case COMMA:
        return ",";
    case SLASH:
        return "/";
    case EQUAL:
        return "=";
    case BACKSLASH:
        return "\\";
    case MULTIPLY:
        return "*";
    case QUOTE:
        return "'";
    case SEMICOLON:
        return ";";
    case NUM0:
        return "0";
    case LEFTBRACKET:
        return "[";
    case RIGHTBRACKET:
        return "]";
    case BACKTICK:
        return "`";
    default:
        return "";
    }
}

EventKeyboard::EventKeyboard() : key(UNDEFINED_KEY), keyboard_action(UNDEFINED_KEYBOARD_ACTION) {
    setType(KEYBOARD_EVENT);
}

EventKeyboard::~EventKeyboard() = default;

void EventKeyboard::setKey(Key new_key) {
    key = new_key;
}

Key EventKeyboard::getKey() const {
    return key;
}

void EventKeyboard::setKeyboardAction(KeyboardAction new_action) {
    keyboard_action = new_action;
}

KeyboardAction EventKeyboard::getKeyboardAction() const {
    return keyboard_action;
}

} // namespace nv
