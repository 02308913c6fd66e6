#include "DisplayTestSupport.h"

#include <functional>

#include <SFML/Graphics/Image.hpp>

#include "display/Frame.h"
#include "display/SfmlBridge.h"
#include "display/Shape.h"
#include "display/Sprite.h"

using display_test::LogCapture;

namespace {

using Scene = std::function<void(int frame)>;

nv::DisplayManager &dm() {
    return nv::DisplayManager::getInstance();
}

// These tests need a real window: without a display they fail rather than skip.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { start(""); }
    void TearDown() override {
        display_test::resetDisplay();
        log.reset();
    }
    void start(const std::string &config) {
        display_test::resetDisplay();
        log = std::make_unique<LogCapture>();
        ASSERT_EQ(display_test::startDisplay(config), 0) << "no display to open a window on: " << log->text();
        ASSERT_NE(dm().getWindow(), nullptr);
    }

    static sf::Image grab() {
        dm().flush();
        sf::Image image;
        EXPECT_TRUE(nv::SfmlBridge::captureWindow(*dm().getWindow(), image));
        return image;
    }

    // Shows frames first to last - 1 in one mode, then draws frame last and returns the window's picture.
    static sf::Image render(bool batched, const Scene &scene, int first, int last) {
        dm().setBatching(batched);
        dm().swapBuffers();
        for (int f = first; f < last; f++) {
            scene(f);
            dm().swapBuffers();
        }
        scene(last);
        return grab();
    }

    std::unique_ptr<LogCapture> log;
};

int countDifferences(const sf::Image &a, const sf::Image &b, std::string *first = nullptr) {
    int differing = 0;
    for (unsigned int y = 0; y < a.getSize().y; y++)
        for (unsigned int x = 0; x < a.getSize().x; x++)
            if (a.getPixel(x, y) != b.getPixel(x, y) && differing++ == 0 && first != nullptr)
                *first = std::to_string(x) + "," + std::to_string(y);
    return differing;
}

int countColor(const sf::Image &image, bool (*match)(sf::Color), int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = std::max(0, top); y < std::min(bottom, static_cast<int>(image.getSize().y)); y++)
        for (int x = std::max(0, left); x < std::min(right, static_cast<int>(image.getSize().x)); x++)
            n += match(image.getPixel(static_cast<unsigned>(x), static_cast<unsigned>(y))) ? 1 : 0;
    return n;
}

TEST_F(WindowTest, DefaultWindowHasConfiguredSizeAndCharacterSize) {
    EXPECT_EQ(dm().getWindow()->getSize(), sf::Vector2u(1024, 768));
    ASSERT_NE(dm().getRectangle(), nullptr);
    EXPECT_EQ(dm().getRectangle()->getSize(), sf::Vector2f(12.8f, 32.0f));
    ASSERT_NE(dm().getText(), nullptr);
    EXPECT_EQ(dm().getText()->getCharacterSize(), 25u);
    EXPECT_EQ(dm().getRectangle()->getFillColor(), sf::Color::Black);
}

TEST_F(WindowTest, YellowXLandsInItsCellOnly) {
    ASSERT_EQ(dm().drawCharacter(nv::Vector(10, 5), 'X', nv::YELLOW), 0);
    const sf::Image image = grab();
    auto yellow = [](sf::Color c) { return c.r > 120 && c.g > 120 && c.b < 60; };
    // Bold strokes may reach a pixel or two past the 12.8-pixel cell's right edge.
    const int inside = countColor(image, yellow, 127, 160, 144, 192);
    EXPECT_GT(inside, 40);
    EXPECT_EQ(countColor(image, yellow, 0, 0, 1024, 768), inside);
}

TEST_F(WindowTest, BackgroundCellCoversWhatWasDrawnBefore) {
    dm().flush();
    dm().getWindow()->clear(sf::Color(0, 0, 255));
    dm().drawCharacter(nv::Vector(20, 10), ' ', nv::WHITE);
    const sf::Image image = grab();
    // The cell rectangle lies a tenth of a cell left of and a fifth of a cell below the glyph origin.
    const struct {
        float dx, dy;
        sf::Color expected;
    } probes[] = {
        {2, 2, sf::Color::Black}, {10, 30, sf::Color::Black}, {2, -3, sf::Color::Blue}, {15, 2, sf::Color::Blue}};
    for (const auto &p : probes)
        EXPECT_EQ(image.getPixel(static_cast<unsigned>(254.72f + p.dx), static_cast<unsigned>(326.4f + p.dy)),
                  p.expected);
}

nv::Sprite &testSprite() {
    static nv::Sprite sprite(1);
    if (sprite.getFrameCount() == 0) {
        sprite.setWidth(5);
        sprite.setHeight(3);
        sprite.setColor(nv::GREEN);
        sprite.setTransparency('.');
        sprite.pushFrame(nv::Frame(5, 3, "/-.-\\|.O.|\\_._/"));
    }
    return sprite;
}

// Overlaps (later characters hide earlier ones, also at half cells), rotations, any color, transparency.
void drawMixedScene(int) {
    const char glyphs[] = "@#%&*+=?ABCXYZabxyz0123456789";
    for (int i = 0; i < 8; i++)
        for (int j = 0; j < 20; j++)
            dm().drawCharacter(nv::Vector(2.0f + j * 3, 1.0f + i), glyphs[(i * 7 + j) % (sizeof(glyphs) - 1)],
                               static_cast<nv::Color>(i));
    for (int i = 0; i < 20; i++)
        dm().drawCharacter(nv::Vector(2.5f + i * 3, 1.5f), 'W', nv::CYAN);
    dm().drawString(nv::Vector(40, 10), "overlapping text", nv::JUSTIFY_CENTER, nv::MAGENTA);
    dm().drawString(nv::Vector(40.5f, 10.5f), "OVERLAPPING TEXT", nv::JUSTIFY_CENTER, nv::YELLOW);
    for (int i = 0; i < 12; i++)
        dm().drawCharacter(nv::Vector(5 + i * 5.5f, 14.0f), static_cast<char>('A' + i),
                           static_cast<unsigned char>(20 * i), 200, static_cast<unsigned char>(255 - 20 * i),
                           static_cast<float>(i * 30 + 7));
    testSprite().draw(0, nv::Vector(20, 18), testSprite().getTransparency());
    testSprite().draw(0, nv::Vector(21.5f, 18.5f), testSprite().getTransparency());
    dm().drawString(nv::Vector(60, 20), "end", nv::JUSTIFY_RIGHT, nv::WHITE);
}

// Thousands of characters at random half cells, some partly off the window.
void drawDenseRandomScene(int) {
    unsigned int seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    for (int i = 0; i < 4000; i++) {
        const float x = static_cast<float>(next() % 172) * 0.5f - 3.0f;
        const float y = static_cast<float>(next() % 56) * 0.5f - 2.0f;
        const char ch = static_cast<char>(' ' + next() % 95);
        dm().drawCharacter(nv::Vector(x, y), ch, static_cast<nv::Color>(next() % 8));
    }
}

// A shape drawn straight into the window between cells, and blanks over it.
void drawShapeScene(int) {
    dm().drawCharacter(nv::Vector(10, 10), 'M', nv::RED);
    nv::Shape shape;
    shape.setColor(nv::GREEN);
    shape.draw(nv::Vector(11, 10));
    dm().drawString(nv::Vector(11, 10), "  ", nv::JUSTIFY_LEFT, nv::WHITE);
}

TEST_F(WindowTest, EveryModeDrawsTheSamePicture) {
    const struct {
        const char *name;
        Scene scene;
        int lit;
    } cases[] = {
        {"mixed", drawMixedScene, 10000}, {"dense", drawDenseRandomScene, 100000}, {"shape", drawShapeScene, 100}};
    for (const auto &c : cases) {
        const sf::Image batched = render(true, c.scene, 0, 0);
        const sf::Image single = render(false, c.scene, 0, 0);
        std::string first;
        EXPECT_EQ(countDifferences(batched, single, &first), 0) << c.name << ": first difference at " << first;
        EXPECT_GT(countColor(
                      single, [](sf::Color p) { return p != sf::Color::Black; }, 0, 0, 1024, 768),
                  c.lit)
            << c.name;
    }
}

// Steps of a game: a still block of text and a turned glyph, a counter that changes, an object moving by half
// cells over the text, a turned glyph that changes in one step, a shape in another, and a repeated step.
void drawStep(int step) {
    for (int row = 0; row < 4; row++)
        dm().drawString(nv::Vector(5, 3.0f + row), "the quick brown fox jumps over the lazy dog 0123456789",
                        nv::JUSTIFY_LEFT, static_cast<nv::Color>(row + 1));
    dm().drawCharacter(nv::Vector(70, 20), 'R', nv::WHITE, 30);
    const int shown = std::min(step, 4);
    dm().drawCharacter(nv::Vector(40, 18), static_cast<char>('0' + shown), nv::YELLOW);
    dm().drawString(nv::Vector(10 + 0.5f * shown, 4.5f + 0.5f * (shown % 2)), "<o>", nv::JUSTIFY_LEFT, nv::RED);
    if (step == 2)
        dm().drawCharacter(nv::Vector(60, 12), 'T', nv::GREEN, 45);
    if (step == 3) {
        nv::Shape shape;
        shape.setType(nv::SQUARE);
        shape.draw(nv::Vector(30, 5));
    }
}

// The last picture is kept in the window's back buffer, or in an off-screen canvas.
TEST_F(WindowTest, StepsRedrawnByChangedTilesMatchPerCharacterDrawing) {
    start("window_background_color:blue,");
    for (const bool in_window : {true, false}) {
        dm().setPictureInWindow(in_window);
        for (int step = 0; step < 6; step++) {
            const sf::Image single = render(false, drawStep, step, step);
            const sf::Image batched = render(true, drawStep, 0, step);
            std::string first;
            EXPECT_EQ(countDifferences(batched, single, &first), 0)
                << "in window " << in_window << ", step " << step << ": first difference at " << first;
            // Step 1 changes a few cells; step 5 repeats step 4.
            if (step == 1 || step == 5) {
                EXPECT_LE(dm().getRedrawnTiles() * 10, step == 1 ? dm().getTileCount() : 0) << "step " << step;
            }
        }
    }
}

TEST_F(WindowTest, ShapeDrawsOverCharactersDrawnBeforeIt) {
    dm().drawCharacter(nv::Vector(30, 12), '#', nv::RED);
    nv::Shape shape;
    shape.setType(nv::SQUARE);
    shape.setColor(nv::BLUE);
    shape.draw(nv::Vector(30, 12));
    dm().drawCharacter(nv::Vector(50, 12), '#', nv::RED);
    const sf::Image image = grab();
    EXPECT_GT(countColor(
                  image, [](sf::Color c) { return c == sf::Color::Blue; }, 388, 376, 405, 393),
              100);
}

TEST_F(WindowTest, SwapClearsToBackgroundColor) {
    dm().drawCharacter(nv::Vector(10, 5), 'X', nv::YELLOW);
    EXPECT_EQ(dm().swapBuffers(), 0);
    const sf::Image image = grab();
    EXPECT_EQ(countColor(
                  image, [](sf::Color c) { return c == sf::Color::Black; }, 120, 150, 150, 200),
              30 * 50);
    EXPECT_EQ(dm().getShown().size(), 1u);
}

} // namespace
