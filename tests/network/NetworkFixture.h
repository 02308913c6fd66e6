#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LoopbackPeer.h"
#include "NetworkRecorder.h"

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

private:
    std::vector<NetworkRecorder *> recorders;
};
