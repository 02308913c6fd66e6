#include <fstream>

#include "NetworkFixture.h"
#include "core/Config.h"
#include "core/GameManager.h"

/// Runs the real game loop, headless, from a configuration file of its own and with the log in the test's file.
class NetworkLoop : public Network {
protected:
    void SetUp() override {
        Network::SetUp();
        nm.shutDown();
        config_path = nv_test::makeTempFile("nv-network-config");
        ::setenv("NORVANTIS_CONFIG", config_path.c_str(), 1);
    }
    void TearDown() override {
        Network::TearDown();
        nv_test::stopIfStarted(game);
        nv::Config::getInstance().reset();
        ::unsetenv("NORVANTIS_CONFIG");
        std::remove(config_path.c_str());
    }
    void start(const std::string &config) {
        std::ofstream(config_path) << "headless:true,\nframe_time:5,\n" << config;
        nv_test::stopIfStarted(nv::LogManager::getInstance());
        ASSERT_EQ(game.startUp(), 0);
    }
    /// Runs the loop until the step event of last_step.
    void runTo(int last_step, const std::function<void(int)> &on_step) {
        Recorder *p_recorder = recorder({nv::STEP_EVENT});
        p_recorder->on_step = [&](int step) {
            on_step(step);
            if (step >= last_step) {
                game.setGameOver();
            }
        };
        game.run();
    }

    nv::GameManager &game = nv::GameManager::getInstance();
    std::string config_path;
};

TEST_F(NetworkLoop, AcceptsAfterTheStepEventDeliversInTheDueStepAndClosesAtShutDown) {
    start("networking:true,\n");
    ASSERT_EQ(nm.startServer(0), 0);
    Peer client(nm.getServerPort());
    int stepped = -1;
    Recorder *p_accepts = recorder({nv::NETWORK_ACCEPT_EVENT});
    p_accepts->on_network = [&](const nv::EventNetwork &event) {
        EXPECT_EQ(stepped, 0) << "accepted in step 0, after its step event";
        nm.queueMessage("A", 1, event.getSocket(), 0);
    };
    std::string seen[6];
    runTo(5, [&](int step) {
        stepped = step;
        if (step == 2) {
            nm.queueMessage("B", 1, nm.getSocket(0), 2);
            nm.queueMessage("C", 1, nm.getSocket(0), 4);
        } else if (step >= 3) {
            seen[step] = client.read(3, step == 4 ? 50 : 200);
        }
    });
    EXPECT_EQ(p_accepts->records.size(), 1u);
    EXPECT_EQ(seen[3], "AB");
    EXPECT_EQ(seen[4], "") << "a message due at step 4 goes after that step's event";
    EXPECT_EQ(seen[5], "C");
    dropRecorders();
    game.shutDown();
    EXPECT_EQ(nm.getNumConnections(), 0);
    EXPECT_TRUE(client.closedWithin(2000));
}

TEST_F(NetworkLoop, WithNothingToServeTheLoopWritesNothingAboutTheNetwork) {
    for (bool networking : {true, false}) {
        start(networking ? "networking:true,\n" : "networking:false,\n");
        EXPECT_EQ(nm.isStarted(), networking);
        runTo(3, [](int) {});
        dropRecorders();
        game.shutDown();
        EXPECT_FALSE(nm.isStarted());
        EXPECT_NE(nv_test::fileText(log_path), "") << "the log is this test's";
        EXPECT_FALSE(logged("NetworkManager"));
    }
}
