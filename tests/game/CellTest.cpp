#include "GlyphcageFixture.h"

#include "Bars.h"
#include "Countdown.h"
#include "CraftingObject.h"
#include "EventEscaping.h"
#include "Level1.h"
#include "Level2.h"
#include "Player.h"
#include "Reticle.h"
#include "TextBox.h"
#include "Toilet.h"
#include "Vent.h"

namespace glyphcage_test {
namespace {

class CellTest : public GlyphcageFixture {
protected:
    void SetUp() override {
        GlyphcageFixture::SetUp();
        enterLevelOne();
        ASSERT_EQ(objects<Player>().size(), 1u);
        p_player = objects<Player>()[0];
    }

    Player *p_player = nullptr;
};

TEST_F(CellTest, BuildsTheCell) {
    EXPECT_EQ(p_player->getPosition(), nv::Vector(7, 12));
    EXPECT_EQ(objects<Reticle>().size(), 1u);
    ASSERT_EQ(objects<Vent>().size(), 1u);
    EXPECT_EQ(objects<Vent>()[0]->getType(), "CraftingObject");
    EXPECT_EQ(objects<Vent>()[0]->getPosition(), nv::Vector(20, 12));
    ASSERT_EQ(objects<Toilet>().size(), 1u);
    EXPECT_EQ(objects<Toilet>()[0]->getType(), "CraftingObject");
    EXPECT_EQ(objects<Toilet>()[0]->getPosition(), nv::Vector(40, 10));
    EXPECT_EQ(objects<Countdown>().size(), 1u);
    std::vector<Bars *> bars = objects<Bars>();
    ASSERT_EQ(bars.size(), 9u);
    for (std::size_t k = 0; k < bars.size(); k++) {
        EXPECT_EQ(bars[k]->getPosition(), nv::Vector(5.0f + 9.0f * static_cast<float>(k), 1)) << k;
    }
    Level1 *p_level = objects<Level1>().at(0);
    EXPECT_FALSE(p_level->isVisible());
    EXPECT_EQ(p_level->getSolidness(), nv::SPECTRAL);
    step();
    EXPECT_EQ(columnOf(23, "LEVEL I - THE CELL"), 40 - 18 / 2);
    EXPECT_EQ(colors()[23][31], 'y');
}

TEST_F(CellTest, PlayerWalksOneCellEveryOtherStepWhileAKeyIsHeld) {
    step(3);
    key(nv::D, nv::KEY_PRESSED);
    step();
    EXPECT_EQ(p_player->getPosition().getX(), 8);
    step();
    EXPECT_EQ(p_player->getPosition().getX(), 8);
    step();
    EXPECT_EQ(p_player->getPosition().getX(), 9);
    key(nv::D, nv::KEY_RELEASED);
    step(4);
    EXPECT_EQ(p_player->getPosition().getX(), 9);
}

TEST_F(CellTest, PlayerMovesDiagonallyWithKeysOfBothAxes) {
    key(nv::S, nv::KEY_PRESSED);
    key(nv::D, nv::KEY_PRESSED);
    step(4);
    EXPECT_EQ(p_player->getPosition(), nv::Vector(9, 14));
}

TEST_F(CellTest, OppositeKeysCancel) {
    key(nv::A, nv::KEY_PRESSED);
    key(nv::D, nv::KEY_PRESSED);
    EXPECT_EQ(p_player->getDx(), 0);
    step(6);
    EXPECT_EQ(p_player->getPosition(), nv::Vector(7, 12));
    key(nv::A, nv::KEY_RELEASED);
    EXPECT_EQ(p_player->getDx(), 1);
}

TEST_F(CellTest, PlayerStaysOffColumnThreeAndTheFarEdges) {
    key(nv::A, nv::KEY_PRESSED);
    step(20);
    EXPECT_EQ(p_player->getPosition().getX(), 4);
    key(nv::A, nv::KEY_RELEASED);
    key(nv::S, nv::KEY_PRESSED);
    step(40);
    EXPECT_EQ(p_player->getPosition().getY(), 23);
    key(nv::S, nv::KEY_RELEASED);
    key(nv::D, nv::KEY_PRESSED);
    step(160);
    EXPECT_EQ(p_player->getPosition(), nv::Vector(79, 23));
}

TEST_F(CellTest, TheWindowBarsKeepThePrisonerBelowThem) {
    key(nv::W, nv::KEY_PRESSED);
    step(30);
    // Row 4 is inside the band, but a three-row prisoner there would touch the bars' bottom edge.
    EXPECT_EQ(p_player->getPosition().getY(), 5);
}

TEST_F(CellTest, AReleaseOfAKeyPressedBeforeTheLevelDoesNotMakeThePrisonerDrift) {
    key(nv::D, nv::KEY_RELEASED);
    key(nv::W, nv::KEY_RELEASED);
    EXPECT_EQ(p_player->getDx(), 0);
    EXPECT_EQ(p_player->getDy(), 0);
    step(10);
    EXPECT_EQ(p_player->getPosition(), nv::Vector(7, 12));
}

TEST_F(CellTest, HeldKeyEventsAndOtherKeysChangeNothing) {
    key(nv::D, nv::KEY_DOWN);
    key(nv::Q, nv::KEY_PRESSED);
    key(nv::D, nv::KEY_PRESSED);
    key(nv::D, nv::KEY_PRESSED);
    EXPECT_EQ(p_player->getDx(), 1);
    EXPECT_EQ(p_player->getDy(), 0);
}

TEST_F(CellTest, TheVentBlocksThePrisoner) {
    key(nv::D, nv::KEY_PRESSED);
    step(40);
    // Both pictures are whole cells and edges count, so the prisoner stops with a one-cell gap.
    EXPECT_LT(p_player->getPosition().getX(), 16);
    EXPECT_GE(p_player->getPosition().getX(), 13);
}

TEST_F(CellTest, ReticleFollowsTheMouseAndDrawsAPlus) {
    mouse(nv::MOVED, nv::UNDEFINED_MOUSE_BUTTON, 33, 5);
    Reticle *p_reticle = objects<Reticle>().at(0);
    EXPECT_EQ(p_reticle->getPosition(), nv::Vector(33, 5));
    step();
    EXPECT_EQ(screen()[5][33], '+');
}

TEST_F(CellTest, AClickOnTheVentsCellLeadsToLevelTwoTwoStepsLater) {
    clickAt(20, 12);
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    EXPECT_EQ(p_controller->getNextLevel(), 2);
    step();
    EXPECT_TRUE(objects<Level2>().empty());
    EXPECT_EQ(countType("TextBox"), 0);
    step();
    EXPECT_EQ(p_controller->getState(), PLAYING);
    EXPECT_EQ(p_controller->getLevel(), 2);
    EXPECT_EQ(objects<Level2>().size(), 1u);
    EXPECT_TRUE(objects<Player>().empty());
}

TEST_F(CellTest, ClicksOnTheFloorAndOtherButtonsDoNothing) {
    clickAt(60, 18);
    mouse(nv::MOVED, nv::UNDEFINED_MOUSE_BUTTON, 20, 12);
    mouse(nv::CLICKED, nv::RIGHT, 20, 12);
    mouse(nv::CLICKED, nv::MIDDLE, 20, 12);
    mouse(nv::PRESSED, nv::LEFT, 20, 12);
    EXPECT_EQ(p_controller->getState(), PLAYING);
    EXPECT_EQ(countType("TextBox"), 0);
}

TEST_F(CellTest, TheToiletShowsTwoMessagesAndTheLevelGoesOn) {
    clickAt(40, 10);
    ASSERT_EQ(objects<TextBox>().size(), 1u);
    TextBox *p_box = objects<TextBox>()[0];
    EXPECT_EQ(p_box->getMessages(), (std::vector<std::string>{"This is a toilet.", "It is broken."}));
    step(30);
    EXPECT_TRUE(onRow(15, "* This is a toilet."));
    tap(nv::Z);
    step(30);
    EXPECT_TRUE(onRow(15, "* It is broken."));
    EXPECT_EQ(p_controller->getState(), PLAYING);
    clickAt(40, 10);
    EXPECT_EQ(objects<TextBox>().size(), 2u);
}

TEST_F(CellTest, APlainUsableObjectReportsTheItemAndEscapes) {
    CraftingObject *p_object = new CraftingObject();
    EXPECT_EQ(p_object->getPosition(), nv::Vector(20, 12));
    EXPECT_EQ(p_object->getType(), "CraftingObject");
    EXPECT_NE(logText().find("Sprite 'toothbrush' not found"), std::string::npos);
    p_object->interact();
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    // The box is taken down with the rest of the cell in the same step, so it is never seen.
    std::vector<TextBox *> boxes;
    nv::ObjectList all = nv::WorldManager::getInstance().getAllObjects(true);
    for (nv::ObjectListIterator it(&all); !it.isDone(); it.next()) {
        if (TextBox *p_box = dynamic_cast<TextBox *>(it.currentObject())) {
            boxes.push_back(p_box);
        }
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->getMessages(), (std::vector<std::string>{"Item added to inventory."}));
    EXPECT_FALSE(boxes[0]->isVisible());
}

TEST_F(CellTest, AnEscapeEventOutsideOfPlayIsIgnored) {
    p_controller->changeState(LOST, 1);
    Level1 *p_level = new Level1(p_controller);
    EventEscaping escaping;
    EXPECT_EQ(p_level->eventHandler(&escaping), 0);
    EXPECT_EQ(p_controller->getTargetState(), LOST);
}

} // namespace
} // namespace glyphcage_test
