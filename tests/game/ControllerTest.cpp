#include "GameFixture.h"

using ControllerTest = GameTest;

TEST_F(ControllerTest, EachScreenShowsItsLinesAndAnswersEnterAndEscapeAndLevelsFollowInTurn) {
    const struct {
        int state, level;
        std::string line1, line2;
    } screens[] = {
        {TITLE, 1, "[ ESCAPE FROM GLYPH-CAGE ]", "BEGIN YOUR SENTENCE: Enter"},
        {LOST, 2, "YOU PASSED OUT AND WERE CAPTURED!", "TRY TO ESCAPE AGAIN: Enter"},
        {LOST, 3, "YOU CAPSIZED AND WERE CAPTURED!", "TRY TO ESCAPE AGAIN: Enter"},
        {LOST, 1, "YOU CAPSIZED AND WERE CAPTURED!", "TRY TO ESCAPE AGAIN: Enter"},
        {WON, 3, "YOU ESCAPED GLYPH-CAGE!", "TURN YOURSELF BACK IN: Enter"},
        {NOT_CONNECTED, 1, "LEVEL 1 IS NOT CONNECTED YET", "BEGIN YOUR SENTENCE: Enter"},
    };
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    nv::WorldManager::getInstance().setBoundary(nv::Box(nv::Vector(0, 0), 200, 50));
    for (const auto &screen : screens) {
        // A level without a creator shows the not-connected screen.
        p_controller->setLevelCreator(0, screen.state == NOT_CONNECTED ? nullptr : createLevel1);
        if (screen.state != TITLE) {
            p_controller->changeState(screen.state == NOT_CONNECTED ? PLAYING : screen.state, screen.level);
            step(2);
        }
        step();
        const int centred = 40 - static_cast<int>(screen.line1.size()) / 2;
        EXPECT_EQ(columnOf(9, screen.line1), centred) << screen.line1;
        EXPECT_EQ(color(9, centred), 'y') << screen.line1;
        EXPECT_EQ(columnOf(12, screen.line2), 40 - static_cast<int>(screen.line2.size()) / 2) << screen.line1;
        EXPECT_EQ(color(12, 27), 'w');
        EXPECT_EQ(columnOf(15, "QUIT: Escape"), 34);
        key("\x1b\n", nv::KEY_DOWN);
        key("\n", nv::KEY_RELEASED);
        key("\x1b");
        EXPECT_TRUE(game_manager.getGameOver()) << screen.line1;
        game_manager.setGameOver(false);
        key("\n");
        EXPECT_EQ(p_controller->getState(), screen.state == NOT_CONNECTED ? NOT_CONNECTED : TRANSITION);
        // A transition takes every object but the controller out of play at once and ends two steps later with
        // the world and view the screen's size; Escape works during it.
        EXPECT_EQ(objects().size(), 1u);
        key("\x1b");
        EXPECT_TRUE(game_manager.getGameOver());
        game_manager.setGameOver(false);
        step(2);
        EXPECT_EQ(p_controller->getLevel(), 1);
        EXPECT_EQ(nv::WorldManager::getInstance().getView(), nv::Box(nv::Vector(0, 0), 80, 24));
    }

    // From a level, with one creator left empty (-1: none), to the state and level that follow.
    for (const auto &[from, empty, state, level] :
         {std::tuple(1, -1, PLAYING, 2), std::tuple(2, -1, PLAYING, 3), std::tuple(3, -1, WON, 3),
          std::tuple(1, 1, PLAYING, 3), std::tuple(2, 2, WON, 2)}) {
        connectLevels(p_controller);
        p_controller->setLevelCreator(empty, nullptr);
        startLevel(from);
        key("\n");
        p_controller->advanceLevel();
        p_controller->changeState(LOST, from);
        step(2);
        EXPECT_EQ(p_controller->getState() * 10 + p_controller->getLevel(), state * 10 + level) << from << empty;
    }
}

class PlayThroughTest : public GameTest {
protected:
    Glyphcage *makeController() override { return p_pilot = new AutoPilot(dir + "/shots"); }
    AutoPilot *p_pilot = nullptr;
};

TEST_F(PlayThroughTest, CrawlsBothSectionsSurvivesTheSeaAndEscapesWithoutAMissingResource) {
    loadSounds();
    EXPECT_EQ(nv::ResourceManager::getInstance().getSpriteCount() + nv::ResourceManager::getInstance().getSoundCount(),
              38);
    int seen_level = 0;
    bool crawled_section_two = false;
    for (int taken = 0; !nv::GameManager::getInstance().getGameOver() && taken < 6000; taken++) {
        step();
        if (p_controller->getState() == PLAYING && p_controller->getLevel() > seen_level) {
            EXPECT_EQ(p_controller->getLevel(), ++seen_level);
        }
        for (Level2 *p_level : objects<Level2>()) {
            crawled_section_two = crawled_section_two || p_level->getSection() == 2;
        }
    }
    EXPECT_TRUE(crawled_section_two);
    EXPECT_LT(p_pilot->getRaftHits(), RAFT_INTEGRITY);
    EXPECT_EQ(p_pilot->summary().rfind("Autoplay: reached level 3 of 3, outcome: YOU ESCAPED GLYPH-CAGE!, steps: ", 0),
              0u);
    EXPECT_EQ(p_pilot->saveScreenshots(), 6);
    EXPECT_NE(nv_test::fileText(dir + "/shots/6-final.txt").find("YOU ESCAPED GLYPH-CAGE!"), std::string::npos);
    EXPECT_EQ(nv_test::countOf(logText(), "not found"), 0) << logText();
}
