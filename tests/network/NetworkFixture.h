#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "core/EventStep.h"
#include "core/GameManager.h"
#include "network/EventNetworkAccept.h"
#include "network/EventNetworkClose.h"
#include "network/NetworkManager.h"
#include "support/TestSupport.h"
#include "world/Object.h"

/// A loopback TCP socket; with a port it connects there (a small receive buffer if given), else it listens on a
/// free port. Waits are bounded only to keep a broken run from hanging.
struct Peer {
    int fd = -1;
    int port = -1;

    explicit Peer(int to_port = 0, int receive_buffer = 0) {
        if (to_port < 0) {
            return;
        }
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (receive_buffer > 0) {
            ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof(receive_buffer));
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(to_port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (to_port > 0 ? ::connect(fd, reinterpret_cast<sockaddr *>(&address), length) != 0
                        : ::bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 || ::listen(fd, 8) != 0 ||
                              ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
            close();
        }
        port = fd >= 0 ? ntohs(address.sin_port) : -1;
    }
    Peer(Peer &&other) noexcept : fd(other.fd), port(other.port) { other.fd = -1; }
    Peer(const Peer &) = delete;
    Peer &operator=(const Peer &) = delete;
    ~Peer() { close(); }

    bool ready(int timeout_ms) const {
        pollfd waiting{fd, POLLIN, 0};
        return ::poll(&waiting, 1, timeout_ms) > 0;
    }
    /// What arrives until n bytes did, the stream ends or timeout_ms passes without anything new.
    std::string read(std::size_t n = 1 << 20, int timeout_ms = 2000) {
        std::string got;
        char buffer[65536];
        while (got.size() < n && ready(timeout_ms)) {
            ssize_t count = ::recv(fd, buffer, std::min(sizeof(buffer), n - got.size()), 0);
            if (count <= 0) {
                break;
            }
            got.append(buffer, static_cast<std::size_t>(count));
        }
        return got;
    }
    bool write(const std::string &data) { return ::send(fd, data.data(), data.size(), MSG_NOSIGNAL) > 0; }
    /// True if the far end closes (end of stream or reset) within timeout_ms.
    bool closedWithin(int timeout_ms) {
        char buffer[256];
        while (ready(timeout_ms)) {
            if (::recv(fd, buffer, sizeof(buffer), 0) <= 0) {
                return true;
            }
        }
        return false;
    }
    /// Closes with a reset instead of an orderly close.
    void reset() {
        linger hard{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof(hard));
        close();
    }
    void close() {
        if (fd >= 0) {
            ::close(fd);
        }
        fd = -1;
    }
    /// The listening peer's next connection, or an invalid peer.
    Peer acceptOne() {
        Peer accepted(-1);
        accepted.fd = ready(2000) ? ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC) : -1;
        return accepted;
    }
};

/// One network or step event as a handler saw it, with what the table held then.
struct Record {
    std::string type;
    int label;
    int socket;
    int bytes;
    bool in_table;
    int connections;
};

/// Writes down each network event it is handed (and runs a hook); step events only run their hook.
class Recorder : public nv::Object {
public:
    explicit Recorder(const std::vector<std::string> &types) {
        for (const std::string &event_type : types) {
            registerInterest(event_type);
        }
    }
    int eventHandler(const nv::Event *p_e) override {
        if (const auto *p_network = dynamic_cast<const nv::EventNetwork *>(p_e)) {
            nv::NetworkManager &nm = nv::NetworkManager::getInstance();
            records.push_back(Record{p_e->getType(), p_network->getLabel(), p_network->getSocket(),
                                     p_network->getBytes(), nm.getQueueLength(p_network->getSocket()) >= 0,
                                     nm.getNumConnections()});
            if (on_network) {
                on_network(*p_network);
            }
        } else if (const auto *p_step = dynamic_cast<const nv::EventStep *>(p_e)) {
            if (on_step) {
                on_step(p_step->getStepCount());
            }
        }
        return 1;
    }
    std::vector<Record> records;
    std::function<void(const nv::EventNetwork &)> on_network;
    std::function<void(int)> on_step;
};

/// Every test starts with the manager started (no server, no connections, default limits) and the log in a
/// private file; its objects, connections and files go at the end.
class Network : public ::testing::Test {
protected:
    void SetUp() override {
        reset();
        log_path = nv_test::makeTempFile("nv-network-log");
        nv_test::restartLogInto(log_path);
        ASSERT_EQ(nm.startUp(), 0);
    }
    void TearDown() override {
        dropRecorders();
        reset();
        std::remove(log_path.c_str());
    }
    static void reset() {
        nv_test::stopIfStarted(nv::NetworkManager::getInstance());
        nv::NetworkManager::getInstance().stopServer();
        nv::NetworkManager::getInstance().setMaxConnections(nv::DEFAULT_MAX_CONNECTIONS);
        nv::NetworkManager::getInstance().setMaxHeldBytes(nv::DEFAULT_MAX_HELD_BYTES);
    }
    void dropRecorders() {
        for (Recorder *p_recorder : recorders) {
            delete p_recorder;
        }
        recorders.clear();
    }
    Recorder *recorder(const std::vector<std::string> &types) {
        recorders.push_back(new Recorder(types));
        return recorders.back();
    }
    bool logged(const std::string &line) const { return nv_test::fileText(log_path).find(line) != std::string::npos; }
    /// Makes the manager a loopback server on a free port; returns the port.
    int serve() { return nm.startServer(0) == 0 ? nm.getServerPort() : -1; }
    /// Calls accept() until it takes something or two seconds pass.
    int acceptWithin() {
        int s = -1;
        waitFor([&] { return (s = nm.accept()) != -1; });
        return s;
    }
    /// Connects peers to the server (serving first if need be); the manager's sockets for them in order.
    std::vector<int> acceptPeers(std::vector<Peer> &peers, int count, int receive_buffer = 0) {
        const int port = nm.isServer() ? nm.getServerPort() : serve();
        std::vector<int> sockets;
        for (int i = 0; i < count; i++) {
            peers.emplace_back(port, receive_buffer);
            sockets.push_back(acceptWithin());
        }
        return sockets;
    }
    /// Waits until done() holds, at most two seconds; whether it does.
    static bool waitFor(const std::function<bool()> &done) {
        for (int tries = 0; tries < 2000; tries++) {
            if (done()) {
                return true;
            }
            ::usleep(1000);
        }
        return false;
    }
    /// Calls attempt while s stays connected (at most two seconds); its last result.
    int whileConnected(int s, const std::function<int()> &attempt) {
        int result = 0;
        waitFor([&] { return !nm.isConnected(s) || ((result = attempt()), false); });
        return result;
    }

    nv::NetworkManager &nm = nv::NetworkManager::getInstance();
    std::string log_path;
    std::vector<Recorder *> recorders;
};
