#include <fstream>
#include <sys/resource.h>

#include "NetworkFixture.h"

TEST_F(Network, StartsOnceFailsWithOneWithoutSocketsAndTakesTheNetworkTypesAndLabelsOnly) {
    EXPECT_EQ(nm.startUp(), -1);
    EXPECT_TRUE(logged("NetworkManager::startup(): Warning! NetworkManager already started."));
    nm.shutDown();
    EXPECT_EQ(nm.startServer(0) + nm.connect("127.0.0.1", 1), -2) << "not started";
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    // Every descriptor below the lowest free one is in use, so a limit there leaves none to make.
    const int lowest_free = ::dup(2);
    ::close(lowest_free);
    const rlimit tight{static_cast<rlim_t>(lowest_free), saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const int result = nm.startUp();
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_TRUE(result == 1 && !nm.isStarted() && logged("NetworkManager::startUp(): Error! WSAStartup() code : "));
    for (const char *type : {"nv-network", "nv-keyboard-network", "nv-mouse-network", "nv-network-accept",
                             "nv-network-close", "nv-network-connect", "nv-network-create", "nv-custom-network",
                             "nv-network-delete", "nv-network-game-over", "nv-network-sync"}) {
        EXPECT_TRUE(nm.isValid(type)) << type;
    }
    for (const std::string type : {"nv-step", "NV-NETWORK", ""}) {
        EXPECT_FALSE(nm.isValid(type));
        EXPECT_TRUE(logged("NetworkManager::isValid(): Error! NetworkManager does not handle " + type + "."));
    }
    for (int label = -3; label <= 5; label++) {
        EXPECT_EQ(nv::EventNetwork(label).getLabel(), label >= -1 && label <= 3 ? label : -1);
    }
    EXPECT_TRUE(logged("EventNetwork::setLabel(): Undefined type (5)."));
}

TEST_F(Network, ServesUpToTheMaximumKeepsTheOrderWhenOneClosesAndClosesAllInTableOrder) {
    EXPECT_TRUE(nm.accept() == -2 && logged("NetworkManager::accept(): Error! Not setup as server."));
    Recorder *p_recorder = recorder({nv::NETWORK_ACCEPT_EVENT, nv::NETWORK_CLOSE_EVENT});
    EXPECT_EQ(nm.startServer(-1) + nm.startServer(65536) + nm.startServer(0) + nm.startServer(0), -3);
    EXPECT_EQ(nm.accept(), -1) << "nothing waiting";
    std::vector<int> s = acceptPeers(3);
    ASSERT_EQ(p_recorder->records.size(), 3u);
    EXPECT_EQ(p_recorder->records[0], (Record{0, s[0], true, 1}));
    ASSERT_TRUE(nm.queueMessage("first", 5, s[0], 0) == 0 && nm.queueMessage("mid", 3, s[1], 0) == 0 &&
                nm.queueMessage("third", 5, s[2], 0) == 0);
    EXPECT_EQ(acceptPeers(1)[0], -1) << "waits at the maximum";
    ASSERT_EQ(nm.close(s[1]) + nm.close(s[2] + 100), -1);
    EXPECT_TRUE(logged("NetworkManager::close(): Error! Socket " + std::to_string(s[2] + 100) + " not connected."));
    s[1] = acceptWithin();
    EXPECT_TRUE(nm.getSocket(0) == s[0] && nm.getSocket(1) == s[2] && nm.getSocket(2) == s[1]);
    EXPECT_TRUE(nm.deliverQueued() == 0 && readFrom(peers[0], 5) + readFrom(peers[2], 5) == "firstthird");
    EXPECT_TRUE(closedWithin(peers[1]));
    p_recorder->records.clear();
    EXPECT_EQ(nm.close() + nm.close(), 0);
    ASSERT_EQ(p_recorder->records.size(), 3u);
    const int table_order[] = {s[0], s[2], s[1]}, their_peers[] = {0, 2, 3};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(p_recorder->records[i], (Record{2, table_order[i], true, 3 - i})) << "listed during its event";
        EXPECT_TRUE(closedWithin(peers[their_peers[i]]));
    }
    const int port = nm.getServerPort();
    nm.stopServer();
    EXPECT_EQ(nm.startServer(port), 0) << "the port is free again";
}

TEST_F(Network, CloseHandlersMayCloseSendOrConnectWithoutASecondEvent) {
    Recorder *p_recorder = recorder({nv::NETWORK_CLOSE_EVENT});
    std::vector<int> s = acceptPeers(2);
    int reconnected = -1;
    p_recorder->on_network = [&](const nv::EventNetwork &event) {
        nm.send("bye", 3, event.getSocket());
        nm.close(event.getSocket());
        reconnected = reconnected == -1 ? nm.connect("127.0.0.1", nm.getServerPort()) : reconnected;
    };
    ASSERT_TRUE(nm.close(s[0]) == 0 && p_recorder->records.size() == 1u && reconnected >= 0);
    EXPECT_TRUE(reconnected != s[0] && nm.getSocket(1) == reconnected) << "a closing socket's number waits";
    nm.setMaxConnections(2);
    EXPECT_EQ(nm.connect("127.0.0.1", nm.getServerPort()), -1) << "at the maximum";
    p_recorder->on_network = [&](const nv::EventNetwork &) { nm.close(); };
    EXPECT_TRUE(nm.close() == 0 && p_recorder->records.size() == 3u);
    const int port = nm.getServerPort();
    nm.stopServer();
    EXPECT_TRUE(nm.connect("127.0.0.1", port) == -1 && nm.connect("", port) == -1 && nm.getNumConnections() == 0)
        << "refused";
}

TEST_F(Network, SendsAtOnceAndRefusesUnknownSocketsAndBadBuffersWithTheirLines) {
    const int s = acceptPeers(1)[0];
    EXPECT_TRUE(nm.send("hello", 5, s) + nm.send("", 0, s) == 0 && readFrom(peers[0], 5) == "hello");
    const std::string unknown = std::to_string(s + 50);
    char buffer[4];
    EXPECT_EQ(nm.send("x", 1, s + 50) + nm.queueMessage("x", 1, -1, 0) + nm.receive(buffer, 4, s + 50) +
                  nm.bytesWaiting(s + 50) + nm.getQueueLength(s + 50),
              -5);
    EXPECT_TRUE(logged("NetworkManager::isConnected(): Warning! Socket " + unknown + " not connected."));
    EXPECT_TRUE(logged("NetworkManager::send(): Error! Socket " + unknown + " not connected. Unable to send."));
    EXPECT_TRUE(logged("NetworkManager::queueMessage(): Error! Socket -1 not connected. Unable to queue."));
    EXPECT_TRUE(logged("NetworkManager::receive(): Error! Socket " + unknown + " not connected. Unable to receive."));
    EXPECT_EQ(nm.send(nullptr, 4, s) + nm.queueMessage("abc", -1, s, 0) + nm.receive(nullptr, 4, s), -3);
    EXPECT_TRUE(logged("NetworkManager::send(): Error! Bad buffer of 4 bytes."));
    EXPECT_TRUE(nm.getNumConnections() == 1 && nm.getQueueLength(s) == 0);
}

TEST_F(Network, APeerThatGoesIsFoundBySendOrReceiveWithOneCloseEvent) {
    char buffer[64] = {};
    for (int hard = 0; hard < 4; hard++) {
        Recorder *p_recorder = recorder({nv::NETWORK_CLOSE_EVENT});
        const int s = acceptPeers(1)[0];
        ASSERT_EQ(::send(peers.back(), "0123456789", 10, 0), 10);
        ASSERT_TRUE(waitFor([&] { return nm.bytesWaiting(s) == 10; }));
        EXPECT_TRUE(nm.receive(buffer, 3, s, true) == 3 && nm.receive(buffer, 4, s) == 4 &&
                    std::string(buffer, 4) == "0123");
        EXPECT_EQ(nm.receive(buffer, 4, s, true), 4) << "peeking leaves the rest";
        hangUp(peers.size() - 1, hard % 2);
        EXPECT_TRUE(waitFor([&] { return (hard >= 2 ? nm.send("ping", 4, s) : nm.receive(buffer, 64, s)) == -1; }));
        EXPECT_TRUE(nm.send("ping", 4, s) + nm.receive(buffer, 64, s) == -2 && p_recorder->records.size() == 1u);
        p_recorder->unregisterInterest(nv::NETWORK_CLOSE_EVENT);
    }
    EXPECT_TRUE(logged("NetworkManager::send(): Error! Return is -1."));
}

TEST_F(Network, DeliveryKeepsQueueOrderHoldsLateMessagesBackAndSkipsAGonePeer) {
    Recorder *p_recorder = recorder({nv::NETWORK_CLOSE_EVENT});
    const int now = nv::GameManager::getInstance().getStepCount();
    std::vector<int> s = acceptPeers(3);
    hangUp(0, true);
    ASSERT_TRUE(nm.queueMessage("m1", 2, s[0], 0) == 0 && nm.queueMessage("late", 4, s[1], now + 5) == 0 &&
                nm.queueMessage("behind", 6, s[1], 0) == 0);
    std::string text = "one,";
    ASSERT_EQ(nm.queueMessage(text.data(), 4, s[2], 0), 0);
    text.assign("XXXX");
    ASSERT_TRUE(nm.queueMessage("two,", 4, s[2], now) == 0 && nm.queueMessage("three", 5, s[2], 0) == 0);
    EXPECT_EQ(readFrom(peers[2], 1, 20), "") << "queued messages wait for a delivery";
    EXPECT_TRUE(nm.deliverQueued() < 0 && p_recorder->records.size() == 1u);
    EXPECT_EQ(readFrom(peers[2], 13), "one,two,three");
    EXPECT_TRUE(readFrom(peers[1], 1, 50).empty() && nm.getQueueLength(s[1]) == 2);
    nm.setMaxHeldBytes(12);
    EXPECT_EQ(nm.queueMessage("x", 1, s[1], 0) + nm.queueMessage("xy", 2, s[1], 0), -1);
    EXPECT_TRUE(logged("NetworkManager::queueMessage(): Warning! 2 bytes not queued.") && nm.getHeldBytes(s[1]) == 11);
}

TEST_F(Network, ANeverReadingPeerIsHeldToTheLimitLosesNothingAndIsServedWhenItReads) {
    // With no room at all, only the rest of a message whose start is already on the stream is held.
    for (int limit : {nv::DEFAULT_MAX_HELD_BYTES, 0}) {
        const int s = acceptPeers(1)[0];
        ASSERT_EQ(nm.queueMessage("tail", 4, s, 0), 0);
        nm.setMaxHeldBytes(limit);
        long pages_before = 0, pages_after = 0, refused = 0;
        std::ifstream("/proc/self/statm") >> pages_before >> pages_before;
        std::string expected, received, message(100000, 'x');
        for (int i = 0; i < 1000; i++) {
            // Numbered: a lost, repeated or reordered message shows at the far end.
            message.replace(0, 8, std::to_string(10000000 + i));
            const bool sent = nm.send(message.data(), static_cast<int>(message.size()), s) == 0;
            expected += sent ? message : "";
            refused += !sent;
            ASSERT_LE(nm.getHeldBytes(s), std::max(limit, 100004));
        }
        std::ifstream("/proc/self/statm") >> pages_after >> pages_after;
        EXPECT_LT((pages_after - pages_before) * ::sysconf(_SC_PAGESIZE), 32 << 20) << "grows with unread sends";
        EXPECT_TRUE(refused > 900 && logged("NetworkManager::send(): Warning! 0 of 100000 bytes sent."));
        expected += "tail";
        for (int rounds = 0; rounds < 10000 && received.size() < expected.size(); rounds++) {
            nm.deliverQueued();
            received += readFrom(peers.back(), expected.size() - received.size(), 5);
        }
        EXPECT_TRUE(received == expected && nm.getHeldBytes(s) == 0);
        EXPECT_TRUE(nm.send("again", 5, s) == 0 && readFrom(peers.back(), 5) == "again") << "usable again";
    }
}
