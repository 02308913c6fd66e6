#include "LoopbackListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackListener::LoopbackListener() {
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        close();
        return;
    }
    listen_port = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
    close();
}

LoopbackPeer LoopbackListener::acceptOne(int timeout_ms) {
    pollfd waiting{fd, POLLIN, 0};
    if (fd < 0 || ::poll(&waiting, 1, timeout_ms) <= 0) {
        return LoopbackPeer();
    }
    int s = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (s < 0) {
        return LoopbackPeer();
    }
    timeval timeout{2, 0};
    ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    return LoopbackPeer(s);
}

void LoopbackListener::close() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    listen_port = -1;
}
