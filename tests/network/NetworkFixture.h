#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <fstream>
#include <functional>
#include <poll.h>

#include "core/Config.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "network/EventNetworkAccept.h"
#include "network/EventNetworkClose.h"
#include "network/NetworkManager.h"
#include "support/TestSupport.h"
#include "world/Object.h"

/// What a network event's handler saw: label, socket, whether the socket was still listed, how many were.
using Record = std::array<int, 4>;

/// Writes down each network event it is handed and runs the hooks for network and step events.
class Recorder : public nv::Object {
public:
    explicit Recorder(const std::vector<std::string> &types) {
        for (const std::string &name : types)
            registerInterest(name);
    }
    int eventHandler(const nv::Event *p_e) override {
        const nv::NetworkManager &nm = nv::NetworkManager::getInstance();
        if (const auto *p_n = dynamic_cast<const nv::EventNetwork *>(p_e)) {
            records.push_back(Record{p_n->getLabel(), p_n->getSocket(), nm.getQueueLength(p_n->getSocket()) >= 0,
                                     nm.getNumConnections()});
            if (on_network)
                on_network(*p_n);
        } else if (on_step) {
            on_step(static_cast<const nv::EventStep *>(p_e)->getStepCount());
        }
        return 1;
    }
    std::vector<Record> records;
    std::function<void(const nv::EventNetwork &)> on_network;
    std::function<void(int)> on_step;
};

/// What arrives on a plain socket until n bytes did, the stream ends or timeout_ms pass without anything new.
inline std::string readFrom(int fd, std::size_t n = 1 << 20, int timeout_ms = 2000) {
    std::string got;
    char buffer[65536];
    pollfd waiting{fd, POLLIN, 0};
    for (ssize_t count = 1; got.size() < n && count > 0 && ::poll(&waiting, 1, timeout_ms) > 0;) {
        count = ::recv(fd, buffer, std::min(sizeof(buffer), n - got.size()), 0);
        got.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    }
    return got;
}

/// Whether the far end of a plain socket closes (or resets) within two seconds.
inline bool closedWithin(int fd) {
    readFrom(fd);
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0 || errno == ECONNRESET;
}

/// Every test starts with the manager started (no server, no connections, default limits) and the log in a file
/// of its own; its objects, plain peers and file go at the end.
class Network : public ::testing::Test {
protected:
    void SetUp() override {
        reset();
        nv_test::restartLogInto(log_path);
        ::setenv("NORVANTIS_CONFIG", config_path.c_str(), 1);
        ASSERT_EQ(nm.startUp(), 0);
    }
    void TearDown() override {
        dropRecorders();
        nv_test::stopIfStarted(game);
        reset();
        for (int fd : peers)
            ::close(fd);
        nv::Config::getInstance().reset();
        ::unsetenv("NORVANTIS_CONFIG");
    }
    static void reset() {
        nv::NetworkManager &nm = nv::NetworkManager::getInstance();
        nv_test::stopIfStarted(nm);
        nm.stopServer();
        nm.setMaxConnections(nv::DEFAULT_MAX_CONNECTIONS);
        nm.setMaxHeldBytes(nv::DEFAULT_MAX_HELD_BYTES);
    }
    void dropRecorders() {
        for (Recorder *p_recorder : recorders)
            delete p_recorder;
        recorders.clear();
    }
    Recorder *recorder(const std::vector<std::string> &types) {
        recorders.push_back(new Recorder(types));
        return recorders.back();
    }
    bool logged(const std::string &line) const { return nv_test::fileText(log_path).find(line) != std::string::npos; }
    /// Waits until done() holds, at most two seconds; whether it does.
    static bool waitFor(const std::function<bool()> &done) {
        for (int tries = 0; tries < 2000; tries++, ::usleep(1000))
            if (done())
                return true;
        return false;
    }
    int acceptWithin() {
        int s = -1;
        return waitFor([&] { return (s = nm.accept()) != -1; }), s;
    }
    /// Connects a plain peer (kept in peers) to the server, serving first if need be.
    void dial() {
        if (!nm.isServer())
            nm.startServer(0);
        peers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(nm.getServerPort())), {htonl(INADDR_LOOPBACK)}, {}};
        ::connect(peers.back(), reinterpret_cast<sockaddr *>(&address), sizeof(address));
    }
    /// Dials count plain peers and has the manager accept each; the manager's sockets for them in order.
    std::vector<int> acceptPeers(int count) {
        std::vector<int> sockets;
        for (int i = 0; i < count; i++, sockets.push_back(acceptWithin()))
            dial();
        return sockets;
    }
    /// Starts the real game loop, headless, with networking on or off, and runs it to the step event of last_step.
    void runGame(bool networking, int last_step, const std::function<void(int)> &on_step) {
        nm.shutDown();
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
    /// Closes plain peer i, with a reset if hard.
    void hangUp(std::size_t i, bool hard) {
        linger option{1, 0};
        ::setsockopt(peers[i], SOL_SOCKET, SO_LINGER, &option, hard ? sizeof(option) : 0);
        ::close(peers[i]);
        peers[i] = -1;
        // The manager sees the reset only once it has arrived.
        ::usleep(20000);
    }

    nv::NetworkManager &nm = nv::NetworkManager::getInstance();
    nv::GameManager &game = nv::GameManager::getInstance();
    std::string log_path = nv_test::makeTempFile("nv-network-log");
    std::string config_path = nv_test::makeTempFile("nv-network-config");
    std::vector<Recorder *> recorders;
    std::vector<int> peers;
};
