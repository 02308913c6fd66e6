#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "LoopbackPeer.h"
#include "NetworkFixture.h"
#include "NetworkRecorder.h"
#include "core/Config.h"
#include "core/GameManager.h"
#include "network/EventNetwork.h"
#include "network/NetworkManager.h"
#include "support/TestSupport.h"

/// Runs the real game loop, headless and with networking on, from a configuration file of its own.
class NetworkGameLoop : public ::testing::Test {
protected:
    void SetUp() override {
        resetNetworkManager();
        dir = nv_test::makeTempDir("nv-network-loop");
        ASSERT_FALSE(dir.empty());
        std::ofstream(dir + "/config.txt") << "headless:true,\nnetworking:true,\nframe_time:5,\nrandom_seed:7,\n";
        ::setenv("NORVANTIS_CONFIG", (dir + "/config.txt").c_str(), 1);
        ::setenv("NORVANTIS_LOG", (dir + "/norvantis.log").c_str(), 1);
    }

    void TearDown() override {
        delete p_recorder;
        p_recorder = nullptr;
        nv_test::stopIfStarted(nv::GameManager::getInstance());
        resetNetworkManager();
        nv::Config::getInstance().reset();
        ::unsetenv("NORVANTIS_CONFIG");
        ::unsetenv("NORVANTIS_LOG");
        std::remove((dir + "/config.txt").c_str());
        std::remove((dir + "/norvantis.log").c_str());
        ::rmdir(dir.c_str());
    }

    std::string dir;
    NetworkRecorder *p_recorder = nullptr;
};

TEST_F(NetworkGameLoop, AcceptsAfterTheStepEventAndDeliversInTheStepThatIsDue) {
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    ASSERT_TRUE(network_manager.isStarted());
    ASSERT_EQ(network_manager.startServer(0), 0);
    LoopbackPeer client = LoopbackPeer::connectTo(network_manager.getServerPort());
    ASSERT_TRUE(client.valid());

    p_recorder = new NetworkRecorder({"nv-step", "nv-network-accept"});
    int accepted = -1;
    std::string seen_at_step3;
    std::string seen_at_step4;
    std::string seen_at_step5;
    p_recorder->on_network = [&](const nv::EventNetwork &event) {
        accepted = event.getSocket();
        network_manager.queueMessage("A", 1, accepted, 0);
    };
    p_recorder->on_step = [&](int step) {
        if (step == 2 && accepted >= 0) {
            network_manager.queueMessage("B", 1, accepted, 2);
            network_manager.queueMessage("C", 1, accepted, 4);
        } else if (step == 3) {
            seen_at_step3 = client.readAvailable(200);
        } else if (step == 4) {
            seen_at_step4 = client.readAvailable(50);
        } else if (step == 5) {
            seen_at_step5 = client.readAvailable(200);
        }
        if (step >= 5) {
            game_manager.setGameOver();
        }
    };
    game_manager.run();

    ASSERT_GE(p_recorder->records.size(), 2u);
    EXPECT_EQ(p_recorder->records[0].type, "nv-step");
    EXPECT_EQ(p_recorder->records[0].step, 0);
    EXPECT_EQ(p_recorder->records[1].type, "nv-network-accept");
    EXPECT_EQ(p_recorder->records[1].step, 0);
    EXPECT_GE(accepted, 0);
    EXPECT_EQ(seen_at_step3, "AB");
    EXPECT_EQ(seen_at_step4, "") << "a message due at step 4 goes after that step's event";
    EXPECT_EQ(seen_at_step5, "C");
    EXPECT_EQ(game_manager.getStepCount(), 6);
}

TEST_F(NetworkGameLoop, ShutDownClosesTheGamesConnections) {
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    ASSERT_EQ(network_manager.startServer(0), 0);
    LoopbackPeer client = LoopbackPeer::connectTo(network_manager.getServerPort());
    ASSERT_TRUE(client.valid());
    p_recorder = new NetworkRecorder({"nv-step"});
    p_recorder->on_step = [&](int step) {
        if (step >= 1) {
            game_manager.setGameOver();
        }
    };
    game_manager.run();
    EXPECT_EQ(network_manager.getNumConnections(), 1);
    delete p_recorder;
    p_recorder = nullptr;
    game_manager.shutDown();
    EXPECT_FALSE(network_manager.isStarted());
    EXPECT_EQ(network_manager.getNumConnections(), 0);
    EXPECT_TRUE(client.closedWithin(2000));
}

TEST_F(NetworkGameLoop, WithoutServerOrConnectionsTheLoopWritesNothingAboutTheNetwork) {
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    ASSERT_TRUE(nv::NetworkManager::getInstance().isStarted());
    p_recorder = new NetworkRecorder({"nv-step"});
    p_recorder->on_step = [&](int step) {
        if (step >= 3) {
            game_manager.setGameOver();
        }
    };
    game_manager.run();
    delete p_recorder;
    p_recorder = nullptr;
    game_manager.shutDown();
    std::ifstream log(dir + "/norvantis.log");
    std::string line;
    int lines = 0;
    while (std::getline(log, line)) {
        lines++;
        EXPECT_EQ(line.find("NetworkManager"), std::string::npos) << line;
    }
    EXPECT_GT(lines, 0);
}

TEST_F(NetworkGameLoop, NetworkingOffLeavesTheManagerAlone) {
    std::ofstream(dir + "/config.txt") << "headless:true,\nnetworking:false,\nframe_time:5,\n";
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    EXPECT_FALSE(nv::NetworkManager::getInstance().isStarted());
    game_manager.shutDown();
    EXPECT_FALSE(nv::NetworkManager::getInstance().isStarted());
}
