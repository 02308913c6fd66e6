#include <algorithm>
#include <climits>

#include "RecordTestSupport.h"
#include "WorldTestSupport.h"
#include "display/Sprite.h"
#include "resources/ResourceManager.h"

using nv::Box;
using nv::Vector;
using world_test::Probe;
using namespace record_test;

namespace {

class Record : public world_test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        nv::ResourceManager &rm = nv::ResourceManager::getInstance();
        nv_test::stopIfStarted(rm);
        ASSERT_EQ(rm.startUp(), 0);
        ASSERT_EQ(rm.loadSprite(std::string(NV_SOURCE_DIR) + "/sprites/guard-spr.txt", "guard"), 0);
        log->mark();
    }
    void TearDown() override {
        WorldTest::TearDown();
        nv::ResourceManager::getInstance().shutDown();
    }
};

// What serialize writes: the record of a new object and of changes, in record order, not bit order.
TEST_F(Record, WrittenRecordsAreByteExact) {
    struct Case {
        const char *name;
        std::function<void(Probe *)> before;
        unsigned int attributes;
        std::function<Bytes(Probe *)> expected;
        unsigned int modified_after;
    };
    const auto skip = [](Probe *p) {
        std::stringstream ss;
        p->serialize(&ss);
    };
    // clang-format off
    const Case cases[] = {
        {"new object", [](Probe *p) { p->setType("crate"); p->setVelocity(Vector(0, -2)); p->registerInterest("alpha"); }, 0,
         [](Probe *p) { return Bytes().u32(0x3ffff).i32(p->getId()).u8(1).u8(1).i32(1).text("alpha").box(-0.5f, -0.5f, 0.99f, 0.99f)
             .vec(1, 1).text("crate").animation("", 0, 0).i32(2).i32(nv::HARD).u8(0).vec(0, -1).f32(2).vec(0, 0)
             .shape(nv::UNDEFINED_SHAPE, p->getShape().getSize(), nv::WHITE, 255).u8(0).u64(0).u8(0); }, 0},
        {"unchanged", skip, 0, [](Probe *) { return Bytes().u32(0); }, 0},
        {"chosen", [](Probe *p) { p->setPosition(Vector(3, 4)); }, nv::POSITION, [](Probe *) { return Bytes().u32(0x20).vec(3, 4); }, 0x3ffff & ~0x20u},
        {"changed", [&](Probe *p) { skip(p); p->setPosition(Vector(7, 8)); p->setAltitude(3); }, 0, [](Probe *) { return Bytes().u32(0x120).vec(7, 8).i32(3); }, 0},
        {"path and motion", [&](Probe *p) { skip(p); p->setVelocity(Vector(0, 1)); p->setPath(nv::Path()); p->setFollowPath(true); }, 0,
         [](Probe *) { return Bytes().u32(0x19800).vec(0, 1).f32(1).u8(1).u64(0); }, 0},
    };
    // clang-format on
    for (const Case &c : cases) {
        auto *p = new Probe();
        c.before(p);
        std::stringstream ss;
        EXPECT_EQ(p->serialize(&ss, c.attributes), 0) << c.name;
        EXPECT_EQ(ss.str(), c.expected(p).data) << c.name;
        EXPECT_EQ(p->getModified(), c.modified_after) << c.name;
    }
    EXPECT_EQ((new Probe)->serialize(nullptr), -1);
}

// What deserialize does with a record: the values it applies, its result, and the log lines of refusals.
TEST_F(Record, ReadRecordsApplyTheirValuesThroughTheSetters) {
    struct Case {
        const char *name;
        std::string bytes;
        int result;
        std::function<void(Probe *)> check;
        std::vector<std::string> lines;
    };
    // clang-format off
    const Case cases[] = {
        {"record order", Bytes().u32(nv::DIRECTION | nv::SPEED | nv::FOLLOW_PATH | nv::PATH).vec(0, 1).f32(2.5f).u8(1).u64(2).vec(5, 1).vec(9, 1).data, 0,
         [](Probe *p) { EXPECT_EQ(p->getVelocity(), Vector(0, 2.5f)); EXPECT_TRUE(p->getFollowPath());
             EXPECT_EQ(p->getPath().getNodes(), (std::vector<Vector>{Vector(5, 1), Vector(9, 1)})); EXPECT_EQ(p->getPath().getIndex(), 0); }, {}},
        {"events replace", Bytes().u32(nv::EVENTS).i32(2).text("gamma").text(nv::STEP_EVENT).data, 0,
         [](Probe *p) { EXPECT_EQ(registeredTypes(p), (std::vector<std::string>{"gamma", nv::STEP_EVENT})); EXPECT_EQ(reach("alpha"), 0);
             EXPECT_EQ(reach("gamma") + reach(nv::STEP_EVENT), 2); }, {}},
        {"refused event", Bytes().u32(nv::EVENTS | nv::ALTITUDE).i32(2).text(nv::COLLISION_EVENT).text("alpha").i32(1).data, 0,
         [](Probe *p) { EXPECT_EQ(registeredTypes(p), std::vector<std::string>{"alpha"}); EXPECT_EQ(p->getAltitude(), 1); },
         {"Object::deserialize(): Error! Register interest: nv-collision"}},
        {"refused values", Bytes().u32(nv::ALTITUDE | nv::SOLIDNESS | nv::NO_SOFT | nv::AVOID_COLLISIONS).i32(9).i32(7).u8(2).u8(1).data, 0,
         [](Probe *p) { EXPECT_EQ(p->getAltitude(), 2); EXPECT_EQ(p->getSolidness(), nv::HARD); EXPECT_TRUE(p->getNoSoft() && p->getAvoidCollisions()); },
         {"Object::setAltitude(): Altitude 9 not in range [0,4].  Ignored.", "Object::setSolidness(): Solidness 7 not one of HARD, SOFT or SPECTRAL."}},
        {"sprite box", Bytes().u32(nv::ANIMATION).animation("guard", 0, 2).data, 0,
         [](Probe *p) { const nv::Sprite *s = nv::ResourceManager::getInstance().getSprite("guard"); EXPECT_EQ(p->getAnimation().getSprite(), s);
             EXPECT_EQ(p->getAnimation().getSlowdownCount(), 2); EXPECT_EQ(p->getBox().getHorizontal(), float(s->getWidth())); }, {}},
        {"unknown sprite", Bytes().u32(nv::ANIMATION).animation("nosuch", 3, 0).data, 0,
         [](Probe *p) { EXPECT_EQ(p->getAnimation().getSprite(), nullptr); EXPECT_EQ(p->getAnimation().getName(), "nosuch"); },
         {"Object::setSprite(): Warning! Sprite 'nosuch' not found"}},
        {"impossible type", Bytes().u32(nv::TYPE | nv::ALTITUDE).u64(1ull << 62).data + "abcd", -1,
         [](Probe *p) { EXPECT_EQ(p->getType(), "(Undefined)"); }, {"Object::deserialize(): Error! Cannot allocate 2147483647 bytes."}},
        {"short type", Bytes().u32(nv::TYPE).u64(6).data + "crat", -1, [](Probe *p) { EXPECT_EQ(p->getType(), "(Undefined)"); },
         {"Object::deserialize(): Error! Cannot allocate 6 bytes."}},
        {"impossible event", Bytes().u32(nv::EVENTS | nv::POSITION).i32(2).text("alpha").u64(1000000000000ull).vec(9, 9).data, -1,
         [](Probe *p) { EXPECT_EQ(registeredTypes(p), std::vector<std::string>{"alpha"}); EXPECT_EQ(p->getPosition(), Vector(1, 1)); },
         {"Object::deserialize(): Error! Cannot allocate 2147483647 bytes.", "Object::deserialize(): Error! Stream fail."}},
        {"impossible name", Bytes().u32(nv::ANIMATION | nv::ALTITUDE).u64(~0ull).i32(0).i32(0).i32(3).data, -1,
         [](Probe *p) { EXPECT_EQ(p->getAltitude(), 2); }, {"Animation::deserialize(): Error! Cannot allocate", "Object::deserialize(): Error! Stream fail."}},
        {"truncated", Bytes().u32(nv::POSITION | nv::ALTITUDE).vec(7, 3).i32(4).data.substr(0, 14), -1,
         [](Probe *p) { EXPECT_EQ(p->getPosition(), Vector(7, 3)); EXPECT_EQ(p->getAltitude(), 2); }, {"Object::deserialize(): Error! Stream eof."}},
        {"short animation", Bytes().u32(nv::ANIMATION).text("abcdef").data.substr(0, 14), -1, [](Probe *p) { EXPECT_EQ(p->getAnimation().getName(), ""); },
         {"Animation::deserialize(): Error! Stream eof."}},
        {"negative index", Bytes().u32(nv::ANIMATION).animation("x", -1, 0).data, -1, [](Probe *p) { EXPECT_EQ(p->getAnimation().getName(), ""); },
         {"Animation::deserialize(): Error! Index -1 or slowdown count 0 out of range."}},
        {"slowdown count below -1", Bytes().u32(nv::ANIMATION).animation("x", 0, -2).data, -1, [](Probe *p) { EXPECT_EQ(p->getAnimation().getName(), ""); },
         {"Animation::deserialize(): Error! Index 0 or slowdown count -2 out of range."}},
        {"huge event count", Bytes().u32(nv::EVENTS).i32(INT_MAX).text("a").text("b").data, -1,
         [](Probe *p) { EXPECT_EQ(registeredTypes(p), (std::vector<std::string>{"a", "b"})); }, {}},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        world_test::resetWorld();
        log->mark();
        auto *p = new Probe();
        p->registerInterest("alpha");
        std::stringstream ss = streamOf(c.bytes);
        EXPECT_EQ(p->deserialize(&ss), c.result);
        c.check(p);
        EXPECT_EQ(p->isModified(), std::string(c.name).find(" type") != std::string::npos)
            << "cleared unless cut short";
        EXPECT_TRUE(worldConsistent({p}));
        EXPECT_TRUE(log->has(c.lines));
        EXPECT_EQ(log->count("Cannot allocate"),
                  std::count_if(c.lines.begin(), c.lines.end(),
                                [](const std::string &l) { return l.find("Cannot allocate") != std::string::npos; }))
            << "nothing allocated for a length the record does not back";
    }
}

// A full record read into a blank object, again into itself, or into a fresh one gives back the same record.
TEST_F(Record, ObjectsSurviveARoundTripIntoAFreshObjectOrThemselves) {
    auto *src = new Probe(), *hidden = new Probe();
    // clang-format off
    const std::string records[] = {
        Bytes().u32(0x3ffff).i32(src->getId()).u8(1).u8(1).i32(2).text("alpha").text(nv::STEP_EVENT).box(-2, -1, 5, 3).vec(30.5f, 12.25f)
            .text("crate").animation("guard", 1, -1).i32(3).i32(nv::SOFT).u8(1).vec(0.6f, -0.8f).f32(2.5f).vec(0.25f, -0.125f)
            .shape(nv::SQUARE, 7.5f, nv::RED, 100).u8(1).u64(2).vec(33.5f, 8.25f).vec(35, 8).u8(1).data,
        Bytes().u32(0x3ffff).i32(hidden->getId()).u8(0).u8(0).i32(1).text("alpha").box(-0.5f, -0.5f, 0.99f, 0.99f).vec(12, 6)
            .text("ghost").animation("", 0, 0).i32(1).i32(nv::SPECTRAL).u8(0).vec(0, 0).f32(0).vec(0, 0)
            .shape(nv::UNDEFINED_SHAPE, 1, nv::WHITE, 255).u8(0).u64(0).u8(0).data};
    // clang-format on
    for (int i = 0; i < 2; i++) {
        Probe *from = i == 0 ? src : hidden;
        for (Probe *dst : {from, from, new Probe(60, 20)}) {
            std::stringstream in = streamOf(records[i]), again;
            ASSERT_EQ(dst->deserialize(&in), 0);
            EXPECT_EQ(in.peek(), std::char_traits<char>::eof());
            EXPECT_FALSE(dst->isModified());
            dst->serialize(&again, 0x3ffff);
            EXPECT_EQ(again.str(), records[i]) << "the same record from the copy";
            EXPECT_EQ(record_test::cellsHolding(dst), record_test::cellsHolding(from));
        }
    }
    EXPECT_EQ(src->getAnimation().getSprite(), nv::ResourceManager::getInstance().getSprite("guard"));
    EXPECT_EQ(reach("alpha") + reach(nv::STEP_EVENT), 4);
    EXPECT_EQ(graph().visibleObjects(3).getCount(), 2);
    std::vector<nv::Object *> all(Probe::live.begin(), Probe::live.end());
    EXPECT_TRUE(worldConsistent(all));
}

TEST_F(Record, ReadIdRaisesTheNextIdButNeverLowersIt) {
    auto *a = new Probe();
    const int base = a->getId();
    for (const int id : {base + 39, base}) {
        std::stringstream ss = streamOf(Bytes().u32(nv::ID).i32(id).data);
        EXPECT_EQ(a->deserialize(&ss), 0);
        EXPECT_EQ(a->getId(), id);
        EXPECT_EQ((new Probe())->getId(), id == base ? base + 41 : base + 40);
    }
}

} // namespace
