#include "DisplayTestSupport.h"

#include <algorithm>
#include <cstdlib>

#include <SFML/Graphics/Image.hpp>

#include "display/Frame.h"
#include "display/SfmlBridge.h"
#include "display/Shape.h"
#include "display/Sprite.h"

using display_test::LogCapture;

namespace {

// These tests need a real window: without a display they fail rather than skip.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        display_test::resetDisplay();
        log = std::make_unique<LogCapture>();
        ASSERT_EQ(display_test::startDisplay(""), 0) << "no display to open a window on: " << log->text();
        ASSERT_NE(dm().getWindow(), nullptr);
    }
    void TearDown() override {
        display_test::resetDisplay();
        log.reset();
    }

    nv::DisplayManager &dm() { return nv::DisplayManager::getInstance(); }

    sf::Image grab() {
        dm().flush();
        sf::Image image;
        EXPECT_TRUE(nv::SfmlBridge::captureWindow(*dm().getWindow(), image));
        return image;
    }

    void clearWindow() {
        dm().flush();
        dm().getWindow()->clear(dm().getBackgroundColor());
    }

    std::unique_ptr<LogCapture> log;
};

bool isYellow(sf::Color c) {
    return c.r > 120 && c.g > 120 && c.b < 60;
}

TEST_F(WindowTest, DefaultWindowHasConfiguredSizeAndCharacterSize) {
    EXPECT_EQ(dm().getWindow()->getSize().x, 1024u);
    EXPECT_EQ(dm().getWindow()->getSize().y, 768u);
    ASSERT_NE(dm().getRectangle(), nullptr);
    EXPECT_FLOAT_EQ(dm().getRectangle()->getSize().x, 12.8f);
    EXPECT_FLOAT_EQ(dm().getRectangle()->getSize().y, 32.0f);
    ASSERT_NE(dm().getText(), nullptr);
    EXPECT_EQ(dm().getText()->getCharacterSize(), 25u);
    EXPECT_EQ(dm().getRectangle()->getFillColor(), sf::Color::Black);
}

TEST_F(WindowTest, YellowXLandsInItsCellOnly) {
    ASSERT_EQ(dm().drawCharacter(nv::Vector(10, 5), 'X', nv::YELLOW), 0);
    const sf::Image image = grab();
    const float cw = nv::charWidth();
    const float ch = nv::charHeight();
    // The glyph sits in the cell whose top-left pixel is (10 * cw, 5 * ch); its bold strokes may reach a
    // pixel or two past the cell's right edge, as a monospaced glyph is wider than 12.8 pixels.
    const int left = static_cast<int>(10 * cw) - 1;
    const int right = static_cast<int>(11 * cw) + 3;
    const int top = static_cast<int>(5 * ch);
    const int bottom = static_cast<int>(6 * ch);
    int inside = 0;
    int outside = 0;
    for (unsigned int y = 0; y < image.getSize().y; y++) {
        for (unsigned int x = 0; x < image.getSize().x; x++) {
            if (!isYellow(image.getPixel(x, y)))
                continue;
            const int xi = static_cast<int>(x);
            const int yi = static_cast<int>(y);
            if (xi >= left && xi < right && yi >= top && yi < bottom)
                inside++;
            else
                outside++;
        }
    }
    EXPECT_GT(inside, 40);
    EXPECT_EQ(outside, 0);
}

TEST_F(WindowTest, BackgroundCellCoversWhatWasDrawnBefore) {
    dm().flush();
    dm().getWindow()->clear(sf::Color(0, 0, 255));
    dm().drawCharacter(nv::Vector(20, 10), ' ', nv::WHITE);
    const sf::Image image = grab();
    // The cell rectangle is shifted a tenth of a cell left and a fifth of a cell down from the glyph origin.
    const float x0 = 20 * nv::charWidth() - nv::charWidth() / 10;
    const float y0 = 10 * nv::charHeight() + nv::charHeight() / 5;
    EXPECT_EQ(image.getPixel(static_cast<unsigned>(x0 + 2), static_cast<unsigned>(y0 + 2)), sf::Color::Black);
    EXPECT_EQ(image.getPixel(static_cast<unsigned>(x0 + 10), static_cast<unsigned>(y0 + 30)), sf::Color::Black);
    EXPECT_EQ(image.getPixel(static_cast<unsigned>(x0 + 2), static_cast<unsigned>(y0 - 3)), sf::Color(0, 0, 255));
    EXPECT_EQ(image.getPixel(static_cast<unsigned>(x0 + 15), static_cast<unsigned>(y0 + 2)), sf::Color(0, 0, 255));
}

void drawScene(nv::DisplayManager &dm, nv::Sprite &sprite) {
    const char glyphs[] = "@#%&*+=?ABCXYZabxyz0123456789";
    for (int i = 0; i < 8; i++) {
        for (int j = 0; j < 20; j++) {
            const char c = glyphs[(i * 7 + j) % (sizeof(glyphs) - 1)];
            dm.drawCharacter(nv::Vector(static_cast<float>(2 + j * 3), static_cast<float>(1 + i)), c,
                             static_cast<nv::Color>(i));
        }
    }
    // Overlaps: later characters hide earlier ones, also at half-cell offsets.
    for (int i = 0; i < 20; i++)
        dm.drawCharacter(nv::Vector(2.5f + static_cast<float>(i) * 3, 1.5f), 'W', nv::CYAN);
    dm.drawString(nv::Vector(40, 10), "overlapping text", nv::JUSTIFY_CENTER, nv::MAGENTA);
    dm.drawString(nv::Vector(40.5f, 10.5f), "OVERLAPPING TEXT", nv::JUSTIFY_CENTER, nv::YELLOW);
    // Rotated characters and any opaque color.
    for (int i = 0; i < 12; i++)
        dm.drawCharacter(nv::Vector(5 + static_cast<float>(i) * 5.5f, 14.0f), static_cast<char>('A' + i),
                         static_cast<unsigned char>(20 * i), 200, static_cast<unsigned char>(255 - 20 * i),
                         static_cast<float>(i * 30 + 7));
    // Transparency: the sprite's '.' shows what lies beneath.
    sprite.draw(0, nv::Vector(20, 18), sprite.getTransparency());
    sprite.draw(0, nv::Vector(21.5f, 18.5f), sprite.getTransparency());
    dm.drawString(nv::Vector(60, 20), "end", nv::JUSTIFY_RIGHT, nv::WHITE);
}

TEST_F(WindowTest, BatchedPictureEqualsPerCharacterPicture) {
    nv::Sprite sprite(1);
    sprite.setWidth(5);
    sprite.setHeight(3);
    sprite.setColor(nv::GREEN);
    sprite.setTransparency('.');
    sprite.pushFrame(nv::Frame(5, 3, "/-.-\\|.O.|\\_._/"));

    // A swap leaves a freshly cleared window, as every step of the game starts with.
    dm().setBatching(true);
    dm().swapBuffers();
    drawScene(dm(), sprite);
    const sf::Image batched = grab();

    dm().setBatching(false);
    dm().swapBuffers();
    drawScene(dm(), sprite);
    const sf::Image single = grab();

    ASSERT_EQ(batched.getSize(), single.getSize());
    int differing = 0;
    int lit = 0;
    std::string first;
    for (unsigned int y = 0; y < batched.getSize().y; y++) {
        for (unsigned int x = 0; x < batched.getSize().x; x++) {
            if (batched.getPixel(x, y) != single.getPixel(x, y)) {
                if (differing == 0)
                    first = std::to_string(x) + "," + std::to_string(y);
                differing++;
            }
            if (single.getPixel(x, y) != sf::Color::Black)
                lit++;
        }
    }
    EXPECT_GT(lit, 10000);
    EXPECT_EQ(differing, 0) << "first difference at pixel " << first;
}

int countDifferences(const sf::Image &a, const sf::Image &b) {
    int differing = 0;
    for (unsigned int y = 0; y < a.getSize().y; y++)
        for (unsigned int x = 0; x < a.getSize().x; x++)
            if (a.getPixel(x, y) != b.getPixel(x, y))
                differing++;
    return differing;
}

void drawDenseRandomScene(nv::DisplayManager &dm) {
    unsigned int seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    for (int i = 0; i < 4000; i++) {
        const float x = static_cast<float>(next() % 172) * 0.5f - 3.0f;
        const float y = static_cast<float>(next() % 56) * 0.5f - 2.0f;
        const char ch = static_cast<char>(' ' + next() % 95);
        dm.drawCharacter(nv::Vector(x, y), ch, static_cast<nv::Color>(next() % 8));
    }
}

// Largest per-channel difference between two pictures.
int largestDifference(const sf::Image &a, const sf::Image &b) {
    int largest = 0;
    for (unsigned int y = 0; y < a.getSize().y; y++) {
        for (unsigned int x = 0; x < a.getSize().x; x++) {
            const sf::Color p = a.getPixel(x, y);
            const sf::Color q = b.getPixel(x, y);
            largest = std::max({largest, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
        }
    }
    return largest;
}

// Thousands of random half-cell positions, some off the window: the GPU's own transform of each single draw
// rounds a glyph's texture coordinates a hair differently from the batch's, which may move a few anti-aliased
// edge pixels by one level of 255, never more.
TEST_F(WindowTest, DenseRandomSceneMatchesWithinRounding) {
    dm().setBatching(true);
    dm().swapBuffers();
    drawDenseRandomScene(dm());
    const sf::Image batched = grab();
    dm().setBatching(false);
    dm().swapBuffers();
    drawDenseRandomScene(dm());
    const sf::Image single = grab();
    EXPECT_LE(largestDifference(batched, single), 1);
    EXPECT_LT(countDifferences(batched, single), 100);
}

TEST_F(WindowTest, CellsAfterDirectDrawingStillHideIt) {
    dm().setBatching(true);
    dm().swapBuffers();
    dm().drawCharacter(nv::Vector(10, 10), 'M', nv::RED);
    nv::Shape shape;
    shape.setColor(nv::GREEN);
    shape.draw(nv::Vector(11, 10));
    dm().drawString(nv::Vector(11, 10), "  ", nv::JUSTIFY_LEFT, nv::WHITE);
    const sf::Image batched = grab();
    dm().setBatching(false);
    dm().swapBuffers();
    dm().drawCharacter(nv::Vector(10, 10), 'M', nv::RED);
    shape.draw(nv::Vector(11, 10));
    dm().drawString(nv::Vector(11, 10), "  ", nv::JUSTIFY_LEFT, nv::WHITE);
    const sf::Image single = grab();
    EXPECT_EQ(countDifferences(batched, single), 0);
}

TEST_F(WindowTest, ShapeDrawsOverCharactersDrawnBeforeIt) {
    dm().drawCharacter(nv::Vector(30, 12), '#', nv::RED);
    nv::Shape shape;
    shape.setType(nv::SQUARE);
    shape.setColor(nv::BLUE);
    shape.draw(nv::Vector(30, 12));
    dm().drawCharacter(nv::Vector(50, 12), '#', nv::RED);
    const sf::Image image = grab();
    const nv::Vector at = nv::spacesToPixels(nv::Vector(30, 12));
    int blue = 0;
    for (int dy = -8; dy <= 8; dy++)
        for (int dx = -8; dx <= 8; dx++) {
            const sf::Color c =
                image.getPixel(static_cast<unsigned>(at.getX() + 12 + dx), static_cast<unsigned>(at.getY() + dy));
            if (c == sf::Color::Blue)
                blue++;
        }
    EXPECT_GT(blue, 100);
}

TEST_F(WindowTest, SwapClearsToBackgroundColor) {
    dm().drawCharacter(nv::Vector(10, 5), 'X', nv::YELLOW);
    EXPECT_EQ(dm().swapBuffers(), 0);
    const sf::Image image = grab();
    for (unsigned int y = 150; y < 200; y++)
        for (unsigned int x = 120; x < 150; x++)
            ASSERT_EQ(image.getPixel(x, y), sf::Color::Black);
    EXPECT_EQ(dm().getShown().size(), 1u);
}

} // namespace
