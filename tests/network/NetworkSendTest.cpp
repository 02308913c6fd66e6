#include <fstream>

#include "NetworkFixture.h"

namespace {

long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Numbered messages: a lost, repeated or reordered piece shows up as a mismatch at the far end.
std::string numbered(int i, std::size_t size) {
    std::string message(size, static_cast<char>('a' + i % 26));
    return message.replace(0, 8, std::to_string(10000000 + i));
}

} // namespace

TEST_F(Network, SendsAtOnceAndRefusesUnknownSocketsAndBadBuffersWithTheirLines) {
    std::vector<Peer> peers;
    const int s = acceptPeers(peers, 1)[0];
    EXPECT_EQ(nm.send("hello", 5, s), 0);
    EXPECT_EQ(nm.send("", 0, s), 0);
    EXPECT_EQ(peers[0].read(5), "hello");
    const std::string unknown = std::to_string(s + 50);
    char buffer[4];
    EXPECT_EQ(nm.send("x", 1, s + 50), -1);
    EXPECT_EQ(nm.queueMessage("x", 1, -1, 0), -1);
    EXPECT_EQ(nm.receive(buffer, 4, s + 50), -1);
    EXPECT_EQ(nm.bytesWaiting(s + 50), -1);
    EXPECT_TRUE(logged("NetworkManager::isConnected(): Warning! Socket " + unknown + " not connected."));
    EXPECT_TRUE(logged("NetworkManager::send(): Error! Socket " + unknown + " not connected. Unable to send."));
    EXPECT_TRUE(logged("NetworkManager::queueMessage(): Error! Socket -1 not connected. Unable to queue."));
    EXPECT_TRUE(logged("NetworkManager::receive(): Error! Socket " + unknown + " not connected. Unable to receive."));
    EXPECT_EQ(nm.send(nullptr, 4, s), -1);
    EXPECT_EQ(nm.queueMessage("abc", -1, s, 0), -1);
    EXPECT_EQ(nm.receive(nullptr, 4, s), -1);
    EXPECT_TRUE(logged("NetworkManager::send(): Error! Bad buffer of 4 bytes."));
    EXPECT_EQ(nm.getNumConnections(), 1);
    EXPECT_EQ(nm.getQueueLength(s), 0);
}

TEST_F(Network, APeerThatResetsOrClosesIsFoundGoneByASendWithOneCloseEvent) {
    for (bool reset : {true, false}) {
        Recorder *p_recorder = recorder({nv::NETWORK_CLOSE_EVENT});
        std::vector<Peer> peers;
        const int s = acceptPeers(peers, 1)[0];
        reset ? peers[0].reset() : peers[0].close();
        EXPECT_EQ(whileConnected(s, [&] { return nm.send("ping", 4, s); }), -1);
        EXPECT_EQ(nm.send("ping", 4, s), -1);
        ASSERT_EQ(p_recorder->records.size(), 1u);
        EXPECT_EQ(p_recorder->records[0].socket, s);
        p_recorder->unregisterInterest(nv::NETWORK_CLOSE_EVENT);
    }
    EXPECT_TRUE(logged("NetworkManager::send(): Error! Return is -1."));
}

TEST_F(Network, DeliveryKeepsQueueOrderHoldsLateMessagesBackAndSkipsAGonePeer) {
    Recorder *p_recorder = recorder({nv::NETWORK_CLOSE_EVENT});
    const int now = nv::GameManager::getInstance().getStepCount();
    std::vector<Peer> peers;
    std::vector<int> s = acceptPeers(peers, 3);
    peers[0].reset();
    ::usleep(20000);
    ASSERT_EQ(nm.queueMessage("m1", 2, s[0], 0), 0);
    ASSERT_EQ(nm.queueMessage("late", 4, s[1], now + 5), 0);
    ASSERT_EQ(nm.queueMessage("behind", 6, s[1], 0), 0);
    std::string text = "one,";
    ASSERT_EQ(nm.queueMessage(text.data(), 4, s[2], 0), 0);
    text = "XXXX";
    ASSERT_EQ(nm.queueMessage("two,", 4, s[2], now), 0);
    ASSERT_EQ(nm.queueMessage("three", 5, s[2], 0), 0);
    EXPECT_EQ(peers[2].read(1, 20), "") << "queued messages wait for a delivery";
    EXPECT_LT(nm.deliverQueued(), 0);
    EXPECT_EQ(p_recorder->records.size(), 1u);
    EXPECT_EQ(peers[2].read(13), "one,two,three");
    EXPECT_EQ(peers[1].read(1, 50), "");
    EXPECT_EQ(nm.getQueueLength(s[1]), 2);
    EXPECT_EQ(nm.getQueueLength(s[2]), 0);
    nm.setMaxHeldBytes(12);
    EXPECT_EQ(nm.queueMessage("x", 1, s[1], 0), 0);
    EXPECT_EQ(nm.queueMessage("xy", 2, s[1], 0), -1);
    EXPECT_TRUE(logged("NetworkManager::queueMessage(): Warning! 2 bytes not queued."));
    EXPECT_EQ(nm.getHeldBytes(s[1]), 11);
}

TEST_F(Network, ANeverReadingPeerIsHeldToTheLimitLosesNothingAndIsServedWhenItReads) {
    std::vector<Peer> peers;
    const int s = acceptPeers(peers, 1, 4096)[0];
    const int small = 4096;
    ::setsockopt(s, SOL_SOCKET, SO_SNDBUF, &small, sizeof(small));
    ASSERT_EQ(nm.queueMessage("tail", 4, s, 0), 0);
    const long before_kb = residentKb();
    std::string expected;
    int refused = 0;
    for (int i = 0; i < 1000; i++) {
        const std::string message = numbered(i, 100000);
        if (nm.send(message.data(), static_cast<int>(message.size()), s) == 0) {
            expected += message;
        } else {
            refused++;
        }
        ASSERT_LE(nm.getHeldBytes(s), nv::DEFAULT_MAX_HELD_BYTES);
    }
    EXPECT_LT(residentKb() - before_kb, 32 * 1024) << "memory grows with what the peer does not read";
    EXPECT_GT(refused, 900);
    EXPECT_TRUE(logged("NetworkManager::send(): Warning! 0 of 100000 bytes sent."));
    expected += "tail";
    std::string received;
    for (int rounds = 0; rounds < 10000 && received.size() < expected.size(); rounds++) {
        nm.deliverQueued();
        received += peers[0].read(expected.size() - received.size(), 5);
    }
    ASSERT_EQ(received.size(), expected.size());
    EXPECT_TRUE(received == expected);
    EXPECT_EQ(nm.getHeldBytes(s), 0);
    EXPECT_EQ(nm.send("again", 5, s), 0);
    EXPECT_EQ(peers[0].read(5), "again");
}

TEST_F(Network, ReceiveReadsWhatWaitsPeeksAndSeesThePeerGoOnce) {
    for (bool reset : {false, true}) {
        Recorder *p_recorder = recorder({nv::NETWORK_CLOSE_EVENT});
        std::vector<Peer> peers;
        const int s = acceptPeers(peers, 1)[0];
        char buffer[64] = {};
        EXPECT_EQ(nm.receive(buffer, sizeof(buffer), s), 0);
        ASSERT_TRUE(peers[0].write("0123456789"));
        ASSERT_TRUE(waitFor([&] { return nm.bytesWaiting(s) == 10; }));
        EXPECT_EQ(nm.receive(buffer, 3, s, true), 3);
        EXPECT_EQ(nm.bytesWaiting(s), 10);
        EXPECT_EQ(nm.receive(buffer, 4, s), 4);
        EXPECT_EQ(std::string(buffer, 4), "0123");
        if (reset) {
            peers[0].reset();
        } else {
            peers[0].close();
            EXPECT_EQ(nm.receive(buffer, sizeof(buffer), s), 6);
            EXPECT_EQ(std::string(buffer, 6), "456789");
        }
        EXPECT_EQ(whileConnected(s, [&] { return nm.receive(buffer, sizeof(buffer), s); }), -1);
        EXPECT_EQ(nm.receive(buffer, sizeof(buffer), s), -1);
        EXPECT_EQ(p_recorder->records.size(), 1u);
        p_recorder->unregisterInterest(nv::NETWORK_CLOSE_EVENT);
    }
}

TEST_F(Network, ConnectsWithinTheMaximumAndTalksBothWays) {
    nm.setMaxConnections(2);
    Peer listener;
    const int s = nm.connect("127.0.0.1", listener.port);
    ASSERT_GE(s, 0);
    Peer far_end = listener.acceptOne();
    EXPECT_EQ(nm.send("up", 2, s), 0);
    EXPECT_EQ(far_end.read(2), "up");
    ASSERT_TRUE(far_end.write("down"));
    char buffer[8] = {};
    ASSERT_TRUE(waitFor([&] { return nm.bytesWaiting(s) == 4; }));
    EXPECT_EQ(nm.receive(buffer, 8, s), 4);
    EXPECT_EQ(std::string(buffer, 4), "down");
    EXPECT_GE(nm.connect("127.0.0.1", listener.port), 0);
    EXPECT_EQ(nm.connect("127.0.0.1", listener.port), -1);
    nm.setMaxConnections(3);
    const int closed_port = listener.port;
    listener.close();
    EXPECT_EQ(nm.connect("127.0.0.1", closed_port), -1);
    EXPECT_EQ(nm.getNumConnections(), 2);
}
