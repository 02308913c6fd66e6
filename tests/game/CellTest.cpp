#include "GameFixture.h"

class CellTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        startLevel(1);
    }
    Player *player() const { return objects<Player>().at(0); }
};

TEST_F(CellTest, BuildsTheCellWithOnlyPicturesTheGameLoadsAndThePrisonerWalksACellEverySecondStep) {
    EXPECT_EQ(player()->getPosition().toString() + objects<Vent>().at(0)->getPosition().toString() +
                  objects("CraftingObject").at(1)->getPosition().toString(),
              "(7,12)(20,12)(40,10)");
    EXPECT_EQ(objects("CraftingObject").size() + objects("Reticle").size() + objects<Countdown>().size(), 4u);
    std::string bars;
    for (nv::Object *p_bars : objects("Bars")) {
        bars += p_bars->getPosition().toString();
    }
    EXPECT_EQ(bars, "(5,1)(14,1)(23,1)(32,1)(41,1)(50,1)(59,1)(68,1)(77,1)");
    step();
    EXPECT_EQ(columnOf(23, "LEVEL I - THE CELL"), 31);
    EXPECT_EQ(color(23, 31), 'y');
    EXPECT_EQ(nv_test::countOf(logText(), "not found"), 0) << logText();
    // A plain usable object shows no picture rather than asking for one that is not loaded.
    EXPECT_EQ((new CraftingObject())->getAnimation().getSprite(), nullptr);
    EXPECT_EQ(nv_test::countOf(logText(), "not found"), 0);

    // Keys held together for some steps, then let go, and where the prisoner ends, from the start or on from the
    // last walk ("+"): the band 3 < x < 80, 3 < y < 24, the bars and the vent stop him.
    for (const auto &[keys, steps, end] :
         {std::tuple("D", 1, "(8,12)"), std::tuple("D", 3, "(9,12)"), std::tuple("SD", 3, "(9,14)"),
          std::tuple("AD", 6, "(7,12)"), std::tuple("A", 20, "(4,12)"), std::tuple("W", 30, "(7,5)"),
          std::tuple("D", 40, "(14,12)"), std::tuple("S", 40, "(7,23)"), std::tuple("+D", 160, "(79,23)")}) {
        if (keys[0] != '+') {
            startLevel(1);
        }
        step(3);
        key(keys + (keys[0] == '+' ? 1 : 0));
        step(steps);
        key(keys + (keys[0] == '+' ? 1 : 0), nv::KEY_RELEASED);
        step(4);
        EXPECT_EQ(player()->getPosition().toString(), end) << keys << " " << steps;
    }
    // Releases of keys pressed before this prisoner existed, repeated presses and held-key reports add nothing.
    key("D", nv::KEY_RELEASED);
    key("W", nv::KEY_DOWN);
    key("SS");
    EXPECT_EQ(player()->getDx(), 0);
    EXPECT_EQ(player()->getDy(), 1);
}

TEST_F(CellTest, OnlyALeftClickUsesWhatIsUnderTheReticleAndTheVentEndsTheLevel) {
    mouse(nv::MOVED, nv::UNDEFINED_MOUSE_BUTTON, 33, 5);
    step();
    EXPECT_EQ(row(5)[33], '+');
    mouse(nv::CLICKED, nv::LEFT, 33, 5);
    mouse(nv::MOVED, nv::UNDEFINED_MOUSE_BUTTON, 20, 12);
    mouse(nv::CLICKED, nv::RIGHT, 20, 12);
    EXPECT_TRUE(objects<TextBox>().empty());
    mouse(nv::MOVED, nv::UNDEFINED_MOUSE_BUTTON, 40, 10);
    mouse(nv::CLICKED, nv::LEFT, 40, 10);
    EXPECT_EQ(objects<TextBox>().at(0)->getMessages(),
              (std::vector<std::string>{"This is a toilet.", "It is broken."}));
    // The vent's box goes with the cell in the same step, unseen, and level 2 comes two steps later.
    mouse(nv::MOVED, nv::UNDEFINED_MOUSE_BUTTON, 20, 12);
    mouse(nv::CLICKED, nv::LEFT, 20, 12);
    EXPECT_EQ(p_controller->getState(), TRANSITION);
    TextBox *p_box = objects<TextBox>("", true).at(1);
    EXPECT_EQ(p_box->getMessages(), std::vector<std::string>{"Item added to inventory."});
    EXPECT_FALSE(p_box->isVisible());
    EventEscaping escaping;
    EXPECT_EQ(objects("Level1", true).at(0)->eventHandler(&escaping), 0);
    step(2);
    EXPECT_EQ(p_controller->getLevel(), 2);
    EXPECT_EQ(p_controller->getState(), PLAYING);
}

TEST_F(CellTest, AGuardComesAfterTenSecondsStaysFiveAndTheNextComesTenAfterHeLeft) {
    Countdown *p_countdown = objects<Countdown>().at(0);
    step();
    EXPECT_FALSE(p_countdown->checkAbsence(9999999));
    EXPECT_TRUE(objects("Guard").empty());
    // The countdown starts afresh when a guard comes and again when he leaves.
    nv::Clock since_arrival;
    EXPECT_TRUE(p_countdown->checkAbsence(10000000));
    const long long waited_since_arrival = p_countdown->getWaited();
    EXPECT_LE(waited_since_arrival, since_arrival.split());
    Guard *p_guard = objects<Guard>().at(0);
    EXPECT_EQ(p_guard->getAnimation().getName() + p_guard->getPosition().toString(), "guard(50,20)");
    EXPECT_EQ(p_guard->getSolidness(), nv::HARD);
    EXPECT_FALSE(p_guard->checkVisit(4999999));
    step();
    nv::Clock since_leaving;
    EXPECT_TRUE(p_guard->checkVisit(5000000));
    const long long waited_since_leaving = p_countdown->getWaited();
    EXPECT_LE(waited_since_leaving, since_leaving.split());
    step();
    EXPECT_TRUE(objects("Guard").empty());
    EXPECT_TRUE(p_countdown->checkAbsence(10000000));
    EXPECT_EQ(objects("Guard").size(), 1u);
}
