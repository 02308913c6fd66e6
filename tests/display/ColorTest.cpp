#include "DisplayTestSupport.h"

#include "display/Color.h"

using display_test::LogCapture;

namespace {

class ColorTest : public ::testing::Test {
protected:
    void SetUp() override { log = std::make_unique<LogCapture>(); }
    void TearDown() override { log.reset(); }
    std::unique_ptr<LogCapture> log;
};

TEST_F(ColorTest, NamedColorsGiveTheirComponents) {
    const unsigned char expected[8][3] = {{0, 0, 0},   {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                          {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (int c = nv::BLACK; c <= nv::WHITE; c++) {
        unsigned char r = 7, g = 7, b = 7;
        nv::colorToRGB(static_cast<nv::Color>(c), r, g, b);
        EXPECT_EQ(r, expected[c][0]) << c;
        EXPECT_EQ(g, expected[c][1]) << c;
        EXPECT_EQ(b, expected[c][2]) << c;
        const sf::Color sfml = nv::colorToSFML(static_cast<nv::Color>(c));
        EXPECT_EQ(sfml, sf::Color(expected[c][0], expected[c][1], expected[c][2], 255)) << c;
    }
}

TEST_F(ColorTest, CustomAndUnknownLeaveComponentsAlone) {
    unsigned char r = 1, g = 2, b = 3;
    nv::colorToRGB(nv::CUSTOM, r, g, b);
    nv::colorToRGB(static_cast<nv::Color>(42), r, g, b);
    nv::colorToRGB(static_cast<nv::Color>(-1), r, g, b);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(g, 2);
    EXPECT_EQ(b, 3);
}

TEST_F(ColorTest, CustomAndUnknownBecomeOpaqueWhiteInSfml) {
    EXPECT_EQ(nv::colorToSFML(nv::CUSTOM), sf::Color(255, 255, 255, 255));
    EXPECT_EQ(nv::colorToSFML(static_cast<nv::Color>(42)), sf::Color(255, 255, 255, 255));
}

TEST_F(ColorTest, NamesFollowTheTable) {
    EXPECT_EQ(nv::colorToString(nv::BLACK), "Black");
    EXPECT_EQ(nv::colorToString(nv::YELLOW), "Yellow");
    EXPECT_EQ(nv::colorToString(nv::MAGENTA), "Magenta");
    EXPECT_EQ(nv::colorToString(nv::WHITE), "White");
    EXPECT_EQ(nv::colorToString(nv::CUSTOM), "Unknown color");
    EXPECT_EQ(nv::colorToString(static_cast<nv::Color>(99)), "Unknown color");
}

TEST_F(ColorTest, EnumerationValuesAreFixed) {
    EXPECT_EQ(nv::BLACK, 0);
    EXPECT_EQ(nv::WHITE, 7);
    EXPECT_EQ(nv::CUSTOM, 8);
    EXPECT_EQ(nv::JUSTIFY_LEFT, 0);
    EXPECT_EQ(nv::JUSTIFY_CENTER, 1);
    EXPECT_EQ(nv::JUSTIFY_RIGHT, 2);
}

} // namespace
