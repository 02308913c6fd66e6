#pragma once

#include <string>

#include "core/Event.h"

namespace nv {

/// Type name of the generic network event.
const std::string NETWORK_EVENT = "nv-network";

/// True for the type names the network manager keeps interest in ("nv-network" and its relatives).
bool isNetworkEventType(const std::string &event_type);

/// Label of an event raised when a connection was accepted.
const int NETWORK_ACCEPT_LABEL = 0;
/// Label of an event raised when a connection was closed.
const int NETWORK_CLOSE_LABEL = 2;
/// Label stored when the constructor or setLabel() is given a value outside -1 to 3.
const int NETWORK_UNDEFINED_LABEL = -1;

/// A network event: a label saying what happened and the socket it happened on.
class EventNetwork : public Event {
public:
    /// Creates an "nv-network" event with the label (-1 after a message if outside -1 to 3), socket -1.
    explicit EventNetwork(int new_label = NETWORK_UNDEFINED_LABEL);
    ~EventNetwork() override;

    /// Stores the label, or -1 with a log message if it lies outside -1 to 3.
    void setLabel(int new_label);
    /// Returns the label.
    int getLabel() const;
    /// Sets the socket the event concerns.
    void setSocket(int new_socket);
    /// Returns the socket the event concerns (-1 if none).
    int getSocket() const;
    /// Sets the free integer the engine leaves at 0.
    void setBytes(int new_bytes);
    /// Returns the free integer the engine leaves at 0.
    int getBytes() const;
    /// Sets the free, non-owned pointer the engine leaves null.
    void setMessage(void *p_new_message);
    /// Returns the free, non-owned pointer the engine leaves null.
    void *getMessage() const;

private:
    int label;
    int socket;
    int bytes;
    void *p_message;
};

} // namespace nv
