#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

#include "CoreFixture.h"
#include "input/InputManager.h"

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

using core_test::Recorder;

// Accepts every type but "bad", like a manager that owns many event types.
class OpenManager : public nv::Manager {
public:
    OpenManager() { setType("OpenManager"); }
    bool isValid(std::string event_type) const override { return event_type != "bad"; }
};

class DispatchTest : public core_test::CoreTest {
protected:
    int raise(const std::string &type, const nv::Manager *p_m = nullptr) {
        nv::Event event;
        event.setType(type);
        return (p_m != nullptr ? *p_m : manager).onEvent(&event);
    }
    std::vector<Recorder *> make(int n) {
        std::vector<Recorder *> made;
        for (int i = 0; i < n; i++) {
            made.push_back(new Recorder);
        }
        return made;
    }
    // Each object appends its index to order when it receives anything.
    void trace(const std::vector<Recorder *> &objects) {
        for (std::size_t i = 0; i < objects.size(); i++) {
            objects[i]->on_event = [this, i](const nv::Event *) { order.push_back(static_cast<int>(i)); };
        }
    }
    OpenManager manager;
    std::vector<int> order;
};

TEST_F(DispatchTest, BaseManagerFlipsItsFlagAndAcceptsNoInterest) {
    nv::Manager plain;
    EXPECT_EQ(plain.getType(), "Manager");
    EXPECT_EQ(plain.startUp(), 0);
    EXPECT_EQ(plain.startUp(), 0);
    EXPECT_TRUE(plain.isStarted());
    plain.shutDown();
    plain.shutDown();
    EXPECT_FALSE(plain.isStarted());
    Recorder *p_o = make(1)[0];
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(plain.registerInterest(p_o, "anything"), -1);
    EXPECT_EQ(manager.registerInterest(p_o, "bad"), -1);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Manager(Manager)::registerInterest(): Event 'anything' not valid for this Manager"), err.npos);
    EXPECT_NE(err.find("Manager(OpenManager)::registerInterest(): Event 'bad' not valid for this Manager"), err.npos);
    EXPECT_EQ(raise("anything", &plain), 0);
    EXPECT_EQ(raise("bad"), 0);
    EXPECT_EQ(manager.registerInterest(nullptr, "escape"), -1);
    EXPECT_EQ(manager.onEvent(nullptr), 0);
    ASSERT_EQ(manager.registerInterest(p_o, nv::UNDEFINED_EVENT), 0);
    EXPECT_EQ(raise(nv::UNDEFINED_EVENT), 0);
    ASSERT_EQ(game_manager.registerInterest(p_o, nv::STEP_EVENT), 0);
    EXPECT_EQ(raise(nv::STEP_EVENT, &nv::InputManager::getInstance()), 0);
    EXPECT_EQ(raise(nv::STEP_EVENT, &game_manager), 1);
    EXPECT_EQ(game_manager.unregisterInterest(p_o, nv::STEP_EVENT), 0);
    EXPECT_EQ(p_o->received, std::vector<std::string>{nv::STEP_EVENT});
}

TEST_F(DispatchTest, DeliversOncePerObjectInRegistrationOrderToItsTypeOnly) {
    std::vector<Recorder *> o = make(4);
    trace(o);
    for (auto [who, type] : std::vector<std::pair<int, const char *>>{
             {1, "guard"}, {0, "guard"}, {1, "guard"}, {2, "escape"}, {3, "first"}, {3, "second"}, {3, "guard"}}) {
        ASSERT_EQ(manager.registerInterest(o[who], type), 0);
    }
    EXPECT_EQ(raise("guard"), 3);
    EXPECT_EQ(order, (std::vector<int>{1, 0, 3}));
    EXPECT_EQ(raise("Guard"), 0);
    // A removed row keeps the later rows and their order.
    EXPECT_EQ(manager.unregisterInterest(o[3], "first"), 0);
    EXPECT_EQ(raise("first"), 0);
    order.clear();
    EXPECT_EQ(raise("guard"), 3);
    EXPECT_EQ(order, (std::vector<int>{1, 0, 3}));
    EXPECT_EQ(raise("second"), 1);
    EXPECT_EQ(manager.unregisterInterest(o[2], "guard"), -1);
    EXPECT_EQ(manager.unregisterInterest(o[2], "never"), -1);
    EXPECT_EQ(manager.unregisterInterest(o[1], "guard"), 0);
    EXPECT_EQ(manager.unregisterInterest(o[1], "guard"), -1);
    o[0]->setActive(false);
    EXPECT_EQ(raise("guard"), 1) << "inactive objects are skipped and not counted";
    manager.startUp();
    manager.shutDown();
    EXPECT_EQ(raise("escape"), 1) << "interests survive a start and a stop";
}

TEST_F(DispatchTest, HoldsExactlyOneHundredTypes) {
    std::vector<Recorder *> o = make(2);
    for (int i = 0; i < nv::MAX_EVENTS; i++) {
        ASSERT_EQ(manager.registerInterest(o[0], "type" + std::to_string(i)), 0) << i;
    }
    EXPECT_EQ(manager.registerInterest(o[0], "one too many"), -1);
    EXPECT_EQ(manager.registerInterest(o[1], "type99"), 0);
    EXPECT_EQ(raise("type99"), 2);
    EXPECT_EQ(raise("one too many"), 0);
    EXPECT_EQ(manager.unregisterInterest(o[0], "type0"), 0);
    EXPECT_EQ(manager.registerInterest(o[0], "one too many"), 0);
    EXPECT_EQ(raise("one too many"), 1);
}

// Handlers change the interest table while an event is delivered: the event goes to the objects registered when
// it was raised, each exactly once, and the next event sees the changes.
TEST_F(DispatchTest, HandlersMayChangeInterestsDuringDelivery) {
    struct Case {
        const char *name;
        std::function<void(OpenManager &, std::vector<Recorder *> &)> in_handler_of_0;
        int first_reach;
        int second_reach;
        std::vector<int> received; // per object, after both events
    };
    const std::vector<Case> cases = {
        {"unregisters itself and others",
         [](OpenManager &m, std::vector<Recorder *> &o) {
             m.unregisterInterest(o[0], "escape");
             m.unregisterInterest(o[1], "escape");
             m.unregisterInterest(o[2], "escape");
         },
         4,
         1,
         {1, 1, 1, 2}},
        {"registers a newcomer",
         [](OpenManager &m, std::vector<Recorder *> &o) { m.registerInterest(o[4], "escape"); },
         4,
         5,
         {2, 2, 2, 2, 1}},
        {"drops and remakes the row",
         [](OpenManager &m, std::vector<Recorder *> &o) {
             for (int i : {0, 1, 2, 3}) {
                 m.unregisterInterest(o[i], "escape");
             }
             m.registerInterest(o[0], "escape");
         },
         4,
         1,
         {2, 1, 1, 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenManager m;
        std::vector<Recorder *> o = make(5);
        // The escape row comes first, so a remade one lands after the guard row, where the scan would reach it.
        for (int i = 0; i < 4; i++) {
            ASSERT_EQ(m.registerInterest(o[i], "escape"), 0);
        }
        ASSERT_EQ(m.registerInterest(o[4], "guard"), 0);
        bool once = true;
        o[0]->on_event = [&](const nv::Event *) {
            if (std::exchange(once, false)) {
                c.in_handler_of_0(m, o);
            }
        };
        EXPECT_EQ(raise("escape", &m), c.first_reach);
        EXPECT_EQ(raise("escape", &m), c.second_reach);
        for (std::size_t i = 0; i < c.received.size(); i++) {
            EXPECT_EQ(static_cast<int>(o[i]->received.size()), c.received[i]) << "object " << i;
        }
        EXPECT_EQ(raise("guard", &m), 1);
    }
}

TEST_F(DispatchTest, NestedDeliveryThroughTheSameManager) {
    std::vector<Recorder *> o = make(3);
    for (auto [who, type] :
         std::vector<std::pair<int, const char *>>{{0, "outer"}, {1, "outer"}, {2, "inner"}, {0, "inner"}}) {
        ASSERT_EQ(manager.registerInterest(o[who], type), 0);
    }
    int inner_reached = 0;
    o[0]->on_event = [&](const nv::Event *p_e) {
        if (p_e->getType() == "outer") {
            inner_reached = raise("inner");
        }
    };
    EXPECT_EQ(raise("outer"), 2);
    EXPECT_EQ(inner_reached, 2);
    EXPECT_EQ(o[0]->received, (std::vector<std::string>{"outer", "inner"}));
    EXPECT_EQ(o[1]->received, (std::vector<std::string>{"outer"}));
    EXPECT_EQ(o[2]->received, (std::vector<std::string>{"inner"}));
}

TEST_F(DispatchTest, StepDeliveryAllocatesNothingOnceWarmEvenNested) {
    std::vector<Recorder *> o = make(1000);
    for (Recorder *p_o : o) {
        ASSERT_EQ(p_o->registerInterest(nv::STEP_EVENT), 0);
        p_o->received.reserve(400);
        p_o->steps.reserve(400);
    }
    nv::EventStep step(0);
    nv::EventStep inner_step(1);
    bool nested = false;
    o[0]->on_event = [&](const nv::Event *) {
        if (!std::exchange(nested, true)) {
            game_manager.onEvent(&inner_step);
            nested = false;
        }
    };
    ASSERT_EQ(game_manager.onEvent(&step), 1000);
    g_allocations = 0;
    g_counting = true;
    for (int i = 0; i < 100; i++) {
        step.setStepCount(i);
        game_manager.onEvent(&step);
    }
    g_counting = false;
    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_EQ(o[1]->steps.size(), 202u);
    EXPECT_EQ(o[1]->steps[0], 1) << "the nested event comes first, with its own step count";
    EXPECT_EQ(o[1]->steps[1], 0);
    for (Recorder *p_o : o) {
        p_o->unregisterInterest(nv::STEP_EVENT);
    }
}

// A manager made before anything logs, whose destructor logs at program exit.
class FarewellManager : public nv::Manager {
public:
    static FarewellManager &getInstance() {
        static FarewellManager farewell;
        return farewell;
    }
    ~FarewellManager() override { nv::LogManager::getInstance().writeLog("farewell from %s", getType().c_str()); }

private:
    FarewellManager() { setType("FarewellManager"); }
};

TEST(ManagerLifetime, DestructorsMayLogAtExit) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child runs this body again from the start, so the file needs a name both processes agree on.
    const std::string path = (std::filesystem::current_path() / "manager-lifetime-exit.log").string();
    std::filesystem::remove(path);
    nv_test::ScopedEnv env("NORVANTIS_LOG", path);
    EXPECT_EXIT(
        {
            FarewellManager::getInstance();
            nv::LogManager::getInstance().startUp();
            nv::LogManager::getInstance().writeLog("first line");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    const std::string text = nv_test::fileText(path);
    std::filesystem::remove(path);
    EXPECT_NE(text.find("first line"), std::string::npos) << text;
    EXPECT_NE(text.find("farewell from FarewellManager"), std::string::npos) << text;
}

} // namespace
