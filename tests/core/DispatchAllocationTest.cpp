#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "CoreTestSupport.h"
#include "RecordingObject.h"
#include "core/EventStep.h"
#include "core/GameManager.h"

// GCC sees the replaced operator delete's free() inlined into delete-expressions of this file and takes it
// for a mismatch; the pair below is consistent by construction.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

} // namespace

// Counts heap allocations while a test asks for it; the rest of the program allocates as usual.
void *operator new(std::size_t size) {
    if (g_counting.load(std::memory_order_relaxed)) {
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    }
    void *p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

void operator delete(void *p) noexcept {
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}

namespace {

class QuietObject : public nv::Object {
public:
    int eventHandler(const nv::Event *) override {
        handled++;
        return 1;
    }
    long handled = 0;
};

class DispatchAllocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        nv_test::resetCoreSingletons();
        nv_test::startWorld();
    }
    void TearDown() override {
        g_counting = false;
        nv_test::resetCoreSingletons();
    }

    long allocationsDuring(const std::function<void()> &work) {
        g_allocations = 0;
        g_counting = true;
        work();
        g_counting = false;
        return g_allocations.load();
    }
};

TEST_F(DispatchAllocationTest, StepDispatchAllocatesNothingOnceWarm) {
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    std::vector<QuietObject *> objects;
    for (int i = 0; i < 1000; i++) {
        objects.push_back(new QuietObject);
        ASSERT_EQ(objects.back()->registerInterest(nv::STEP_EVENT), 0);
    }
    nv::EventStep step(0);
    ASSERT_EQ(game_manager.onEvent(&step), 1000);
    const long allocations = allocationsDuring([&] {
        for (int i = 0; i < 100; i++) {
            step.setStepCount(i);
            game_manager.onEvent(&step);
        }
    });
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(objects.front()->handled, 101);
    for (QuietObject *p_o : objects) {
        p_o->unregisterInterest(nv::STEP_EVENT);
    }
}

TEST_F(DispatchAllocationTest, NestedDispatchAllocatesNothingOnceWarm) {
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    nv_test::RecordingObject *p_outer = new nv_test::RecordingObject;
    QuietObject *p_inner = new QuietObject;
    ASSERT_EQ(p_outer->registerInterest(nv::STEP_EVENT), 0);
    ASSERT_EQ(p_inner->registerInterest(nv::STEP_EVENT), 0);
    nv::EventStep inner_step(1);
    int depth = 0;
    p_outer->on_event = [&](const nv::Event *) {
        if (depth == 0) {
            depth++;
            game_manager.onEvent(&inner_step);
            depth--;
        }
    };
    nv::EventStep step(0);
    game_manager.onEvent(&step);
    p_outer->received.reserve(1000);
    p_outer->steps.reserve(1000);
    const long allocations = allocationsDuring([&] {
        for (int i = 0; i < 50; i++) {
            game_manager.onEvent(&step);
        }
    });
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(p_inner->handled, 102);
    p_outer->unregisterInterest(nv::STEP_EVENT);
    p_inner->unregisterInterest(nv::STEP_EVENT);
}

} // namespace
