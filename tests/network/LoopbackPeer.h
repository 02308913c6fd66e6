#pragma once

#include <cstddef>
#include <string>

/// A plain blocking TCP socket on 127.0.0.1 that plays the far end of a connection in tests; every wait
/// is bounded by a timeout.
class LoopbackPeer {
public:
    LoopbackPeer() = default;
    /// Takes ownership of an open socket.
    explicit LoopbackPeer(int new_fd);
    ~LoopbackPeer();
    LoopbackPeer(LoopbackPeer &&other) noexcept;
    LoopbackPeer &operator=(LoopbackPeer &&other) noexcept;
    LoopbackPeer(const LoopbackPeer &) = delete;
    LoopbackPeer &operator=(const LoopbackPeer &) = delete;

    /// Connects to 127.0.0.1:port, with a small receive buffer if one is given; invalid if that failed.
    static LoopbackPeer connectTo(int port, int receive_buffer = 0);

    /// True while the peer holds a socket.
    bool valid() const { return fd >= 0; }
    /// Returns the socket, or -1.
    int socket() const { return fd; }
    /// Writes every byte; false on error.
    bool writeAll(const std::string &data);
    /// Reads until n bytes arrived, the stream ended or timeout_ms passed; returns what arrived.
    std::string readFor(std::size_t n, int timeout_ms);
    /// Returns what arrives within timeout_ms (empty if nothing does).
    std::string readAvailable(int timeout_ms);
    /// True if the far end closes (end of stream or reset) within timeout_ms; data before that is skipped.
    bool closedWithin(int timeout_ms);
    /// Closes with a reset (SO_LINGER 0) instead of an orderly close.
    void reset();
    /// Closes in the orderly way.
    void close();

private:
    int fd = -1;
};
