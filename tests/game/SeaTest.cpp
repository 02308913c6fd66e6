#include "GlyphcageFixture.h"

#include <algorithm>
#include <cmath>

#include "Level3.h"
#include "Lightning.h"
#include "LightningCloud.h"
#include "Raft.h"
#include "Rain.h"
#include "Shark.h"
#include "display/Sprite.h"

namespace glyphcage_test {
namespace {

class SeaTest : public GlyphcageFixture {
protected:
    void SetUp() override {
        GlyphcageFixture::SetUp();
        startLevel(3);
        ASSERT_EQ(objects<Level3>().size(), 1u);
        p_level = objects<Level3>()[0];
        p_raft = p_level->getRaft();
        ASSERT_NE(p_raft, nullptr);
    }

    /// A shark of the test's own, which calmSea() leaves alone.
    Shark *shark(float x) {
        Shark *p_shark = new Shark(p_raft, x);
        mine.push_back(p_shark);
        return p_shark;
    }

    /// A lightning strike of the test's own, which calmSea() leaves alone.
    Lightning *lightning(float x) {
        Lightning *p_bolt = new Lightning(p_raft, x);
        mine.push_back(p_bolt);
        return p_bolt;
    }

    /// Takes every hazard the level spawned out of the sea, so only the test's own ones strike.
    void calmSea() {
        std::vector<nv::Object *> hazards;
        for (Shark *p_shark : objects<Shark>()) {
            hazards.push_back(p_shark);
        }
        for (Lightning *p_bolt : objects<Lightning>()) {
            hazards.push_back(p_bolt);
        }
        for (nv::Object *p_o : hazards) {
            if (std::find(mine.begin(), mine.end(), p_o) == mine.end()) {
                nv::WorldManager::getInstance().markForDelete(p_o);
            }
        }
    }

    /// Steps while keeping the level's own hazards away.
    void calmSteps(int count) {
        for (int i = 0; i < count; i++) {
            calmSea();
            step();
        }
    }

    /// Holds A or D for a number of steps, as the input manager reports a held key.
    void hold(nv::Key which, int count) {
        for (int i = 0; i < count; i++) {
            key(which, nv::KEY_DOWN);
            step();
        }
    }

    Level3 *p_level = nullptr;
    Raft *p_raft = nullptr;
    std::vector<nv::Object *> mine;
};

TEST_F(SeaTest, BuildsTheSea) {
    EXPECT_EQ(p_level->getType(), "Level3");
    EXPECT_EQ(p_level->getAltitude(), 1);
    EXPECT_EQ(p_raft->getType(), "Raft");
    EXPECT_EQ(p_raft->getSolidness(), nv::SPECTRAL);
    EXPECT_EQ(p_raft->getAltitude(), 3);
    EXPECT_EQ(p_raft->getPosition(), nv::Vector(40, 18.5f));
    EXPECT_EQ(p_raft->getIntegrity(), 4);
    std::vector<Rain *> rain = objects<Rain>();
    ASSERT_EQ(rain.size(), 30u);
    for (Rain *p_drop : rain) {
        EXPECT_EQ(p_drop->getAltitude(), 0);
        EXPECT_EQ(p_drop->getSolidness(), nv::SPECTRAL);
        EXPECT_GT(p_drop->getVelocity().getY(), 0);
        EXPECT_LE(p_drop->getVelocity().getY(), 1.0f);
    }
}

TEST_F(SeaTest, ShowsTheTimerTheIntegrityAndTheSea) {
    step();
    EXPECT_TRUE(onRow(1, "SURVIVE SHARKS & STORMS: 30s"));
    EXPECT_EQ(columnOf(1, "SURVIVE SHARKS & STORMS: 30s") + 28, 77);
    EXPECT_EQ(columnOf(1, "RAFT INTEGRITY: 4 / 4"), 2);
    EXPECT_EQ(colors()[1][2], 'g');
    EXPECT_EQ(colors()[1][60], 'y');
    std::vector<std::string> rows = screen();
    EXPECT_EQ(rows[21], std::string(80, '~'));
    EXPECT_EQ(colors()[19][0], 'c');
    EXPECT_EQ(colors()[21][0], 'b');
    EXPECT_EQ(rows[18].substr(37, 7), "  \\o/  ");
    EXPECT_EQ(rows[19].substr(37, 7), "#=====#");
    EXPECT_EQ(columnOf(23, "LEVEL III - THE SEA"), 40 - 19 / 2);
}

TEST_F(SeaTest, TheRaftDriftsEighteenCellsASecondWhileSteeredAndStaysInTheSea) {
    hold(nv::D, 1);
    EXPECT_NEAR(p_raft->getPosition().getX(), 40.594f, 1e-4);
    step();
    EXPECT_NEAR(p_raft->getPosition().getX(), 40.594f, 1e-4);
    hold(nv::D, 80);
    EXPECT_EQ(p_raft->getPosition().getX(), 76);
    hold(nv::A, 160);
    EXPECT_EQ(p_raft->getPosition().getX(), 3);
    EXPECT_EQ(p_raft->getPosition().getY(), 18.5f);
    key(nv::A, nv::KEY_PRESSED);
    key(nv::D, nv::KEY_RELEASED);
    step();
    EXPECT_EQ(p_raft->getPosition().getX(), 3);
}

TEST_F(SeaTest, LeftWinsWhenBothAreHeld) {
    key(nv::A, nv::KEY_DOWN);
    key(nv::D, nv::KEY_DOWN);
    step();
    EXPECT_LT(p_raft->getPosition().getX(), 40);
}

TEST_F(SeaTest, HazardsComeAfterTwoSecondsAndThenEveryOneAndAHalf) {
    step(60);
    EXPECT_EQ(objects<Shark>().size() + objects<Lightning>().size(), 0u);
    step(1);
    EXPECT_EQ(p_level->getElapsed(), 61 * 33);
    EXPECT_EQ(objects<Shark>().size() + objects<Lightning>().size(), 1u);
    // 46 more steps reach 3531 ms, the second hazard.
    step(45);
    EXPECT_EQ(objects<Shark>().size() + objects<Lightning>().size(), 1u);
    step(1);
    EXPECT_EQ(objects<Shark>().size() + objects<Lightning>().size(), 2u);
}

TEST_F(SeaTest, ASharkWarnsThenSurfacesAndBitesOnceWithinFourCells) {
    calmSea();
    Shark *p_near = shark(44.0f);
    Shark *p_far = shark(44.1f);
    EXPECT_EQ(p_near->getType(), "SharkWarning");
    EXPECT_EQ(p_near->getPosition(), nv::Vector(44, 18));
    EXPECT_EQ(p_near->getAltitude(), 4);
    calmSteps(45);
    EXPECT_EQ(p_near->getType(), "SharkWarning");
    EXPECT_EQ(p_raft->getIntegrity(), 4);
    calmSteps(1);
    EXPECT_EQ(p_near->getType(), "Shark");
    EXPECT_EQ(p_near->getPosition(), nv::Vector(44, 19));
    EXPECT_TRUE(p_near->isHitDone());
    EXPECT_FALSE(p_far->isHitDone());
    EXPECT_EQ(p_raft->getIntegrity(), 3);
    EXPECT_EQ(p_raft->getHitFlashLeft(), 750);
    calmSteps(14);
    EXPECT_EQ(p_raft->getIntegrity(), 3);
    EXPECT_EQ(p_raft->getHitFlashLeft(), 750 - 14 * 33);
    EXPECT_EQ(countType("Shark"), 2);
    calmSteps(1);
    EXPECT_EQ(countType("Shark"), 0);
}

TEST_F(SeaTest, AHazardOnlyStrikesDuringItsHalfSecond) {
    calmSea();
    Shark *p_shark = shark(60.0f);
    p_raft->setPosition(nv::Vector(60, 18.5f));
    calmSteps(45);
    EXPECT_EQ(p_shark->getType(), "SharkWarning");
    EXPECT_EQ(p_raft->getIntegrity(), 4);
    // The raft, left where it was, is bitten once when the shark surfaces and never again.
    calmSteps(1);
    EXPECT_TRUE(p_shark->isHitDone());
    EXPECT_EQ(p_raft->getIntegrity(), 3);
    calmSteps(14);
    EXPECT_EQ(p_raft->getIntegrity(), 3);
}

TEST_F(SeaTest, LightningStrikesFromACloudWithinTwoAndAHalfCells) {
    calmSea();
    Lightning *p_near = lightning(42.5f);
    Lightning *p_far = lightning(37.4f);
    EXPECT_EQ(p_near->getType(), "LightningWarning");
    EXPECT_EQ(p_near->getPosition(), nv::Vector(42.5f, 7));
    step(46);
    EXPECT_EQ(p_near->getType(), "Lightning");
    EXPECT_EQ(p_near->getPosition(), nv::Vector(42.5f, 13));
    ASSERT_NE(p_near->getCloud(), nullptr);
    EXPECT_EQ(p_near->getCloud()->getPosition(), nv::Vector(42.5f, 7));
    EXPECT_EQ(p_near->getCloud()->getType(), "LightningCloud");
    EXPECT_TRUE(p_near->isHitDone());
    EXPECT_FALSE(p_far->isHitDone());
    EXPECT_EQ(p_raft->getIntegrity(), 2);
    step(15);
    EXPECT_TRUE(objects<LightningCloud>().empty());
    EXPECT_TRUE(objects<Lightning>().empty() || objects<Lightning>()[0] != p_near);
}

TEST_F(SeaTest, FourSharksSinkTheRaftAndTheLevelIsLost) {
    calmSea();
    const float x = p_raft->getPosition().getX();
    for (int i = 0; i < 4; i++) {
        shark(x);
    }
    step(46);
    EXPECT_EQ(p_raft->getIntegrity(), 0);
    EXPECT_TRUE(p_raft->isSinking());
    EXPECT_EQ(p_raft->getSinkLeft(), 1000);
    step();
    EXPECT_TRUE(onRow(1, "RAFT INTEGRITY: 0 / 4"));
    EXPECT_EQ(colors()[1][2], 'r');
    step(29);
    EXPECT_EQ(p_controller->getState(), PLAYING);
    step(1);
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    step(3);
    EXPECT_EQ(p_controller->getState(), LOST);
    EXPECT_TRUE(onRow(9, "YOU CAPSIZED AND WERE CAPTURED!"));
}

TEST_F(SeaTest, OneStrikeAndTwoSharksSinkTheRaftAndLaterHitsChangeNothing) {
    calmSea();
    p_raft->hit(2);
    p_raft->hit(1);
    EXPECT_EQ(p_raft->getIntegrity(), 1);
    EXPECT_FALSE(p_raft->isSinking());
    step();
    EXPECT_TRUE(onRow(1, "RAFT INTEGRITY: 1 / 4"));
    EXPECT_EQ(colors()[1][2], 'r');
    p_raft->hit(1);
    EXPECT_TRUE(p_raft->isSinking());
    p_raft->hit(2);
    EXPECT_EQ(p_raft->getIntegrity(), 0);
    EXPECT_EQ(p_raft->getSinkLeft(), 1000);
}

TEST_F(SeaTest, TwoHitsTurnTheIntegrityLineYellow) {
    calmSea();
    p_raft->hit(2);
    step();
    EXPECT_TRUE(onRow(1, "RAFT INTEGRITY: 2 / 4"));
    EXPECT_EQ(colors()[1][2], 'y');
    EXPECT_EQ(p_raft->getAnimation().getSprite()->getLabel(), "raft-hit");
    calmSteps(23);
    EXPECT_EQ(p_raft->getAnimation().getSprite()->getLabel(), "raft");
}

TEST_F(SeaTest, SurvivingThirtySecondsEscapes) {
    calmSteps(880);
    step();
    EXPECT_TRUE(onRow(1, "SURVIVE SHARKS & STORMS: 1s"));
    calmSteps(28);
    EXPECT_EQ(p_controller->getState(), PLAYING);
    EXPECT_FALSE(p_level->isDone());
    // The level ends, and is taken down with the sea, in the step that reaches 30 s.
    calmSteps(1);
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    step(3);
    EXPECT_EQ(p_controller->getState(), WON);
    EXPECT_TRUE(onRow(9, "YOU ESCAPED GLYPH-CAGE!"));
}

TEST_F(SeaTest, ARaftSinkingAtTheEndDoesNotLoseTheLevel) {
    calmSteps(900);
    p_raft->hit(4);
    ASSERT_TRUE(p_raft->isSinking());
    calmSteps(40);
    EXPECT_EQ(p_controller->getState(), WON);
}

TEST_F(SeaTest, RainStartsAgainAtTheTopWhenItLeavesTheWorld) {
    Rain *p_drop = objects<Rain>().at(0);
    p_drop->setPosition(nv::Vector(10, 23.5f));
    p_drop->setVelocity(nv::Vector(0, 1));
    step(2);
    EXPECT_EQ(p_drop->getPosition().getY(), 7);
    EXPECT_GE(p_drop->getPosition().getX(), 0);
    EXPECT_LT(p_drop->getPosition().getX(), 80);
}

} // namespace
} // namespace glyphcage_test
