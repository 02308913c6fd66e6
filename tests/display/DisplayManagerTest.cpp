#include "DisplayTestSupport.h"

#include <tuple>

#include "display/Animation.h"
#include "display/SfmlBridge.h"
#include "display/Sprite.h"
#include "world/RecordTestSupport.h"

#include <X11/Xlib.h>

using display_test::DisplayTest;
using nv::Vector;
using record_test::Bytes;

namespace {

// A client of our own, open for the whole program, keeps an X server started without -noreset from resetting
// between one test's window and the next.
Display *const keep_server_up = XOpenDisplay(nullptr);

TEST_F(DisplayTest, ColorsFollowTheTableAndSizesComeFromTheConfigurationOrTheDesktop) {
    // Unnamed values leave the caller's components alone, become opaque white and have no name.
    const std::pair<int, std::string> named[] = {
        {0, "0,0,0 Black"},         {1, "255,0,0 Red"},          {2, "0,255,0 Green"},       {3, "255,255,0 Yellow"},
        {4, "0,0,255 Blue"},        {5, "255,0,255 Magenta"},    {6, "0,255,255 Cyan"},      {7, "255,255,255 White"},
        {8, "1,2,3 Unknown color"}, {42, "1,2,3 Unknown color"}, {-1, "1,2,3 Unknown color"}};
    for (const auto &[value, expected] : named) {
        const auto color = static_cast<nv::Color>(value);
        unsigned char r = 1, g = 2, b = 3;
        nv::colorToRGB(color, r, g, b);
        EXPECT_EQ(std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b) + " " +
                      nv::colorToString(color),
                  expected);
        EXPECT_EQ(nv::colorToSFML(color), value >= 0 && value <= 7 ? sf::Color(r, g, b) : sf::Color::White) << value;
    }
    unsigned int desk_w = 0, desk_h = 0;
    nv::SfmlBridge::desktopSize(desk_w, desk_h);
    // configuration, result, pixels wide and high, characters high
    const std::tuple<std::string, int, unsigned int, unsigned int, float> table[] = {
        {"headless:true,", 0, 1024, 768, 24},
        {"headless:true,window_horizontal_pixels:800,window_vertical_chars:30,", 0, 800, 768, 30},
        {"headless:true,window_horizontal_chars:0,", -1, 0, 0, 1},
        {"headless:true,window_vertical_pixels:-5,", -1, 0, 0, 1},
        {"window_horizontal_pixels:0,", 0, desk_w, 768, 24},
        {"window_vertical_pixels:0,", 0, 1024, desk_h, 24}};
    for (const auto &[config, result, w, h, v_chars] : table) {
        display_test::resetDisplay();
        log->mark();
        ASSERT_EQ(display_test::startDisplay(config), result) << config << log->text();
        EXPECT_EQ(log->count("not usable"), result == 0 ? 0 : 1) << config;
        EXPECT_EQ(dm().getWindow() != nullptr, result == 0 && config.find("headless") == std::string::npos);
        if (result == 0) {
            EXPECT_EQ(Vector(nv::charWidth(), nv::charHeight()), Vector(w / 80.0f, h / v_chars)) << config;
            // Drawing places cells by the same cell size, also where the desktop decided it.
            dm().setCapture(true);
            ASSERT_EQ(dm().drawCharacter(Vector(10, 2), 'x', nv::WHITE), 0);
            const nv::CellBatch::Cell &cell = dm().getPending().data()[dm().getPending().size() - 1];
            EXPECT_EQ(Vector(cell.pixel_x, cell.pixel_y), Vector(10 * nv::charWidth(), 2 * nv::charHeight())) << config;
        }
        if (dm().getWindow() != nullptr) {
            EXPECT_EQ(dm().getWindow()->getSize(), sf::Vector2u(w, h)) << config;
        }
    }
}

TEST_F(DisplayTest, CharactersStringsAndFramesLandInTheirCellsAndRefusalsAreSilentWhenHeadlessLoggedWhenNotStarted) {
    EXPECT_EQ(nv::spacesToPixels(Vector(10, 5)) + nv::pixelsToSpaces(Vector(64, 48)), Vector(133, 161.5f));
    nv::WorldManager::getInstance().setView(nv::Box(Vector(20, 10), 80, 24));
    EXPECT_EQ(nv::worldToView(Vector(23, 12)) + nv::viewToWorld(Vector(3, 2)), Vector(26, 14));
    ASSERT_EQ(dm().drawCharacter(Vector(20, 10), '@', nv::CUSTOM), 0);
    dm().drawCharacter(Vector(21, 10), 'b', static_cast<nv::Color>(77));
    dm().drawCharacter(Vector(22, 10), 'c', 10, 20, 30);
    dm().drawCharacter(Vector(23, 10), 'd', nv::RED);
    dm().drawCharacter(Vector(23, 10), 'e', nv::BLUE);
    EXPECT_EQ(rows()[0].substr(0, 5) + colors()[0].substr(0, 5), "@bce ww?b.");
    const nv::CellBatch::Cell *cell = dm().getPending().cellAt(2, 0);
    EXPECT_EQ(sf::Color(cell->r, cell->g, cell->b), sf::Color(10, 20, 30));
    dm().swapBuffers();
    EXPECT_EQ(dm().getShown().toRows(80, 24)[0].substr(0, 5) + rows()[0].substr(0, 1), "@bce  ");
    // Strings and frames go to world positions, seen through the view moved to (20, 10) above.
    const std::tuple<std::string, int, std::string> strings[] = {
        {"abc", nv::JUSTIFY_LEFT, "   abc"},    {"abc", nv::JUSTIFY_CENTER, "  abc "},
        {"abc", nv::JUSTIFY_RIGHT, "abc   "},   {"ab", nv::JUSTIFY_CENTER, "  ab  "},
        {"abcd", nv::JUSTIFY_CENTER, " abcd "}, {"abc", 9, "   abc"},
        {"", nv::JUSTIFY_CENTER, "      "}};
    for (const auto &[text, just, columns_7_to_12] : strings) {
        dm().swapBuffers();
        EXPECT_EQ(dm().drawString(Vector(30, 13), text, static_cast<nv::Justification>(just), nv::RED), 0);
        EXPECT_EQ(rows()[3].substr(7, 6), columns_7_to_12) << text << " " << just;
    }
    // frame width, height and text, transparent character, then the characters drawn and where the first and the
    // last went
    const std::tuple<int, int, std::string, char, std::string> frames[] = {
        {3, 1, "abc", 0, "abc (9,5) (11,5)"},      {4, 2, "abcdefgh", 0, "abcdefgh (8.5,4.5) (11.5,5.5)"},
        {3, 1, "a#c", '#', "ac (9,5) (11,5)"},     {3, 1, "a c", 0, "a c (9,5) (11,5)"},
        {4, 4, "ab", 0, "ab (8.5,3.5) (9.5,3.5)"}, {0, 0, "", 0, ""},
    };
    for (const auto &[width, height, chars, transparency, drawn] : frames) {
        dm().swapBuffers();
        EXPECT_EQ(nv::Frame(width, height, chars).draw(Vector(30, 15), nv::RED, transparency), 0);
        const nv::CellBatch &cells = dm().getPending();
        std::string text;
        for (std::size_t i = 0; i < cells.size(); i++)
            text += cells.at(i).ch;
        for (std::size_t i : {std::size_t(0), cells.size() - 1})
            text += cells.empty() ? "" : " " + Vector(cells.at(i).x, cells.at(i).y).toString();
        EXPECT_EQ(text, drawn);
    }
    dm().setCapture(false);
    EXPECT_EQ(dm().drawCharacter(Vector(1, 1), 'x', nv::RED) + dm().drawCharacter(Vector(1, 1), 'x', 1, 2, 3), -2);
    EXPECT_EQ(dm().drawString(Vector(1, 1), "abc", nv::JUSTIFY_LEFT, nv::RED) + dm().swapBuffers(), -2);
    EXPECT_EQ(dm().startUp(), -1);
    EXPECT_EQ(log->count("DisplayManager::startup(): Warning! DisplayManager already started."), 1);
    EXPECT_EQ(log->count("\n"), 1);
    dm().shutDown();
    log->mark();
    EXPECT_EQ(dm().drawCharacter(Vector(1, 1), 'x', 1, 2, 3) + dm().swapBuffers(), -2);
    EXPECT_EQ(dm().drawString(Vector(1, 1), "ab", nv::JUSTIFY_LEFT, nv::RED), -1);
    EXPECT_EQ(log->count("DisplayManager not started!"), 3);
}

/// A 1 x 1 sprite whose frame i is the digit i.
std::unique_ptr<nv::Sprite> digits(int frames, int slowdown, const std::string &label = "s") {
    auto sprite = std::make_unique<nv::Sprite>(frames);
    sprite->setSlowdown(slowdown);
    sprite->setLabel(label);
    for (int i = 0; i < frames; i++)
        sprite->pushFrame(nv::Frame(1, 1, std::string(1, static_cast<char>('0' + i))));
    return sprite;
}

TEST_F(DisplayTest, SpriteDrawsOnlyFramesItHasAndAnimationStepsWrapsAndRecordsNameIndexAndCount) {
    auto two = digits(2, 1);
    two->setColor(nv::MAGENTA);
    EXPECT_EQ(two->pushFrame(nv::Frame(1, 1, "c")) * 10 + two->draw(2, Vector(3, 3), 0), -10);
    EXPECT_EQ(two->getFrame(2).getString() + two->getFrame(-1).getString() + two->getFrame(1).getString(), "1");
    EXPECT_EQ(two->draw(-1, Vector(3, 3), 0) + two->draw(1, Vector(3, 3), 0), 0);
    EXPECT_EQ(rows()[3].substr(2, 3) + colors()[3].substr(2, 3) + std::to_string(two->getFrameCount()), " 1 .m.2");
    nv::Sprite refused(-4);
    EXPECT_EQ(refused.getMaxFrameCount() + refused.pushFrame(nv::Frame(1, 1, "a")), -1);
    EXPECT_EQ(log->count("Sprite::Sprite(): Error! Unable to allocate -4 frames."), 1);
    // frames, slowdown, starting index and count, the frame each draw shows ('-' none, '!' failed), index after
    const std::tuple<int, int, int, int, std::string, int> table[] = {
        {3, 2, 0, 0, "0011220", 0}, {3, 0, 0, 0, "0120", 1}, {3, 1, 1, -1, "111", 1},
        {2, 1, 7, 0, "-01", 0},     {2, 1, 0, 0, "!!!", 1},
    };
    for (const auto &[frames, slowdown, index, count, shown, index_after] : table) {
        auto sprite = digits(frames, slowdown);
        nv::Animation animation;
        animation.setSprite(sprite.get());
        animation.setIndex(index);
        animation.setSlowdownCount(count);
        dm().setCapture(shown[0] != '!');
        std::string seen;
        for (std::size_t i = 0; i < shown.size(); i++) {
            dm().swapBuffers();
            const int result = animation.draw(Vector(5, 5));
            seen += result != 0 ? '!' : dm().getPending().empty() ? '-' : dm().getPending().at(0).ch;
        }
        EXPECT_EQ(seen + std::to_string(animation.getIndex()), shown + std::to_string(index_after));
    }
    auto guard = digits(3, 1, "guard");
    nv::Animation animation;
    EXPECT_EQ(animation.draw(Vector(1, 1)) + animation.getIndex() + animation.getSlowdownCount(), 0);
    EXPECT_EQ(animation.getBox(), nv::Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f));
    animation.setSprite(guard.get());
    guard->setWidth(5);
    guard->setHeight(3);
    EXPECT_EQ(animation.getBox(), nv::Box(Vector(-2.5f, -1.5f), 5, 3));
    animation.setIndex(2);
    std::stringstream written;
    EXPECT_EQ(animation.serialize(&written), 0);
    EXPECT_EQ(written.str(), Bytes().text("guard").i32(2).i32(0).data);
    animation.setSlowdownCount(1);
    animation.setSprite(nullptr);
    EXPECT_EQ(animation.getName() + animation.toString(), "guardsprite guard, frame_idx 0");
    EXPECT_EQ(animation.getSlowdownCount(), 0);
    // the record, then the name, index and count read, and the error logged
    const std::tuple<std::string, std::string, std::string> records[] = {
        {written.str(), "guard 2 0", ""},
        {Bytes().text(std::string("ab\0c", 4)).i32(3).i32(-1).data, "ab 3 -1", ""},
        {Bytes().u64(0xffffffffffffULL).data + "abc", " 0 0", "Stream eof."},
        {Bytes().text("ab").data, " 0 0", "Stream eof."}};
    for (const auto &[bytes, read, message] : records) {
        log->mark();
        nv::Animation copy;
        std::stringstream ss = record_test::streamOf(bytes);
        EXPECT_EQ(copy.deserialize(&ss), message.empty() ? 0 : -1) << message;
        EXPECT_EQ(copy.getName() + " " + std::to_string(copy.getIndex()) + " " +
                      std::to_string(copy.getSlowdownCount()),
                  read);
        EXPECT_EQ(log->count("Animation::deserialize(): Error! " + message), message.empty() ? 0 : 1) << message;
    }
}

} // namespace
