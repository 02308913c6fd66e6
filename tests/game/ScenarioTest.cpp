#include "GlyphcageFixture.h"

#include <cstdlib>
#include <filesystem>

#include "AutoPilot.h"
#include "Level1.h"
#include "Level2.h"
#include "Level3.h"
#include "Raft.h"

namespace glyphcage_test {
namespace {

/// The whole game in one process, played through the same input events a person's keys and mouse make.
using ScenarioTest = GlyphcageFixture;

TEST_F(ScenarioTest, FromTheTitleThroughTheCellToTheVentsAndBackAfterPassingOut) {
    step(5);
    EXPECT_TRUE(onRow(9, "[ ESCAPE FROM GLYPH-CAGE ]"));
    enterLevelOne();
    ASSERT_EQ(objects<Level1>().size(), 1u);
    clickAt(20, 12);
    step(2);
    ASSERT_EQ(objects<Level2>().size(), 1u);
    EXPECT_EQ(p_controller->getLevel(), 2);
    step();
    EXPECT_TRUE(onRow(1, "BOILER TURNING ON: 60s"));

    // Nobody crawls: the boiler runs out after about 1819 steps and the prisoner passes out a second later.
    step(1800);
    EXPECT_EQ(p_controller->getState(), PLAYING);
    step(60);
    EXPECT_EQ(p_controller->getState(), LOST);
    step();
    EXPECT_TRUE(onRow(9, "YOU PASSED OUT AND WERE CAPTURED!"));

    enterLevelOne();
    EXPECT_EQ(p_controller->getLevel(), 1);
    EXPECT_EQ(objects<Level1>().size(), 1u);
    EXPECT_TRUE(objects<Level2>().empty());
}

/// The same game with the built-in player as the controller.
class AutoPlayTest : public GlyphcageFixture {
protected:
    Glyphcage *makeController() override {
        shots = dir + "/shots";
        p_pilot = new AutoPilot(shots);
        return p_pilot;
    }

    /// Steps until the pilot has seen the game end, at most limit steps; the steps taken.
    int playUntilTheEnd(int limit) {
        int taken = 0;
        while (p_pilot->getOutcome().empty() && taken < limit) {
            step();
            taken++;
        }
        return taken;
    }

    std::string shots;
    AutoPilot *p_pilot = nullptr;
};

TEST_F(AutoPlayTest, CrawlsBothSectionsAndSurvivesTheSeaToEscape) {
    int seen_level = 0;
    bool crawled_section_two = false;
    int taken = 0;
    while (p_pilot->getOutcome().empty() && taken < 6000) {
        step();
        taken++;
        if (p_controller->getState() == PLAYING && p_controller->getLevel() > seen_level) {
            // Each level is entered in order, through the controller's own transition.
            EXPECT_EQ(p_controller->getLevel(), seen_level + 1);
            seen_level = p_controller->getLevel();
        }
        for (Level2 *p_level : objects<Level2>()) {
            crawled_section_two = crawled_section_two || p_level->getSection() == 2;
        }
    }
    EXPECT_EQ(seen_level, 3);
    EXPECT_TRUE(crawled_section_two);
    EXPECT_EQ(p_pilot->getOutcome(), "YOU ESCAPED GLYPH-CAGE!");
    EXPECT_TRUE(p_pilot->hasEscaped());
    EXPECT_EQ(p_pilot->getHighestLevel(), 3);
    EXPECT_LT(p_pilot->getRaftHits(), RAFT_INTEGRITY);
    step(40);
    EXPECT_TRUE(nv::GameManager::getInstance().getGameOver());
    EXPECT_EQ(p_pilot->summary().rfind("Autoplay: reached level 3 of 3, outcome: YOU ESCAPED GLYPH-CAGE!, steps: ", 0),
              0u)
        << p_pilot->summary();
    // Headless there is no window to photograph, but each screen is kept as text.
    EXPECT_EQ(p_pilot->saveScreenshots(), 6);
    std::ifstream final_screen(shots + "/6-final.txt");
    std::stringstream text;
    text << final_screen.rdbuf();
    EXPECT_NE(text.str().find("YOU ESCAPED GLYPH-CAGE!"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(shots + "/3-vents-1.txt"));
    EXPECT_TRUE(std::filesystem::exists(shots + "/4-vents-2.txt"));
}

TEST_F(AutoPlayTest, SteersTheRaftClearOfHazardsWhateverTheDice) {
    for (unsigned int seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        std::srand(seed);
        p_controller->changeState(PLAYING, 3);
        step(2);
        ASSERT_EQ(objects<Level3>().size(), 1u);
        const int before = p_pilot->getRaftHits();
        int taken = 0;
        while (p_controller->getState() != WON && p_controller->getState() != LOST && taken < 1000) {
            step();
            taken++;
        }
        EXPECT_EQ(p_controller->getState(), WON) << "seed " << seed;
        EXPECT_LE(p_pilot->getRaftHits() - before, 1) << "seed " << seed;
    }
}

TEST_F(AutoPlayTest, GivesUpAndQuitsWhenTheGameRunsTooLong) {
    p_pilot->setTimeLimit(3000);
    step(100);
    EXPECT_TRUE(nv::GameManager::getInstance().getGameOver());
    EXPECT_FALSE(p_pilot->hasEscaped());
    EXPECT_EQ(p_pilot->getOutcome().rfind("GAVE UP IN LEVEL ", 0), 0u) << p_pilot->getOutcome();
}

TEST_F(AutoPlayTest, ReportsTheScreenTheGameEndedOnAndQuits) {
    p_pilot->setLevelCreator(0, nullptr);
    playUntilTheEnd(100);
    EXPECT_EQ(p_pilot->getOutcome(), "LEVEL 1 IS NOT CONNECTED YET");
    EXPECT_FALSE(p_pilot->hasEscaped());
    step(40);
    EXPECT_TRUE(nv::GameManager::getInstance().getGameOver());
}

} // namespace
} // namespace glyphcage_test
