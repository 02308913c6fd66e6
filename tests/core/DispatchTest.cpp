#include <cstdlib>
#include <new>

#include "CoreFixture.h"

// GCC sees the replaced operator delete's free() inlined into delete-expressions of this file and takes it
// for a mismatch; the pair below is consistent by construction.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

static long g_counting = 0, g_allocations = 0; // allocations are counted while g_counting is 1

// Counts heap allocations while a test asks for it; the rest of the program allocates as usual.
void *operator new(std::size_t size) {
    g_allocations += g_counting;
    void *p = std::malloc(size == 0 ? 1 : size);
    return p != nullptr ? p : throw std::bad_alloc();
}
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using Results = std::vector<int>;

// Accepts every type but "bad", like a manager that owns many event types.
class OpenManager : public nv::Manager {
public:
    OpenManager() { setType("OpenManager"); }
    bool isValid(std::string event_type) const override { return event_type != "bad"; }
};

// Five recorders o and a manager; add and drop (un)register o[who], raise delivers a plain event.
class DispatchTest : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        std::generate_n(std::back_inserter(o), 5, [] { return new core_test::Recorder; });
    }
    int raise(const std::string &type, const nv::Manager *p_m = nullptr) {
        nv::Event event;
        event.setType(type);
        return (p_m != nullptr ? *p_m : *manager).onEvent(&event);
    }
    int add(int who, const std::string &type) { return manager->registerInterest(o[who], type); }
    int drop(int who, const std::string &type) { return manager->unregisterInterest(o[who], type); }
    std::unique_ptr<OpenManager> manager = std::make_unique<OpenManager>();
    std::vector<core_test::Recorder *> o;
};

// Rows: guard {1, 0, 3}, escape {2}, first {3}, second {3}; then outer {4, 1} whose o[4] raises inner {2, 4}.
TEST_F(DispatchTest, DeliversOncePerObjectInRegistrationOrderToItsTypeOnlyUpToAHundredTypes) {
    std::vector<int> order;
    for (int i = 0; i < 4; i++)
        o[i]->on_event = [&order, i](const nv::Event *) { order.push_back(i); };
    nv::Manager plain;
    const std::string err = core_test::stderrOf([&] {
        EXPECT_EQ((Results{plain.registerInterest(o[4], "anything"), add(4, "bad")}), (Results{-1, -1}));
    });
    EXPECT_NE(err.find("Manager(Manager)::registerInterest(): Event 'anything' not valid for this Manager"), err.npos);
    EXPECT_NE(err.find("Manager(OpenManager)::registerInterest(): Event 'bad' not valid for this Manager"), err.npos);
    EXPECT_EQ((Results{raise("anything", &plain), manager->registerInterest(nullptr, "x"), manager->onEvent(nullptr),
                       add(4, nv::UNDEFINED_EVENT), raise(nv::UNDEFINED_EVENT), o[4]->registerInterest(nv::STEP_EVENT),
                       raise(nv::STEP_EVENT, &game_manager)}),
              (Results{0, -1, 0, 0, 0, 0, 1}));
    EXPECT_EQ((Results{add(1, "guard"), add(0, "guard"), add(1, "guard"), add(2, "escape"), add(3, "first"),
                       add(3, "second"), add(3, "guard"), raise("Guard"), drop(3, "first"), raise("first")}),
              Results(10, 0));
    EXPECT_EQ(raise("guard"), 3) << "a removed row keeps the later rows and their order";
    EXPECT_EQ(order, (std::vector<int>{1, 0, 3}));
    EXPECT_EQ((Results{raise("second"), drop(2, "guard"), drop(1, "guard"), drop(1, "guard")}),
              (Results{1, -1, 0, -1}));
    o[0]->setActive(false);
    EXPECT_EQ(raise("guard"), 1) << "inactive objects are skipped and not counted";
    manager->startUp();
    manager->shutDown();
    EXPECT_EQ(raise("escape"), 1) << "interests survive a start and a stop";
    ASSERT_EQ((Results{add(4, "outer"), add(1, "outer"), add(2, "inner"), add(4, "inner")}), Results(4, 0));
    o[4]->on_event = [&](const nv::Event *p_e) { order.push_back(p_e->getType() == "outer" ? raise("inner") : -1); };
    order.clear();
    EXPECT_EQ(raise("outer"), 2) << "an event raised inside a handler goes through the same manager";
    EXPECT_EQ(order, (std::vector<int>{2, -1, 2, 1})) << "o[2] and o[4] got inner (reach 2), then o[1] got outer";
    // A manager holds exactly one hundred types.
    manager = std::make_unique<OpenManager>();
    for (int i = 0; i < nv::MAX_EVENTS; i++)
        ASSERT_EQ(add(2, "type" + std::to_string(i)), 0) << i;
    EXPECT_EQ((Results{add(2, "one too many"), add(3, "type99"), raise("type99"), drop(2, "type0"),
                       add(2, "one too many"), raise("one too many")}),
              (Results{-1, 0, 2, 0, 0, 1}));
}

// Handlers change the interest table while an event is delivered: the event goes to the objects registered when
// it was raised, each exactly once, and the next event sees the changes.
TEST_F(DispatchTest, HandlersMayChangeInterestsDuringDelivery) {
    // Per case: who registers (true) or unregisters for escape; the reach of two escapes and a guard, then what
    // each object got.
    const std::pair<std::vector<std::pair<int, bool>>, Results> cases[] = {
        {{{0, false}, {1, false}, {2, false}}, {4, 1, 1, 1, 1, 1, 2, 1}},
        {{{4, true}}, {4, 5, 1, 2, 2, 2, 2, 2}},
        {{{0, false}, {1, false}, {2, false}, {3, false}, {0, true}}, {4, 1, 1, 2, 1, 1, 1, 1}}, // remakes the row
    };
    for (const auto &[changes, expected] : cases) {
        manager = std::make_unique<OpenManager>();
        // The escape row comes first, so a remade one lands after the guard row, where the scan would reach it.
        ASSERT_EQ((Results{add(0, "escape"), add(1, "escape"), add(2, "escape"), add(3, "escape"), add(4, "guard")}),
                  Results(5, 0));
        o[0]->on_event = [&, once = true](const nv::Event *) mutable {
            for (auto [who, adds] : std::exchange(once, false) ? changes : std::vector<std::pair<int, bool>>{}) {
                adds ? add(who, "escape") : drop(who, "escape");
            }
        };
        Results got = {raise("escape"), raise("escape"), raise("guard")};
        for (auto *p_o : o) {
            got.push_back(static_cast<int>(p_o->steps.size()));
            p_o->steps.clear();
        }
        EXPECT_EQ(got, expected);
    }
}

TEST_F(DispatchTest, StepDeliveryAllocatesNothingOnceWarmEvenNested) {
    std::generate_n(std::back_inserter(o), 995, [] { return new core_test::Recorder; });
    for (auto *p_o : o) {
        ASSERT_EQ(p_o->registerInterest(nv::STEP_EVENT), 0);
        p_o->steps.reserve(400);
    }
    const nv::EventStep step(0), inner_step(1);
    int inner_reached = 0;
    o[0]->on_event = [&](const nv::Event *p_e) {
        inner_reached += p_e == &step ? game_manager.onEvent(&inner_step) : 0;
    };
    ASSERT_EQ(game_manager.onEvent(&step), 1000);
    g_allocations = 0;
    g_counting = 1;
    for (int i = 0; i < 100; i++) {
        game_manager.onEvent(&step);
    }
    g_counting = 0;
    EXPECT_EQ(g_allocations, 0);
    EXPECT_EQ(inner_reached, 101 * 1000);
    EXPECT_EQ((Results{o[1]->steps[0], o[1]->steps[1]}), (Results{1, 0})) << "the nested event comes first";
}

} // namespace
