#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/Event.h"
#include "core/EventStep.h"
#include "world/Object.h"

namespace nv_test {

/// An object that records what it receives and can run an action from inside its handler.
class RecordingObject : public nv::Object {
public:
    int eventHandler(const nv::Event *p_e) override {
        received.push_back(p_e->getType());
        if (p_e->getType() == nv::STEP_EVENT) {
            steps.push_back(static_cast<const nv::EventStep *>(p_e)->getStepCount());
        }
        if (on_event) {
            on_event(p_e);
        }
        return 1;
    }

    std::vector<std::string> received;
    std::vector<int> steps;
    std::function<void(const nv::Event *)> on_event;
};

} // namespace nv_test
