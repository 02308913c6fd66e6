#include <fstream>

#include "NetworkFixture.h"
#include "core/Config.h"

/// Runs the real game loop, headless, from a configuration file of its own, with the log in the test's file.
class NetworkLoop : public Network {
protected:
    void SetUp() override {
        Network::SetUp();
        nm.shutDown();
        ::setenv("NORVANTIS_CONFIG", config_path.c_str(), 1);
    }
    void TearDown() override {
        Network::TearDown();
        nv_test::stopIfStarted(game);
        nv::Config::getInstance().reset();
        ::unsetenv("NORVANTIS_CONFIG");
        std::remove(config_path.c_str());
    }
    /// Starts the game with networking on or off and runs it until the step event of last_step.
    void run(bool networking, int last_step, const std::function<void(int)> &on_step) {
        std::ofstream(config_path) << "headless:true,\nframe_time:5,\nnetworking:" << (networking ? "true" : "false");
        nv_test::stopIfStarted(nv::LogManager::getInstance());
        ASSERT_EQ(game.startUp(), 0);
        ASSERT_EQ(nm.isStarted(), networking);
        recorder({nv::STEP_EVENT})->on_step = [&](int step) {
            on_step(step);
            game.setGameOver(step >= last_step);
        };
        game.run();
        dropRecorders();
        game.shutDown();
        EXPECT_FALSE(nm.isStarted());
    }

    nv::GameManager &game = nv::GameManager::getInstance();
    std::string config_path = nv_test::makeTempFile("nv-network-config");
};

TEST_F(NetworkLoop, AcceptsAfterTheStepEventDeliversInTheDueStepAndClosesAtShutDown) {
    int accepted = -1;
    std::string seen[6];
    run(true, 5, [&](int step) {
        if (step == 0) {
            dial();
            recorder({nv::NETWORK_ACCEPT_EVENT})->on_network = [&](const nv::EventNetwork &event) {
                accepted = event.getSocket();
                nm.queueMessage("A", 1, accepted, 0);
            };
        } else if (step == 2) {
            nm.queueMessage("B", 1, accepted, 2);
            nm.queueMessage("C", 1, accepted, 4);
        } else if (step >= 3) {
            seen[step] = readFrom(peers[0], 3, step == 4 ? 50 : 200);
        }
    });
    EXPECT_EQ(seen[3], "AB") << "accepted in step 0, after its step event";
    EXPECT_EQ(seen[4], "") << "a message due at step 4 goes after that step's event";
    EXPECT_EQ(seen[5], "C");
    EXPECT_TRUE(closedWithin(peers[0]));
}

TEST_F(NetworkLoop, WithNothingToServeTheLoopWritesNothingAboutTheNetwork) {
    for (bool networking : {true, false}) {
        run(networking, 3, [&](int) { nm.stopServer(); });
        EXPECT_NE(nv_test::fileText(log_path), "") << "the log is this test's";
        EXPECT_FALSE(logged("NetworkManager"));
    }
}
