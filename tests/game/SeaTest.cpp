#include "GameFixture.h"

class SeaTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        enter();
    }
    void enter() {
        startLevel(3);
        p_level = objects<Level3>().at(0);
        p_raft = p_level->getRaft();
    }
    /// Steps with the level's own hazards taken out of the sea first.
    void calmSteps(int count) {
        for (int i = 0; i < count; i++) {
            for (nv::Object *p_o : objects()) {
                if (p_o->getType().find("Shark") == 0 || p_o->getType().find("Lightning") == 0) {
                    nv::WorldManager::getInstance().markForDelete(p_o);
                }
            }
            step();
        }
    }
    Level3 *p_level = nullptr;
    Raft *p_raft = nullptr;
};

TEST_F(SeaTest, BuildsTheSeaUnderRainAndSailsTheRaftEighteenCellsASecondWithinIt) {
    EXPECT_EQ(objects("Rain").size(), 30u);
    step();
    EXPECT_EQ(columnOf(1, "SURVIVE SHARKS & STORMS: 30s"), 49);
    EXPECT_EQ(std::string() + color(1, 60) + color(19, 0) + color(23, 0), "ycb");
    EXPECT_EQ(row(21), std::string(80, '~'));
    EXPECT_EQ(row(18).substr(37, 7) + row(19).substr(37, 7), "  \\o/  #=====#");
    EXPECT_EQ(columnOf(23, "LEVEL III - THE SEA"), 31);
    hold("D", 1);
    step();
    EXPECT_NEAR(p_raft->getPosition().getX(), 40.594f, 1e-4);
    hold("D", 80);
    EXPECT_EQ(p_raft->getPosition(), nv::Vector(76, 18.5f));
    hold("A", 160);
    hold("DA", 1);
    EXPECT_EQ(p_raft->getPosition(), nv::Vector(3, 18.5f));
    for (nv::Object *p_drop : objects("Rain")) // drops that fell out came back at the top
        EXPECT_LT(p_drop->getPosition().getY(), 25.0f);
}

TEST_F(SeaTest, HitsWearTheRaftDownUntilItSinksAndEachHazardStrikesOnceWithinItsReach) {
    // The damage of each hit, then the integrity shown and its color.
    for (const auto &[hits, integrity, shown] :
         {std::tuple("", "4", 'g'), std::tuple("1", "3", 'y'), std::tuple("2", "2", 'y'), std::tuple("21", "1", 'r'),
          std::tuple("22", "0", 'r'), std::tuple("1111", "0", 'r'), std::tuple("5", "0", 'r'),
          std::tuple("2112", "0", 'r')}) {
        enter();
        for (const char *damage = hits; *damage != '\0'; damage++) {
            p_raft->hit(*damage - '0');
        }
        step();
        EXPECT_EQ(columnOf(1, "RAFT INTEGRITY: " + std::string(integrity) + " / 4"), 2) << hits;
        EXPECT_EQ(color(1, 2), shown) << hits;
        EXPECT_EQ(p_raft->isSinking(), *integrity == '0') << hits;
        EXPECT_EQ(p_raft->getAnimation().getName(), *hits == '\0' ? "raft" : "raft-hit");
    }
    EXPECT_EQ(p_raft->getSinkLeft(), 1000 - 33);
    step(29);
    EXPECT_EQ(p_controller->getState(), PLAYING);
    step();
    EXPECT_EQ(p_controller->getTargetState(), LOST);
    step(3);
    EXPECT_EQ(columnOf(9, "YOU CAPSIZED AND WERE CAPTURED!"), 25);

    for (const auto &[shark, offset, integrity] :
         {std::tuple(true, 4.0f, 3), std::tuple(true, -4.0f, 3), std::tuple(true, 4.1f, 4), std::tuple(true, -4.1f, 4),
          std::tuple(false, 2.5f, 2), std::tuple(false, -2.5f, 2), std::tuple(false, 2.6f, 4),
          std::tuple(false, -2.6f, 4)}) {
        enter();
        const float x = 40 + offset;
        nv::Object *p_hazard = shark ? static_cast<nv::Object *>(new Shark(p_raft, x)) : new Lightning(p_raft, x);
        const std::string struck = shark ? "Shark" : "Lightning";
        step(45);
        EXPECT_EQ(p_hazard->getType() + p_hazard->getPosition().toString(),
                  struck + "Warning" + nv::Vector(x, shark ? 18 : 7).toString());
        EXPECT_EQ(p_raft->getIntegrity(), 4);
        step();
        EXPECT_EQ(p_hazard->getType() + p_hazard->getPosition().toString(),
                  struck + nv::Vector(x, shark ? 19 : 13).toString());
        EXPECT_EQ(p_raft->getIntegrity(), integrity) << struck << " " << offset;
        EXPECT_EQ(objects("LightningCloud").size() == 1 &&
                      objects("LightningCloud")[0]->getPosition() == nv::Vector(x, 7),
                  !shark);
        p_raft->setPosition(nv::Vector(integrity < 4 ? x : 40, 18.5f));
        step(14);
        EXPECT_EQ(p_raft->getIntegrity(), integrity) << struck << " " << offset;
        step();
        EXPECT_TRUE(objects(struck).empty() && objects("LightningCloud").empty());
    }
}

TEST_F(SeaTest, HazardsComeFromTwoSecondsEveryOneAndAHalfAndThirtySecondsEscape) {
    for (const auto &[steps, hazards] : {std::pair(60, 0u), std::pair(1, 1u), std::pair(45, 1u), std::pair(1, 2u)}) {
        step(steps);
        EXPECT_EQ(objects<Shark>().size() + objects<Lightning>().size(), hazards) << step_count;
    }
    calmSteps(881 - 107);
    EXPECT_EQ(columnOf(1, "SURVIVE SHARKS & STORMS: 1s"), 50);
    calmSteps(28);
    EXPECT_EQ(p_controller->getState(), PLAYING);
    calmSteps(1);
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    step(40);
    EXPECT_EQ(columnOf(9, "YOU ESCAPED GLYPH-CAGE!"), 29);
}
