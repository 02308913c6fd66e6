#pragma once

#include <functional>
#include <string>
#include <vector>

#include "world/Object.h"

namespace nv {
class EventNetwork;
}

/// What a network event looked like to its handler, and what the table held at that moment.
struct NetworkRecord {
    std::string type;
    int label;
    int socket;
    int bytes;
    bool in_table;
    int connections;
    int step;
};

/// A game object that writes down every network or step event it is handed.
class NetworkRecorder : public nv::Object {
public:
    /// Registers for the given event types.
    explicit NetworkRecorder(const std::vector<std::string> &types);

    /// Records the event (and runs the hook for network events); returns 1.
    int eventHandler(const nv::Event *p_e) override;

    std::vector<NetworkRecord> records;
    /// Runs after a network event is recorded, so tests can act from inside a handler.
    std::function<void(const nv::EventNetwork &)> on_network;
    /// Runs after a step event is recorded.
    std::function<void(int)> on_step;
};
