#include <gtest/gtest.h>

#include <memory>

#include "core/Event.h"
#include "core/EventStep.h"

namespace {

TEST(Event, StartsUndefined) {
    nv::Event event;
    EXPECT_EQ(event.getType(), "nv-undefined");
    event.setType("escape");
    EXPECT_EQ(event.getType(), "escape");
}

TEST(EventStep, CarriesItsTypeAndStepCount) {
    nv::EventStep step;
    EXPECT_EQ(step.getType(), "nv-step");
    EXPECT_EQ(step.getStepCount(), 0);
    nv::EventStep later(41);
    EXPECT_EQ(later.getStepCount(), 41);
    later.setStepCount(42);
    EXPECT_EQ(later.getStepCount(), 42);
}

TEST(EventStep, IsDestroyedThroughTheBase) {
    std::unique_ptr<nv::Event> p_event = std::make_unique<nv::EventStep>(3);
    EXPECT_EQ(p_event->getType(), "nv-step");
    EXPECT_EQ(static_cast<nv::EventStep *>(p_event.get())->getStepCount(), 3);
}

} // namespace
