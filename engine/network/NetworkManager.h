#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/Manager.h"

namespace nv {

/// Connections the manager keeps open at most unless told otherwise.
const int DEFAULT_MAX_CONNECTIONS = 3;
/// Bytes the manager holds at most for one connection (unsent rests and queued messages) unless told otherwise.
const int DEFAULT_MAX_HELD_BYTES = 1 << 20;

/// Keeps the engine's TCP connections: an optional listening socket, a bounded table of connected
/// sockets and, per connection, a queue of messages held back until a given game step.
///
/// The game loop, when networking is configured, calls once per step:
///   if (nm.isServer()) nm.accept();
///   if (nm.isConnected()) nm.deliverQueued();
class NetworkManager : public Manager {
public:
    /// Returns the one network manager.
    static NetworkManager &getInstance();
    NetworkManager(const NetworkManager &) = delete;
    NetworkManager &operator=(const NetworkManager &) = delete;
    ~NetworkManager() override;

    /// Checks that sockets can be made; 0 on success, 1 when the socket layer is unusable, -1 if started.
    int startUp() override;
    /// Closes every connection (each with its close event) and the listening socket.
    void shutDown() override;
    /// Accepts the eleven network event types and refuses every other with a message.
    bool isValid(std::string event_type) const override;

    /// Opens a non-blocking listening socket on the port (0 picks a free one); 0 on success, -1 on failure.
    int startServer(int port = 0, bool all_interfaces = false);
    /// Closes the listening socket, leaving open connections alone.
    void stopServer();
    /// Returns the port the listening socket is bound to, or -1 when not a server.
    int getServerPort() const;
    /// True while the manager has a listening socket.
    bool isServer() const;

    /// Takes one waiting connection: the new socket, -1 when none is taken (not an error), -2 on error.
    int accept();
    /// Connects to host:port, waiting at most timeout_ms for the handshake; the new socket or -1.
    int connect(std::string host, int port, int timeout_ms = 1000);

    /// With -1, whether any connection is open; otherwise whether the socket is in the table.
    bool isConnected(int socket = -1) const;
    /// Sends the bytes now; 0 when every byte is sent or will follow in order, -1 otherwise. What the socket does
    /// not take is held if the connection's held bytes stay within the limit; if not, nothing is sent or kept: -1.
    /// Only the rest of a message whose start is already on the stream is held past the limit.
    int send(const void *buffer, int bytes, int socket);
    /// Queues a copy of the bytes to be sent at the first delivery whose step count is at least step; -1, keeping
    /// nothing, when the connection's held bytes would pass the limit.
    int queueMessage(const void *buffer, int bytes, int socket, int step);
    /// Sends every queued message whose step has come, in queue order; returns the sum of the send results.
    int deliverQueued();

    /// Reads up to bytes without waiting (leaving them waiting if peek); count read, 0 if none, -1 if gone.
    int receive(void *buffer, int bytes, int socket, bool peek = false);
    /// Returns how many bytes can be read from the socket now, or -1 if it is not connected.
    int bytesWaiting(int socket) const;

    /// Closes one connection, or every one with -1, raising a close event for each; 0 or -1.
    int close(int socket = -1);

    /// Sets how many connections may be open at once.
    void setMaxConnections(int new_max_connections);
    /// Returns how many connections may be open at once.
    int getMaxConnections() const;
    /// Returns how many connections are open.
    int getNumConnections() const;
    /// Returns the socket at a table index (in order of connection), or -1 for a bad index.
    int getSocket(int index) const;
    /// Returns how many messages wait in the socket's queue, or -1 if it is not connected.
    int getQueueLength(int socket) const;
    /// Sets how many bytes the manager may hold for each connection (below 0 counts as 0).
    void setMaxHeldBytes(int new_max_held_bytes);
    /// Returns how many bytes the manager may hold for each connection.
    int getMaxHeldBytes() const;
    /// Returns how many bytes the manager holds for the socket, or -1 if it is not connected.
    long long getHeldBytes(int socket) const;

private:
    NetworkManager();

    struct QueuedMessage {
        int length;
        std::unique_ptr<char[]> data;
        int step;
        int sent;
        // Owed to the stream already (a partial send, or sent behind one): goes before anything else.
        bool owed;
    };

    enum class SendResult { SENT, PARTIAL, WOULD_BLOCK, GONE, FAILED };

    int indexOf(int socket) const;
    bool isClosing(int socket) const;
    bool checkConnected(int socket, const char *operation) const;
    // The checks send(), queueMessage() and receive() share; logs why a transfer is refused.
    bool checkTransfer(const void *buffer, int bytes, int socket, const char *operation, const char *verb) const;
    // Whether bytes more may be held for the connection at index; logs the refusal of a send or queueing if not.
    bool mayHold(int index, int bytes, bool sending) const;
    void addConnection(int socket);
    int closeAt(int index);
    SendResult rawSend(int socket, const char *data, int length, int *p_sent, int *p_error) const;
    int drain(int socket, bool owed_only, int now, int *p_total);
    void logSendFailure(int error, bool closing_socket) const;
    void writeErrorText(int code) const;

    int server_socket;
    int max_connections;
    int max_held_bytes;
    std::vector<int> sockets;
    std::vector<int> socket_values;
    std::vector<std::deque<QueuedMessage>> message_queues;
    // Parallel to sockets: the bytes still to send in each connection's queue.
    std::vector<long long> held_bytes;
    // Sockets whose close event is being delivered, so handlers cannot close or reuse them twice.
    std::vector<int> closing;
    // Reused snapshot of the table for delivery, so a step allocates nothing.
    std::vector<int> delivery_order;
    bool delivering;
};

} // namespace nv
