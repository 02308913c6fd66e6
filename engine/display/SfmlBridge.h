#pragma once

#include <memory>
#include <string>
#include <vector>

#include <SFML/Audio/Music.hpp>
#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/Transformable.hpp>
#include <SFML/Graphics/Vertex.hpp>
#include <SFML/Window/Event.hpp>

namespace nv {

/// The one place that knows which SFML version (2.5, 2.6 or 3.x) is installed; everything else calls it.
class SfmlBridge {
public:
    /// Keys of the window library, named as it names them; the engine's own key table maps from these.
    enum class Key {
        Unknown = -1,
        A = 0,
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
        Num0,
        Num1,
        Num2,
        Num3,
        Num4,
        Num5,
        Num6,
        Num7,
        Num8,
        Num9,
        Escape,
        LControl,
        LShift,
        LAlt,
        LSystem,
        RControl,
        RShift,
        RAlt,
        RSystem,
        Menu,
        LBracket,
        RBracket,
        Semicolon,
        Comma,
        Period,
        Apostrophe,
        Slash,
        Backslash,
        Grave,
        Equal,
        Hyphen,
        Space,
        Enter,
        Backspace,
        Tab,
        PageUp,
        PageDown,
        End,
        Home,
        Insert,
        Delete,
        Add,
        Subtract,
        Multiply,
        Divide,
        Left,
        Right,
        Up,
        Down,
        Numpad0,
        Numpad1,
        Numpad2,
        Numpad3,
        Numpad4,
        Numpad5,
        Numpad6,
        Numpad7,
        Numpad8,
        Numpad9,
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
        F13,
        F14,
        F15,
        Pause,
        KeyCount
    };

    enum class MouseButton { Left, Right, Middle, Other };

    enum class EventKind {
        None,
        Closed,
        KeyPressed,
        KeyReleased,
        MouseMoved,
        MouseButtonPressed,
        MouseButtonReleased,
        FocusGained,
        FocusLost,
        Other
    };

    /// A window event in a form that does not depend on the library version.
    struct WindowEvent {
        EventKind kind = EventKind::None;
        Key key = Key::Unknown;                  ///< KeyPressed, KeyReleased
        MouseButton button = MouseButton::Other; ///< MouseButtonPressed, MouseButtonReleased
        int x = 0;                               ///< MouseMoved and the button events: pixels in the window
        int y = 0;
    };

    // Window.
    /// Opens the X display named by DISPLAY once and keeps it open until closeDisplay(); false, with a reason, when
    /// no X server answers there.
    static bool openDisplay(std::string &reason);
    /// Closes the connection openDisplay() keeps.
    static void closeDisplay();
    /// The connection openDisplay() keeps (an X11 Display *), or null when none is open.
    static void *nativeDisplay();
    /// Opens a render window of width x height pixels at 32 bits; style bits and state 1 (full screen) as configured.
    static std::unique_ptr<sf::RenderWindow> createWindow(unsigned int width, unsigned int height,
                                                          const std::string &title, int style, int state);
    /// Width and height of the desktop video mode.
    static void desktopSize(unsigned int &width, unsigned int &height);
    /// Takes the next pending event, and notes what it says is held for heldKeys() and mouseState(); false when
    /// the queue is empty.
    static bool pollEvent(sf::Window &window, WindowEvent &out);
    /// The version-independent form of a library event.
    static WindowEvent translate(const sf::Event &event);
    /// Turns the window's key repetition on or off.
    static void setKeyRepeatEnabled(sf::Window &window, bool enabled);
    /// Copies what has been drawn into the window (not yet displayed) into image; false on failure.
    static bool captureWindow(sf::RenderWindow &window, sf::Image &image);

    // Keyboard and mouse.
    /// Whether the key is held down right now.
    static bool isKeyPressed(Key key);
    /// Sets held[i] to whether keys[i] is held down as of the window's events taken so far. With nativeDisplay() open
    /// that is what those events said (nothing while the window has lost focus), read from the X server once when
    /// they cannot tell (a window not yet heard from, focus gained); without it, isKeyPressed() per key.
    static void heldKeys(const sf::Window &window, const Key *keys, std::size_t count, bool *held);
    /// Whether the mouse button is held down right now.
    static bool isMouseButtonPressed(MouseButton button);
    /// Mouse position relative to the window, in pixels.
    static void mousePosition(const sf::Window &window, int &x, int &y);
    /// Forgets what the window's events said is held, so that the next heldKeys() reads the keyboard afresh.
    static void forgetHeldInput();
    /// The pointer's place in the window and whether Left, Right and Middle (held[0] to held[2]) are held. With
    /// nativeDisplay() open, as the window's events taken so far say: a button is held from its press on the window
    /// to its release or focus lost, at the place of the latest pointer event; without it, as the library says.
    static void mouseState(const sf::Window &window, int &x, int &y, bool held[3]);
    /// A human-readable name of the key: the library's where it has one, else our own.
    static std::string keyDescription(Key key);
    /// Our own name of the key, as the library names its enumerator ("A", "Subtract", "Unknown").
    static std::string keyName(Key key);

    // Text and drawing.
    /// Loads a font file; false on failure.
    static bool loadFont(sf::Font &font, const std::string &filename);
    /// A text object over font with an empty string and the given character size.
    static std::unique_ptr<sf::Text> makeText(const sf::Font &font, unsigned int character_size);
    /// Sets a rotation in degrees, clockwise.
    static void setRotation(sf::Transformable &transformable, float degrees);
    /// The glyph metrics and texture place of one character.
    static const sf::Glyph &getGlyph(sf::Font &font, char ch, unsigned int character_size, bool bold);
    /// Samples the font's glyphs at size unfiltered (or filtered); call again after loading glyphs, which may reset it.
    static void setGlyphsSmooth(sf::Font &font, unsigned int character_size, bool smooth);
    /// A glyph's quad relative to its origin on the baseline, and the texture rectangle it shows texel for pixel.
    struct GlyphQuad {
        float left, top, right, bottom;
        float u1, v1, u2, v2;
    };
    /// Where a glyph's bitmap goes relative to a whole-pixel origin on the baseline, and where it lies in the page.
    static GlyphQuad glyphQuad(const sf::Glyph &glyph, unsigned int character_size);
    /// Appends the corners of a glyph's quad through transform.
    static void appendGlyphQuad(std::vector<sf::Vertex> &vertices, const GlyphQuad &quad, sf::Color color,
                                const sf::Transform &transform);
    /// Appends the corners of a box given by its edges in pixels, with the texture rectangle u1, v1 to u2, v2.
    static void appendQuad(std::vector<sf::Vertex> &vertices, float left, float top, float right, float bottom,
                           sf::Color color, float u1, float v1, float u2, float v2);
    /// Appends the corners of a solid axis-aligned box given by its edges in pixels.
    static void appendBox(std::vector<sf::Vertex> &vertices, float left, float top, float right, float bottom,
                          sf::Color color, float tex_x, float tex_y) {
        appendQuad(vertices, left, top, right, bottom, color, tex_x, tex_y, tex_x, tex_y);
    }
    /// Draws the boxes the append functions above made, with the texture (may be null) and default blending.
    static void drawQuads(sf::RenderTarget &target, const std::vector<sf::Vertex> &vertices,
                          const sf::Texture *texture);
    /// Appends a glyph's quad at a whole-pixel origin cut to the box [clip_left, clip_right) x [clip_top,
    /// clip_bottom) of whole pixels; the pixels kept are exactly those the uncut quad gives there.
    static void appendClippedGlyphQuad(std::vector<sf::Vertex> &vertices, const GlyphQuad &quad, sf::Color color,
                                       float origin_x, float origin_y, float clip_left, float clip_top,
                                       float clip_right, float clip_bottom);
    /// An off-screen picture of width x height pixels, or null when the graphics driver cannot make one.
    static std::unique_ptr<sf::RenderTexture> makeCanvas(unsigned int width, unsigned int height);
    /// Whether the window can be shown by copying parts of its back buffer to the screen, which leaves the back
    /// buffer as it was (a swap leaves it undefined).
    static bool canShowByCopy(sf::RenderWindow &window);
    /// Copies the box of width x height pixels at (left, top) of the window's back buffer to the screen; only
    /// after canShowByCopy() said yes.
    static void showByCopy(sf::RenderWindow &window, int left, int top, int width, int height);

    // Audio.
    /// Creates the library's error stream now, so that it outlives every audio object made after this call.
    static void prepareErrorStream();
    /// Decodes a sound file into buffer; false on failure.
    static bool loadSoundBuffer(sf::SoundBuffer &buffer, const std::string &filename);
    /// A voice bound to buffer.
    static std::unique_ptr<sf::Sound> makeSound(const sf::SoundBuffer &buffer);
    /// Binds an existing voice to buffer.
    static void setSoundBuffer(sf::Sound &sound, const sf::SoundBuffer &buffer);
    /// Makes the voice repeat or not.
    static void setLooping(sf::Sound &sound, bool loop);
    /// Whether the voice repeats.
    static bool isLooping(const sf::Sound &sound);
    /// Whether the voice is sounding.
    static bool isPlaying(const sf::Sound &sound);
    /// Opens a music stream from a file; false on failure.
    static bool openMusic(sf::Music &music, const std::string &filename);
    /// Makes the music repeat or not.
    static void setLooping(sf::Music &music, bool loop);
};

} // namespace nv
