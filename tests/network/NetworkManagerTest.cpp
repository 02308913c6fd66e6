#include <sys/resource.h>

#include "NetworkFixture.h"

TEST_F(Network, StartUpIsRefusedTwiceAndFailsWithOneWhenNoSocketCanBeMade) {
    EXPECT_EQ(nm.startUp(), -1);
    EXPECT_TRUE(logged("NetworkManager::startup(): Warning! NetworkManager already started."));
    nm.shutDown();
    EXPECT_EQ(nm.startServer(0), -1);
    EXPECT_EQ(nm.connect("127.0.0.1", 1), -1);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    // Every descriptor below the lowest free one is in use, so a limit there leaves none to make.
    const int lowest_free = ::dup(2);
    ::close(lowest_free);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(lowest_free);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const int result = nm.startUp();
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(nm.isStarted());
    EXPECT_TRUE(logged("NetworkManager::startUp(): Error! WSAStartup() code : "));
}

TEST_F(Network, TakesInterestInTheElevenNetworkTypesOnly) {
    for (const char *type : {"nv-network", "nv-keyboard-network", "nv-mouse-network", "nv-network-accept",
                             "nv-network-close", "nv-network-connect", "nv-network-create", "nv-custom-network",
                             "nv-network-delete", "nv-network-game-over", "nv-network-sync"}) {
        EXPECT_TRUE(nm.isValid(type)) << type;
    }
    for (const char *type : {"nv-step", "nv-keyboard", "NV-NETWORK", ""}) {
        EXPECT_FALSE(nm.isValid(type)) << type;
        EXPECT_TRUE(
            logged(std::string("NetworkManager::isValid(): Error! NetworkManager does not handle ") + type + "."));
    }
}

TEST_F(Network, ServerTakesAFreePortRefusesBadOnesAndStopsListening) {
    EXPECT_EQ(nm.accept(), -2);
    EXPECT_TRUE(logged("NetworkManager::accept(): Error! Not setup as server."));
    Peer other;
    for (int bad_port : {-1, 65536, other.port}) {
        EXPECT_EQ(nm.startServer(bad_port), -1) << bad_port;
    }
    const int port = serve();
    ASSERT_GT(port, 0);
    EXPECT_EQ(nm.startServer(0), -1);
    EXPECT_EQ(nm.accept(), -1) << "nothing waiting";
    nm.stopServer();
    EXPECT_FALSE(nm.isServer());
    EXPECT_EQ(Peer(port).fd, -1);
    EXPECT_EQ(nm.startServer(port), 0);
    EXPECT_EQ(nm.getServerPort(), port);
}

TEST_F(Network, AcceptRaisesItsEventAndWaitsAtTheMaximumUntilOneCloses) {
    Recorder *p_recorder = recorder({nv::NETWORK_ACCEPT_EVENT});
    std::vector<Peer> peers;
    std::vector<int> sockets = acceptPeers(peers, 3);
    ASSERT_EQ(p_recorder->records.size(), 3u);
    const Record &first = p_recorder->records[0];
    EXPECT_EQ(first.type, nv::NETWORK_ACCEPT_EVENT);
    EXPECT_EQ(first.label, 0);
    EXPECT_EQ(first.socket, sockets[0]);
    EXPECT_EQ(first.bytes, 0);
    EXPECT_TRUE(first.in_table);
    peers.emplace_back(nm.getServerPort());
    EXPECT_EQ(nm.accept(), -1);
    EXPECT_EQ(nm.getNumConnections(), 3);
    ASSERT_EQ(nm.close(sockets[1]), 0);
    const int fourth = acceptWithin();
    EXPECT_GE(fourth, 0);
    EXPECT_EQ(nm.getSocket(2), fourth);
    nm.setMaxConnections(4);
    peers.emplace_back(nm.getServerPort());
    EXPECT_GE(acceptWithin(), 0);
}

TEST_F(Network, ClosingOneKeepsTheOthersInOrderWithTheirQueues) {
    std::vector<Peer> peers;
    std::vector<int> s = acceptPeers(peers, 3);
    ASSERT_EQ(nm.queueMessage("first", 5, s[0], 0), 0);
    ASSERT_EQ(nm.queueMessage("mid", 3, s[1], 0), 0);
    ASSERT_EQ(nm.queueMessage("third", 5, s[2], 0), 0);
    ASSERT_EQ(nm.queueMessage("3rd", 3, s[2], 0), 0);
    ASSERT_EQ(nm.close(s[1]), 0);
    ASSERT_EQ(nm.getNumConnections(), 2);
    EXPECT_EQ(nm.getSocket(0), s[0]);
    EXPECT_EQ(nm.getSocket(1), s[2]);
    EXPECT_EQ(nm.getQueueLength(s[2]), 2);
    EXPECT_EQ(nm.deliverQueued(), 0);
    EXPECT_EQ(peers[0].read(5), "first");
    EXPECT_EQ(peers[2].read(8), "third3rd");
    EXPECT_TRUE(peers[1].closedWithin(2000));
    EXPECT_EQ(nm.close(s[2] + 100), -1);
    EXPECT_TRUE(logged("NetworkManager::close(): Error! Socket " + std::to_string(s[2] + 100) + " not connected."));
    EXPECT_EQ(nm.getNumConnections(), 2);
}

TEST_F(Network, ClosingAllOrShuttingDownRaisesOneEventPerConnectionInTableOrder) {
    for (bool shut_down : {false, true}) {
        Recorder *p_recorder = recorder({nv::NETWORK_CLOSE_EVENT});
        std::vector<Peer> peers;
        std::vector<int> s = acceptPeers(peers, 3);
        if (shut_down) {
            nm.shutDown();
            EXPECT_FALSE(nm.isServer());
        } else {
            EXPECT_EQ(nm.close(), 0);
            EXPECT_EQ(nm.close(), 0);
        }
        EXPECT_FALSE(nm.isConnected());
        ASSERT_EQ(p_recorder->records.size(), 3u);
        for (int i = 0; i < 3; i++) {
            const Record &record = p_recorder->records[i];
            EXPECT_EQ(record.label, 2);
            EXPECT_EQ(record.socket, s[i]);
            EXPECT_TRUE(record.in_table) << "the event comes while the connection is still listed";
            EXPECT_EQ(record.connections, 3 - i);
            EXPECT_TRUE(peers[i].closedWithin(2000));
        }
        p_recorder->unregisterInterest(nv::NETWORK_CLOSE_EVENT);
        nm.stopServer();
    }
}

TEST_F(Network, CloseHandlersMayCloseSendOrConnectWithoutASecondEvent) {
    Recorder *p_recorder = recorder({nv::NETWORK_CLOSE_EVENT});
    std::vector<Peer> peers;
    std::vector<int> s = acceptPeers(peers, 2);
    int reconnected = -1;
    p_recorder->on_network = [&](const nv::EventNetwork &event) {
        nm.send("bye", 3, event.getSocket());
        nm.close(event.getSocket());
        if (reconnected == -1) {
            reconnected = nm.connect("127.0.0.1", nm.getServerPort());
        }
    };
    EXPECT_EQ(nm.close(s[0]), 0);
    ASSERT_EQ(p_recorder->records.size(), 1u);
    ASSERT_GE(reconnected, 0);
    EXPECT_NE(reconnected, s[0]) << "a closing socket's number is not handed out again";
    EXPECT_EQ(nm.getSocket(1), reconnected);
    EXPECT_EQ(nm.send("hi", 2, reconnected), 0);
    p_recorder->on_network = [&](const nv::EventNetwork &) { nm.close(); };
    EXPECT_EQ(nm.close(), 0);
    EXPECT_EQ(p_recorder->records.size(), 3u);
}

TEST_F(Network, NetworkEventsKeepLabelsFromMinusOneToThreeOnly) {
    for (int label = -3; label <= 5; label++) {
        nv::EventNetwork event(label);
        EXPECT_EQ(event.getLabel(), label >= -1 && label <= 3 ? label : -1);
    }
    EXPECT_TRUE(logged("EventNetwork::setLabel(): Undefined type (5)."));
    EXPECT_EQ(nv::EventNetworkAccept(12).getLabel(), 0);
    EXPECT_EQ(nv::EventNetworkClose(13).getLabel(), 2);
}
