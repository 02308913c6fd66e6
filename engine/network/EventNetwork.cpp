#include "network/EventNetwork.h"

#include "core/LogManager.h"

namespace nv {

bool isNetworkEventType(const std::string &event_type) {
    static const char *const NETWORK_EVENT_TYPES[] = {
        "nv-network",        "nv-keyboard-network",  "nv-mouse-network",  "nv-network-accept",
        "nv-network-close",  "nv-network-connect",   "nv-network-create", "nv-custom-network",
        "nv-network-delete", "nv-network-game-over", "nv-network-sync",
    };
    for (const char *network_type : NETWORK_EVENT_TYPES) {
        if (event_type == network_type) {
            return true;
        }
    }
    return false;
}

EventNetwork::EventNetwork(int new_label) : label(NETWORK_UNDEFINED_LABEL), socket(-1), bytes(0), p_message(nullptr) {
    setType(NETWORK_EVENT);
    setLabel(new_label);
}

EventNetwork::~EventNetwork() = default;

void EventNetwork::setLabel(int new_label) {
    if (new_label < -1 || new_label > 3) {
        LogManager::getInstance().writeLog("EventNetwork::setLabel(): Undefined type (%d).", new_label);
        label = NETWORK_UNDEFINED_LABEL;
        return;
    }
    label = new_label;
}

int EventNetwork::getLabel() const {
    return label;
}

void EventNetwork::setSocket(int new_socket) {
    socket = new_socket;
}

int EventNetwork::getSocket() const {
    return socket;
}

void EventNetwork::setBytes(int new_bytes) {
    bytes = new_bytes;
}

int EventNetwork::getBytes() const {
    return bytes;
}

void EventNetwork::setMessage(void *p_new_message) {
    p_message = p_new_message;
}

void *EventNetwork::getMessage() const {
    return p_message;
}

} // namespace nv
