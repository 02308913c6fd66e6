#include "GameFixture.h"

class VentsTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        startLevel(2);
        p_level = objects<Level2>().at(0);
    }
    Prisoner *prisoner() const { return objects<Prisoner>().at(0); }
    nv::Object *exit() const { return objects("Exit").at(0); }
    /// Still in the section; the level itself is gone once the controller has left play.
    bool playing(int section) const { return p_controller->getState() == PLAYING && p_level->getSection() == section; }
    Level2 *p_level = nullptr;
};

TEST_F(VentsTest, BuildsEachSectionAsLaidOutAndOnlyThePrisonerAtTheExitEndsIt) {
    // Prisoner, exit, then each wall piece by the top-left corner of its picture and each clue by its centre.
    const char *const layouts[] = {
        "40 20 3 4 vents1_AL 2 19 vents1_AR 42 19 vents1_BL 2 10 vents1_BR 42 10 vents1_C 6 2 vents1_C 42 2 "
        "vents1_DL 0 0 vents1_DR 78 0 vents1_E 2 0 vents1_F 38 22 clue_can 4 8 clue_fork 40 11",
        "72 21 4 22 vents2_A 6 18 vents2_B 2 8 vents2_C 74 2 vents2_D 74 18 vents2_E 0 2 vents2_F 0 4 vents2_G 2 22 "
        "vents2_H 78 14 clue_smile 66 16 clue_arrow 38 16"};
    for (int section = 1; section <= 2; section++) {
        std::istringstream layout(layouts[section - 1]);
        float x, y, exit_x, exit_y;
        layout >> x >> y >> exit_x >> exit_y;
        EXPECT_EQ(prisoner()->getAnimation().getName() + prisoner()->getPosition().toString(),
                  "v_prisoner_up" + nv::Vector(x, y).toString());
        EXPECT_EQ(exit()->getPosition(), nv::Vector(exit_x, exit_y));
        std::vector<std::string> expected, found;
        for (std::string label; layout >> label >> x >> y;) {
            const nv::Sprite *p_sprite = nv::ResourceManager::getInstance().getSprite(label);
            const bool clue = label.rfind("clue", 0) == 0;
            const nv::Vector centre(x + (clue ? 0 : static_cast<float>(p_sprite->getWidth()) * 0.5f),
                                    y + (clue ? 0 : static_cast<float>(p_sprite->getHeight()) * 0.5f));
            expected.push_back(label + (clue ? " 1 " : " 0 ") + centre.toString());
        }
        for (nv::Object *p_o : objects()) {
            if (p_o->getType() == "VentPart" || p_o->getType() == "Clue") {
                found.push_back(p_o->getAnimation().getName() + " " + std::to_string(p_o->getSolidness()) + " " +
                                p_o->getPosition().toString());
            }
        }
        std::sort(expected.begin(), expected.end());
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected);
        nv::EventCollision by_clue(objects("Clue").at(0), exit(), exit()->getPosition());
        exit()->eventHandler(&by_clue);
        step();
        EXPECT_EQ(p_level->getSection(), section);
        nv::EventCollision by_prisoner(exit(), prisoner(), exit()->getPosition());
        exit()->eventHandler(&by_prisoner);
        step();
    }
    EXPECT_EQ(p_controller->getNextLevel(), 3);
}

TEST_F(VentsTest, TheBoilerCountsNominalTimeThenFreezesThePrisonerAndCapturesASecondLater) {
    // A started second counts whole; red from 15 s on.
    for (const auto &[left, text, red] : {std::tuple(59999, "60", false), std::tuple(15001, "16", false),
                                          std::tuple(15000, "15", true), std::tuple(0, "0", true)}) {
        EXPECT_EQ(BoilerTimer::countdownText(left) + (BoilerTimer::countdownColor(left) == nv::RED ? " red" : ""),
                  "BOILER TURNING ON: " + std::string(text) + "s" + (red ? " red" : ""));
    }
    BoilerTimer *p_timer = objects<BoilerTimer>().at(0);
    const int start = p_timer->getTimeLeft();
    EXPECT_GE(start, BOILER_TIME - 33);
    step();
    EXPECT_EQ(columnOf(1, "BOILER TURNING ON: 60s"), 55);
    EXPECT_EQ(color(1, 55), 'y');
    // Nominal frame time counts, at least 1 ms a step.
    nv::GameManager::getInstance().setFrameTime(0);
    step();
    nv::GameManager::getInstance().setFrameTime(33);
    int stepped = 0;
    for (; !p_timer->isBoilerOn() && stepped < 3000; stepped++) {
        step();
    }
    EXPECT_EQ(stepped, (start - 34 + 32) / 33);
    EXPECT_EQ(p_timer->getTimeLeft(), 0);
    key("W");
    step(30);
    EXPECT_EQ(objects<Prisoner>("", true).at(0)->getPosition(), nv::Vector(40, 20));
    EXPECT_EQ(p_controller->getState(), PLAYING);
    step();
    EXPECT_EQ(p_controller->getTargetState(), LOST);
    step(3);
    EXPECT_EQ(columnOf(9, "YOU PASSED OUT AND WERE CAPTURED!"), 24);
}

TEST_F(VentsTest, TheCrawlFoundIsPlayedWithTheKeysACellEverySevenStepsTurningThePictureOnStraightMoves) {
    for (const auto &[x, y, blocked] :
         {std::tuple(3, 12, true), std::tuple(40, 3, true), std::tuple(80, 12, true), std::tuple(40, 24, true),
          std::tuple(40, 19, false), std::tuple(39, 20, true)}) {
        EXPECT_EQ(CrawlPathFind(prisoner(), exit()).isBlocked(x, y), blocked) << x << "," << y;
    }
    int played = 0;
    for (int section = 1; section <= 2; section++) {
        CrawlPathFind search(prisoner(), exit());
        int result = nv::PATH_SEARCHING;
        for (int i = 0; i < 10000 && result == nv::PATH_SEARCHING; i++) {
            result = search.cycleOnce();
        }
        ASSERT_EQ(result, nv::PATH_FOUND) << section;
        const std::vector<nv::Vector> nodes = search.getPath().getNodes();
        for (std::size_t i = 1; i < nodes.size() && playing(section); i++) {
            const nv::Vector by = nodes[i] - prisoner()->getPosition();
            const std::string keys = std::string(by.getX() < 0 ? "A" : "") + (by.getX() > 0 ? "D" : "") +
                                     (by.getY() < 0 ? "W" : "") + (by.getY() > 0 ? "S" : "");
            const std::string turned = keys.size() == 2 ? prisoner()->getAnimation().getName()
                                       : keys == "A"    ? "v_prisoner_left"
                                       : keys == "D"    ? "v_prisoner_right"
                                       : keys == "W"    ? "v_prisoner_up"
                                                        : "v_prisoner_down";
            key(keys);
            const nv::Vector from = prisoner()->getPosition();
            int taken = 0;
            for (; playing(section) && prisoner()->getPosition() == from && taken < 8; taken++, played++) {
                step();
            }
            key(keys, nv::KEY_RELEASED);
            if (playing(section)) {
                EXPECT_EQ(prisoner()->getAnimation().getName() + prisoner()->getPosition().toString(),
                          turned + nodes[i].toString());
                EXPECT_EQ(taken, 7) << section << " " << i;
            }
        }
    }
    EXPECT_EQ(p_controller->getNextLevel(), 3);
    EXPECT_LE(played * 33, BOILER_TIME / 2);
}
