#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include "NetworkFixture.h"
#include "network/NetworkManager.h"

using NetworkManagerLife = NetworkFixture;

TEST_F(NetworkManagerLife, StartsNotAServerWithNothingConnected) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    EXPECT_EQ(network_manager.getType(), "NetworkManager");
    EXPECT_FALSE(network_manager.isServer());
    EXPECT_EQ(network_manager.getServerPort(), -1);
    EXPECT_FALSE(network_manager.isConnected());
    EXPECT_EQ(network_manager.getNumConnections(), 0);
    EXPECT_EQ(network_manager.getMaxConnections(), 3);
}

TEST_F(NetworkManagerLife, SecondStartUpReturnsMinusOneAndStaysStarted) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    EXPECT_EQ(network_manager.startUp(), -1);
    EXPECT_TRUE(network_manager.isStarted());
}

TEST_F(NetworkManagerLife, StartUpReturnsOneWhenNoSocketCanBeMade) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    network_manager.shutDown();
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    // Every descriptor below the lowest free one is in use, so a limit there leaves none to make.
    int lowest_free = ::dup(2);
    ASSERT_GE(lowest_free, 0);
    ::close(lowest_free);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(lowest_free);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    int result = network_manager.startUp();
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(network_manager.isStarted());
}

TEST_F(NetworkManagerLife, ShutDownClosesEveryConnectionAndTheServer) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    NetworkRecorder *p_recorder = recorder({"nv-network-close"});
    int port = serve();
    ASSERT_GT(port, 0);
    LoopbackPeer first, second;
    ASSERT_GE(acceptPeer(port, first), 0);
    ASSERT_GE(acceptPeer(port, second), 0);
    network_manager.shutDown();
    EXPECT_FALSE(network_manager.isStarted());
    EXPECT_FALSE(network_manager.isServer());
    EXPECT_EQ(network_manager.getNumConnections(), 0);
    EXPECT_EQ(p_recorder->records.size(), 2u);
    EXPECT_TRUE(first.closedWithin(2000));
    EXPECT_TRUE(second.closedWithin(2000));
    EXPECT_FALSE(LoopbackPeer::connectTo(port).valid());
}

TEST_F(NetworkManagerLife, ServerAndClientNeedTheManagerStarted) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    network_manager.shutDown();
    EXPECT_EQ(network_manager.startServer(0), -1);
    EXPECT_EQ(network_manager.connect("127.0.0.1", 1), -1);
    EXPECT_FALSE(network_manager.isServer());
}

TEST(NetworkManagerValid, AcceptsTheElevenNetworkTypes) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    for (const char *type : {"nv-network", "nv-keyboard-network", "nv-mouse-network", "nv-network-accept",
                             "nv-network-close", "nv-network-connect", "nv-network-create", "nv-custom-network",
                             "nv-network-delete", "nv-network-game-over", "nv-network-sync"}) {
        EXPECT_TRUE(network_manager.isValid(type)) << type;
    }
}

TEST(NetworkManagerValid, RefusesEveryOtherType) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    EXPECT_FALSE(network_manager.isValid("nv-step"));
    EXPECT_FALSE(network_manager.isValid("nv-keyboard"));
    EXPECT_FALSE(network_manager.isValid("NV-NETWORK"));
    EXPECT_FALSE(network_manager.isValid(""));
}
