#include "GlyphcageFixture.h"

#include "Level1.h"
#include "Level3.h"
#include "Raft.h"

namespace glyphcage_test {
namespace {

using ControllerTest = GlyphcageFixture;

TEST_F(ControllerTest, StartsOnTheTitleScreenWithItsSettings) {
    EXPECT_EQ(p_controller->getType(), "Glyphcage");
    EXPECT_EQ(p_controller->getSolidness(), nv::SPECTRAL);
    EXPECT_EQ(p_controller->getAltitude(), 4);
    EXPECT_EQ(p_controller->getState(), TITLE);
    EXPECT_EQ(p_controller->getLevel(), 1);
    step();
    // Centred on (40, 9), (40, 12) and (40, 15) of the 80 x 24 screen.
    EXPECT_EQ(columnOf(9, "[ ESCAPE FROM GLYPH-CAGE ]"), 40 - 26 / 2);
    EXPECT_EQ(columnOf(12, "BEGIN YOUR SENTENCE: Enter"), 40 - 26 / 2);
    EXPECT_EQ(columnOf(15, "QUIT: Escape"), 40 - 12 / 2);
    EXPECT_EQ(colors()[9][27], 'y');
    EXPECT_EQ(colors()[12][27], 'w');
}

TEST_F(ControllerTest, EnterStartsLevelOneTwoStepsLater) {
    tap(nv::RETURN);
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    step();
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    EXPECT_TRUE(objects<Level1>().empty());
    EXPECT_FALSE(onRow(9, "ESCAPE FROM GLYPH-CAGE"));
    step();
    EXPECT_EQ(p_controller->getState(), PLAYING);
    EXPECT_EQ(p_controller->getLevel(), 1);
    EXPECT_EQ(objects<Level1>().size(), 1u);
    step();
    EXPECT_TRUE(onRow(23, "LEVEL I - THE CELL"));
}

TEST_F(ControllerTest, EnterWhilePlayingOrInTransitionChangesNothing) {
    enterLevelOne();
    Level1 *p_level = objects<Level1>().at(0);
    tap(nv::RETURN);
    step(3);
    EXPECT_EQ(p_controller->getState(), PLAYING);
    ASSERT_EQ(objects<Level1>().size(), 1u);
    EXPECT_EQ(objects<Level1>()[0], p_level);
}

TEST_F(ControllerTest, ReleasedAndHeldKeysAreIgnored) {
    key(nv::RETURN, nv::KEY_DOWN);
    key(nv::RETURN, nv::KEY_RELEASED);
    key(nv::ESCAPE, nv::KEY_DOWN);
    EXPECT_EQ(p_controller->getState(), TITLE);
    EXPECT_FALSE(nv::GameManager::getInstance().getGameOver());
}

TEST_F(ControllerTest, EscapeQuitsFromEveryScreen) {
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    auto escapeQuits = [&](const char *where) {
        game_manager.setGameOver(false);
        key(nv::ESCAPE, nv::KEY_PRESSED);
        EXPECT_TRUE(game_manager.getGameOver()) << where;
        game_manager.setGameOver(false);
    };
    escapeQuits("title");
    tap(nv::RETURN);
    escapeQuits("transition");
    step(2);
    escapeQuits("level 1");
    startLevel(2);
    escapeQuits("level 2");
    startLevel(3);
    escapeQuits("level 3");
    p_controller->changeState(LOST, 3);
    step(2);
    escapeQuits("captured");
    p_controller->changeState(WON, 3);
    step(2);
    escapeQuits("escaped");
    p_controller->setLevelCreator(0, nullptr);
    tap(nv::RETURN);
    step(2);
    ASSERT_EQ(p_controller->getState(), NOT_CONNECTED);
    escapeQuits("not connected");
}

TEST_F(ControllerTest, TransitionRemovesEverythingButTheController) {
    enterLevelOne();
    ASSERT_GT(countType("Player"), 0);
    p_controller->changeState(LOST, 1);
    EXPECT_EQ(nv::WorldManager::getInstance().getAllObjects().getCount(), 1);
    step();
    EXPECT_EQ(nv::WorldManager::getInstance().getAllObjects(true).getCount(), 1);
    EXPECT_EQ(nv::WorldManager::getInstance().getAllObjects(true)[0], p_controller);
}

TEST_F(ControllerTest, TwoRequestsInOneStepStartOnlyOneTransition) {
    enterLevelOne();
    p_controller->advanceLevel();
    p_controller->changeState(LOST, 1);
    EXPECT_EQ(p_controller->getTargetState(), PLAYING);
    EXPECT_EQ(p_controller->getNextLevel(), 2);
    step(2);
    EXPECT_EQ(p_controller->getState(), PLAYING);
    EXPECT_EQ(p_controller->getLevel(), 2);
}

TEST_F(ControllerTest, CapturedTextDependsOnlyOnTheLevel) {
    p_controller->changeState(LOST, 2);
    step(3);
    EXPECT_TRUE(onRow(9, "YOU PASSED OUT AND WERE CAPTURED!"));
    EXPECT_TRUE(onRow(12, "TRY TO ESCAPE AGAIN: Enter"));
    p_controller->changeState(LOST, 3);
    step(3);
    EXPECT_TRUE(onRow(9, "YOU CAPSIZED AND WERE CAPTURED!"));
    p_controller->changeState(LOST, 1);
    step(3);
    EXPECT_TRUE(onRow(9, "YOU CAPSIZED AND WERE CAPTURED!"));
}

TEST_F(ControllerTest, EnterOnTheCapturedOrEscapedScreenStartsAgainAtLevelOne) {
    p_controller->changeState(LOST, 3);
    step(2);
    enterLevelOne();
    EXPECT_EQ(p_controller->getLevel(), 1);
    EXPECT_EQ(objects<Level1>().size(), 1u);
    p_controller->changeState(WON, 3);
    step(3);
    EXPECT_TRUE(onRow(9, "YOU ESCAPED GLYPH-CAGE!"));
    EXPECT_TRUE(onRow(12, "TURN YOURSELF BACK IN: Enter"));
    enterLevelOne();
    EXPECT_EQ(p_controller->getState(), PLAYING);
    EXPECT_EQ(p_controller->getLevel(), 1);
}

TEST_F(ControllerTest, CompletingTheLastLevelShowsTheEscapedScreen) {
    startLevel(3);
    p_controller->advanceLevel();
    step(2);
    EXPECT_EQ(p_controller->getState(), WON);
    EXPECT_EQ(p_controller->getLevel(), 3);
}

TEST_F(ControllerTest, AnEmptyCreatorIsSkippedWhenAdvancing) {
    p_controller->setLevelCreator(1, nullptr);
    enterLevelOne();
    p_controller->advanceLevel();
    step(2);
    EXPECT_EQ(p_controller->getLevel(), 3);
    EXPECT_EQ(objects<Level3>().size(), 1u);
}

TEST_F(ControllerTest, ALevelWithoutCreatorShowsTheNotConnectedLine) {
    p_controller->setLevelCreator(0, nullptr);
    enterLevelOne();
    EXPECT_EQ(p_controller->getState(), NOT_CONNECTED);
    step();
    EXPECT_TRUE(onRow(9, "LEVEL 1 IS NOT CONNECTED YET"));
    EXPECT_TRUE(onRow(12, "BEGIN YOUR SENTENCE: Enter"));
    tap(nv::RETURN);
    EXPECT_EQ(p_controller->getState(), NOT_CONNECTED);
}

TEST_F(ControllerTest, CreatorIndexesOutsideTheTableAreIgnored) {
    p_controller->setLevelCreator(-1, createLevel1);
    p_controller->setLevelCreator(3, createLevel1);
    EXPECT_EQ(p_controller->getLevelCreator(-1), nullptr);
    EXPECT_EQ(p_controller->getLevelCreator(3), nullptr);
    EXPECT_EQ(p_controller->getLevelCreator(0), createLevel1);
}

TEST_F(ControllerTest, ATransitionResetsTheWorldAndViewToTheScreen) {
    nv::WorldManager::getInstance().setBoundary(nv::Box(nv::Vector(0, 0), 200, 50));
    enterLevelOne();
    nv::Box boundary = nv::WorldManager::getInstance().getBoundary();
    EXPECT_EQ(boundary.getHorizontal(), 80);
    EXPECT_EQ(boundary.getVertical(), 24);
    EXPECT_TRUE(nv::WorldManager::getInstance().getView() == boundary);
}

} // namespace
} // namespace glyphcage_test
