#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "LoopbackListener.h"
#include "NetworkFixture.h"
#include "network/NetworkManager.h"

using NetworkReceive = NetworkFixture;
using NetworkClient = NetworkFixture;

namespace {

/// Calls receive() until something arrives or the connection goes, for at most two seconds.
int receiveWithin(int s, char *buffer, int size, bool peek = false) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        int got = nv::NetworkManager::getInstance().receive(buffer, size, s, peek);
        if (got != 0 || std::chrono::steady_clock::now() >= deadline) {
            return got;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

TEST_F(NetworkReceive, NothingWaitingReturnsZeroAtOnce) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    LoopbackPeer peer;
    int s = servePeer(peer);
    ASSERT_GE(s, 0);
    char buffer[16];
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(network_manager.receive(buffer, sizeof(buffer), s), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_EQ(network_manager.bytesWaiting(s), 0);
    EXPECT_TRUE(network_manager.isConnected(s));
}

TEST_F(NetworkReceive, PeekLeavesTheBytesWaiting) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    LoopbackPeer peer;
    int s = servePeer(peer);
    ASSERT_GE(s, 0);
    ASSERT_TRUE(peer.writeAll("abcdef"));
    char buffer[16] = {};
    ASSERT_EQ(receiveWithin(s, buffer, 3, true), 3);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(network_manager.bytesWaiting(s), 6);
    EXPECT_EQ(network_manager.receive(buffer, sizeof(buffer), s), 6);
    EXPECT_EQ(std::string(buffer, 6), "abcdef");
    EXPECT_EQ(network_manager.bytesWaiting(s), 0);
}

TEST_F(NetworkReceive, ReadsNoMoreThanAskedAndKeepsTheRest) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    LoopbackPeer peer;
    int s = servePeer(peer);
    ASSERT_GE(s, 0);
    ASSERT_TRUE(peer.writeAll("0123456789"));
    char buffer[16] = {};
    ASSERT_EQ(receiveWithin(s, buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(network_manager.receive(buffer, 16, s), 6);
    EXPECT_EQ(std::string(buffer, 6), "456789");
}

TEST_F(NetworkReceive, UnknownSocketOrBadBufferFails) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    LoopbackPeer peer;
    int s = servePeer(peer);
    ASSERT_GE(s, 0);
    char buffer[4];
    EXPECT_EQ(network_manager.receive(buffer, 4, s + 50), -1);
    EXPECT_EQ(network_manager.receive(buffer, 4, -1), -1);
    EXPECT_EQ(network_manager.receive(nullptr, 4, s), -1);
    EXPECT_EQ(network_manager.receive(buffer, -4, s), -1);
    EXPECT_EQ(network_manager.bytesWaiting(s + 50), -1);
    EXPECT_EQ(network_manager.getNumConnections(), 1);
}

TEST_F(NetworkReceive, PeerCloseAfterDataGivesTheDataThenOneCloseEvent) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    NetworkRecorder *p_recorder = recorder({"nv-network-close"});
    LoopbackPeer peer;
    int s = servePeer(peer);
    ASSERT_GE(s, 0);
    ASSERT_TRUE(peer.writeAll("last words"));
    peer.close();
    char buffer[64] = {};
    ASSERT_EQ(receiveWithin(s, buffer, sizeof(buffer)), 10);
    EXPECT_EQ(std::string(buffer, 10), "last words");
    EXPECT_EQ(receiveWithin(s, buffer, sizeof(buffer)), -1);
    EXPECT_FALSE(network_manager.isConnected());
    ASSERT_EQ(p_recorder->records.size(), 1u);
    EXPECT_EQ(p_recorder->records[0].socket, s);
    EXPECT_EQ(network_manager.receive(buffer, sizeof(buffer), s), -1);
    EXPECT_EQ(p_recorder->records.size(), 1u);
}

TEST_F(NetworkReceive, PeerResetMidStreamGivesOneCloseEvent) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    NetworkRecorder *p_recorder = recorder({"nv-network-close"});
    LoopbackPeer peer;
    int s = servePeer(peer);
    ASSERT_GE(s, 0);
    ASSERT_TRUE(peer.writeAll("partial"));
    peer.reset();
    char buffer[64];
    EXPECT_EQ(repeatWhileConnected(s, [&] { return network_manager.receive(buffer, sizeof(buffer), s); }), -1);
    EXPECT_FALSE(network_manager.isConnected());
    EXPECT_EQ(p_recorder->records.size(), 1u);
}

TEST_F(NetworkClient, ConnectsAndTalksBothWays) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    LoopbackListener listener;
    ASSERT_GT(listener.port(), 0);
    int s = network_manager.connect("127.0.0.1", listener.port());
    ASSERT_GE(s, 0);
    LoopbackPeer far_end = listener.acceptOne(2000);
    ASSERT_TRUE(far_end.valid());
    EXPECT_TRUE(network_manager.isConnected(s));
    EXPECT_EQ(network_manager.send("up", 2, s), 0);
    EXPECT_EQ(far_end.readFor(2, 2000), "up");
    ASSERT_TRUE(far_end.writeAll("down"));
    char buffer[8] = {};
    ASSERT_EQ(receiveWithin(s, buffer, sizeof(buffer)), 4);
    EXPECT_EQ(std::string(buffer, 4), "down");
}

TEST_F(NetworkClient, RespectsTheMaximum) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    network_manager.setMaxConnections(2);
    LoopbackListener listener;
    ASSERT_GT(listener.port(), 0);
    EXPECT_GE(network_manager.connect("127.0.0.1", listener.port()), 0);
    EXPECT_GE(network_manager.connect("127.0.0.1", listener.port()), 0);
    EXPECT_EQ(network_manager.connect("127.0.0.1", listener.port()), -1);
    EXPECT_EQ(network_manager.getNumConnections(), 2);
}

TEST_F(NetworkClient, RefusedConnectionFailsQuicklyAndAddsNothing) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    int port = 0;
    {
        LoopbackListener listener;
        port = listener.port();
    }
    ASSERT_GT(port, 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(network_manager.connect("127.0.0.1", port), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(network_manager.getNumConnections(), 0);
}

TEST_F(NetworkClient, ServerAndClientInOneManagerShareTheTable) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    NetworkRecorder *p_recorder = recorder({"nv-network-accept", "nv-network-close"});
    int port = serve();
    int client = network_manager.connect("127.0.0.1", port);
    ASSERT_GE(client, 0);
    int server_side = acceptWithin();
    ASSERT_GE(server_side, 0);
    EXPECT_EQ(network_manager.getNumConnections(), 2);
    EXPECT_EQ(network_manager.send("ping", 4, client), 0);
    char buffer[8] = {};
    ASSERT_EQ(receiveWithin(server_side, buffer, sizeof(buffer)), 4);
    EXPECT_EQ(std::string(buffer, 4), "ping");
    EXPECT_EQ(network_manager.close(client), 0);
    EXPECT_EQ(receiveWithin(server_side, buffer, sizeof(buffer)), -1);
    EXPECT_EQ(network_manager.getNumConnections(), 0);
    ASSERT_EQ(p_recorder->records.size(), 3u);
    EXPECT_EQ(p_recorder->records[0].type, "nv-network-accept");
    EXPECT_EQ(p_recorder->records[1].socket, client);
    EXPECT_EQ(p_recorder->records[2].socket, server_side);
}
