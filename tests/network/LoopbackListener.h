#pragma once

#include "LoopbackPeer.h"

/// A plain listening socket on 127.0.0.1 with a free port, the far end for client tests.
class LoopbackListener {
public:
    /// Listens on a free loopback port; check port() > 0.
    LoopbackListener();
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener &) = delete;
    LoopbackListener &operator=(const LoopbackListener &) = delete;

    /// Returns the listening port, or -1 if listening failed.
    int port() const { return listen_port; }
    /// Accepts one connection within timeout_ms; the result is invalid if none came.
    LoopbackPeer acceptOne(int timeout_ms);
    /// Stops listening, so connecting to the port is refused.
    void close();

private:
    int fd = -1;
    int listen_port = -1;
};
