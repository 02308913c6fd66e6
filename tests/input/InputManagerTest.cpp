#include "InputTestSupport.h"

#include <map>

using LibKey = nv::SfmlBridge::Key;

namespace {

nv::SfmlBridge::WindowEvent keyEvent(LibKey key, bool pressed = true) {
    nv::SfmlBridge::WindowEvent event;
    event.kind = pressed ? nv::SfmlBridge::EventKind::KeyPressed : nv::SfmlBridge::EventKind::KeyReleased;
    event.key = key;
    return event;
}

} // namespace

class InputManagerState : public ::testing::Test {
protected:
    void SetUp() override {
        nv_test::resetInput();
        log.restart();
    }
    void TearDown() override { nv_test::resetInput(); }

    nv::InputManager &im() { return nv::InputManager::getInstance(); }

    nv_test::InputLog log;
};

TEST_F(InputManagerState, AcceptsInterestInKeyboardAndMouseOnly) {
    EXPECT_TRUE(im().isValid("nv-keyboard"));
    EXPECT_TRUE(im().isValid("nv-mouse"));
    EXPECT_FALSE(im().isValid("nv-step"));
    EXPECT_FALSE(im().isValid("nv-collision"));
    EXPECT_FALSE(im().isValid("NV-KEYBOARD"));
    EXPECT_EQ(im().getType(), "InputManager");
}

TEST_F(InputManagerState, ObjectsRegisterForKeyboardWithTheInputManager) {
    nv::WorldManager::getInstance().startUp();
    nv_test::InputRecorder *p_recorder = new nv_test::InputRecorder();
    nv::EventKeyboard event;
    event.setKey(nv::Q);
    event.setKeyboardAction(nv::KEY_PRESSED);
    EXPECT_EQ(im().onEvent(&event), 1);
    ASSERT_EQ(p_recorder->keys().size(), 1u);
    EXPECT_EQ(p_recorder->keys()[0].first, nv::Q);
}

TEST_F(InputManagerState, HeadlessStartsWithoutADisplayAndReadsNothing) {
    nv::Config::getInstance().loadConfig("headless:true,");
    ASSERT_EQ(im().startUp(), 0);
    EXPECT_TRUE(im().isStarted());
    im().getInput();
    EXPECT_FALSE(log.contains("unexpectedly returned null window"));
    im().shutDown();
    EXPECT_FALSE(im().isStarted());
}

TEST_F(InputManagerState, NeedsTheDisplayStartedFirst) {
    EXPECT_EQ(im().startUp(), -1);
    EXPECT_FALSE(im().isStarted());
    EXPECT_TRUE(log.contains("InputManager::startUp(): Error! DisplayManager must be started first."));
}

TEST_F(InputManagerState, SecondStartUpIsRefused) {
    nv::Config::getInstance().loadConfig("headless:true,");
    ASSERT_EQ(im().startUp(), 0);
    EXPECT_EQ(im().startUp(), -1);
    EXPECT_TRUE(log.contains("InputManager::startup(): Warning! InputManager already started."));
    EXPECT_TRUE(im().isStarted());
}

TEST_F(InputManagerState, StepWithoutAWindowIsReported) {
    im().getInput();
    EXPECT_TRUE(log.contains("InputManager::getInput(): DisplayManager unexpectedly returned null window!"));
}

class KeyTranslation : public InputManagerState {};

TEST_F(KeyTranslation, EveryTableRowMapsItsLibraryKey) {
    const std::map<LibKey, nv::Key> table = {
        {LibKey::Space, nv::SPACE},
        {LibKey::Enter, nv::RETURN},
        {LibKey::Escape, nv::ESCAPE},
        {LibKey::Tab, nv::TAB},
        {LibKey::Left, nv::LEFTARROW},
        {LibKey::Right, nv::RIGHTARROW},
        {LibKey::Up, nv::UPARROW},
        {LibKey::Down, nv::DOWNARROW},
        {LibKey::Pause, nv::PAUSE},
        {LibKey::Subtract, nv::MINUS},
        {LibKey::Add, nv::PLUS},
        {LibKey::Grave, nv::TILDE},
        {LibKey::Period, nv::PERIOD},
        {LibKey::Comma, nv::COMMA},
        {LibKey::Slash, nv::SLASH},
        {LibKey::Equal, nv::EQUAL},
        {LibKey::Backslash, nv::BACKSLASH},
        {LibKey::Multiply, nv::MULTIPLY},
        {LibKey::Apostrophe, nv::QUOTE},
        {LibKey::Semicolon, nv::SEMICOLON},
        {LibKey::LControl, nv::LEFTCONTROL},
        {LibKey::RControl, nv::RIGHTCONTROL},
        {LibKey::LShift, nv::LEFTSHIFT},
        {LibKey::RShift, nv::RIGHTSHIFT},
        {LibKey::F1, nv::F1},
        {LibKey::F10, nv::F10},
        {LibKey::F11, nv::F11},
        {LibKey::F12, nv::F12},
        {LibKey::A, nv::A},
        {LibKey::M, nv::M},
        {LibKey::Z, nv::Z},
        {LibKey::Num1, nv::NUM1},
        {LibKey::Num9, nv::NUM9},
        {LibKey::Num0, nv::NUM0},
        {LibKey::Backspace, nv::BACKSPACE},
        {LibKey::LBracket, nv::LEFTBRACKET},
        {LibKey::RBracket, nv::RIGHTBRACKET},
    };
    for (const auto &row : table) {
        EXPECT_EQ(im().toEventKeyboard(keyEvent(row.first)).getKey(), row.second) << nv::SfmlBridge::keyName(row.first);
        EXPECT_EQ(im().toEventKeyboard(keyEvent(row.first, false)).getKey(), row.second);
    }
}

TEST_F(KeyTranslation, LettersAndDigitsRunInKeyboardOrder) {
    for (int i = 0; i < 26; i++) {
        const LibKey key = static_cast<LibKey>(static_cast<int>(LibKey::A) + i);
        EXPECT_EQ(im().toEventKeyboard(keyEvent(key)).getKey(), static_cast<nv::Key>(nv::A + i));
    }
    for (int i = 1; i <= 9; i++) {
        const LibKey key = static_cast<LibKey>(static_cast<int>(LibKey::Num0) + i);
        EXPECT_EQ(im().toEventKeyboard(keyEvent(key)).getKey(), static_cast<nv::Key>(nv::NUM1 + i - 1));
    }
}

TEST_F(KeyTranslation, KeysWithoutARowAreUndefined) {
    const LibKey unhandled[] = {LibKey::Hyphen, LibKey::LAlt,   LibKey::RAlt,     LibKey::LSystem, LibKey::RSystem,
                                LibKey::Menu,   LibKey::PageUp, LibKey::PageDown, LibKey::End,     LibKey::Home,
                                LibKey::Insert, LibKey::Delete, LibKey::Divide,   LibKey::Numpad0, LibKey::Numpad9,
                                LibKey::F13,    LibKey::F15,    LibKey::Unknown};
    for (LibKey key : unhandled) {
        const nv::EventKeyboard event = im().toEventKeyboard(keyEvent(key));
        EXPECT_EQ(event.getKey(), nv::UNDEFINED_KEY) << nv::SfmlBridge::keyName(key);
        EXPECT_EQ(event.getKeyboardAction(), nv::UNDEFINED_KEYBOARD_ACTION);
        EXPECT_EQ(event.getType(), "nv-keyboard");
    }
}

TEST_F(KeyTranslation, NonKeyboardEventsAreRefused) {
    nv::SfmlBridge::WindowEvent event;
    event.kind = nv::SfmlBridge::EventKind::MouseMoved;
    event.key = LibKey::A;
    EXPECT_EQ(im().toEventKeyboard(event).getKey(), nv::UNDEFINED_KEY);
    EXPECT_TRUE(log.contains("toEventKeyboard(): Error! Called with non-keyboard event."));
}

TEST(KeyToString, PrintableKeysGiveTheirCharacter) {
    EXPECT_EQ(nv::keyToString(nv::SPACE), " ");
    EXPECT_EQ(nv::keyToString(nv::MINUS), "-");
    EXPECT_EQ(nv::keyToString(nv::PLUS), "+");
    EXPECT_EQ(nv::keyToString(nv::TILDE), "~");
    EXPECT_EQ(nv::keyToString(nv::PERIOD), ".");
    EXPECT_EQ(nv::keyToString(nv::COMMA), ",");
    EXPECT_EQ(nv::keyToString(nv::SLASH), "/");
    EXPECT_EQ(nv::keyToString(nv::EQUAL), "=");
    EXPECT_EQ(nv::keyToString(nv::BACKSLASH), "\\");
    EXPECT_EQ(nv::keyToString(nv::MULTIPLY), "*");
    EXPECT_EQ(nv::keyToString(nv::QUOTE), "'");
    EXPECT_EQ(nv::keyToString(nv::SEMICOLON), ";");
    EXPECT_EQ(nv::keyToString(nv::LEFTBRACKET), "[");
    EXPECT_EQ(nv::keyToString(nv::RIGHTBRACKET), "]");
    EXPECT_EQ(nv::keyToString(nv::BACKTICK), "`");
    EXPECT_EQ(nv::keyToString(nv::A), "A");
    EXPECT_EQ(nv::keyToString(nv::W), "W");
    EXPECT_EQ(nv::keyToString(nv::Z), "Z");
    EXPECT_EQ(nv::keyToString(nv::NUM1), "1");
    EXPECT_EQ(nv::keyToString(nv::NUM9), "9");
    EXPECT_EQ(nv::keyToString(nv::NUM0), "0");
}

TEST(KeyToString, OtherKeysAndValuesGiveNothing) {
    const int silent[] = {nv::RETURN,
                          nv::ESCAPE,
                          nv::TAB,
                          nv::LEFTARROW,
                          nv::PAUSE,
                          nv::LEFTCONTROL,
                          nv::RIGHTSHIFT,
                          nv::F1,
                          nv::F12,
                          nv::BACKSPACE,
                          73,
                          nv::UNDEFINED_KEY,
                          77,
                          -2,
                          1000};
    for (int key : silent) {
        EXPECT_EQ(nv::keyToString(key), "") << key;
    }
}

TEST(KeyValues, AreNumberedAsDocumented) {
    EXPECT_EQ(nv::F1, 24);
    EXPECT_EQ(nv::F12, 35);
    EXPECT_EQ(nv::A, 36);
    EXPECT_EQ(nv::Z, 61);
    EXPECT_EQ(nv::NUM1, 62);
    EXPECT_EQ(nv::NUM0, 71);
    EXPECT_EQ(nv::BACKSPACE, 72);
    EXPECT_EQ(nv::LEFTBRACKET, 74);
    EXPECT_EQ(nv::BACKTICK, 76);
}

TEST(InputEvents, StartUndefinedWithTheirTypes) {
    const nv::EventKeyboard keyboard;
    EXPECT_EQ(keyboard.getType(), "nv-keyboard");
    EXPECT_EQ(keyboard.getKey(), nv::UNDEFINED_KEY);
    EXPECT_EQ(keyboard.getKeyboardAction(), nv::UNDEFINED_KEYBOARD_ACTION);
    const nv::EventMouse mouse;
    EXPECT_EQ(mouse.getType(), "nv-mouse");
    EXPECT_EQ(mouse.getMouseAction(), nv::UNDEFINED_MOUSE_ACTION);
    EXPECT_EQ(mouse.getMouseButton(), nv::UNDEFINED_MOUSE_BUTTON);
    EXPECT_EQ(mouse.getMousePosition(), nv::Vector(0, 0));
}
