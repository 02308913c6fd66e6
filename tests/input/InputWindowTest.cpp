#include "InputTestSupport.h"

#include <utility>

#include "X11Session.h"

using nv_test::Received;
using nv_test::sleepMs;
using KeyList = std::vector<std::pair<nv::Key, nv::KeyboardAction>>;

// Real key and mouse events from xdotool reach a real window on a private Xvfb server; the default
// 1024 x 768 pixel, 80 x 24 cell window makes a cell 12.8 x 32 pixels.
class WindowInput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(nv_test::ensureDisplay()) << "no X server: Xvfb could not be started";
        nv_test::resetInput();
        log.restart();
        title = "nv-input-" + std::to_string(getpid());
        nv::Config::getInstance().loadConfig("font_file:" + nv_test::FONT_PATH + ",window_title:" + title + ",");
        nv::WorldManager::getInstance().startUp();
        ASSERT_EQ(nv::DisplayManager::getInstance().startUp(), 0);
        ASSERT_NE(nv::DisplayManager::getInstance().getWindow(), nullptr);
        ASSERT_EQ(im().startUp(), 0);
        recorder = new nv_test::InputRecorder();

        bool ok = false;
        const std::string found = nv_test::xdotool("search --sync --name '^" + title + "$'", ok);
        ASSERT_TRUE(ok) << "xdotool found no window titled " << title;
        window_id = std::stoul(found);
        nv_test::xdotool("windowfocus --sync " + std::to_string(window_id), ok);
        ASSERT_TRUE(ok);
        // Whatever mapping and focusing queued up is not part of any test.
        step();
        step();
    }
    void TearDown() override {
        bool ok = false;
        nv_test::xdotool("keyup w a minus KP_Subtract", ok);
        nv_test::xdotool("mouseup 1", ok);
        nv_test::xdotool("mouseup 3", ok);
        nv_test::resetInput();
    }

    nv::InputManager &im() { return nv::InputManager::getInstance(); }

    /// Lets the server deliver what xdotool sent, then runs one input step; what the recorder got in it.
    std::vector<Received> step() {
        sleepMs(150);
        recorder->events.clear();
        im().getInput();
        return recorder->events;
    }
    KeyList keyStep() {
        step();
        return recorder->keys();
    }
    std::vector<Received> mouseStep() {
        step();
        return recorder->mice();
    }
    void send(const std::string &arguments) {
        bool ok = false;
        nv_test::xdotool(arguments, ok);
        ASSERT_TRUE(ok) << "xdotool " << arguments;
    }
    std::string windowArg() const { return "--window " + std::to_string(window_id) + " "; }

    nv_test::InputLog log;
    nv_test::InputRecorder *recorder = nullptr;
    std::string title;
    unsigned long window_id = 0;
};

TEST_F(WindowInput, HoldingWGivesPressedThenDownEachStepThenReleased) {
    send("keydown w");
    EXPECT_EQ(keyStep(), (KeyList{{nv::W, nv::KEY_PRESSED}, {nv::W, nv::KEY_DOWN}}));
    EXPECT_EQ(keyStep(), (KeyList{{nv::W, nv::KEY_DOWN}}));
    EXPECT_EQ(keyStep(), (KeyList{{nv::W, nv::KEY_DOWN}}));
    send("keyup w");
    EXPECT_EQ(keyStep(), (KeyList{{nv::W, nv::KEY_RELEASED}}));
    EXPECT_EQ(keyStep(), KeyList{});
}

TEST_F(WindowInput, KeypadSubtractIsMinusAndHyphenIsUndefined) {
    send("key KP_Subtract");
    EXPECT_EQ(keyStep(), (KeyList{{nv::MINUS, nv::KEY_PRESSED}, {nv::MINUS, nv::KEY_RELEASED}}));
    send("key minus");
    EXPECT_EQ(keyStep(), (KeyList{{nv::UNDEFINED_KEY, nv::KEY_PRESSED}, {nv::UNDEFINED_KEY, nv::KEY_RELEASED}}));
}

TEST_F(WindowInput, ClickIsReportedInCellsOfTheWindow) {
    send("mousemove " + windowArg() + "128 96");
    const std::vector<Received> moved = mouseStep();
    ASSERT_FALSE(moved.empty());
    EXPECT_EQ(moved.back().mouse_action, nv::MOVED);
    EXPECT_EQ(moved.back().button, nv::UNDEFINED_MOUSE_BUTTON);
    EXPECT_EQ(moved.back().position, nv::Vector(10, 3));

    send("click 1");
    const std::vector<Received> clicked = mouseStep();
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0].mouse_action, nv::CLICKED);
    EXPECT_EQ(clicked[0].button, nv::LEFT);
    EXPECT_EQ(clicked[0].position, nv::Vector(10, 3));
}

TEST_F(WindowInput, TopLeftPixelIsTheTopLeftCell) {
    send("mousemove " + windowArg() + "0 0");
    const std::vector<Received> moved = mouseStep();
    ASSERT_FALSE(moved.empty());
    EXPECT_EQ(moved.back().position, nv::Vector(0, 0));
}

TEST_F(WindowInput, HeldButtonsArePressedEachStepLeftFirstAndReleaseRaisesNothing) {
    send("mousemove " + windowArg() + "64 160");
    mouseStep();
    send("mousedown 3");
    send("mousedown 1");
    const std::vector<Received> first = mouseStep();
    ASSERT_EQ(first.size(), 4u);
    EXPECT_EQ(first[0].mouse_action, nv::CLICKED);
    EXPECT_EQ(first[0].button, nv::RIGHT);
    EXPECT_EQ(first[1].mouse_action, nv::CLICKED);
    EXPECT_EQ(first[1].button, nv::LEFT);
    EXPECT_EQ(first[2].mouse_action, nv::PRESSED);
    EXPECT_EQ(first[2].button, nv::LEFT);
    EXPECT_EQ(first[3].mouse_action, nv::PRESSED);
    EXPECT_EQ(first[3].button, nv::RIGHT);
    EXPECT_EQ(first[2].position, nv::Vector(5, 5));
    EXPECT_EQ(first[3].position, nv::Vector(5, 5));

    const std::vector<Received> held = mouseStep();
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held[0].button, nv::LEFT);
    EXPECT_EQ(held[1].button, nv::RIGHT);

    send("mouseup 1");
    send("mouseup 3");
    EXPECT_TRUE(mouseStep().empty());
}

TEST_F(WindowInput, ClosingTheWindowSetsGameOverAndLeavesTheRestOfTheQueue) {
    send("keydown a");
    keyStep();
    ASSERT_TRUE(nv_test::requestWindowClose(window_id));
    sleepMs(100);
    send("key b");
    EXPECT_EQ(keyStep(), KeyList{}) << "the close ends the step before later events and held keys";
    EXPECT_TRUE(nv::GameManager::getInstance().getGameOver());
    const KeyList later = keyStep();
    ASSERT_GE(later.size(), 2u);
    EXPECT_EQ(later[0], std::make_pair(nv::B, nv::KEY_PRESSED));
}
