#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "LoopbackPeer.h"
#include "NetworkRecorder.h"

/// Stops the network manager, its server and connections, and restores the default maximum.
void resetNetworkManager();

/// Starts every test with a freshly started network manager (no server, no connections, maximum 3) and
/// removes the test's objects and connections afterwards.
class NetworkFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Makes a recorder for the event types; it is deleted at the end of the test.
    NetworkRecorder *recorder(const std::vector<std::string> &types);
    /// Makes the manager a loopback server on a free port and returns the port.
    int serve();
    /// Calls accept() until it returns something other than -1 or timeout_ms passes.
    int acceptWithin(int timeout_ms = 2000);
    /// Connects a plain peer to the server and has the manager accept it; returns the manager's socket.
    int acceptPeer(int port, LoopbackPeer &peer);
    /// Serves on a free port and accepts one plain peer; returns the manager's socket, or -1.
    int servePeer(LoopbackPeer &peer);
    /// Accepts count plain peers in order, filling sockets; false as soon as one is not accepted.
    bool acceptPeers(int port, LoopbackPeer *peers, int *sockets, int count);
    /// Calls attempt every millisecond while socket s stays connected, for at most two seconds; returns its
    /// last result (0 if it never ran).
    int repeatWhileConnected(int s, const std::function<int()> &attempt);

private:
    std::vector<NetworkRecorder *> recorders;
};
