#include "display/SfmlBridge.h"

#include <algorithm>
#include <cmath>

#include <SFML/Config.hpp>
#include <SFML/Graphics/RenderStates.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Err.hpp>
#include <SFML/Window/Keyboard.hpp>
#include <SFML/Window/Mouse.hpp>
#include <SFML/Window/VideoMode.hpp>

namespace nv {

namespace {

#if SFML_VERSION_MAJOR >= 3
#define NV_SFML3 1
#else
#define NV_SFML3 0
#endif

// Our key enumeration mirrors the library's order, which is the same in 2.5, 2.6 and 3.x.
static_assert(static_cast<int>(sf::Keyboard::Key::A) == static_cast<int>(SfmlBridge::Key::A), "key order");
static_assert(static_cast<int>(sf::Keyboard::Key::Escape) == static_cast<int>(SfmlBridge::Key::Escape), "key order");
static_assert(static_cast<int>(sf::Keyboard::Key::Space) == static_cast<int>(SfmlBridge::Key::Space), "key order");
static_assert(static_cast<int>(sf::Keyboard::Key::Subtract) == static_cast<int>(SfmlBridge::Key::Subtract),
              "key order");
static_assert(static_cast<int>(sf::Keyboard::Key::Numpad0) == static_cast<int>(SfmlBridge::Key::Numpad0), "key order");
static_assert(static_cast<int>(sf::Keyboard::Key::Pause) == static_cast<int>(SfmlBridge::Key::Pause), "key order");

const char *const KEY_NAMES[] = {
    "A",       "B",        "C",        "D",         "E",       "F",         "G",          "H",       "I",
    "J",       "K",        "L",        "M",         "N",       "O",         "P",          "Q",       "R",
    "S",       "T",        "U",        "V",         "W",       "X",         "Y",          "Z",       "Num0",
    "Num1",    "Num2",     "Num3",     "Num4",      "Num5",    "Num6",      "Num7",       "Num8",    "Num9",
    "Escape",  "LControl", "LShift",   "LAlt",      "LSystem", "RControl",  "RShift",     "RAlt",    "RSystem",
    "Menu",    "LBracket", "RBracket", "Semicolon", "Comma",   "Period",    "Apostrophe", "Slash",   "Backslash",
    "Grave",   "Equal",    "Hyphen",   "Space",     "Enter",   "Backspace", "Tab",        "PageUp",  "PageDown",
    "End",     "Home",     "Insert",   "Delete",    "Add",     "Subtract",  "Multiply",   "Divide",  "Left",
    "Right",   "Up",       "Down",     "Numpad0",   "Numpad1", "Numpad2",   "Numpad3",    "Numpad4", "Numpad5",
    "Numpad6", "Numpad7",  "Numpad8",  "Numpad9",   "F1",      "F2",        "F3",         "F4",      "F5",
    "F6",      "F7",       "F8",       "F9",        "F10",     "F11",       "F12",        "F13",     "F14",
    "F15",     "Pause",
};
static_assert(sizeof(KEY_NAMES) / sizeof(KEY_NAMES[0]) == static_cast<std::size_t>(SfmlBridge::Key::KeyCount),
              "one name per key");

SfmlBridge::Key fromLibrary(sf::Keyboard::Key code) {
    const int value = static_cast<int>(code);
    if (value < 0 || value >= static_cast<int>(SfmlBridge::Key::KeyCount))
        return SfmlBridge::Key::Unknown;
    return static_cast<SfmlBridge::Key>(value);
}

sf::Keyboard::Key toLibrary(SfmlBridge::Key key) {
    return static_cast<sf::Keyboard::Key>(static_cast<int>(key));
}

bool validKey(SfmlBridge::Key key) {
    return static_cast<int>(key) >= 0 && static_cast<int>(key) < static_cast<int>(SfmlBridge::Key::KeyCount);
}

SfmlBridge::MouseButton fromLibrary(sf::Mouse::Button button) {
    if (button == sf::Mouse::Button::Left)
        return SfmlBridge::MouseButton::Left;
    if (button == sf::Mouse::Button::Right)
        return SfmlBridge::MouseButton::Right;
    if (button == sf::Mouse::Button::Middle)
        return SfmlBridge::MouseButton::Middle;
    return SfmlBridge::MouseButton::Other;
}

void appendVertex(std::vector<sf::Vertex> &vertices, float x, float y, sf::Color color, float u, float v) {
    vertices.push_back(sf::Vertex{sf::Vector2f(x, y), color, sf::Vector2f(u, v)});
}

} // namespace

std::unique_ptr<sf::RenderWindow> SfmlBridge::createWindow(unsigned int width, unsigned int height,
                                                           const std::string &title, int style, int state) {
#if NV_SFML3
    const sf::State window_state = state == 1 ? sf::State::Fullscreen : sf::State::Windowed;
    return std::make_unique<sf::RenderWindow>(sf::VideoMode(sf::Vector2u(width, height), 32), title,
                                              static_cast<std::uint32_t>(style), window_state);
#else
    sf::Uint32 window_style = static_cast<sf::Uint32>(style);
    if (state == 1)
        window_style |= sf::Style::Fullscreen;
    return std::make_unique<sf::RenderWindow>(sf::VideoMode(width, height, 32), title, window_style);
#endif
}

void SfmlBridge::desktopSize(unsigned int &width, unsigned int &height) {
    const sf::VideoMode mode = sf::VideoMode::getDesktopMode();
#if NV_SFML3
    width = mode.size.x;
    height = mode.size.y;
#else
    width = mode.width;
    height = mode.height;
#endif
}

SfmlBridge::WindowEvent SfmlBridge::translate(const sf::Event &event) {
    WindowEvent out;
#if NV_SFML3
    if (event.is<sf::Event::Closed>()) {
        out.kind = EventKind::Closed;
    } else if (const auto *pressed = event.getIf<sf::Event::KeyPressed>()) {
        out.kind = EventKind::KeyPressed;
        out.key = fromLibrary(pressed->code);
    } else if (const auto *released = event.getIf<sf::Event::KeyReleased>()) {
        out.kind = EventKind::KeyReleased;
        out.key = fromLibrary(released->code);
    } else if (const auto *moved = event.getIf<sf::Event::MouseMoved>()) {
        out.kind = EventKind::MouseMoved;
        out.x = moved->position.x;
        out.y = moved->position.y;
    } else if (const auto *button = event.getIf<sf::Event::MouseButtonPressed>()) {
        out.kind = EventKind::MouseButtonPressed;
        out.button = fromLibrary(button->button);
        out.x = button->position.x;
        out.y = button->position.y;
    } else if (const auto *up = event.getIf<sf::Event::MouseButtonReleased>()) {
        out.kind = EventKind::MouseButtonReleased;
        out.button = fromLibrary(up->button);
        out.x = up->position.x;
        out.y = up->position.y;
    } else if (event.is<sf::Event::FocusGained>()) {
        out.kind = EventKind::FocusGained;
    } else if (event.is<sf::Event::FocusLost>()) {
        out.kind = EventKind::FocusLost;
    } else {
        out.kind = EventKind::Other;
    }
#else
    switch (event.type) {
    case sf::Event::Closed:
        out.kind = EventKind::Closed;
        break;
    case sf::Event::KeyPressed:
        out.kind = EventKind::KeyPressed;
        out.key = fromLibrary(event.key.code);
        break;
    case sf::Event::KeyReleased:
        out.kind = EventKind::KeyReleased;
        out.key = fromLibrary(event.key.code);
        break;
    case sf::Event::MouseMoved:
        out.kind = EventKind::MouseMoved;
        out.x = event.mouseMove.x;
        out.y = event.mouseMove.y;
        break;
    case sf::Event::MouseButtonPressed:
    case sf::Event::MouseButtonReleased:
        out.kind = event.type == sf::Event::MouseButtonPressed ? EventKind::MouseButtonPressed
                                                               : EventKind::MouseButtonReleased;
        out.button = fromLibrary(event.mouseButton.button);
        out.x = event.mouseButton.x;
        out.y = event.mouseButton.y;
        break;
    case sf::Event::GainedFocus:
        out.kind = EventKind::FocusGained;
        break;
    case sf::Event::LostFocus:
        out.kind = EventKind::FocusLost;
        break;
    default:
        out.kind = EventKind::Other;
        break;
    }
#endif
    return out;
}

namespace {

// What the window's own events say is held, so that a step needs no question to the X server. Those events
// cannot tell about a window not yet heard from, nor about keys that went down while another window had the
// focus: then the keyboard is read from the server once.
struct HeldInput {
    const sf::Window *window = nullptr;
    sf::WindowHandle handle = {};
    bool keys[static_cast<int>(SfmlBridge::Key::KeyCount)] = {};
    bool buttons[3] = {};
    int x = 0;
    int y = 0;
    bool keys_unknown = true;
};

HeldInput held_input;

sf::WindowHandle handleOf(const sf::Window &window) {
#if NV_SFML3
    return window.getNativeHandle();
#else
    return window.getSystemHandle();
#endif
}

// A window other than the one last heard from starts with nothing known.
HeldInput &heldInputOf(const sf::Window &window) {
    const sf::WindowHandle handle = handleOf(window);
    if (held_input.window != &window || held_input.handle != handle) {
        held_input = HeldInput();
        held_input.window = &window;
        held_input.handle = handle;
    }
    return held_input;
}

void noteHeld(const sf::Window &window, const SfmlBridge::WindowEvent &event) {
    HeldInput &state = heldInputOf(window);
    switch (event.kind) {
    case SfmlBridge::EventKind::KeyPressed:
    case SfmlBridge::EventKind::KeyReleased:
        if (validKey(event.key))
            state.keys[static_cast<int>(event.key)] = event.kind == SfmlBridge::EventKind::KeyPressed;
        break;
    case SfmlBridge::EventKind::MouseButtonPressed:
    case SfmlBridge::EventKind::MouseButtonReleased:
        if (event.button != SfmlBridge::MouseButton::Other)
            state.buttons[static_cast<int>(event.button)] = event.kind == SfmlBridge::EventKind::MouseButtonPressed;
        state.x = event.x;
        state.y = event.y;
        break;
    case SfmlBridge::EventKind::MouseMoved:
        state.x = event.x;
        state.y = event.y;
        break;
    case SfmlBridge::EventKind::FocusLost:
        // Releases now go to the window with the focus: nothing counts as held here until it comes back.
        std::fill_n(state.keys, static_cast<int>(SfmlBridge::Key::KeyCount), false);
        std::fill_n(state.buttons, 3, false);
        state.keys_unknown = false;
        break;
    case SfmlBridge::EventKind::FocusGained:
        state.keys_unknown = true;
        break;
    default:
        break;
    }
}

} // namespace

void SfmlBridge::forgetHeldInput() {
    held_input = HeldInput();
}

bool SfmlBridge::pollEvent(sf::Window &window, WindowEvent &out) {
#if NV_SFML3
    const std::optional<sf::Event> event = window.pollEvent();
    if (!event)
        return false;
    out = translate(*event);
#else
    sf::Event event;
    if (!window.pollEvent(event))
        return false;
    out = translate(event);
#endif
    noteHeld(window, out);
    return true;
}

void SfmlBridge::setKeyRepeatEnabled(sf::Window &window, bool enabled) {
    window.setKeyRepeatEnabled(enabled);
}

bool SfmlBridge::captureWindow(sf::RenderWindow &window, sf::Image &image) {
    sf::Texture texture;
#if NV_SFML3
    if (!texture.resize(window.getSize()))
        return false;
#else
    if (!texture.create(window.getSize().x, window.getSize().y))
        return false;
#endif
    texture.update(window);
    image = texture.copyToImage();
    return true;
}

bool SfmlBridge::isKeyPressed(Key key) {
    if (!validKey(key))
        return false;
    return sf::Keyboard::isKeyPressed(toLibrary(key));
}

bool SfmlBridge::isMouseButtonPressed(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return sf::Mouse::isButtonPressed(sf::Mouse::Button::Left);
    case MouseButton::Right:
        return sf::Mouse::isButtonPressed(sf::Mouse::Button::Right);
    case MouseButton::Middle:
        return sf::Mouse::isButtonPressed(sf::Mouse::Button::Middle);
    default:
        return false;
    }
}

void SfmlBridge::mousePosition(const sf::Window &window, int &x, int &y) {
    const sf::Vector2i position = sf::Mouse::getPosition(window);
    x = position.x;
    y = position.y;
}

std::string SfmlBridge::keyName(Key key) {
    if (!validKey(key))
        return "Unknown";
    return KEY_NAMES[static_cast<int>(key)];
}

std::string SfmlBridge::keyDescription(Key key) {
    if (!validKey(key))
        return "Unknown";
#if NV_SFML3 || (SFML_VERSION_MAJOR == 2 && SFML_VERSION_MINOR >= 6)
    const std::string description =
        sf::Keyboard::getDescription(sf::Keyboard::delocalize(toLibrary(key))).toAnsiString();
    if (!description.empty())
        return description;
#endif
    return keyName(key);
}

bool SfmlBridge::loadFont(sf::Font &font, const std::string &filename) {
#if NV_SFML3
    return font.openFromFile(filename);
#else
    return font.loadFromFile(filename);
#endif
}

std::unique_ptr<sf::Text> SfmlBridge::makeText(const sf::Font &font, unsigned int character_size) {
#if NV_SFML3
    return std::make_unique<sf::Text>(font, sf::String(), character_size);
#else
    return std::make_unique<sf::Text>(sf::String(), font, character_size);
#endif
}

void SfmlBridge::setRotation(sf::Transformable &transformable, float degrees) {
#if NV_SFML3
    transformable.setRotation(sf::degrees(degrees));
#else
    transformable.setRotation(degrees);
#endif
}

const sf::Glyph &SfmlBridge::getGlyph(sf::Font &font, char ch, unsigned int character_size, bool bold) {
    // The same code point sf::Text gets from a one-character string made through the default locale.
    const sf::String one(ch);
    return font.getGlyph(one[0], character_size, bold);
}

void SfmlBridge::setGlyphsSmooth(sf::Font &font, unsigned int character_size, bool smooth) {
#if NV_SFML3 || (SFML_VERSION_MAJOR == 2 && SFML_VERSION_MINOR >= 6)
    static_cast<void>(character_size);
    font.setSmooth(smooth);
#else
    // 2.5 has no font-wide switch and turns filtering back on whenever a glyph page grows; the page belongs to
    // the (non-const) font, which only hands it out as const.
    const_cast<sf::Texture &>(font.getTexture(character_size)).setSmooth(smooth);
#endif
}

// The quad is exactly as large as the rendered bitmap and starts on a whole pixel: a bold bitmap is wider and
// taller than the glyph's bounds, and stretching it over them would put texel edges under pixel centres, where
// unfiltered sampling picks texels by rounding noise. Unfiltered, the page's transparent ring around a glyph is
// never sampled, so the quad leaves it out.
SfmlBridge::GlyphQuad SfmlBridge::glyphQuad(const sf::Glyph &glyph, unsigned int character_size) {
#if NV_SFML3
    const float b_left = glyph.bounds.position.x, b_top = glyph.bounds.position.y;
    const float b_width = glyph.bounds.size.x, b_height = glyph.bounds.size.y;
    const int t_left = glyph.textureRect.position.x, t_top = glyph.textureRect.position.y;
    const int t_width = glyph.textureRect.size.x, t_height = glyph.textureRect.size.y;
#else
    const float b_left = glyph.bounds.left, b_top = glyph.bounds.top;
    const float b_width = glyph.bounds.width, b_height = glyph.bounds.height;
    const int t_left = glyph.textureRect.left, t_top = glyph.textureRect.top;
    const int t_width = glyph.textureRect.width, t_height = glyph.textureRect.height;
#endif
    // Emboldening grows the bitmap on every side while the bounds keep the plain outline's size, so the bitmap
    // is centred on them; a half pixel left over goes left and down, where its ink measures to be.
    const float centred_left = b_left + (b_width - static_cast<float>(t_width)) / 2;
    const float centred_top = b_top + (b_height - static_cast<float>(t_height)) / 2;
    GlyphQuad out;
    out.left = std::floor(centred_left);
    out.top = static_cast<float>(character_size) + std::floor(centred_top + 0.5f);
    out.right = out.left + static_cast<float>(t_width);
    out.bottom = out.top + static_cast<float>(t_height);
    out.u1 = static_cast<float>(t_left);
    out.v1 = static_cast<float>(t_top);
    out.u2 = static_cast<float>(t_left + t_width);
    out.v2 = static_cast<float>(t_top + t_height);
    return out;
}

void SfmlBridge::appendGlyphQuad(std::vector<sf::Vertex> &vertices, const GlyphQuad &quad, sf::Color color,
                                 const sf::Transform &transform) {
    const sf::Vector2f corners[4] = {
        transform.transformPoint(sf::Vector2f(quad.left, quad.top)),
        transform.transformPoint(sf::Vector2f(quad.right, quad.top)),
        transform.transformPoint(sf::Vector2f(quad.right, quad.bottom)),
        transform.transformPoint(sf::Vector2f(quad.left, quad.bottom)),
    };
    // A turned quad is no longer a box, so its corners go in one by one, in the order appendQuad uses.
    appendVertex(vertices, corners[0].x, corners[0].y, color, quad.u1, quad.v1);
    appendVertex(vertices, corners[1].x, corners[1].y, color, quad.u2, quad.v1);
#if NV_SFML3
    appendVertex(vertices, corners[3].x, corners[3].y, color, quad.u1, quad.v2);
    appendVertex(vertices, corners[3].x, corners[3].y, color, quad.u1, quad.v2);
    appendVertex(vertices, corners[1].x, corners[1].y, color, quad.u2, quad.v1);
#endif
    appendVertex(vertices, corners[2].x, corners[2].y, color, quad.u2, quad.v2);
#if !NV_SFML3
    appendVertex(vertices, corners[3].x, corners[3].y, color, quad.u1, quad.v2);
#endif
}

// A box as the primitive drawQuads() draws: one quad where the library still has quads (a third fewer vertices
// to upload and transform), else two triangles.
void SfmlBridge::appendQuad(std::vector<sf::Vertex> &vertices, float left, float top, float right, float bottom,
                            sf::Color color, float u1, float v1, float u2, float v2) {
    appendVertex(vertices, left, top, color, u1, v1);
    appendVertex(vertices, right, top, color, u2, v1);
#if NV_SFML3
    appendVertex(vertices, left, bottom, color, u1, v2);
    appendVertex(vertices, left, bottom, color, u1, v2);
    appendVertex(vertices, right, top, color, u2, v1);
#endif
    appendVertex(vertices, right, bottom, color, u2, v2);
#if !NV_SFML3
    appendVertex(vertices, left, bottom, color, u1, v2);
#endif
}

void SfmlBridge::appendClippedGlyphQuad(std::vector<sf::Vertex> &vertices, const GlyphQuad &quad, sf::Color color,
                                        float origin_x, float origin_y, float clip_left, float clip_top,
                                        float clip_right, float clip_bottom) {
    const float left = std::max(quad.left + origin_x, clip_left);
    const float top = std::max(quad.top + origin_y, clip_top);
    const float right = std::min(quad.right + origin_x, clip_right);
    const float bottom = std::min(quad.bottom + origin_y, clip_bottom);
    if (left >= right || top >= bottom)
        return;
    // Texel for pixel: a cut edge moves the texture coordinate by as many texels as the edge moved pixels.
    const float u1 = quad.u1 + left - (quad.left + origin_x);
    const float v1 = quad.v1 + top - (quad.top + origin_y);
    const float u2 = u1 + (right - left);
    const float v2 = v1 + (bottom - top);
    appendQuad(vertices, left, top, right, bottom, color, u1, v1, u2, v2);
}

std::unique_ptr<sf::RenderTexture> SfmlBridge::makeCanvas(unsigned int width, unsigned int height) {
#if NV_SFML3
    auto canvas = std::make_unique<sf::RenderTexture>();
    if (!canvas->resize(sf::Vector2u(width, height)))
        return nullptr;
#else
    auto canvas = std::make_unique<sf::RenderTexture>();
    if (!canvas->create(width, height))
        return nullptr;
#endif
    return canvas;
}

void SfmlBridge::drawQuads(sf::RenderTarget &target, const std::vector<sf::Vertex> &vertices,
                           const sf::Texture *texture) {
    if (vertices.empty())
        return;
    sf::RenderStates states;
    states.texture = texture;
#if NV_SFML3
    target.draw(vertices.data(), vertices.size(), sf::PrimitiveType::Triangles, states);
#else
    target.draw(vertices.data(), vertices.size(), sf::Quads, states);
#endif
}

void SfmlBridge::prepareErrorStream() {
    // Statics die in reverse order of creation, and audio objects report failed calls through this stream even
    // from their destructors (every call fails when no device could be opened).
    static_cast<void>(sf::err());
}

bool SfmlBridge::loadSoundBuffer(sf::SoundBuffer &buffer, const std::string &filename) {
    return buffer.loadFromFile(filename);
}

std::unique_ptr<sf::Sound> SfmlBridge::makeSound(const sf::SoundBuffer &buffer) {
    return std::make_unique<sf::Sound>(buffer);
}

void SfmlBridge::setSoundBuffer(sf::Sound &sound, const sf::SoundBuffer &buffer) {
    sound.setBuffer(buffer);
}

void SfmlBridge::setLooping(sf::Sound &sound, bool loop) {
#if NV_SFML3
    sound.setLooping(loop);
#else
    sound.setLoop(loop);
#endif
}

bool SfmlBridge::isLooping(const sf::Sound &sound) {
#if NV_SFML3
    return sound.isLooping();
#else
    return sound.getLoop();
#endif
}

bool SfmlBridge::isPlaying(const sf::Sound &sound) {
    return sound.getStatus() == sf::SoundSource::Status::Playing;
}

bool SfmlBridge::openMusic(sf::Music &music, const std::string &filename) {
    return music.openFromFile(filename);
}

void SfmlBridge::setLooping(sf::Music &music, bool loop) {
#if NV_SFML3
    music.setLooping(loop);
#else
    music.setLoop(loop);
#endif
}

} // namespace nv

// Xlib's macros (None, Bool, Status) clash with names above, so it comes in only here, after everything else.
#if !defined(_WIN32) && !defined(__APPLE__)
#include <X11/Xlib.h>

#include <cstdlib>

namespace nv {

namespace {

// Kept open for the display manager's life: while it is, the X server cannot reset between this check and the
// window library's own connection.
Display *kept_display = nullptr;

} // namespace

bool SfmlBridge::openDisplay(std::string &reason) {
    if (kept_display != nullptr)
        return true;
    const char *name = std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0') {
        reason = "DISPLAY is not set";
        return false;
    }
    kept_display = XOpenDisplay(name);
    if (kept_display == nullptr) {
        reason = std::string("no X server answers on DISPLAY=") + name;
        return false;
    }
    return true;
}

void SfmlBridge::closeDisplay() {
    if (kept_display != nullptr) {
        XCloseDisplay(kept_display);
        kept_display = nullptr;
    }
}

void *SfmlBridge::nativeDisplay() {
    return kept_display;
}

} // namespace nv

#else

namespace nv {

bool SfmlBridge::openDisplay(std::string &) {
    return true;
}

void SfmlBridge::closeDisplay() {}

void *SfmlBridge::nativeDisplay() {
    return nullptr;
}

} // namespace nv
#endif

#if !defined(_WIN32) && !defined(__APPLE__)
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace nv {

namespace {

// The X key symbols the window library reads its keys by, in its key order from Escape to Pause.
const KeySym NAMED_KEY_SYMS[] = {
    XK_Escape,       XK_Control_L,  XK_Shift_L,   XK_Alt_L,       XK_Super_L,      XK_Control_R,   XK_Shift_R,
    XK_Alt_R,        XK_Super_R,    XK_Menu,      XK_bracketleft, XK_bracketright, XK_semicolon,   XK_comma,
    XK_period,       XK_apostrophe, XK_slash,     XK_backslash,   XK_grave,        XK_equal,       XK_minus,
    XK_space,        XK_Return,     XK_BackSpace, XK_Tab,         XK_Prior,        XK_Next,        XK_End,
    XK_Home,         XK_Insert,     XK_Delete,    XK_KP_Add,      XK_KP_Subtract,  XK_KP_Multiply, XK_KP_Divide,
    XK_Left,         XK_Right,      XK_Up,        XK_Down,        XK_KP_Insert,    XK_KP_End,      XK_KP_Down,
    XK_KP_Page_Down, XK_KP_Left,    XK_KP_Begin,  XK_KP_Right,    XK_KP_Home,      XK_KP_Up,       XK_KP_Page_Up,
    XK_F1,           XK_F2,         XK_F3,        XK_F4,          XK_F5,           XK_F6,          XK_F7,
    XK_F8,           XK_F9,         XK_F10,       XK_F11,         XK_F12,          XK_F13,         XK_F14,
    XK_F15,          XK_Pause,
};
static_assert(sizeof(NAMED_KEY_SYMS) / sizeof(NAMED_KEY_SYMS[0]) ==
                  static_cast<std::size_t>(SfmlBridge::Key::KeyCount) -
                      static_cast<std::size_t>(SfmlBridge::Key::Escape),
              "one key symbol per named key");

KeySym librarySym(int key) {
    if (key < static_cast<int>(SfmlBridge::Key::Num0))
        return XK_a + key;
    if (key < static_cast<int>(SfmlBridge::Key::Escape))
        return XK_0 + (key - static_cast<int>(SfmlBridge::Key::Num0));
    return NAMED_KEY_SYMS[key - static_cast<int>(SfmlBridge::Key::Escape)];
}

// Reads which keys are down from the server, in one round trip.
void readKeyboard(Display *display, bool *keys) {
    // Key codes follow the server's keyboard mapping, which does not change under a running game.
    static Display *codes_for = nullptr;
    static KeyCode codes[static_cast<int>(SfmlBridge::Key::KeyCount)] = {};
    if (codes_for != display) {
        for (int key = 0; key < static_cast<int>(SfmlBridge::Key::KeyCount); key++)
            codes[key] = XKeysymToKeycode(display, librarySym(key));
        codes_for = display;
    }
    char keymap[32] = {};
    XQueryKeymap(display, keymap);
    for (int key = 0; key < static_cast<int>(SfmlBridge::Key::KeyCount); key++)
        keys[key] = codes[key] != 0 && (keymap[codes[key] / 8] & (1 << (codes[key] % 8))) != 0;
}

} // namespace

void SfmlBridge::heldKeys(const sf::Window &window, const Key *keys, std::size_t count, bool *held) {
    Display *display = static_cast<Display *>(nativeDisplay());
    if (display == nullptr) {
        for (std::size_t i = 0; i < count; i++)
            held[i] = isKeyPressed(keys[i]);
        return;
    }
    HeldInput &state = heldInputOf(window);
    if (state.keys_unknown) {
        readKeyboard(display, state.keys);
        state.keys_unknown = false;
    }
    for (std::size_t i = 0; i < count; i++)
        held[i] = validKey(keys[i]) && state.keys[static_cast<int>(keys[i])];
}

void SfmlBridge::mouseState(const sf::Window &window, int &x, int &y, bool held[3]) {
    if (nativeDisplay() == nullptr || handleOf(window) == 0) {
        mousePosition(window, x, y);
        held[0] = isMouseButtonPressed(MouseButton::Left);
        held[1] = isMouseButtonPressed(MouseButton::Right);
        held[2] = isMouseButtonPressed(MouseButton::Middle);
        return;
    }
    // A press on the window sends its release here too (the server hands the pointer to the window until then).
    const HeldInput &state = heldInputOf(window);
    x = state.x;
    y = state.y;
    std::copy_n(state.buttons, 3, held);
}

} // namespace nv

#else

namespace nv {

void SfmlBridge::heldKeys(const sf::Window &, const Key *keys, std::size_t count, bool *held) {
    for (std::size_t i = 0; i < count; i++)
        held[i] = isKeyPressed(keys[i]);
}

void SfmlBridge::mouseState(const sf::Window &window, int &x, int &y, bool held[3]) {
    mousePosition(window, x, y);
    held[0] = isMouseButtonPressed(MouseButton::Left);
    held[1] = isMouseButtonPressed(MouseButton::Right);
    held[2] = isMouseButtonPressed(MouseButton::Middle);
}

} // namespace nv
#endif

// The back-buffer copy is a GLX extension, reached through the window library's function lookup so that the
// engine needs no GL library of its own.
#if !defined(_WIN32) && !defined(__APPLE__)
#include <X11/Xlib.h>

#include <SFML/Window/Context.hpp>

#include <cstring>

namespace nv {

namespace {

using QueryExtensionsFn = const char *(*)(Display *, int);
using CurrentDisplayFn = Display *(*)();
using CurrentDrawableFn = unsigned long (*)();
using CopySubBufferFn = void (*)(Display *, unsigned long, int, int, int, int);

template <typename F> F glxFunction(const char *name) {
    return reinterpret_cast<F>(sf::Context::getFunction(name));
}

} // namespace

bool SfmlBridge::canShowByCopy(sf::RenderWindow &window) {
    if (!window.setActive(true))
        return false;
    const auto current_display = glxFunction<CurrentDisplayFn>("glXGetCurrentDisplay");
    const auto query = glxFunction<QueryExtensionsFn>("glXQueryExtensionsString");
    if (current_display == nullptr || query == nullptr || current_display() == nullptr)
        return false;
    Display *display = current_display();
    const char *extensions = query(display, XDefaultScreen(display));
    return extensions != nullptr && std::strstr(extensions, "GLX_MESA_copy_sub_buffer") != nullptr &&
           glxFunction<CopySubBufferFn>("glXCopySubBufferMESA") != nullptr;
}

void SfmlBridge::showByCopy(sf::RenderWindow &window, int left, int top, int width, int height) {
    if (!window.setActive(true))
        return;
    static const auto current_display = glxFunction<CurrentDisplayFn>("glXGetCurrentDisplay");
    static const auto current_drawable = glxFunction<CurrentDrawableFn>("glXGetCurrentDrawable");
    static const auto copy = glxFunction<CopySubBufferFn>("glXCopySubBufferMESA");
    // GL counts rows from the bottom.
    const int bottom_up = static_cast<int>(window.getSize().y) - top - height;
    copy(current_display(), current_drawable(), left, bottom_up, width, height);
}

} // namespace nv
#else
namespace nv {

bool SfmlBridge::canShowByCopy(sf::RenderWindow &) {
    return false;
}

void SfmlBridge::showByCopy(sf::RenderWindow &, int, int, int, int) {}

} // namespace nv
#endif
