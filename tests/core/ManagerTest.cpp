#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "RecordingObject.h"
#include "core/GameManager.h"
#include "core/Manager.h"
#include "input/InputManager.h"
#include "world/WorldManager.h"

namespace {

using nv_test::RecordingObject;

// Accepts every type but "bad", like a manager that owns many event types.
class OpenManager : public nv::Manager {
public:
    OpenManager() { setType("OpenManager"); }
    bool isValid(std::string event_type) const override { return event_type != "bad"; }
};

int raise(const nv::Manager &manager, const std::string &type) {
    nv::Event event;
    event.setType(type);
    return manager.onEvent(&event);
}

class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        nv_test::resetCoreSingletons();
        nv_test::startWorld();
    }
    void TearDown() override {
        manager.reset();
        nv_test::resetCoreSingletons();
    }

    // The world manager owns the object and deletes it when the fixture stops the world.
    RecordingObject *make() { return new RecordingObject; }

    std::unique_ptr<OpenManager> manager = std::make_unique<OpenManager>();
};

TEST_F(ManagerTest, BaseStartAndStopOnlyFlip) {
    EXPECT_FALSE(manager->isStarted());
    EXPECT_EQ(manager->startUp(), 0);
    EXPECT_EQ(manager->startUp(), 0);
    EXPECT_TRUE(manager->isStarted());
    manager->shutDown();
    manager->shutDown();
    EXPECT_FALSE(manager->isStarted());
    EXPECT_EQ(manager->getType(), "OpenManager");
}

TEST_F(ManagerTest, BaseManagerAcceptsNoInterest) {
    nv::Manager plain;
    EXPECT_EQ(plain.getType(), "Manager");
    EXPECT_FALSE(plain.isValid("nv-step"));
    RecordingObject *p_o = make();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(plain.registerInterest(p_o, "anything"), -1);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Manager(Manager)::registerInterest(): Event 'anything' not valid for this Manager"),
              std::string::npos);
    EXPECT_EQ(raise(plain, "anything"), 0);
}

TEST_F(ManagerTest, UndefinedEventReachesNobody) {
    RecordingObject *p_o = make();
    ASSERT_EQ(manager->registerInterest(p_o, "nv-undefined"), 0);
    nv::Event undefined;
    EXPECT_EQ(manager->onEvent(&undefined), 0);
    EXPECT_TRUE(p_o->received.empty());
}

TEST_F(ManagerTest, StepRaisedThroughTheInputManagerReachesNobody) {
    RecordingObject *p_o = make();
    ASSERT_EQ(nv::GameManager::getInstance().registerInterest(p_o, "nv-step"), 0);
    nv::EventStep step;
    EXPECT_EQ(nv::InputManager::getInstance().onEvent(&step), 0);
    EXPECT_EQ(nv::GameManager::getInstance().onEvent(&step), 1);
    EXPECT_EQ(nv::GameManager::getInstance().unregisterInterest(p_o, "nv-step"), 0);
    EXPECT_EQ(p_o->received.size(), 1u);
}

TEST_F(ManagerTest, DeliversInRegistrationOrderToMatchingTypeOnly) {
    std::vector<int> order;
    RecordingObject *p_a = make();
    RecordingObject *p_b = make();
    RecordingObject *p_c = make();
    p_a->on_event = [&](const nv::Event *) { order.push_back(1); };
    p_b->on_event = [&](const nv::Event *) { order.push_back(2); };
    p_c->on_event = [&](const nv::Event *) { order.push_back(3); };
    ASSERT_EQ(manager->registerInterest(p_b, "guard"), 0);
    ASSERT_EQ(manager->registerInterest(p_a, "guard"), 0);
    ASSERT_EQ(manager->registerInterest(p_c, "escape"), 0);
    EXPECT_EQ(raise(*manager, "guard"), 2);
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    EXPECT_EQ(raise(*manager, "Guard"), 0);
}

TEST_F(ManagerTest, RegisteringTwiceKeepsOneEntry) {
    RecordingObject *p_o = make();
    EXPECT_EQ(manager->registerInterest(p_o, "escape"), 0);
    EXPECT_EQ(manager->registerInterest(p_o, "escape"), 0);
    EXPECT_EQ(raise(*manager, "escape"), 1);
    EXPECT_EQ(p_o->received.size(), 1u);
    EXPECT_EQ(manager->unregisterInterest(p_o, "escape"), 0);
    EXPECT_EQ(manager->unregisterInterest(p_o, "escape"), -1);
}

TEST_F(ManagerTest, InvalidTypeIsRefused) {
    RecordingObject *p_o = make();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(manager->registerInterest(p_o, "bad"), -1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(
                  "Manager(OpenManager)::registerInterest(): Event 'bad' not valid for this Manager"),
              std::string::npos);
    EXPECT_EQ(raise(*manager, "bad"), 0);
}

TEST_F(ManagerTest, NullObjectIsRefused) {
    EXPECT_EQ(manager->registerInterest(nullptr, "escape"), -1);
    EXPECT_EQ(raise(*manager, "escape"), 0);
    EXPECT_EQ(manager->onEvent(nullptr), 0);
}

TEST_F(ManagerTest, HoldsExactlyOneHundredTypes) {
    RecordingObject *p_o = make();
    RecordingObject *p_other = make();
    for (int i = 0; i < nv::MAX_EVENTS; i++) {
        ASSERT_EQ(manager->registerInterest(p_o, "type" + std::to_string(i)), 0) << i;
    }
    EXPECT_EQ(manager->registerInterest(p_o, "one too many"), -1);
    EXPECT_EQ(manager->registerInterest(p_other, "type99"), 0);
    EXPECT_EQ(raise(*manager, "type99"), 2);
    EXPECT_EQ(raise(*manager, "one too many"), 0);
    // Freeing a row makes room for a new type again.
    EXPECT_EQ(manager->unregisterInterest(p_o, "type0"), 0);
    EXPECT_EQ(manager->registerInterest(p_o, "one too many"), 0);
    EXPECT_EQ(raise(*manager, "one too many"), 1);
}

TEST_F(ManagerTest, RemovedRowKeepsLaterRowsInOrder) {
    RecordingObject *p_a = make();
    RecordingObject *p_b = make();
    ASSERT_EQ(manager->registerInterest(p_a, "first"), 0);
    ASSERT_EQ(manager->registerInterest(p_a, "second"), 0);
    ASSERT_EQ(manager->registerInterest(p_b, "third"), 0);
    ASSERT_EQ(manager->registerInterest(p_a, "third"), 0);
    EXPECT_EQ(manager->unregisterInterest(p_a, "second"), 0);
    EXPECT_EQ(raise(*manager, "second"), 0);
    EXPECT_EQ(raise(*manager, "first"), 1);
    std::vector<RecordingObject *> order;
    p_a->on_event = [&](const nv::Event *) { order.push_back(p_a); };
    p_b->on_event = [&](const nv::Event *) { order.push_back(p_b); };
    EXPECT_EQ(raise(*manager, "third"), 2);
    EXPECT_EQ(order, (std::vector<RecordingObject *>{p_b, p_a}));
}

TEST_F(ManagerTest, UnregisteringAStrangerChangesNothing) {
    RecordingObject *p_a = make();
    RecordingObject *p_b = make();
    ASSERT_EQ(manager->registerInterest(p_a, "escape"), 0);
    EXPECT_EQ(manager->unregisterInterest(p_b, "escape"), -1);
    EXPECT_EQ(manager->unregisterInterest(p_a, "never"), -1);
    EXPECT_EQ(raise(*manager, "escape"), 1);
}

TEST_F(ManagerTest, InactiveObjectsAreSkippedAndNotCounted) {
    RecordingObject *p_a = make();
    RecordingObject *p_b = make();
    ASSERT_EQ(manager->registerInterest(p_a, "escape"), 0);
    ASSERT_EQ(manager->registerInterest(p_b, "escape"), 0);
    p_a->setActive(false);
    EXPECT_EQ(raise(*manager, "escape"), 1);
    EXPECT_TRUE(p_a->received.empty());
    EXPECT_EQ(p_b->received.size(), 1u);
}

TEST_F(ManagerTest, UnregisteringDuringDispatchDoesNotDisturbTheRest) {
    RecordingObject *p_a = make();
    RecordingObject *p_b = make();
    RecordingObject *p_c = make();
    RecordingObject *p_d = make();
    for (RecordingObject *p_o : {p_a, p_b, p_c, p_d}) {
        ASSERT_EQ(manager->registerInterest(p_o, "escape"), 0);
    }
    p_b->on_event = [&](const nv::Event *) {
        manager->unregisterInterest(p_b, "escape");
        manager->unregisterInterest(p_a, "escape");
        manager->unregisterInterest(p_c, "escape");
    };
    EXPECT_EQ(raise(*manager, "escape"), 4);
    EXPECT_EQ(p_a->received.size(), 1u);
    EXPECT_EQ(p_b->received.size(), 1u);
    EXPECT_EQ(p_c->received.size(), 1u);
    EXPECT_EQ(p_d->received.size(), 1u);
    EXPECT_EQ(raise(*manager, "escape"), 1);
    EXPECT_EQ(p_d->received.size(), 2u);
    EXPECT_EQ(p_c->received.size(), 1u);
}

TEST_F(ManagerTest, LastObjectLeavingItsOwnRowDuringDispatch) {
    RecordingObject *p_a = make();
    RecordingObject *p_b = make();
    ASSERT_EQ(manager->registerInterest(p_a, "escape"), 0);
    ASSERT_EQ(manager->registerInterest(p_b, "guard"), 0);
    p_a->on_event = [&](const nv::Event *) { manager->unregisterInterest(p_a, "escape"); };
    EXPECT_EQ(raise(*manager, "escape"), 1);
    EXPECT_EQ(raise(*manager, "escape"), 0);
    EXPECT_EQ(raise(*manager, "guard"), 1);
}

TEST_F(ManagerTest, RowRecreatedDuringDispatchIsNotDeliveredAgain) {
    RecordingObject *p_a = make();
    RecordingObject *p_b = make();
    ASSERT_EQ(manager->registerInterest(p_a, "escape"), 0);
    ASSERT_EQ(manager->registerInterest(p_b, "guard"), 0);
    p_a->on_event = [&](const nv::Event *) {
        manager->unregisterInterest(p_a, "escape");
        manager->registerInterest(p_a, "escape");
    };
    EXPECT_EQ(raise(*manager, "escape"), 1);
    EXPECT_EQ(p_a->received.size(), 1u);
}

TEST_F(ManagerTest, ObjectsRegisteredDuringDispatchWaitForTheNextEvent) {
    RecordingObject *p_a = make();
    RecordingObject *p_late = make();
    ASSERT_EQ(manager->registerInterest(p_a, "escape"), 0);
    p_a->on_event = [&](const nv::Event *) { manager->registerInterest(p_late, "escape"); };
    EXPECT_EQ(raise(*manager, "escape"), 1);
    EXPECT_TRUE(p_late->received.empty());
    EXPECT_EQ(raise(*manager, "escape"), 2);
    EXPECT_EQ(p_late->received.size(), 1u);
}

TEST_F(ManagerTest, NestedDispatchThroughTheSameManager) {
    RecordingObject *p_a = make();
    RecordingObject *p_b = make();
    RecordingObject *p_c = make();
    ASSERT_EQ(manager->registerInterest(p_a, "outer"), 0);
    ASSERT_EQ(manager->registerInterest(p_b, "outer"), 0);
    ASSERT_EQ(manager->registerInterest(p_c, "inner"), 0);
    ASSERT_EQ(manager->registerInterest(p_a, "inner"), 0);
    int inner_reached = 0;
    p_a->on_event = [&](const nv::Event *p_e) {
        if (p_e->getType() == "outer") {
            inner_reached = raise(*manager, "inner");
        }
    };
    EXPECT_EQ(raise(*manager, "outer"), 2);
    EXPECT_EQ(inner_reached, 2);
    EXPECT_EQ(p_b->received, (std::vector<std::string>{"outer"}));
    EXPECT_EQ(p_c->received, (std::vector<std::string>{"inner"}));
    EXPECT_EQ(p_a->received, (std::vector<std::string>{"outer", "inner"}));
}

TEST_F(ManagerTest, InterestsSurviveStartAndStop) {
    RecordingObject *p_o = make();
    ASSERT_EQ(manager->registerInterest(p_o, "escape"), 0);
    manager->startUp();
    manager->shutDown();
    EXPECT_EQ(raise(*manager, "escape"), 1);
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

// The manager is made before the log manager is used, yet its farewell still reaches the open log file.
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
    const std::string text = nv_test::readFile(path);
    EXPECT_NE(text.find("first line"), std::string::npos) << text;
    EXPECT_NE(text.find("farewell from FarewellManager"), std::string::npos) << text;
    std::filesystem::remove(path);
}

} // namespace
