#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "BoilerTimer.h"
#include "Clue.h"
#include "EventNextSection.h"
#include "Exit.h"
#include "Level2TestSupport.h"
#include "Prisoner.h"
#include "VentPart.h"
#include "Vents.h"
#include "display/Sprite.h"
#include "display/ViewObject.h"
#include "world/EventCollision.h"
#include "world/utility.h"

namespace {

using level2_test::VentsFixture;

std::string pictureOf(const nv::Object *p_o) {
    return p_o->getAnimation().getName();
}

class Level2Test : public VentsFixture {
protected:
    void SetUp() override {
        VentsFixture::SetUp();
        p_level = enterLevel2();
        ASSERT_NE(p_level, nullptr);
        p_timer = dynamic_cast<BoilerTimer *>(only("BoilerTimer"));
        ASSERT_NE(p_timer, nullptr);
    }

    Prisoner *prisoner() { return dynamic_cast<Prisoner *>(only("Prisoner")); }

    /// Holds a key the way the input manager reports it: pressed once, then down on every step.
    void holdFor(nv::Key k, int n) {
        key(k, nv::KEY_PRESSED);
        for (int i = 0; i < n; i++) {
            step();
            key(k, nv::KEY_DOWN);
        }
    }

    std::vector<std::string> pieceLabels() {
        std::vector<std::string> labels;
        for (nv::Object *p_o : ofType("VentPart")) {
            labels.push_back(dynamic_cast<VentPart *>(p_o)->getSpriteLabel());
        }
        return labels;
    }

    Level2 *p_level = nullptr;
    BoilerTimer *p_timer = nullptr;
};

TEST_F(Level2Test, StartsWithTitleFullBoilerAndTheFirstSection) {
    EXPECT_EQ(p_level->getSolidness(), nv::SPECTRAL);
    EXPECT_EQ(p_level->getSection(), 1);
    EXPECT_EQ(p_level->getSectionCount(), 2);

    bool titled = false;
    for (nv::Object *p_o : ofType("ViewObject")) {
        titled = titled || dynamic_cast<nv::ViewObject *>(p_o)->getViewString() == "LEVEL II - THE VENTS";
    }
    EXPECT_TRUE(titled);

    EXPECT_FALSE(p_timer->isBoilerOn());
    EXPECT_GT(p_timer->getTimeLeft(), BOILER_TIME - 2 * 33);
    EXPECT_EQ(p_timer->getAltitude(), 4);

    Prisoner *p_prisoner = prisoner();
    ASSERT_NE(p_prisoner, nullptr);
    EXPECT_EQ(p_prisoner->getPosition(), nv::Vector(40, 20));
    EXPECT_EQ(pictureOf(p_prisoner), "v_prisoner_up");
    EXPECT_EQ(p_prisoner->getSolidness(), nv::HARD);
    const Exit *p_exit = dynamic_cast<Exit *>(only("Exit"));
    ASSERT_NE(p_exit, nullptr);
    EXPECT_EQ(p_exit->getPosition(), nv::Vector(3, 4));
    EXPECT_EQ(p_exit->getSolidness(), nv::SOFT);
    EXPECT_EQ(p_exit->getBox(), nv::Box(nv::Vector(-0.5f, -0.5f), 0.99f, 0.99f));
    EXPECT_EQ(ofType("VentPart").size(), 10u);
    EXPECT_EQ(ofType("Clue").size(), 2u);
    EXPECT_EQ(ofType("Vents").size(), 1u);
}

TEST_F(Level2Test, WallPiecesPutTheTopLeftOfTheirPictureOnTheirCorner) {
    const std::map<std::string, std::vector<nv::Vector>> corners = {
        {"vents1_AL", {{2, 19}}},  {"vents1_AR", {{42, 19}}},       {"vents1_BL", {{2, 10}}},
        {"vents1_BR", {{42, 10}}}, {"vents1_C", {{6, 2}, {42, 2}}}, {"vents1_DL", {{0, 0}}},
        {"vents1_DR", {{78, 0}}},  {"vents1_E", {{2, 0}}},          {"vents1_F", {{38, 22}}}};
    std::map<std::string, int> seen;
    for (nv::Object *p_o : ofType("VentPart")) {
        const VentPart *p_piece = dynamic_cast<VentPart *>(p_o);
        const std::string label = p_piece->getSpriteLabel();
        ASSERT_EQ(corners.count(label), 1u) << label;
        const nv::Box box = nv::worldBox(p_piece);
        EXPECT_EQ(box.getCorner(), corners.at(label)[static_cast<size_t>(seen[label]++)]) << label;
        const nv::Sprite *p_sprite = nv::ResourceManager::getInstance().getSprite(label);
        EXPECT_EQ(box.getHorizontal(), static_cast<float>(p_sprite->getWidth()));
        EXPECT_EQ(box.getVertical(), static_cast<float>(p_sprite->getHeight()));
        EXPECT_EQ(p_piece->getSolidness(), nv::HARD);
        EXPECT_EQ(p_piece->getPosition(), p_piece->getCorner());
    }
    EXPECT_EQ(seen["vents1_C"], 2);
}

TEST_F(Level2Test, CluesAreSoftPicturesCentredOnTheirPosition) {
    std::map<std::string, nv::Vector> where;
    for (nv::Object *p_o : ofType("Clue")) {
        const Clue *p_clue = dynamic_cast<Clue *>(p_o);
        where[p_clue->getSpriteLabel()] = p_clue->getPosition();
        EXPECT_EQ(p_clue->getSolidness(), nv::SOFT);
        EXPECT_EQ(pictureOf(p_clue), p_clue->getSpriteLabel());
    }
    EXPECT_EQ(where["clue_can"], nv::Vector(4, 8));
    EXPECT_EQ(where["clue_fork"], nv::Vector(40, 11));
}

TEST_F(Level2Test, PrisonerCrawlsOneCellEverySevenStepsWhileAKeyIsHeld) {
    Prisoner *p_prisoner = prisoner();
    ASSERT_NE(p_prisoner, nullptr);
    std::vector<int> move_steps;
    float last_y = p_prisoner->getPosition().getY();
    key(nv::W, nv::KEY_PRESSED);
    for (int i = 1; i <= 30; i++) {
        step();
        key(nv::W, nv::KEY_DOWN);
        const float y = p_prisoner->getPosition().getY();
        if (y != last_y) {
            EXPECT_EQ(y, last_y - 1) << "at step " << i;
            move_steps.push_back(i);
            last_y = y;
        }
    }
    ASSERT_GE(move_steps.size(), 4u);
    for (size_t i = 1; i < move_steps.size(); i++) {
        EXPECT_EQ(move_steps[i] - move_steps[i - 1], 7);
    }
    EXPECT_EQ(p_prisoner->getPosition().getX(), 40.0f);

    key(nv::W, nv::KEY_RELEASED);
    steps(20);
    EXPECT_EQ(p_prisoner->getPosition().getY(), last_y);
    EXPECT_EQ(p_prisoner->getDy(), 0);
}

TEST_F(Level2Test, WallsStopThePrisonerButItStillTurns) {
    Prisoner *p_prisoner = prisoner();
    ASSERT_NE(p_prisoner, nullptr);
    holdFor(nv::A, 8);
    EXPECT_EQ(p_prisoner->getPosition(), nv::Vector(40, 20));
    EXPECT_EQ(pictureOf(p_prisoner), "v_prisoner_left");
    key(nv::A, nv::KEY_RELEASED);
    holdFor(nv::S, 8);
    EXPECT_EQ(p_prisoner->getPosition(), nv::Vector(40, 20));
    EXPECT_EQ(pictureOf(p_prisoner), "v_prisoner_down");
}

TEST_F(Level2Test, PictureFollowsStraightMovesAndStaysOnDiagonals) {
    Prisoner *p_prisoner = prisoner();
    ASSERT_NE(p_prisoner, nullptr);
    p_prisoner->setPosition(nv::Vector(20, 8));
    holdFor(nv::D, 8);
    EXPECT_EQ(pictureOf(p_prisoner), "v_prisoner_right");
    holdFor(nv::S, 8);
    EXPECT_EQ(p_prisoner->getDx(), 1);
    EXPECT_EQ(p_prisoner->getDy(), 1);
    EXPECT_EQ(pictureOf(p_prisoner), "v_prisoner_right");
    key(nv::D, nv::KEY_RELEASED);
    key(nv::S, nv::KEY_RELEASED);
    holdFor(nv::A, 8);
    EXPECT_EQ(pictureOf(p_prisoner), "v_prisoner_left");
}

TEST_F(Level2Test, OppositeKeysCancelUntilOneIsReleased) {
    Prisoner *p_prisoner = prisoner();
    ASSERT_NE(p_prisoner, nullptr);
    p_prisoner->setPosition(nv::Vector(20, 8));
    key(nv::A, nv::KEY_PRESSED);
    key(nv::D, nv::KEY_PRESSED);
    EXPECT_EQ(p_prisoner->getDx(), 0);
    steps(10);
    EXPECT_EQ(p_prisoner->getPosition(), nv::Vector(20, 8));
    key(nv::A, nv::KEY_RELEASED);
    EXPECT_EQ(p_prisoner->getDx(), 1);
    step();
    EXPECT_EQ(p_prisoner->getPosition(), nv::Vector(21, 8));
}

TEST_F(Level2Test, OtherKeysAreTakenWithoutEffectAndEscapeRemovesThePrisoner) {
    Prisoner *p_prisoner = prisoner();
    ASSERT_NE(p_prisoner, nullptr);
    nv::EventKeyboard other;
    other.setKey(nv::Q);
    other.setKeyboardAction(nv::KEY_PRESSED);
    EXPECT_EQ(p_prisoner->eventHandler(&other), 1);
    EXPECT_EQ(p_prisoner->getDx(), 0);
    EXPECT_EQ(p_prisoner->getDy(), 0);
    nv::EventCollision unrelated;
    EXPECT_EQ(p_prisoner->eventHandler(&unrelated), 0);

    key(nv::ESCAPE, nv::KEY_RELEASED);
    step();
    ASSERT_NE(prisoner(), nullptr);
    key(nv::ESCAPE, nv::KEY_PRESSED);
    step();
    EXPECT_EQ(prisoner(), nullptr);
}

TEST_F(Level2Test, ReachingBothExitsBuildsTheSecondSectionAndCompletesTheLevel) {
    Prisoner *p_prisoner = prisoner();
    ASSERT_NE(p_prisoner, nullptr);
    p_prisoner->setPosition(nv::Vector(4, 6));
    key(nv::W, nv::KEY_PRESSED);
    for (int i = 0; i < 7 && p_level->getSection() == 1; i++) {
        step();
        if (p_level->getSection() == 1) {
            key(nv::W, nv::KEY_DOWN);
        }
    }
    ASSERT_EQ(p_level->getSection(), 2);

    for (const std::string &label : pieceLabels()) {
        EXPECT_EQ(label.rfind("vents2_", 0), 0u) << label << " left over from section 1";
    }
    EXPECT_EQ(ofType("VentPart").size(), 8u);
    EXPECT_EQ(ofType("Clue").size(), 2u);
    EXPECT_EQ(ofType("Vents").size(), 1u);
    ASSERT_EQ(ofType("Exit").size(), 1u);
    EXPECT_EQ(only("Exit")->getPosition(), nv::Vector(4, 22));
    Prisoner *p_second = prisoner();
    ASSERT_NE(p_second, nullptr);
    EXPECT_EQ(p_second->getPosition(), nv::Vector(72, 21));
    EXPECT_EQ(p_second->getStartX(), 72);
    EXPECT_EQ(p_controller->getState(), PLAYING);

    // A key still held from the first section means nothing to the new prisoner until its next report.
    EXPECT_EQ(p_second->getDy(), 0);
    key(nv::W, nv::KEY_DOWN);
    EXPECT_EQ(p_second->getDy(), -1);
    key(nv::W, nv::KEY_RELEASED);

    p_second->setPosition(nv::Vector(4, 19));
    holdFor(nv::S, 7);
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    EXPECT_EQ(p_controller->getTargetState(), PLAYING);
    EXPECT_EQ(p_controller->getNextLevel(), 3);
    EXPECT_TRUE(ofType("Prisoner").empty());
    EXPECT_TRUE(ofType("VentPart").empty());
}

TEST_F(Level2Test, ExitReactsOnlyToThePrisoner) {
    Exit *p_exit = dynamic_cast<Exit *>(only("Exit"));
    ASSERT_NE(p_exit, nullptr);
    nv::Object *p_clue = ofType("Clue").front();
    nv::EventCollision by_clue(p_clue, p_exit, p_exit->getPosition());
    EXPECT_EQ(p_exit->eventHandler(&by_clue), 1);
    EXPECT_EQ(p_level->getSection(), 1);
    nv::EventCollision empty;
    EXPECT_EQ(p_exit->eventHandler(&empty), 1);
    EXPECT_EQ(p_level->getSection(), 1);
    nv::EventKeyboard keyboard;
    EXPECT_EQ(p_exit->eventHandler(&keyboard), 0);

    nv::EventCollision by_prisoner(p_exit, prisoner(), p_exit->getPosition());
    EXPECT_EQ(p_exit->eventHandler(&by_prisoner), 1);
    EXPECT_EQ(p_level->getSection(), 2);
}

TEST_F(Level2Test, BoilerRunsOutAfterAbout1819StepsFreezesThePrisonerAndCapturesASecondLater) {
    int first = p_timer->getTimeLeft();
    step();
    EXPECT_EQ(first - p_timer->getTimeLeft(), 33);
    int stepped = 1;
    while (!p_timer->isBoilerOn() && stepped < 3000) {
        step();
        stepped++;
    }
    ASSERT_TRUE(p_timer->isBoilerOn());
    EXPECT_EQ(stepped, (first + 32) / 33);
    EXPECT_EQ(p_timer->getTimeLeft(), 0);
    EXPECT_EQ(p_timer->getPassOutLeft(), PASS_OUT_TIME);
    EXPECT_EQ(BoilerTimer::countdownText(p_timer->getTimeLeft()), "BOILER TURNING ON: 0s");

    Prisoner *p_prisoner = nullptr;
    nv::ObjectList everything = nv::WorldManager::getInstance().getAllObjects(true);
    for (nv::ObjectListIterator it(&everything); !it.isDone(); it.next()) {
        if (it.currentObject()->getType() == "Prisoner") {
            p_prisoner = dynamic_cast<Prisoner *>(it.currentObject());
        }
    }
    ASSERT_NE(p_prisoner, nullptr);
    EXPECT_FALSE(p_prisoner->isActive());
    const nv::Vector frozen_at = p_prisoner->getPosition();
    holdFor(nv::W, 30);
    EXPECT_EQ(p_prisoner->getPosition(), frozen_at);
    EXPECT_EQ(p_controller->getState(), PLAYING);
    step();
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    EXPECT_EQ(p_controller->getTargetState(), LOST);
    EXPECT_EQ(p_controller->getNextLevel(), 2);
    steps(2);
    EXPECT_EQ(p_controller->getState(), LOST);
    EXPECT_EQ(p_controller->getLevel(), 2);
}

TEST_F(Level2Test, BoilerCountsNominalFrameTimeAndAtLeastOneMillisecond) {
    nv::GameManager::getInstance().setFrameTime(250);
    int before = p_timer->getTimeLeft();
    step();
    EXPECT_EQ(before - p_timer->getTimeLeft(), 250);
    nv::GameManager::getInstance().setFrameTime(0);
    before = p_timer->getTimeLeft();
    step();
    EXPECT_EQ(before - p_timer->getTimeLeft(), 1);
}

TEST(BoilerCountdown, ShowsStartedSecondsYellowThenRedFromFifteen) {
    EXPECT_EQ(BoilerTimer::countdownText(60000), "BOILER TURNING ON: 60s");
    EXPECT_EQ(BoilerTimer::countdownColor(60000), nv::YELLOW);
    EXPECT_EQ(BoilerTimer::countdownText(59999), "BOILER TURNING ON: 60s");
    EXPECT_EQ(BoilerTimer::countdownText(15001), "BOILER TURNING ON: 16s");
    EXPECT_EQ(BoilerTimer::countdownColor(15001), nv::YELLOW);
    EXPECT_EQ(BoilerTimer::countdownText(15000), "BOILER TURNING ON: 15s");
    EXPECT_EQ(BoilerTimer::countdownColor(15000), nv::RED);
    EXPECT_EQ(BoilerTimer::countdownText(1), "BOILER TURNING ON: 1s");
    EXPECT_EQ(BoilerTimer::countdownColor(0), nv::RED);
}

class Level2OutsidePlayTest : public VentsFixture {};

TEST_F(Level2OutsidePlayTest, BoilerWaitsWhileTheControllerIsNotPlaying) {
    BoilerTimer *p_timer = new BoilerTimer(p_controller);
    steps(5);
    EXPECT_EQ(p_timer->getTimeLeft(), BOILER_TIME);
    BoilerTimer *p_orphan = new BoilerTimer(nullptr);
    steps(5);
    EXPECT_EQ(p_orphan->getTimeLeft(), BOILER_TIME);
    EXPECT_EQ(p_orphan->draw(), 0);
}

TEST_F(Level2OutsidePlayTest, NextSectionAfterTheLastOnlyClearsWhenNotPlaying) {
    Level2 *p_level = new Level2(p_controller);
    EXPECT_EQ(p_controller->getState(), TITLE);
    EventNextSection next_section;
    nv::WorldManager::getInstance().onEvent(&next_section);
    step();
    EXPECT_EQ(p_level->getSection(), 2);
    EXPECT_EQ(ofType("VentPart").size(), 8u);
    nv::WorldManager::getInstance().onEvent(&next_section);
    step();
    EXPECT_EQ(p_level->getSection(), 2);
    EXPECT_TRUE(ofType("VentPart").empty());
    EXPECT_TRUE(ofType("Prisoner").empty());
    EXPECT_TRUE(ofType("Exit").empty());
    EXPECT_TRUE(ofType("Clue").empty());
    EXPECT_TRUE(ofType("Vents").empty());
    EXPECT_EQ(only("BoilerTimer") != nullptr, true);
    EXPECT_EQ(p_controller->getState(), TITLE);
    EXPECT_EQ(p_level->eventHandler(&next_section), 1);
    nv::EventKeyboard other;
    EXPECT_EQ(p_level->eventHandler(&other), 0);
}

TEST_F(Level2OutsidePlayTest, VentsOfAnUnknownSectionBuildOnlyPrisonerAndExit) {
    EXPECT_EQ(Vents::build(3), nullptr);
    EXPECT_TRUE(ofType("Prisoner").empty());
    Vents *p_vents = new Vents(7, 10, 10, 20, 20);
    EXPECT_EQ(p_vents->getPosition(), nv::Vector(0, 0));
    EXPECT_EQ(p_vents->getSolidness(), nv::SPECTRAL);
    p_vents->populate();
    EXPECT_EQ(ofType("Prisoner").size(), 1u);
    EXPECT_EQ(ofType("Exit").size(), 1u);
    EXPECT_TRUE(ofType("VentPart").empty());
    EXPECT_TRUE(ofType("Clue").empty());
}

TEST_F(Level2OutsidePlayTest, AMissingWallPictureLeavesAHardPieceOfJustUnderOneCellAtTheCorner) {
    VentPart *p_piece = new VentPart("no-such-piece", nv::Vector(10, 5));
    EXPECT_EQ(p_piece->getSolidness(), nv::HARD);
    EXPECT_EQ(p_piece->getSpriteLabel(), "no-such-piece");
    const nv::Box box = nv::worldBox(p_piece);
    EXPECT_NEAR(box.getCorner().getX(), 10.0f, 0.01f);
    EXPECT_NEAR(box.getCorner().getY(), 5.0f, 0.01f);
    EXPECT_LT(box.getHorizontal(), 1.0f);
}

} // namespace
