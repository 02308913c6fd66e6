#include "TextBox.h"

#include <algorithm>
#include <sstream>

#include "core/EventStep.h"
#include "core/LogManager.h"
#include "display/DisplayManager.h"
#include "input/EventKeyboard.h"
#include "resources/ResourceManager.h"
#include "world/WorldManager.h"

TextBox::TextBox(std::vector<std::string> new_messages)
    : messages(std::move(new_messages)), current_message(0), prefix("* "), shown_chars(0), total_chars(0),
      char_delay(1), char_countdown(0), pause_countdown(0), step_count(0), width(0), height(8), left(4), top(0) {
    nv::DisplayManager &display_manager = nv::DisplayManager::getInstance();
    width = display_manager.getHorizontalChars() - 8;
    top = display_manager.getVerticalChars() - 10;
    setType("TextBox");
    setSolidness(nv::SPECTRAL);
    setAltitude(4);
    registerInterest(nv::STEP_EVENT);
    registerInterest(nv::KEYBOARD_EVENT);
    if (messages.empty()) {
        nv::WorldManager::getInstance().markForDelete(this);
        return;
    }
    wrapCurrentMessage();
}

TextBox::~TextBox() {}

void TextBox::wrapCurrentMessage() {
    lines.clear();
    total_chars = 0;
    if (current_message < 0 || current_message >= static_cast<int>(messages.size())) {
        return;
    }
    const std::size_t usable_width = static_cast<std::size_t>(std::max(width - 4, 0));
    const std::size_t fitting_lines = static_cast<std::size_t>(std::max(height - 2, 0));

    std::istringstream words(prefix + messages[current_message]);
    std::string word;
    std::string line;
    while (words >> word) {
        if (!line.empty() && line.size() + 1 + word.size() > usable_width) {
            lines.push_back(line);
            line.assign(prefix.size(), ' ');
        }
        if (line.find_first_not_of(' ') != std::string::npos) {
            line += ' ';
        }
        line += word;
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    if (lines.size() > fitting_lines) {
        nv::LogManager::getInstance().writeLog("TextBox::wrapCurrentMessage(): message %d too long for textbox",
                                               current_message);
    }
    for (const std::string &l : lines) {
        total_chars += static_cast<int>(l.size());
    }
}

int TextBox::eventHandler(const nv::Event *p_e) {
    const std::string &event_type = p_e->typeName();
    if (event_type == nv::STEP_EVENT) {
        step_count++;
        if (shown_chars >= total_chars) {
            return 1;
        }
        if (pause_countdown >= 1) {
            pause_countdown--;
            return 1;
        }
        if (char_countdown >= 1) {
            char_countdown--;
            return 1;
        }
        char c = ' ';
        int offset = shown_chars;
        for (const std::string &l : lines) {
            if (offset < static_cast<int>(l.size())) {
                c = l[offset];
                break;
            }
            offset -= static_cast<int>(l.size());
        }
        shown_chars++;
        if (!sound_label.empty() && c != ' ') {
            nv::Sound *p_sound = nv::ResourceManager::getInstance().getSound(sound_label);
            if (p_sound != nullptr) {
                p_sound->play(false);
            }
        }
        if (c == '.' || c == '!' || c == '?') {
            pause_countdown = 8;
        } else if (c == ',' || c == ':' || c == ';') {
            pause_countdown = 4;
        }
        char_countdown = char_delay - 1;
        return 1;
    }
    if (event_type == nv::KEYBOARD_EVENT) {
        const nv::EventKeyboard *p_keyboard = dynamic_cast<const nv::EventKeyboard *>(p_e);
        if (p_keyboard == nullptr || p_keyboard->getKeyboardAction() != nv::KEY_PRESSED) {
            return 0;
        }
        if (p_keyboard->getKey() != nv::Z && p_keyboard->getKey() != nv::RETURN) {
            return 0;
        }
        // A box without messages is already on its way out; stepping past its end would read beyond the list.
        if (messages.empty()) {
            return 0;
        }
        if (shown_chars >= total_chars) {
            if (current_message + 1 >= static_cast<int>(messages.size())) {
                nv::WorldManager::getInstance().markForDelete(this);
                return 1;
            }
            current_message++;
            shown_chars = 0;
            char_countdown = 0;
            pause_countdown = 0;
            step_count = 0;
            wrapCurrentMessage();
            return 1;
        }
        shown_chars = total_chars;
        pause_countdown = 0;
        return 1;
    }
    return 0;
}

int TextBox::draw() {
    if (messages.empty()) {
        return 0;
    }
    nv::DisplayManager &display_manager = nv::DisplayManager::getInstance();
    nv::Vector corner = nv::viewToWorld(nv::Vector(static_cast<float>(left), static_cast<float>(top)));
    const float x0 = corner.getX();
    const float y0 = corner.getY();

    for (int row = 1; row <= height - 2; row++) {
        for (int col = 1; col <= width - 2; col++) {
            display_manager.drawCharacter(nv::Vector(x0 + col, y0 + row), ' ', nv::WHITE);
        }
    }
    for (int col = 0; col < width; col++) {
        char c = (col == 0 || col == width - 1) ? '+' : '=';
        display_manager.drawCharacter(nv::Vector(x0 + col, y0), c, nv::WHITE);
        display_manager.drawCharacter(nv::Vector(x0 + col, y0 + height - 1), c, nv::WHITE);
    }
    for (int row = 1; row <= height - 2; row++) {
        display_manager.drawCharacter(nv::Vector(x0, y0 + row), '|', nv::WHITE);
        display_manager.drawCharacter(nv::Vector(x0 + width - 1, y0 + row), '|', nv::WHITE);
    }

    int remaining = shown_chars;
    for (std::size_t i = 0; i < lines.size() && remaining >= 1; i++) {
        int count = std::min(static_cast<int>(lines[i].size()), remaining);
        for (int j = 0; j < count; j++) {
            display_manager.drawCharacter(nv::Vector(x0 + 2 + j, y0 + 1 + static_cast<float>(i)), lines[i][j],
                                          nv::WHITE);
        }
        remaining -= count;
    }

    if (shown_chars >= total_chars && (step_count / 10) % 2 == 0) {
        display_manager.drawCharacter(nv::Vector(x0 + width - 3, y0 + height - 2), 'v', nv::YELLOW);
    }
    return 0;
}
