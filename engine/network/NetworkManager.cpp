#include "network/NetworkManager.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "core/GameManager.h"
#include "core/LogManager.h"
#include "network/EventNetworkAccept.h"
#include "network/EventNetworkClose.h"

namespace nv {

namespace {

bool isGoneError(int error) {
    return error == ENOTCONN || error == EBADF || error == EPIPE || error == ECONNRESET;
}

std::unique_ptr<char[]> copyBytes(const char *data, int length) {
    std::unique_ptr<char[]> copy(new char[length]);
    std::memcpy(copy.get(), data, length);
    return copy;
}

} // namespace

NetworkManager::NetworkManager()
    : server_socket(-1), max_connections(DEFAULT_MAX_CONNECTIONS), max_held_bytes(DEFAULT_MAX_HELD_BYTES),
      delivering(false) {
    setType("NetworkManager");
}

NetworkManager::~NetworkManager() {
    // Objects may already be gone at program exit, so no close events are raised here.
    for (int s : sockets) {
        ::close(s);
    }
    if (server_socket != -1) {
        ::close(server_socket);
    }
}

NetworkManager &NetworkManager::getInstance() {
    static NetworkManager network_manager;
    return network_manager;
}

int NetworkManager::startUp() {
    LogManager &log_manager = LogManager::getInstance();
    if (isStarted()) {
        log_manager.writeLog("%s::startup(): Warning! %s already started.", "NetworkManager", "NetworkManager");
        return -1;
    }
    // Sockets need no library start here; making one proves the socket layer is usable.
    int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        int error = errno;
        log_manager.writeLog("NetworkManager::startUp(): Error! WSAStartup() code : %d", error);
        writeErrorText(error);
        return 1;
    }
    ::close(probe);
    Manager::startUp();
    log_manager.writeLog(5, "NetworkManager::startUp(): successfully started.");
    return 0;
}

void NetworkManager::shutDown() {
    close(-1);
    stopServer();
    Manager::shutDown();
    LogManager::getInstance().writeLog(5, "NetworkManager::shutDown(): successfully stopped.");
}

bool NetworkManager::isValid(std::string event_type) const {
    if (isNetworkEventType(event_type)) {
        return true;
    }
    LogManager::getInstance().writeLog("NetworkManager::isValid(): Error! NetworkManager does not handle %s.",
                                       event_type.c_str());
    return false;
}

int NetworkManager::startServer(int port, bool all_interfaces) {
    LogManager &log_manager = LogManager::getInstance();
    if (!isStarted()) {
        log_manager.writeLog("NetworkManager::startServer(): Error! NetworkManager not started.");
        return -1;
    }
    if (server_socket != -1) {
        log_manager.writeLog("NetworkManager::startServer(): Error! Already a server on port %d.", getServerPort());
        return -1;
    }
    if (port < 0 || port > 65535) {
        log_manager.writeLog("NetworkManager::startServer(): Error! Port %d out of range.", port);
        return -1;
    }
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0) {
        int error = errno;
        log_manager.writeLog("NetworkManager::startServer(): Error! socket() returned:");
        writeErrorText(error);
        return -1;
    }
    // A restarted server must not wait for the old port's TIME_WAIT connections to expire.
    int yes = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(all_interfaces ? INADDR_ANY : INADDR_LOOPBACK);
    if (::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0 || ::listen(s, SOMAXCONN) != 0) {
        int error = errno;
        ::close(s);
        log_manager.writeLog("NetworkManager::startServer(): Error! Unable to listen on port %d:", port);
        writeErrorText(error);
        return -1;
    }
    server_socket = s;
    log_manager.writeLog(1, "NetworkManager::startServer(): Listening on port %d.", getServerPort());
    return 0;
}

void NetworkManager::stopServer() {
    if (server_socket != -1) {
        ::close(server_socket);
        server_socket = -1;
    }
}

int NetworkManager::getServerPort() const {
    if (server_socket == -1) {
        return -1;
    }
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    if (::getsockname(server_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        return -1;
    }
    return ntohs(address.sin_port);
}

bool NetworkManager::isServer() const {
    return server_socket != -1;
}

int NetworkManager::accept() {
    LogManager &log_manager = LogManager::getInstance();
    if (server_socket == -1) {
        log_manager.writeLog("NetworkManager::accept(): Error! Not setup as server.");
        return -2;
    }
    if (static_cast<int>(sockets.size()) >= max_connections) {
        log_manager.writeLog(20, "NetworkManager::accept(): Won't check for new connetions since at max.");
        log_manager.writeLog(20, "\tUse NM.setMaxConnections() to change max.");
        return -1;
    }
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    int s = ::accept4(server_socket, reinterpret_cast<sockaddr *>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (s < 0) {
        int error = errno;
        // A peer that gave up before being accepted, or a signal, is no fault of the server.
        if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR || error == ECONNABORTED) {
            log_manager.writeLog(15, "NetworkManager::accept(): No new connection. Not blocking.");
            return -1;
        }
        log_manager.writeLog("NetworkManager::accept(): Error! accept() returned:");
        writeErrorText(error);
        return -2;
    }
    log_manager.writeLog(1, "NetworkManager::accept(): New connection, socket %d.", s);
    addConnection(s);
    EventNetworkAccept event(s);
    event.setBytes(0);
    onEvent(&event);
    return s;
}

int NetworkManager::connect(std::string host, int port, int timeout_ms) {
    LogManager &log_manager = LogManager::getInstance();
    if (!isStarted()) {
        log_manager.writeLog("NetworkManager::connect(): Error! NetworkManager not started.");
        return -1;
    }
    if (static_cast<int>(sockets.size()) >= max_connections) {
        log_manager.writeLog("NetworkManager::connect(): Error! Already at max connections (%d).", max_connections);
        return -1;
    }
    if (port <= 0 || port > 65535) {
        log_manager.writeLog("NetworkManager::connect(): Error! Port %d out of range.", port);
        return -1;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *p_result = nullptr;
    int lookup = ::getaddrinfo(host.c_str(), nullptr, &hints, &p_result);
    if (lookup != 0 || p_result == nullptr) {
        log_manager.writeLog("NetworkManager::connect(): Error! Unable to resolve '%s': %s", host.c_str(),
                             ::gai_strerror(lookup));
        if (p_result != nullptr) {
            ::freeaddrinfo(p_result);
        }
        return -1;
    }
    sockaddr_in address{};
    std::memcpy(&address, p_result->ai_addr, sizeof(address));
    ::freeaddrinfo(p_result);
    address.sin_port = htons(static_cast<uint16_t>(port));

    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0) {
        int error = errno;
        log_manager.writeLog("NetworkManager::connect(): Error! socket() returned:");
        writeErrorText(error);
        return -1;
    }
    int error = 0;
    if (::connect(s, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        error = errno;
        if (error == EINPROGRESS || error == EINTR) {
            error = ETIMEDOUT;
            auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, timeout_ms));
            for (;;) {
                auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
                pollfd waiting{s, POLLOUT, 0};
                int ready = ::poll(&waiting, 1, static_cast<int>(std::max<long long>(0, left.count())));
                if (ready > 0) {
                    socklen_t length = sizeof(error);
                    if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
                        error = errno;
                    }
                    break;
                }
                if (ready == 0 || errno != EINTR) {
                    error = ready == 0 ? ETIMEDOUT : errno;
                    break;
                }
            }
        }
    }
    if (error != 0) {
        ::close(s);
        log_manager.writeLog("NetworkManager::connect(): Error! Unable to connect to %s:%d:", host.c_str(), port);
        writeErrorText(error);
        return -1;
    }
    log_manager.writeLog(1, "NetworkManager::connect(): Connected to %s:%d, socket %d.", host.c_str(), port, s);
    addConnection(s);
    return s;
}

bool NetworkManager::isConnected(int socket) const {
    if (socket == -1) {
        return !sockets.empty();
    }
    if (indexOf(socket) >= 0) {
        return true;
    }
    LogManager::getInstance().writeLog("NetworkManager::isConnected(): Warning! Socket %d not connected.", socket);
    return false;
}

int NetworkManager::send(const void *buffer, int bytes, int socket) {
    if (!checkTransfer(buffer, bytes, socket, "send", "send")) {
        return -1;
    }
    if (bytes == 0) {
        return 0;
    }
    LogManager &log_manager = LogManager::getInstance();
    const char *data = static_cast<const char *>(buffer);
    int index = indexOf(socket);
    if (!message_queues[index].empty() && message_queues[index].front().owed) {
        int total = 0;
        int state = drain(socket, true, 0, &total);
        if (state < 0) {
            return -1;
        }
        index = indexOf(socket);
        if (state == 0) {
            // The stream is still owed older bytes: these follow them rather than cutting in.
            if (!mayHold(index, bytes, true)) {
                return -1;
            }
            std::deque<QueuedMessage> &queue = message_queues[index];
            auto position = std::find_if(queue.begin(), queue.end(), [](const QueuedMessage &m) { return !m.owed; });
            queue.insert(position, QueuedMessage{bytes, copyBytes(data, bytes), 0, 0, true});
            held_bytes[index] += bytes;
            return 0;
        }
    }
    log_manager.writeLog(15, "NetworkManager::send(): Socket %d. Calling ::send()...", socket);
    int sent = 0;
    int error = 0;
    switch (rawSend(socket, data, bytes, &sent, &error)) {
    case SendResult::SENT:
        return 0;
    case SendResult::PARTIAL:
    case SendResult::WOULD_BLOCK: {
        int rest = bytes - sent;
        // Once the start of a message is on the stream its rest must follow, or the peer could never find the next.
        if (sent == 0 && !mayHold(index, rest, true)) {
            return -1;
        }
        if (sent > 0) {
            log_manager.writeLog("NetworkManager::send(): Warning! %d of %d bytes sent.", sent, bytes);
        }
        message_queues[index].push_front(QueuedMessage{rest, copyBytes(data + sent, rest), 0, 0, true});
        held_bytes[index] += rest;
        return 0;
    }
    case SendResult::GONE:
        logSendFailure(error, true);
        close(socket);
        return -1;
    case SendResult::FAILED:
        break;
    }
    logSendFailure(error, false);
    return -1;
}

int NetworkManager::queueMessage(const void *buffer, int bytes, int socket, int step) {
    if (!checkTransfer(buffer, bytes, socket, "queueMessage", "queue")) {
        return -1;
    }
    if (bytes == 0) {
        return 0;
    }
    int index = indexOf(socket);
    if (!mayHold(index, bytes, false)) {
        return -1;
    }
    message_queues[index].push_back(
        QueuedMessage{bytes, copyBytes(static_cast<const char *>(buffer), bytes), step, 0, false});
    held_bytes[index] += bytes;
    return 0;
}

int NetworkManager::deliverQueued() {
    // A close handler that delivers again would disturb the walk below; the outer walk finishes the job.
    if (delivering) {
        return 0;
    }
    delivering = true;
    int now = GameManager::getInstance().getStepCount();
    int total = 0;
    delivery_order.assign(sockets.begin(), sockets.end());
    for (int s : delivery_order) {
        drain(s, false, now, &total);
    }
    delivering = false;
    return total;
}

int NetworkManager::receive(void *buffer, int bytes, int socket, bool peek) {
    if (!checkTransfer(buffer, bytes, socket, "receive", "receive")) {
        return -1;
    }
    if (bytes == 0) {
        return 0;
    }
    LogManager &log_manager = LogManager::getInstance();
    for (;;) {
        ssize_t received = ::recv(socket, buffer, static_cast<size_t>(bytes), MSG_DONTWAIT | (peek ? MSG_PEEK : 0));
        if (received > 0) {
            return static_cast<int>(received);
        }
        if (received == 0) {
            log_manager.writeLog(1, "NetworkManager::receive(): Socket %d closed by peer.", socket);
            close(socket);
            return -1;
        }
        int error = errno;
        if (error == EINTR) {
            continue;
        }
        if (error == EAGAIN || error == EWOULDBLOCK) {
            return 0;
        }
        log_manager.writeLog("NetworkManager::receive(): Error! recv() returned:");
        writeErrorText(error);
        if (isGoneError(error) || error == ETIMEDOUT) {
            log_manager.writeLog(1, "\tsocket is closed");
            close(socket);
        }
        return -1;
    }
}

int NetworkManager::bytesWaiting(int socket) const {
    if (!checkConnected(socket, "bytesWaiting")) {
        return -1;
    }
    int waiting = 0;
    if (::ioctl(socket, FIONREAD, &waiting) != 0) {
        return -1;
    }
    return waiting;
}

int NetworkManager::close(int socket) {
    if (socket != -1) {
        int index = indexOf(socket);
        if (index < 0) {
            LogManager::getInstance().writeLog("NetworkManager::close(): Error! Socket %d not connected.", socket);
            return -1;
        }
        if (isClosing(socket)) {
            return 0;
        }
        return closeAt(index);
    }
    int result = 0;
    for (;;) {
        auto open = std::find_if(sockets.begin(), sockets.end(), [this](int s) { return !isClosing(s); });
        if (open == sockets.end()) {
            break;
        }
        if (closeAt(static_cast<int>(open - sockets.begin())) != 0) {
            result = -1;
        }
    }
    return result;
}

void NetworkManager::setMaxConnections(int new_max_connections) {
    max_connections = new_max_connections;
}

int NetworkManager::getMaxConnections() const {
    return max_connections;
}

int NetworkManager::getNumConnections() const {
    return static_cast<int>(sockets.size());
}

void NetworkManager::setMaxHeldBytes(int new_max_held_bytes) {
    max_held_bytes = std::max(0, new_max_held_bytes);
}

int NetworkManager::getMaxHeldBytes() const {
    return max_held_bytes;
}

long long NetworkManager::getHeldBytes(int socket) const {
    int index = indexOf(socket);
    return index < 0 ? -1 : held_bytes[index];
}

int NetworkManager::getSocket(int index) const {
    if (index < 0 || index >= static_cast<int>(sockets.size())) {
        return -1;
    }
    return sockets[index];
}

int NetworkManager::getQueueLength(int socket) const {
    int index = indexOf(socket);
    if (index < 0) {
        return -1;
    }
    return static_cast<int>(message_queues[index].size());
}

int NetworkManager::indexOf(int socket) const {
    if (socket < 0) {
        return -1;
    }
    auto found = std::find(sockets.begin(), sockets.end(), socket);
    return found == sockets.end() ? -1 : static_cast<int>(found - sockets.begin());
}

bool NetworkManager::isClosing(int socket) const {
    return std::find(closing.begin(), closing.end(), socket) != closing.end();
}

bool NetworkManager::checkConnected(int socket, const char *operation) const {
    // -1 means "any connection" to isConnected(), never a socket to act on.
    if (socket < 0) {
        LogManager::getInstance().writeLog("NetworkManager::isConnected(): Warning! Socket %d not connected.", socket);
        return false;
    }
    if (!isConnected(socket)) {
        return false;
    }
    if (isClosing(socket)) {
        LogManager::getInstance().writeLog("NetworkManager::%s(): Warning! Socket %d is closing.", operation, socket);
        return false;
    }
    return true;
}

bool NetworkManager::checkTransfer(const void *buffer, int bytes, int socket, const char *operation,
                                   const char *verb) const {
    LogManager &log_manager = LogManager::getInstance();
    if (!checkConnected(socket, operation)) {
        log_manager.writeLog("NetworkManager::%s(): Error! Socket %d not connected. Unable to %s.", operation, socket,
                             verb);
        return false;
    }
    if ((buffer == nullptr && bytes != 0) || bytes < 0) {
        log_manager.writeLog("NetworkManager::%s(): Error! Bad buffer of %d bytes.", operation, bytes);
        return false;
    }
    return true;
}

bool NetworkManager::mayHold(int index, int bytes, bool sending) const {
    if (held_bytes[index] + bytes <= max_held_bytes) {
        return true;
    }
    LogManager &log_manager = LogManager::getInstance();
    if (sending) {
        log_manager.writeLog("NetworkManager::send(): Warning! 0 of %d bytes sent.", bytes);
    } else {
        log_manager.writeLog("NetworkManager::queueMessage(): Warning! %d bytes not queued.", bytes);
    }
    log_manager.writeLog("\tSocket %d holds %lld bytes; %d more would pass its limit of %d.", sockets[index],
                         held_bytes[index], bytes, max_held_bytes);
    return false;
}

void NetworkManager::addConnection(int socket) {
    sockets.push_back(socket);
    socket_values.push_back(0);
    message_queues.emplace_back();
    held_bytes.push_back(0);
}

int NetworkManager::closeAt(int index) {
    int s = sockets[index];
    closing.push_back(s);
    // Shut down now so the peer sees the close at once, but keep the number until the handlers are done
    // so a connection they open cannot be given the same socket number.
    ::shutdown(s, SHUT_RDWR);
    EventNetworkClose event(s);
    event.setBytes(0);
    onEvent(&event);
    int result = 0;
    if (::close(s) != 0) {
        int error = errno;
        LogManager::getInstance().writeLog("NetworkManager::close(): Error! close() returned:");
        writeErrorText(error);
        result = -1;
    }
    int position = indexOf(s);
    if (position >= 0) {
        sockets.erase(sockets.begin() + position);
        socket_values.erase(socket_values.begin() + position);
        message_queues.erase(message_queues.begin() + position);
        held_bytes.erase(held_bytes.begin() + position);
    }
    closing.erase(std::find(closing.begin(), closing.end(), s));
    return result;
}

NetworkManager::SendResult NetworkManager::rawSend(int socket, const char *data, int length, int *p_sent,
                                                   int *p_error) const {
    *p_sent = 0;
    *p_error = 0;
    for (;;) {
        // MSG_NOSIGNAL: a vanished peer must give an error, not a SIGPIPE that ends the program.
        ssize_t sent = ::send(socket, data, static_cast<size_t>(length), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent >= 0) {
            *p_sent = static_cast<int>(sent);
            if (sent == length) {
                return SendResult::SENT;
            }
            if (sent == 0) {
                *p_error = EAGAIN;
                return SendResult::WOULD_BLOCK;
            }
            return SendResult::PARTIAL;
        }
        int error = errno;
        if (error == EINTR) {
            continue;
        }
        *p_error = error;
        if (error == EAGAIN || error == EWOULDBLOCK || error == ENOBUFS || error == ENOMEM) {
            return SendResult::WOULD_BLOCK;
        }
        return isGoneError(error) ? SendResult::GONE : SendResult::FAILED;
    }
}

int NetworkManager::drain(int socket, bool owed_only, int now, int *p_total) {
    LogManager &log_manager = LogManager::getInstance();
    for (;;) {
        int index = indexOf(socket);
        if (index < 0 || isClosing(socket)) {
            return -1;
        }
        std::deque<QueuedMessage> &queue = message_queues[index];
        if (queue.empty()) {
            return 1;
        }
        QueuedMessage &front = queue.front();
        if (!front.owed && (owed_only || front.step > now)) {
            return 1;
        }
        log_manager.writeLog(15, "NetworkManager::send(): Socket %d. Calling ::send()...", socket);
        int remaining = front.length - front.sent;
        int sent = 0;
        int error = 0;
        switch (rawSend(socket, front.data.get() + front.sent, remaining, &sent, &error)) {
        case SendResult::SENT:
            queue.pop_front();
            held_bytes[index] -= remaining;
            break;
        case SendResult::PARTIAL:
            log_manager.writeLog("NetworkManager::send(): Warning! %d of %d bytes sent.", sent, remaining);
            front.sent += sent;
            held_bytes[index] -= sent;
            front.owed = true;
            return 0;
        case SendResult::WOULD_BLOCK:
            // The peer is not reading fast enough; the message keeps its place for the next delivery.
            log_manager.writeLog(15, "NetworkManager::send(): Socket %d busy, %d bytes wait.", socket, remaining);
            *p_total -= 1;
            return 0;
        case SendResult::GONE:
            logSendFailure(error, true);
            *p_total -= 1;
            close(socket);
            return -1;
        case SendResult::FAILED: {
            logSendFailure(error, false);
            *p_total -= 1;
            bool cut = front.sent > 0;
            queue.pop_front();
            held_bytes[index] -= remaining;
            if (cut) {
                // Half a message is already on the stream; the peer could never find the next one.
                close(socket);
                return -1;
            }
            break;
        }
        }
    }
}

void NetworkManager::logSendFailure(int error, bool closing_socket) const {
    LogManager &log_manager = LogManager::getInstance();
    log_manager.writeLog("NetworkManager::send(): Error! Return is -1.");
    writeErrorText(error);
    if (closing_socket) {
        log_manager.writeLog(1, "\tsocket is closed");
    }
}

void NetworkManager::writeErrorText(int code) const {
    const char *text = std::strerror(code);
    if (text == nullptr || *text == '\0') {
        return;
    }
    int length = static_cast<int>(std::strcspn(text, "\r"));
    LogManager::getInstance().writeLog("\t%d - %.*s", code, length, text);
}

} // namespace nv
