#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

#include "core/Config.h"
#include "core/GameManager.h"
#include "display/DisplayManager.h"
#include "input/InputManager.h"
#include "support/TestSupport.h"
#include "world/WorldManager.h"

#include <X11/Xlib.h>

using LibKey = nv::SfmlBridge::Key;
/// An event as an object got it: key or button, action, and the mouse position in cells.
using Got = std::array<float, 4>;

namespace {

class Recorder : public nv::Object {
public:
    Recorder() { registerInterest(nv::KEYBOARD_EVENT), registerInterest(nv::MOUSE_EVENT); }
    int eventHandler(const nv::Event *p_e) override {
        if (const auto *p_k = dynamic_cast<const nv::EventKeyboard *>(p_e)) {
            keys.push_back(Got{float(p_k->getKey()), float(p_k->getKeyboardAction()), 0, 0});
        } else if (const auto *p_m = dynamic_cast<const nv::EventMouse *>(p_e)) {
            const nv::Vector at = p_m->getMousePosition();
            mice.push_back(Got{float(p_m->getMouseButton()), float(p_m->getMouseAction()), at.getX(), at.getY()});
        }
        return 1;
    }
    std::vector<Got> keys, mice;
};

// Starts a private X server, so test programs running side by side never share keyboard focus or key state.
bool startDisplay() {
    // The leak checker names the software GL driver's leftovers only while it stays loaded.
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
    // The server prints its display number once it takes connections, and ends when its last client goes: the
    // one opened here, kept to the end of the program.
    FILE *server = popen("Xvfb -displayfd 1 -terminate -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null", "r");
    char number[32] = {};
    return server != nullptr && fgets(number, sizeof(number), server) != nullptr &&
           setenv("DISPLAY", (":" + std::string(number, std::strcspn(number, "\n"))).c_str(), 1) == 0 &&
           XOpenDisplay(nullptr) != nullptr;
}

// The 73 polled keys in polling order, as X names them.
const char *const POLLED = "Up Down Left Right space Return Tab Escape Pause KP_Subtract KP_Add grave period comma "
                           "slash equal backslash KP_Multiply apostrophe bracketleft bracketright semicolon Control_L "
                           "Control_R Shift_L Shift_R F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 a b c d e f g h i j k l m n o p "
                           "q r s t u v w x y z 1 2 3 4 5 6 7 8 9 0 BackSpace";

// The engine keys of the library keys from Escape to Pause, in the library's order (-1: undefined).
const int NAMED[][8] = {{nv::ESCAPE, nv::LEFTCONTROL, nv::LEFTSHIFT, -1, -1, nv::RIGHTCONTROL, nv::RIGHTSHIFT, -1},
                        {-1, -1, nv::LEFTBRACKET, nv::RIGHTBRACKET, nv::SEMICOLON, nv::COMMA, nv::PERIOD, nv::QUOTE},
                        {nv::SLASH, nv::BACKSLASH, nv::TILDE, nv::EQUAL, -1, nv::SPACE, nv::RETURN, nv::BACKSPACE},
                        {nv::TAB, -1, -1, -1, -1, -1, -1, nv::PLUS},
                        {nv::MINUS, nv::MULTIPLY, -1, nv::LEFTARROW, nv::RIGHTARROW, nv::UPARROW, nv::DOWNARROW, -1},
                        {-1, -1, -1, -1, -1, -1, -1, -1},
                        {-1, nv::F1, nv::F2, nv::F3, nv::F4, nv::F5, nv::F6, nv::F7},
                        {nv::F8, nv::F9, nv::F10, nv::F11, nv::F12, -1, -1, -1},
                        {nv::PAUSE, -1, -1, -1, -1, -1, -1, -1}};

} // namespace

/// Input, display and world managers stopped, default configuration, the log in a private file.
class Input : public ::testing::Test {
protected:
    void SetUp() override {
        reset();
        nv_test::restartLogInto(log_path);
    }
    // The log file goes with the other temporary files when the program ends.
    void TearDown() override { reset(); }
    static void reset() {
        nv_test::stopIfStarted(nv::InputManager::getInstance());
        nv_test::stopIfStarted(nv::DisplayManager::getInstance());
        nv_test::stopIfStarted(nv::WorldManager::getInstance());
        nv::GameManager::getInstance().setGameOver(false);
        nv::Config::getInstance().reset();
    }
    bool logged(const std::string &line) const { return nv_test::fileText(log_path).find(line) != std::string::npos; }
    /// Runs xdotool with the arguments (if any), lets the server deliver, then runs one input step.
    void step(const std::string &arguments = "") {
        EXPECT_TRUE(arguments.empty() || std::system(("xdotool " + arguments + " 2>/dev/null").c_str()) == 0);
        usleep(150000);
        recorder->keys.clear(), recorder->mice.clear();
        im.getInput();
    }

    nv::InputManager &im = nv::InputManager::getInstance();
    std::string log_path = nv_test::makeTempFile("nv-input-log");
    Recorder *recorder = nullptr;
};

TEST_F(Input, LibraryKeysMapToTheirRowsAndKeysToTheirTexts) {
    for (int key = -1; key < static_cast<int>(LibKey::KeyCount); key++) {
        const int expected =
            key < 0                                 ? nv::UNDEFINED_KEY
            : key <= static_cast<int>(LibKey::Z)    ? nv::A + key
            : key == static_cast<int>(LibKey::Num0) ? nv::NUM0
            : key <= static_cast<int>(LibKey::Num9)
                ? nv::NUM1 + key - 1 - static_cast<int>(LibKey::Num0)
                : NAMED[(key - static_cast<int>(LibKey::Escape)) / 8][(key - static_cast<int>(LibKey::Escape)) % 8];
        const auto kind = key % 2 ? nv::SfmlBridge::EventKind::KeyPressed : nv::SfmlBridge::EventKind::KeyReleased;
        EXPECT_EQ(im.toEventKeyboard({kind, static_cast<LibKey>(key)}).getKey(), expected) << key;
    }
    EXPECT_EQ(im.toEventKeyboard({nv::SfmlBridge::EventKind::MouseMoved, LibKey::A}).getKey(), nv::UNDEFINED_KEY);
    EXPECT_TRUE(logged("toEventKeyboard(): Error! Called with non-keyboard event."));
    // The text of each key value from 0 on ('#': none).
    const std::string texts = " ########-+~.,/=\\*';################ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890##[]`";
    for (int key = -2; key <= 80; key++) {
        const bool has_text = key >= 0 && key < static_cast<int>(texts.size()) && texts[key] != '#';
        EXPECT_EQ(nv::keyToString(key), has_text ? texts.substr(key, 1) : "") << key;
    }
}

TEST_F(Input, StartAndStepsWithoutADisplayFailWithTheirLines) {
    EXPECT_TRUE(im.isValid(nv::KEYBOARD_EVENT) && im.isValid(nv::MOUSE_EVENT) && !im.isValid("nv-step"));
    nv::Config::getInstance().loadConfig("headless:true,");
    ASSERT_EQ(im.startUp(), 0);
    EXPECT_EQ(im.startUp(), -1);
    EXPECT_TRUE(logged("InputManager::startup(): Warning! InputManager already started."));
    im.getInput();
    EXPECT_FALSE(logged("null window")) << "headless steps read nothing";
    reset();
    EXPECT_EQ(im.startUp(), -1);
    EXPECT_TRUE(logged("InputManager::startUp(): Error! DisplayManager must be started first."));
    im.getInput();
    EXPECT_TRUE(logged("InputManager::getInput(): DisplayManager unexpectedly returned null window!"));
}

// A real 1024 x 768 pixel, 80 x 24 cell window (cells of 12.8 x 32 pixels) that xdotool types and clicks into.
TEST_F(Input, RealKeysAndMouseGiveTheirEventsInOrderAndACloseEndsTheGame) {
    ASSERT_TRUE(startDisplay()) << "Xvfb could not be started";
    nv::Config::getInstance().loadConfig(
        "font_file:/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf,window_title:nv-input,");
    nv::WorldManager::getInstance().startUp();
    ASSERT_EQ(nv::DisplayManager::getInstance().startUp(), 0);
    ASSERT_EQ(im.startUp(), 0);
    recorder = new Recorder();
    FILE *p_search = popen("xdotool search --sync --name '^nv-input$'", "r");
    char id[32] = {};
    ASSERT_TRUE(p_search != nullptr && fgets(id, sizeof(id), p_search) != nullptr && pclose(p_search) == 0);
    const unsigned long window = std::stoul(id);
    step("windowfocus --sync " + std::to_string(window));
    step("keydown w");
    EXPECT_EQ(recorder->keys, (std::vector<Got>{{nv::W, nv::KEY_PRESSED, 0, 0}, {nv::W, nv::KEY_DOWN, 0, 0}}));
    // Past the keyboard's repeat delay: a held key still gives no second press.
    usleep(800000);
    step();
    EXPECT_EQ(recorder->keys, (std::vector<Got>{{nv::W, nv::KEY_DOWN, 0, 0}}));
    step("keyup w key KP_Subtract minus");
    EXPECT_EQ(recorder->keys, (std::vector<Got>{{nv::W, nv::KEY_RELEASED, 0, 0},
                                                {nv::MINUS, 0, 0, 0},
                                                {nv::MINUS, 1, 0, 0},
                                                {-1, 0, 0, 0},
                                                {-1, 1, 0, 0}}));
    step(std::string("keydown F11 ") + POLLED);
    std::vector<Got> pressed, down;
    for (const Got &got : recorder->keys) {
        (got[1] == nv::KEY_PRESSED ? pressed : down).push_back(Got{got[0], nv::KEY_DOWN, 0, 0});
    }
    ASSERT_EQ(pressed.size(), 74u);
    EXPECT_EQ(down, std::vector<Got>(pressed.begin() + 1, pressed.end())) << "in polling order, F11 not polled";
    step(std::string("keyup F11 ") + POLLED);
    const std::string in_window = "mousemove --window " + std::to_string(window) + " ";
    step(in_window + "0 0");
    EXPECT_EQ(recorder->mice.back(), (Got{nv::UNDEFINED_MOUSE_BUTTON, nv::MOVED, 0, 0}));
    step(in_window + "128 96 click 1");
    EXPECT_EQ(recorder->mice, (std::vector<Got>{{-1, nv::MOVED, 10, 3}, {nv::LEFT, nv::CLICKED, 10, 3}}));
    step(in_window + "64 160 mousedown 3 mousedown 1");
    const Got left{nv::LEFT, nv::PRESSED, 5, 5}, right{nv::RIGHT, nv::PRESSED, 5, 5};
    EXPECT_EQ(recorder->mice,
              (std::vector<Got>{
                  {-1, nv::MOVED, 5, 5}, {nv::RIGHT, nv::CLICKED, 5, 5}, {nv::LEFT, nv::CLICKED, 5, 5}, left, right}));
    step();
    EXPECT_EQ(recorder->mice, (std::vector<Got>{left, right}));
    step("mouseup 1 mouseup 3");
    EXPECT_TRUE(recorder->mice.empty()) << "a release raises nothing";
    // While another window has the focus, releases go there: nothing counts as held until the focus comes back.
    Display *p_display = static_cast<Display *>(nv::SfmlBridge::nativeDisplay());
    step("keydown d mousedown 1");
    ASSERT_TRUE(XSetInputFocus(p_display, None, RevertToNone, CurrentTime) != 0 && XSync(p_display, False) != 0);
    step("keyup d keydown e");
    EXPECT_TRUE(recorder->keys.empty() && recorder->mice.empty());
    step("mouseup 1 windowfocus --sync " + std::to_string(window));
    EXPECT_EQ(recorder->keys, (std::vector<Got>{{nv::E, nv::KEY_DOWN, 0, 0}})) << "read again on focus";
    step("keyup e keydown a");
    // What a window manager's close button sends: WM_DELETE_WINDOW.
    XEvent event{};
    event.xclient = {ClientMessage, 0, False, p_display, window, XInternAtom(p_display, "WM_PROTOCOLS", False), 32, {}};
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(p_display, "WM_DELETE_WINDOW", False));
    ASSERT_TRUE(XSendEvent(p_display, window, False, NoEventMask, &event) != 0 && XSync(p_display, False) != 0);
    step("key b");
    EXPECT_TRUE(recorder->keys.empty() && nv::GameManager::getInstance().getGameOver()) << "the rest waits";
    step();
    EXPECT_EQ(recorder->keys.at(0), (Got{nv::B, nv::KEY_PRESSED, 0, 0}));
}
