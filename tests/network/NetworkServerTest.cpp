#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "LoopbackListener.h"
#include "NetworkFixture.h"
#include "network/EventNetwork.h"
#include "network/NetworkManager.h"

using NetworkServer = NetworkFixture;

TEST_F(NetworkServer, AcceptWithoutServerIsAnError) {
    EXPECT_EQ(nv::NetworkManager::getInstance().accept(), -2);
}

TEST_F(NetworkServer, PortZeroPicksAFreePortAndStopFreesIt) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    int port = serve();
    ASSERT_GT(port, 0);
    EXPECT_TRUE(network_manager.isServer());
    EXPECT_TRUE(LoopbackPeer::connectTo(port).valid());
    EXPECT_EQ(network_manager.startServer(0), -1);
    EXPECT_EQ(network_manager.getServerPort(), port);
    network_manager.stopServer();
    EXPECT_FALSE(network_manager.isServer());
    EXPECT_EQ(network_manager.startServer(port), 0);
    EXPECT_EQ(network_manager.getServerPort(), port);
}

TEST_F(NetworkServer, PortOutOfRangeIsRefused) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    EXPECT_EQ(network_manager.startServer(-1), -1);
    EXPECT_EQ(network_manager.startServer(65536), -1);
    EXPECT_FALSE(network_manager.isServer());
}

TEST_F(NetworkServer, PortInUseIsRefused) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    LoopbackListener other;
    ASSERT_GT(other.port(), 0);
    EXPECT_EQ(network_manager.startServer(other.port()), -1);
    EXPECT_FALSE(network_manager.isServer());
}

TEST_F(NetworkServer, AcceptWithNothingWaitingReturnsAtOnce) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    ASSERT_GT(serve(), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(network_manager.accept(), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_EQ(network_manager.getNumConnections(), 0);
}

TEST_F(NetworkServer, AcceptAddsTheSocketAndRaisesTheAcceptEvent) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    NetworkRecorder *p_recorder = recorder({"nv-network-accept"});
    LoopbackPeer peer;
    int s = servePeer(peer);
    ASSERT_GE(s, 0);
    EXPECT_TRUE(network_manager.isConnected(s));
    EXPECT_TRUE(network_manager.isConnected());
    EXPECT_EQ(network_manager.getSocket(0), s);
    ASSERT_EQ(p_recorder->records.size(), 1u);
    const NetworkRecord &record = p_recorder->records[0];
    EXPECT_EQ(record.type, "nv-network-accept");
    EXPECT_EQ(record.label, 0);
    EXPECT_EQ(record.socket, s);
    EXPECT_EQ(record.bytes, 0);
    EXPECT_TRUE(record.in_table);
}

TEST_F(NetworkServer, AcceptsUpToTheMaximumThenWaitsUntilOneCloses) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    int port = serve();
    LoopbackPeer peers[4];
    int sockets[3];
    ASSERT_TRUE(acceptPeers(port, peers, sockets, 3));
    peers[3] = LoopbackPeer::connectTo(port);
    ASSERT_TRUE(peers[3].valid());
    EXPECT_EQ(network_manager.accept(), -1);
    EXPECT_EQ(network_manager.accept(), -1);
    EXPECT_EQ(network_manager.getNumConnections(), 3);
    ASSERT_EQ(network_manager.close(sockets[1]), 0);
    int fourth = acceptWithin();
    EXPECT_GE(fourth, 0);
    EXPECT_EQ(network_manager.getNumConnections(), 3);
    EXPECT_EQ(network_manager.getSocket(2), fourth);
}

TEST_F(NetworkServer, RaisedMaximumAcceptsTheWaitingConnection) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    network_manager.setMaxConnections(1);
    int port = serve();
    LoopbackPeer first, second;
    ASSERT_GE(acceptPeer(port, first), 0);
    second = LoopbackPeer::connectTo(port);
    EXPECT_EQ(network_manager.accept(), -1);
    network_manager.setMaxConnections(2);
    EXPECT_GE(acceptWithin(), 0);
}

TEST_F(NetworkServer, ClosingOneKeepsTheOthersInOrderWithTheirOwnQueues) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    int port = serve();
    LoopbackPeer peers[3];
    int sockets[3];
    ASSERT_TRUE(acceptPeers(port, peers, sockets, 3));
    ASSERT_EQ(network_manager.queueMessage("first", 5, sockets[0], 0), 0);
    ASSERT_EQ(network_manager.queueMessage("mid", 3, sockets[1], 0), 0);
    ASSERT_EQ(network_manager.queueMessage("third", 5, sockets[2], 0), 0);
    ASSERT_EQ(network_manager.queueMessage("3rd", 3, sockets[2], 0), 0);
    ASSERT_EQ(network_manager.close(sockets[1]), 0);
    ASSERT_EQ(network_manager.getNumConnections(), 2);
    EXPECT_EQ(network_manager.getSocket(0), sockets[0]);
    EXPECT_EQ(network_manager.getSocket(1), sockets[2]);
    EXPECT_EQ(network_manager.getQueueLength(sockets[0]), 1);
    EXPECT_EQ(network_manager.getQueueLength(sockets[2]), 2);
    EXPECT_EQ(network_manager.deliverQueued(), 0);
    EXPECT_EQ(peers[0].readFor(5, 2000), "first");
    EXPECT_EQ(peers[2].readFor(8, 2000), "third3rd");
    EXPECT_TRUE(peers[1].closedWithin(2000));
}

TEST_F(NetworkServer, ClosingAllRaisesOneEventPerConnectionInTableOrder) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    NetworkRecorder *p_recorder = recorder({"nv-network-close"});
    int port = serve();
    LoopbackPeer peers[3];
    int sockets[3];
    ASSERT_TRUE(acceptPeers(port, peers, sockets, 3));
    EXPECT_EQ(network_manager.close(), 0);
    EXPECT_EQ(network_manager.getNumConnections(), 0);
    EXPECT_FALSE(network_manager.isConnected());
    ASSERT_EQ(p_recorder->records.size(), 3u);
    for (int i = 0; i < 3; i++) {
        const NetworkRecord &record = p_recorder->records[i];
        EXPECT_EQ(record.type, "nv-network-close");
        EXPECT_EQ(record.label, 2);
        EXPECT_EQ(record.socket, sockets[i]);
        EXPECT_TRUE(record.in_table) << "the close event must come while the connection is still listed";
        EXPECT_EQ(record.connections, 3 - i);
    }
    for (LoopbackPeer &peer : peers) {
        EXPECT_TRUE(peer.closedWithin(2000));
    }
}

TEST_F(NetworkServer, ClosingAnUnknownSocketFailsAndChangesNothing) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    LoopbackPeer peer;
    int s = servePeer(peer);
    ASSERT_GE(s, 0);
    EXPECT_EQ(network_manager.close(s + 100), -1);
    EXPECT_EQ(network_manager.close(-5), -1);
    EXPECT_EQ(network_manager.getNumConnections(), 1);
    EXPECT_EQ(network_manager.close(), 0);
    EXPECT_EQ(network_manager.close(), 0);
}

TEST_F(NetworkServer, HandlerThatClosesOrSendsAgainGetsNoSecondEvent) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    NetworkRecorder *p_recorder = recorder({"nv-network-close"});
    p_recorder->on_network = [&network_manager](const nv::EventNetwork &event) {
        network_manager.send("bye", 3, event.getSocket());
        network_manager.close(event.getSocket());
        network_manager.close();
    };
    int port = serve();
    LoopbackPeer peers[2];
    ASSERT_GE(acceptPeer(port, peers[0]), 0);
    ASSERT_GE(acceptPeer(port, peers[1]), 0);
    EXPECT_EQ(network_manager.close(network_manager.getSocket(0)), 0);
    EXPECT_EQ(network_manager.getNumConnections(), 0);
    EXPECT_EQ(p_recorder->records.size(), 2u);
}

TEST_F(NetworkServer, HandlerMayOpenANewConnectionWhileOneCloses) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    NetworkRecorder *p_recorder = recorder({"nv-network-close"});
    int port = serve();
    int reconnected = -1;
    p_recorder->on_network = [&](const nv::EventNetwork &) {
        if (reconnected == -1) {
            reconnected = network_manager.connect("127.0.0.1", port);
        }
    };
    LoopbackPeer peer;
    int s = acceptPeer(port, peer);
    ASSERT_GE(s, 0);
    ASSERT_EQ(network_manager.close(s), 0);
    ASSERT_GE(reconnected, 0);
    EXPECT_NE(reconnected, s);
    EXPECT_EQ(network_manager.getNumConnections(), 1);
    EXPECT_EQ(network_manager.getSocket(0), reconnected);
    EXPECT_EQ(network_manager.send("hi", 2, reconnected), 0);
}
