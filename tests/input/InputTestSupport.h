#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/Config.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "display/DisplayManager.h"
#include "input/EventKeyboard.h"
#include "input/EventMouse.h"
#include "input/InputManager.h"
#include "support/TestSupport.h"
#include "world/Object.h"
#include "world/WorldManager.h"

namespace nv_test {

const std::string FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

/// One keyboard or mouse event as an object received it.
struct Received {
    bool keyboard = false;
    nv::Key key = nv::UNDEFINED_KEY;
    nv::KeyboardAction key_action = nv::UNDEFINED_KEYBOARD_ACTION;
    nv::MouseAction mouse_action = nv::UNDEFINED_MOUSE_ACTION;
    nv::MouseButton button = nv::UNDEFINED_MOUSE_BUTTON;
    nv::Vector position;
};

/// An object interested in keyboard and mouse events that keeps what it gets.
class InputRecorder : public nv::Object {
public:
    InputRecorder() {
        registerInterest("nv-keyboard");
        registerInterest("nv-mouse");
    }
    int eventHandler(const nv::Event *p_e) override {
        Received r;
        if (p_e->getType() == "nv-keyboard") {
            const auto *p_k = static_cast<const nv::EventKeyboard *>(p_e);
            r.keyboard = true;
            r.key = p_k->getKey();
            r.key_action = p_k->getKeyboardAction();
        } else if (p_e->getType() == "nv-mouse") {
            const auto *p_m = static_cast<const nv::EventMouse *>(p_e);
            r.mouse_action = p_m->getMouseAction();
            r.button = p_m->getMouseButton();
            r.position = p_m->getMousePosition();
        } else {
            return 0;
        }
        events.push_back(r);
        return 1;
    }
    /// The keyboard events received, as (key, action) pairs.
    std::vector<std::pair<nv::Key, nv::KeyboardAction>> keys() const {
        std::vector<std::pair<nv::Key, nv::KeyboardAction>> out;
        for (const Received &r : events) {
            if (r.keyboard) {
                out.emplace_back(r.key, r.key_action);
            }
        }
        return out;
    }
    std::vector<Received> mice() const {
        std::vector<Received> out;
        for (const Received &r : events) {
            if (!r.keyboard) {
                out.push_back(r);
            }
        }
        return out;
    }

    std::vector<Received> events;
};

/// Sends the log into a fresh private file that tests read back.
class InputLog {
public:
    void restart() {
        if (path.empty()) {
            path = makeTempFile("nv-input-log");
        }
        restartLogInto(path);
    }
    bool contains(const std::string &needle) const { return fileText(path).find(needle) != std::string::npos; }

private:
    std::string path;
};

/// Stops the input, display and world managers and restores the default configuration.
inline void resetInput() {
    stopIfStarted(nv::InputManager::getInstance());
    stopIfStarted(nv::DisplayManager::getInstance());
    stopIfStarted(nv::WorldManager::getInstance());
    nv::GameManager::getInstance().setGameOver(false);
    nv::Config::getInstance().reset();
}

inline void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

/// Runs xdotool with the arguments and returns its standard output; sets ok to whether it succeeded.
inline std::string xdotool(const std::string &arguments, bool &ok) {
    const std::string command = "xdotool " + arguments + " 2>/dev/null";
    std::string out;
    FILE *p_pipe = popen(command.c_str(), "r");
    ok = false;
    if (p_pipe == nullptr) {
        return out;
    }
    char buffer[256];
    while (fgets(buffer, sizeof(buffer), p_pipe) != nullptr) {
        out += buffer;
    }
    ok = pclose(p_pipe) == 0;
    return out;
}

} // namespace nv_test
