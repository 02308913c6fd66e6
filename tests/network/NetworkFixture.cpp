#include "NetworkFixture.h"

#include <chrono>
#include <thread>

#include "network/NetworkManager.h"
#include "support/TestSupport.h"

void resetNetworkManager() {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    nv_test::stopIfStarted(network_manager);
    network_manager.stopServer();
    network_manager.setMaxConnections(nv::DEFAULT_MAX_CONNECTIONS);
}

void NetworkFixture::SetUp() {
    resetNetworkManager();
    ASSERT_EQ(nv::NetworkManager::getInstance().startUp(), 0);
}

void NetworkFixture::TearDown() {
    for (NetworkRecorder *p_recorder : recorders) {
        delete p_recorder;
    }
    recorders.clear();
    resetNetworkManager();
}

NetworkRecorder *NetworkFixture::recorder(const std::vector<std::string> &types) {
    auto *p_recorder = new NetworkRecorder(types);
    recorders.push_back(p_recorder);
    return p_recorder;
}

int NetworkFixture::serve() {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    if (network_manager.startServer(0) != 0) {
        return -1;
    }
    return network_manager.getServerPort();
}

int NetworkFixture::acceptWithin(int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int s = nv::NetworkManager::getInstance().accept();
        if (s != -1 || std::chrono::steady_clock::now() >= deadline) {
            return s;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

int NetworkFixture::acceptPeer(int port, LoopbackPeer &peer) {
    peer = LoopbackPeer::connectTo(port);
    if (!peer.valid()) {
        return -1;
    }
    return acceptWithin();
}

int NetworkFixture::servePeer(LoopbackPeer &peer) {
    int port = serve();
    if (port <= 0) {
        return -1;
    }
    return acceptPeer(port, peer);
}

bool NetworkFixture::acceptPeers(int port, LoopbackPeer *peers, int *sockets, int count) {
    for (int i = 0; i < count; i++) {
        sockets[i] = acceptPeer(port, peers[i]);
        if (sockets[i] < 0) {
            return false;
        }
    }
    return true;
}

int NetworkFixture::repeatWhileConnected(int s, const std::function<int()> &attempt) {
    nv::NetworkManager &network_manager = nv::NetworkManager::getInstance();
    int result = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (network_manager.isConnected(s) && std::chrono::steady_clock::now() < deadline) {
        result = attempt();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return result;
}
