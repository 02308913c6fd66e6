#include "DisplayTestSupport.h"

#include <cstdlib>
#include <functional>

#include "core/EventStep.h"
#include "display/Splash.h"
#include "display/SplashNorvantis.h"
#include "input/EventKeyboard.h"
#include "input/InputManager.h"
#include "world/ObjectList.h"

namespace {

/// Runs a hook on every step event it receives.
class StepHook : public nv::Object {
public:
    explicit StepHook(std::function<void(int)> new_hook) : hook(std::move(new_hook)) {
        setSolidness(nv::SPECTRAL);
        setVisible(false);
        registerInterest(nv::STEP_EVENT);
    }
    int eventHandler(const nv::Event *p_e) override {
        if (p_e->getType() != nv::STEP_EVENT)
            return 0;
        hook(steps++);
        return 1;
    }

private:
    std::function<void(int)> hook;
    int steps = 0;
};

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override {
        stopAll();
        char dir[] = "/tmp/nv-splash-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        folder = dir;
        config_path = folder + "/nv-config.txt";
        log_path = folder + "/norvantis.log";
        std::ofstream(config_path) << "headless:true,\nnetworking:false,\nfont_file:" << display_test::FONT_PATH
                                   << ",\n";
        setenv("NORVANTIS_CONFIG", config_path.c_str(), 1);
        setenv("NORVANTIS_LOG", log_path.c_str(), 1);
    }
    void TearDown() override {
        stopAll();
        unsetenv("NORVANTIS_CONFIG");
        unsetenv("NORVANTIS_LOG");
        std::remove(config_path.c_str());
        std::remove(log_path.c_str());
        std::remove(folder.c_str());
    }
    static void stopAll() {
        nv::GameManager &game_manager = nv::GameManager::getInstance();
        if (game_manager.isStarted())
            game_manager.shutDown();
        game_manager.setGameOver(false);
        game_manager.setFrameTime(nv::FRAME_TIME_DEFAULT);
        display_test::resetDisplay();
        nv::LogManager &log = nv::LogManager::getInstance();
        if (log.isStarted())
            log.shutDown();
    }
    void startGame() {
        ASSERT_EQ(nv::GameManager::getInstance().startUp(), 0);
        nv::DisplayManager::getInstance().setCapture(true);
    }
    static int countOfType(const std::string &type) {
        int n = 0;
        const nv::ObjectList all = nv::WorldManager::getInstance().getAllObjects(true);
        for (int i = 0; i < all.getCount(); i++)
            if (all[i]->getType() == type)
                n++;
        return n;
    }
    std::string logText() const {
        std::ifstream in(log_path);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    std::string folder;
    std::string config_path;
    std::string log_path;
};

TEST_F(SplashTest, RefusedBeforeTheGameManagerStarts) {
    nv::WorldManager::getInstance().startUp();
    EXPECT_EQ(nv::splash(), -1);
    EXPECT_EQ(nv::WorldManager::getInstance().getAllObjects(true).getCount(), 0);
}

TEST_F(SplashTest, TitleStartsBeyondTheRightEdgeAndSlidesLeft) {
    startGame();
    auto *p_title = new nv::Splash;
    EXPECT_FLOAT_EQ(p_title->getPosition().getX(), 103.5f);
    EXPECT_FLOAT_EQ(p_title->getPosition().getY(), 12.0f);
    EXPECT_FLOAT_EQ(p_title->getVelocity().getX(), -4.65625f);
    EXPECT_FLOAT_EQ(p_title->getVelocity().getY(), 0.0f);
    EXPECT_EQ(p_title->getBox(), nv::Box(nv::Vector(-23.5f, -4), 47, 8));
    EXPECT_EQ(p_title->getAnimation().getSlowdownCount(), -1);
    ASSERT_NE(p_title->getAnimation().getSprite(), nullptr);
    EXPECT_EQ(p_title->getAnimation().getSprite()->getFrameCount(), 2);
    EXPECT_EQ(p_title->getAnimation().getSprite()->getFrame(1).getString().size(), 47u * 8u);
}

TEST_F(SplashTest, InsectStartsSixRowsBelowAndRisesInThirtySteps) {
    startGame();
    auto *p_insect = new nv::SplashNorvantis(nv::Vector(57.7f, 13));
    EXPECT_FLOAT_EQ(p_insect->getPosition().getX(), 57.7f);
    EXPECT_FLOAT_EQ(p_insect->getPosition().getY(), 30.0f);
    EXPECT_FLOAT_EQ(p_insect->getVelocity().getY(), -17.0f / 30.0f);
    EXPECT_EQ(p_insect->getBox(), nv::Box(nv::Vector(-5.5f, -3.5f), 11, 7));
    EXPECT_EQ(p_insect->getAnimation().getSprite()->getSlowdown(), 2);
}

TEST_F(SplashTest, RunsNinetyStepsAndLeavesNothingBehind) {
    startGame();
    std::vector<std::string> at_step_40;
    new StepHook([&](int step) {
        if (step == 40)
            at_step_40 = nv::DisplayManager::getInstance().getShown().toRows(80, 24);
    });
    EXPECT_EQ(nv::splash(), 0);
    EXPECT_EQ(nv::GameManager::getInstance().getStepCount(), 90);
    EXPECT_EQ(countOfType("Splash"), 0);
    EXPECT_EQ(countOfType("SplashNorvantis"), 0);
    // Mid-way the blocky name rests on screen and the insect hovers beside it.
    std::string screen;
    for (const std::string &row : at_step_40)
        screen += row + "\n";
    EXPECT_NE(screen.find("####"), std::string::npos) << screen;
    EXPECT_NE(screen.find("(O)"), std::string::npos) << screen;
}

TEST_F(SplashTest, FirstKeyPressEndsItWithinTheStep) {
    startGame();
    new StepHook([](int step) {
        if (step == 0) {
            nv::EventKeyboard key;
            key.setKey(nv::SPACE);
            key.setKeyboardAction(nv::KEY_PRESSED);
            nv::InputManager::getInstance().onEvent(&key);
        }
    });
    EXPECT_EQ(nv::splash(), 0);
    EXPECT_EQ(nv::GameManager::getInstance().getStepCount(), 1);
    EXPECT_EQ(countOfType("Splash"), 0);
}

TEST_F(SplashTest, KeyWhileInsectFliesEndsBoth) {
    startGame();
    nv::GameManager::getInstance().setFrameTime(2);
    new StepHook([](int step) {
        if (step == 20) {
            nv::EventKeyboard key;
            key.setKey(nv::A);
            key.setKeyboardAction(nv::KEY_PRESSED);
            nv::InputManager::getInstance().onEvent(&key);
        }
    });
    EXPECT_EQ(nv::splash(), 0);
    EXPECT_EQ(nv::GameManager::getInstance().getStepCount(), 21);
    EXPECT_EQ(countOfType("Splash"), 0);
    EXPECT_EQ(countOfType("SplashNorvantis"), 0);
}

} // namespace
