#include "network/EventNetworkClose.h"

namespace nv {

EventNetworkClose::EventNetworkClose(int new_socket) : EventNetwork(NETWORK_CLOSE_LABEL) {
    setType(NETWORK_CLOSE_EVENT);
    setSocket(new_socket);
}

EventNetworkClose::~EventNetworkClose() = default;

} // namespace nv
