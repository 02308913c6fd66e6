#include "LoopbackPeer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackPeer::LoopbackPeer(int new_fd) : fd(new_fd) {}

LoopbackPeer::~LoopbackPeer() {
    close();
}

LoopbackPeer::LoopbackPeer(LoopbackPeer &&other) noexcept : fd(other.fd) {
    other.fd = -1;
}

LoopbackPeer &LoopbackPeer::operator=(LoopbackPeer &&other) noexcept {
    if (this != &other) {
        close();
        fd = other.fd;
        other.fd = -1;
    }
    return *this;
}

LoopbackPeer LoopbackPeer::connectTo(int port, int receive_buffer) {
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        return LoopbackPeer();
    }
    // Only a buffer set before the handshake shrinks the window the sender is offered.
    if (receive_buffer > 0) {
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof(receive_buffer));
    }
    timeval timeout{2, 0};
    ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        ::close(s);
        return LoopbackPeer();
    }
    return LoopbackPeer(s);
}

bool LoopbackPeer::writeAll(const std::string &data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string LoopbackPeer::readFor(std::size_t n, int timeout_ms) {
    std::string result;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    char buffer[65536];
    while (result.size() < n) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            break;
        }
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, static_cast<int>(left)) <= 0) {
            break;
        }
        std::size_t want = std::min(sizeof(buffer), n - result.size());
        ssize_t got = ::recv(fd, buffer, want, MSG_DONTWAIT);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                continue;
            }
            break;
        }
        result.append(buffer, static_cast<std::size_t>(got));
    }
    return result;
}

std::string LoopbackPeer::readAvailable(int timeout_ms) {
    std::string result;
    pollfd waiting{fd, POLLIN, 0};
    if (::poll(&waiting, 1, timeout_ms) <= 0) {
        return result;
    }
    char buffer[65536];
    for (;;) {
        ssize_t got = ::recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (got <= 0) {
            return result;
        }
        result.append(buffer, static_cast<std::size_t>(got));
    }
}

bool LoopbackPeer::closedWithin(int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    char buffer[4096];
    for (;;) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        pollfd waiting{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&waiting, 1, static_cast<int>(left)) <= 0) {
            return false;
        }
        ssize_t got = ::recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
            return true;
        }
    }
}

void LoopbackPeer::reset() {
    if (fd < 0) {
        return;
    }
    linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof(hard));
    close();
}

void LoopbackPeer::close() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}
