#include "DisplayTestSupport.h"

#include <map>

#include "core/EventStep.h"
#include "display/Splash.h"
#include "input/EventKeyboard.h"
#include "input/InputManager.h"

using display_test::DisplayTest;
using nv::Vector;

namespace {

TEST_F(DisplayTest, SplashTitleStopsInsectLandsAndAKeyEndsIt) {
    nv::GameManager &game = nv::GameManager::getInstance();
    nv::WorldManager &world = nv::WorldManager::getInstance();
    EXPECT_EQ(nv::splash() * 10 + world.getAllObjects(true).getCount(), -10) << "refused before the game starts";
    log.reset();
    display_test::resetDisplay();
    const nv_test::TempDir dir("nv-splash");
    const nv_test::ScopedEnv config(
        "NORVANTIS_CONFIG", dir.write("config", "headless:true,\nfont_file:" + display_test::FONT_PATH + ",\n"));
    const nv_test::ScopedEnv log_file("NORVANTIS_LOG", dir.file("log"));
    // Whatever fails below, the game stops before its folder goes.
    const std::unique_ptr<nv::GameManager, void (*)(nv::GameManager *)> stop(
        &game, [](nv::GameManager *p_game) { nv_test::stopIfStarted(*p_game); });
    ASSERT_EQ(game.startUp(), 0);
    dm().setCapture(true);
    std::map<std::string, std::vector<Vector>> seen; // where each splash object is at the start of each step
    std::string screen_at_40;
    int key_step = -1;
    nv::Box insect_box;
    auto *p_hook = new world_test::Probe; // sees each step before the splash objects made after it
    p_hook->registerInterest(nv::STEP_EVENT);
    p_hook->on_event = [&](const nv::Event *p_e) {
        const int step = static_cast<const nv::EventStep *>(p_e)->getStepCount();
        const nv::ObjectList all = world.getAllObjects(true);
        for (int i = 0; i < all.getCount(); i++)
            if (all[i] != p_hook) {
                seen[all[i]->getType() + (all[i]->isSolid() ? " solid" : "")].push_back(all[i]->getPosition());
                insect_box = all[i]->getType() == "SplashNorvantis" ? all[i]->getBox() : insect_box;
            }
        for (const std::string &row : step == 40 ? dm().getShown().toRows(80, 24) : std::vector<std::string>())
            screen_at_40 += row + "\n";
        nv::EventKeyboard key;
        if (step == key_step)
            nv::InputManager::getInstance().onEvent(&key);
    };
    new nv::Splash; // at the default frame time; then the loop runs without sleeping
    game.setFrameTime(0);
    game.run();
    // The title slides 4.65625 spaces per step from just beyond the right edge and stops after 14 moves.
    const std::vector<Vector> &title = seen["Splash"];
    ASSERT_EQ(title.size(), 90u);
    EXPECT_EQ(title[0], Vector(103.5f, 12));
    EXPECT_EQ(title[14], Vector(103.5f - 14 * 4.65625f, 12));
    EXPECT_EQ(title.back(), title[14]);
    // The insect starts six rows below the screen under the name's right end, rises to the row below the title's
    // in 30 steps, and settles one space left as it folds its wings.
    const std::vector<Vector> &insect = seen["SplashNorvantis"];
    ASSERT_EQ(insect.size(), 75u);
    EXPECT_EQ(insect[0], Vector(title[14].getX() + 24, 30 - 17.0f / 30));
    EXPECT_NEAR(insect[30].getY(), 13, 1e-4);
    EXPECT_EQ(insect[44], insect[30]);
    EXPECT_EQ(insect.back(), insect[30] - Vector(1, 0));
    EXPECT_EQ(insect_box, nv::Box(Vector(-4.5f, -3), 9, 6)) << "the smaller resting picture";
    // Mid-way the blocky name rests on screen and the insect hovers beside it.
    EXPECT_NE(screen_at_40.find("#  #  ##  ###"), std::string::npos) << screen_at_40;
    EXPECT_NE(screen_at_40.find("(O)"), std::string::npos) << screen_at_40;
    key_step = 20;
    EXPECT_EQ(nv::splash(), 0);
    EXPECT_EQ(game.getStepCount() * 10 + world.getAllObjects(true).getCount(), 211) << "only the hook is left";
    EXPECT_EQ(seen.size(), 2u) << "nothing else was made, and both are spectral";
}

} // namespace
