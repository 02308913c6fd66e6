#include "network/EventNetworkAccept.h"

namespace nv {

EventNetworkAccept::EventNetworkAccept(int new_socket) : EventNetwork(NETWORK_ACCEPT_LABEL) {
    setType(NETWORK_ACCEPT_EVENT);
    setSocket(new_socket);
}

EventNetworkAccept::~EventNetworkAccept() = default;

} // namespace nv
