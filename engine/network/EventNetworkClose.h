#pragma once

#include <string>

#include "network/EventNetwork.h"

namespace nv {

/// Type name of the event raised when the network manager closes a connection.
const std::string NETWORK_CLOSE_EVENT = "nv-network-close";

/// Raised when the network manager closes a connection.
class EventNetworkClose : public EventNetwork {
public:
    /// Creates an "nv-network-close" event with label 2 for the socket.
    explicit EventNetworkClose(int new_socket = -1);
    ~EventNetworkClose() override;
};

} // namespace nv
