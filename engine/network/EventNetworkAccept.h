#pragma once

#include <string>

#include "network/EventNetwork.h"

namespace nv {

/// Type name of the event raised when the network manager accepts a connection.
const std::string NETWORK_ACCEPT_EVENT = "nv-network-accept";

/// Raised when the network manager accepts a connection.
class EventNetworkAccept : public EventNetwork {
public:
    /// Creates an "nv-network-accept" event with label 0 for the socket.
    explicit EventNetworkAccept(int new_socket = -1);
    ~EventNetworkAccept() override;
};

} // namespace nv
