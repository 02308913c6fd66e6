#include "DisplayTestSupport.h"

#include <cstdlib>
#include <new>

#include "display/CellBatch.h"

using display_test::HeadlessTest;
using display_test::LogCapture;

namespace {

// Counts heap allocations while armed, so a test can prove a path allocates nothing.
bool g_counting = false;
long g_allocations = 0;

} // namespace

// Every plain form is replaced together, so whatever a library allocates is also released by the same pair.
void *operator new(std::size_t size) {
    if (g_counting)
        g_allocations++;
    if (void *p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t size) {
    return operator new(size);
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    if (g_counting)
        g_allocations++;
    return std::malloc(size == 0 ? 1 : size);
}
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept {
    return operator new(size, tag);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete[](void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void *p, const std::nothrow_t &) noexcept {
    std::free(p);
}
void operator delete[](void *p, const std::nothrow_t &) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

namespace {

class DisplayLifecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        display_test::resetDisplay();
        log = std::make_unique<LogCapture>();
    }
    void TearDown() override {
        display_test::resetDisplay();
        log.reset();
    }
    nv::DisplayManager &dm() { return nv::DisplayManager::getInstance(); }
    std::unique_ptr<LogCapture> log;
};

TEST_F(DisplayLifecycleTest, HeadlessStartsWithoutWindowAndRefusesDrawingSilently) {
    ASSERT_EQ(display_test::startDisplay("headless:true,"), 0);
    EXPECT_TRUE(dm().isStarted());
    EXPECT_EQ(dm().getWindow(), nullptr);
    EXPECT_EQ(dm().getText(), nullptr);
    EXPECT_EQ(dm().getRectangle(), nullptr);
    log->mark();
    EXPECT_EQ(dm().drawCharacter(nv::Vector(1, 1), 'x', nv::RED), -1);
    EXPECT_EQ(dm().drawCharacter(nv::Vector(1, 1), 'x', 1, 2, 3), -1);
    EXPECT_EQ(dm().drawString(nv::Vector(1, 1), "abc", nv::JUSTIFY_LEFT, nv::RED), -1);
    EXPECT_EQ(dm().swapBuffers(), -1);
    EXPECT_EQ(log->text(), "");
    EXPECT_TRUE(dm().getPending().empty());
}

TEST_F(DisplayLifecycleTest, HeadlessStillFollowsConfiguredCellSize) {
    ASSERT_EQ(display_test::startDisplay("headless:true,window_horizontal_pixels:800,window_vertical_chars:30,"), 0);
    EXPECT_FLOAT_EQ(nv::charWidth(), 10.0f);
    EXPECT_FLOAT_EQ(nv::charHeight(), 25.6f);
    EXPECT_EQ(dm().getHorizontalChars(), 80);
    EXPECT_EQ(dm().getVerticalChars(), 30);
}

TEST_F(DisplayLifecycleTest, DefaultCellIsTwelvePointEightByThirtyTwo) {
    ASSERT_EQ(display_test::startDisplay("headless:true,"), 0);
    EXPECT_FLOAT_EQ(nv::charWidth(), 12.8f);
    EXPECT_FLOAT_EQ(nv::charHeight(), 32.0f);
}

TEST_F(DisplayLifecycleTest, DrawingBeforeStartOrAfterShutDownIsRefusedWithMessage) {
    EXPECT_EQ(dm().drawCharacter(nv::Vector(1, 1), 'x', nv::RED), -1);
    EXPECT_EQ(log->count("DisplayManager not started!"), 1);
    ASSERT_EQ(display_test::startDisplay("headless:true,"), 0);
    dm().shutDown();
    log->mark();
    EXPECT_EQ(dm().drawString(nv::Vector(1, 1), "ab", nv::JUSTIFY_LEFT, nv::RED), -1);
    EXPECT_EQ(dm().swapBuffers(), -1);
    EXPECT_EQ(log->count("DisplayManager not started!"), 2) << log->text();
    EXPECT_EQ(log->count("DisplayManager::shutDown(): successfully stopped."), 0);
}

TEST_F(DisplayLifecycleTest, SecondStartUpWarnsAndFails) {
    ASSERT_EQ(display_test::startDisplay("headless:true,"), 0);
    log->mark();
    EXPECT_EQ(dm().startUp(), -1);
    EXPECT_EQ(log->count("DisplayManager::startup(): Warning! DisplayManager already started."), 1);
    EXPECT_TRUE(dm().isStarted());
}

TEST_F(DisplayLifecycleTest, UnusableSizesAreRefusedInsteadOfDividedBy) {
    EXPECT_EQ(display_test::startDisplay("headless:true,window_horizontal_chars:0,"), -1);
    EXPECT_FALSE(dm().isStarted());
    EXPECT_EQ(log->count("not usable"), 1);
    display_test::resetDisplay();
    EXPECT_EQ(display_test::startDisplay("headless:true,window_vertical_pixels:-5,"), -1);
    EXPECT_FALSE(dm().isStarted());
}

TEST_F(HeadlessTest, ConversionsUseTheCellSize) {
    const nv::Vector pixels = nv::spacesToPixels(nv::Vector(10, 5));
    EXPECT_FLOAT_EQ(pixels.getX(), 128.0f);
    EXPECT_FLOAT_EQ(pixels.getY(), 160.0f);
    const nv::Vector spaces = nv::pixelsToSpaces(nv::Vector(64, 48));
    EXPECT_FLOAT_EQ(spaces.getX(), 5.0f);
    EXPECT_FLOAT_EQ(spaces.getY(), 1.5f);
}

TEST_F(HeadlessTest, WorldAndViewPositionsDifferByTheViewCorner) {
    nv::WorldManager::getInstance().setView(nv::Box(nv::Vector(7, 3), 80, 24));
    EXPECT_EQ(nv::worldToView(nv::Vector(10, 5)), nv::Vector(3, 2));
    EXPECT_EQ(nv::viewToWorld(nv::Vector(3, 2)), nv::Vector(10, 5));
}

TEST_F(HeadlessTest, CharacterAtViewCornerLandsInTopLeftCell) {
    nv::WorldManager::getInstance().setView(nv::Box(nv::Vector(20, 10), 80, 24));
    ASSERT_EQ(dm().drawCharacter(nv::Vector(20, 10), '@', nv::CYAN), 0);
    ASSERT_EQ(dm().getPending().size(), 1u);
    const nv::CellBatch::Cell &cell = dm().getPending().at(0);
    EXPECT_FLOAT_EQ(cell.pixel_x, 0.0f);
    EXPECT_FLOAT_EQ(cell.pixel_y, 0.0f);
    EXPECT_EQ(rows()[0][0], '@');
    EXPECT_EQ(colors()[0][0], 'c');
}

TEST_F(HeadlessTest, StringJustificationPlacesLetters) {
    dm().drawString(nv::Vector(10, 1), "abc", nv::JUSTIFY_LEFT, nv::RED);
    dm().drawString(nv::Vector(10, 2), "abc", nv::JUSTIFY_CENTER, nv::RED);
    dm().drawString(nv::Vector(10, 3), "abc", nv::JUSTIFY_RIGHT, nv::RED);
    dm().drawString(nv::Vector(10, 4), "ab", nv::JUSTIFY_CENTER, nv::RED);
    dm().drawString(nv::Vector(10, 5), "abcd", nv::JUSTIFY_CENTER, nv::RED);
    dm().drawString(nv::Vector(10, 6), "abc", static_cast<nv::Justification>(9), nv::RED);
    const auto r = rows();
    EXPECT_EQ(r[1].substr(7, 6), "   abc");
    EXPECT_EQ(r[2].substr(7, 6), "  abc ");
    EXPECT_EQ(r[3].substr(7, 6), "abc   ");
    EXPECT_EQ(r[4].substr(7, 6), "  ab  ");
    EXPECT_EQ(r[5].substr(7, 6), " abcd ");
    EXPECT_EQ(r[6].substr(7, 6), "   abc");
}

TEST_F(HeadlessTest, EmptyStringDrawsNothingAndSucceeds) {
    EXPECT_EQ(dm().drawString(nv::Vector(10, 1), "", nv::JUSTIFY_CENTER, nv::RED), 0);
    EXPECT_TRUE(dm().getPending().empty());
}

TEST_F(HeadlessTest, CustomColorDrawsWhiteAndComponentsDrawAsGiven) {
    dm().drawCharacter(nv::Vector(1, 1), 'a', nv::CUSTOM);
    dm().drawCharacter(nv::Vector(2, 1), 'b', static_cast<nv::Color>(77));
    dm().drawCharacter(nv::Vector(3, 1), 'c', 10, 20, 30);
    EXPECT_EQ(colors()[1].substr(1, 3), "ww?");
    const nv::CellBatch::Cell *cell = dm().getPending().cellAt(3, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->r, 10);
    EXPECT_EQ(cell->g, 20);
    EXPECT_EQ(cell->b, 30);
}

TEST_F(HeadlessTest, LaterCharactersHideEarlierOnes) {
    dm().drawCharacter(nv::Vector(4, 4), 'a', nv::RED);
    dm().drawCharacter(nv::Vector(4, 4), 'b', nv::BLUE);
    EXPECT_EQ(rows()[4][4], 'b');
    EXPECT_EQ(colors()[4][4], 'b');
    EXPECT_EQ(dm().getPending().size(), 2u);
}

TEST_F(HeadlessTest, SwapShowsTheStepAndStartsAnEmptyOne) {
    dm().drawString(nv::Vector(0, 0), "hi", nv::JUSTIFY_LEFT, nv::GREEN);
    EXPECT_EQ(dm().swapBuffers(), -1);
    EXPECT_TRUE(dm().getPending().empty());
    EXPECT_EQ(dm().getShown().toRows(80, 24)[0].substr(0, 2), "hi");
    dm().swapBuffers();
    EXPECT_TRUE(dm().getShown().empty());
}

TEST_F(HeadlessTest, DrawingACharacterAllocatesNothingOnceWarm) {
    for (int warm = 0; warm < 2; warm++) {
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 80; x++)
                dm().drawCharacter(nv::Vector(static_cast<float>(x), static_cast<float>(y)), 'x', nv::RED);
        dm().swapBuffers();
    }
    g_allocations = 0;
    g_counting = true;
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 80; x++)
            dm().drawCharacter(nv::Vector(static_cast<float>(x), static_cast<float>(y)), 'x', nv::RED);
    dm().swapBuffers();
    g_counting = false;
    EXPECT_EQ(g_allocations, 0);
}

TEST(CellBatch, ReadsBackHalfCellsByRounding) {
    nv::CellBatch batch;
    batch.add({8.5f, 4.5f, 0, 0, 0, 'q', 255, 0, 0});
    batch.add({-1.0f, 2.0f, 0, 0, 0, 'z', 255, 0, 0});
    batch.add({100.0f, 2.0f, 0, 0, 0, 'z', 255, 0, 0});
    const auto r = batch.toRows(10, 6);
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(r[5][9], 'q');
    EXPECT_EQ(batch.cellAt(9, 5)->ch, 'q');
    EXPECT_EQ(batch.cellAt(0, 0), nullptr);
    EXPECT_EQ(r[2], std::string(10, ' '));
}

TEST(CellBatch, NegativeSizesGiveNoRows) {
    nv::CellBatch batch;
    EXPECT_TRUE(batch.toRows(-3, -2).empty());
}

} // namespace
