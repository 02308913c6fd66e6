#include <climits>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RecordTestSupport.h"
#include "WorldTestSupport.h"
#include "display/Sprite.h"
#include "resources/ResourceManager.h"

using nv::Box;
using nv::Vector;
using record_test::Bytes;
using record_test::reach;
using record_test::registeredTypes;
using record_test::streamOf;
using record_test::worldConsistent;
using world_test::Probe;

namespace {

class ObjectSerializationTest : public world_test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        nv::ResourceManager &rm = nv::ResourceManager::getInstance();
        nv_test::stopIfStarted(rm);
        ASSERT_EQ(rm.startUp(), 0);
        ASSERT_EQ(rm.loadSprite(std::string(NV_SOURCE_DIR) + "/sprites/guard-spr.txt", "guard"), 0);
        ASSERT_EQ(rm.loadSprite(std::string(NV_SOURCE_DIR) + "/sprites/player-spr.txt", "player"), 0);
        log->mark();
    }
    void TearDown() override {
        WorldTest::TearDown();
        nv::ResourceManager::getInstance().shutDown();
    }

    /// An object with every attribute away from its default, registered for a world and a step event.
    Probe *richObject() {
        auto *p = new Probe(30.5f, 12.25f);
        p->setType("crate");
        p->setSprite("guard");
        nv::Animation animation = p->getAnimation();
        animation.setIndex(1);
        animation.setSlowdownCount(-1);
        p->setAnimation(animation, false);
        p->setBox(Box(Vector(-2.0f, -1.0f), 5.0f, 3.0f));
        p->setAltitude(3);
        p->setSolidness(nv::SOFT);
        p->setNoSoft(true);
        p->setVelocity(Vector(1.5f, -2.0f));
        p->setAcceleration(Vector(0.25f, -0.125f));
        nv::Shape shape;
        shape.setType(nv::SQUARE);
        shape.setSize(7.5f);
        shape.setColor(nv::RED);
        shape.setAlpha(100);
        p->setShape(shape);
        nv::Path path;
        path.addNode(Vector(31, 12));
        path.addNode(Vector(33, 12));
        path.addNode(Vector(33, 15));
        path.advance();
        p->setPath(path);
        p->setFollowPath(true);
        p->setAvoidCollisions(true);
        p->registerInterest("alpha");
        p->registerInterest("nv-step");
        return p;
    }

    /// The full record of a rich object.
    std::string richRecord() {
        Probe *p = richObject();
        std::stringstream ss;
        p->serialize(&ss);
        return ss.str();
    }
};

TEST_F(ObjectSerializationTest, NewObjectWritesEveryAttributeInRecordOrder) {
    auto *p = new Probe();
    p->setType("crate");
    p->setVelocity(Vector(0, -2));
    p->registerInterest("alpha");
    ASSERT_EQ(p->getModified(), 0x3ffffu);

    std::stringstream ss;
    EXPECT_EQ(p->serialize(&ss), 0);

    Bytes expected;
    expected.u32(0x3ffff).i32(p->getId()).u8(1).u8(1).i32(1).text("alpha");
    expected.box(-0.5f, -0.5f, 0.99f, 0.99f).vec(1, 1).text("crate").animation("", 0, 0);
    expected.i32(2).i32(nv::HARD).u8(0).vec(0, -1).f32(2).vec(0, 0);
    expected.shape(nv::UNDEFINED_SHAPE, p->getShape().getSize(), nv::WHITE, 255).u8(0).u64(0).u8(0);
    EXPECT_EQ(ss.str(), expected.data);
    EXPECT_EQ(p->getModified(), 0u);
    EXPECT_FALSE(p->isModified());
}

TEST_F(ObjectSerializationTest, UnchangedObjectWritesOnlyAnEmptyMask) {
    auto *p = new Probe();
    std::stringstream first;
    p->serialize(&first);

    std::stringstream second;
    EXPECT_EQ(p->serialize(&second), 0);
    EXPECT_EQ(second.str(), Bytes().u32(0).data);
}

TEST_F(ObjectSerializationTest, ChosenAttributesAreWrittenWhateverTheMaskHolds) {
    auto *p = new Probe(3, 4);
    std::stringstream ss;
    EXPECT_EQ(p->serialize(&ss, nv::POSITION), 0);
    EXPECT_EQ(ss.str(), Bytes().u32(0x20).vec(3, 4).data);
    EXPECT_EQ(p->getModified(), 0x3ffffu & ~0x20u);

    std::stringstream rest;
    p->serialize(&rest);
    std::stringstream again;
    p->serialize(&again, nv::POSITION);
    EXPECT_EQ(again.str(), Bytes().u32(0x20).vec(3, 4).data);
    EXPECT_EQ(p->getModified(), 0u);
}

TEST_F(ObjectSerializationTest, ChangedAttributesFollowTheirMaskInRecordOrder) {
    auto *p = new Probe();
    std::stringstream first;
    p->serialize(&first);

    p->setPosition(Vector(7, 8));
    p->setAltitude(3);
    EXPECT_EQ(p->getModified(), 0x120u);
    std::stringstream ss;
    p->serialize(&ss);
    EXPECT_EQ(ss.str(), Bytes().u32(0x120).vec(7, 8).i32(3).data);
}

TEST_F(ObjectSerializationTest, RowsAreReadInRecordOrderNotBitOrder) {
    auto *p = new Probe(5, 1);
    std::stringstream ss = streamOf(Bytes()
                                        .u32(nv::DIRECTION | nv::SPEED | nv::FOLLOW_PATH | nv::PATH)
                                        .vec(0, 1)
                                        .f32(2.5f)
                                        .u8(1)
                                        .u64(2)
                                        .vec(5, 1)
                                        .vec(9, 1)
                                        .data);
    EXPECT_EQ(p->deserialize(&ss), 0);
    EXPECT_EQ(p->getDirection(), Vector(0, 1));
    EXPECT_EQ(p->getSpeed(), 2.5f);
    EXPECT_TRUE(p->getFollowPath());
    ASSERT_EQ(p->getPath().getNumNodes(), 2);
    EXPECT_EQ(p->getPath().getNodes()[1], Vector(9, 1));
    EXPECT_EQ(p->getPath().getIndex(), 0);
    EXPECT_FALSE(p->isModified());
}

TEST_F(ObjectSerializationTest, EventsRecordReplacesTheRegistrations) {
    auto *p = new Probe();
    p->registerInterest("alpha");
    p->registerInterest("beta");
    std::stringstream ss = streamOf(Bytes().u32(nv::EVENTS).i32(2).text("gamma").text("nv-step").data);
    EXPECT_EQ(p->deserialize(&ss), 0);

    EXPECT_EQ(registeredTypes(p), (std::vector<std::string>{"gamma", "nv-step"}));
    EXPECT_EQ(reach("alpha"), 0);
    EXPECT_EQ(reach("beta"), 0);
    EXPECT_EQ(reach("gamma"), 1);
    EXPECT_EQ(reach("nv-step"), 1);
    EXPECT_EQ(p->count("gamma"), 1);
    EXPECT_TRUE(worldConsistent({p}));
}

TEST_F(ObjectSerializationTest, RefusedRegistrationIsLoggedAndReadingGoesOn) {
    auto *p = new Probe();
    std::stringstream ss =
        streamOf(Bytes().u32(nv::EVENTS | nv::ALTITUDE).i32(2).text("nv-collision").text("alpha").i32(1).data);
    EXPECT_EQ(p->deserialize(&ss), 0);
    EXPECT_EQ(log->count("Object::deserialize(): Error! Register interest: nv-collision"), 1);
    EXPECT_EQ(registeredTypes(p), std::vector<std::string>{"alpha"});
    EXPECT_EQ(p->getAltitude(), 1);
}

TEST_F(ObjectSerializationTest, ObjectReadFromItsOwnRecordKeepsItsRegistrations) {
    Probe *p = richObject();
    auto *bystander = new Probe(50, 20);
    bystander->registerInterest("alpha");
    std::stringstream ss;
    p->serialize(&ss);
    EXPECT_EQ(p->deserialize(&ss), 0);
    EXPECT_EQ(registeredTypes(p), (std::vector<std::string>{"alpha", "nv-step"}));
    EXPECT_EQ(reach("alpha"), 2);
    EXPECT_EQ(reach("nv-step"), 1);
    EXPECT_TRUE(worldConsistent({p, bystander}));
}

TEST_F(ObjectSerializationTest, ReadIdRaisesTheNextIdButNeverLowersIt) {
    auto *a = new Probe();
    const int base = a->getId();
    auto *b = new Probe();
    std::stringstream ss = streamOf(Bytes().u32(nv::ID).i32(base + 39).data);
    EXPECT_EQ(b->deserialize(&ss), 0);
    EXPECT_EQ(b->getId(), base + 39);
    EXPECT_EQ((new Probe())->getId(), base + 40);

    std::stringstream low = streamOf(Bytes().u32(nv::ID).i32(base).data);
    auto *d = new Probe();
    EXPECT_EQ(d->deserialize(&low), 0);
    EXPECT_EQ(d->getId(), base);
    EXPECT_EQ((new Probe())->getId(), base + 42);
}

TEST_F(ObjectSerializationTest, IdAtTheTopOfTheRangeLeavesTheCounterAlone) {
    auto *p = new Probe();
    const int next = p->getId() + 1;
    std::stringstream ss = streamOf(Bytes().u32(nv::ID).i32(INT_MAX).data);
    EXPECT_EQ(p->deserialize(&ss), 0);
    EXPECT_EQ(p->getId(), INT_MAX);
    EXPECT_EQ((new Probe())->getId(), next);
}

TEST_F(ObjectSerializationTest, RichObjectSurvivesARoundTripIntoAFreshObject) {
    Probe *src = richObject();
    std::stringstream ss;
    ASSERT_EQ(src->serialize(&ss), 0);
    auto *dst = new Probe();
    ASSERT_EQ(dst->deserialize(&ss), 0);
    EXPECT_EQ(ss.peek(), std::char_traits<char>::eof());

    EXPECT_EQ(dst->getId(), src->getId());
    EXPECT_EQ(dst->getType(), "crate");
    EXPECT_EQ(dst->getPosition(), Vector(30.5f, 12.25f));
    EXPECT_EQ(dst->getBox(), Box(Vector(-2.0f, -1.0f), 5.0f, 3.0f));
    EXPECT_EQ(dst->getAltitude(), 3);
    EXPECT_EQ(dst->getSolidness(), nv::SOFT);
    EXPECT_TRUE(dst->getNoSoft());
    EXPECT_EQ(dst->getDirection(), src->getDirection());
    EXPECT_EQ(dst->getSpeed(), 2.5f);
    EXPECT_EQ(dst->getAcceleration(), Vector(0.25f, -0.125f));
    EXPECT_TRUE(dst->getAvoidCollisions());
    EXPECT_TRUE(dst->getFollowPath());
    EXPECT_EQ(dst->getPath().getNodes(), src->getPath().getNodes());
    EXPECT_EQ(dst->getPath().getIndex(), 0);

    const nv::Animation animation = dst->getAnimation();
    EXPECT_EQ(animation.getSprite(), nv::ResourceManager::getInstance().getSprite("guard"));
    EXPECT_EQ(animation.getName(), "guard");
    EXPECT_EQ(animation.getIndex(), 1);
    EXPECT_EQ(animation.getSlowdownCount(), -1);

    const nv::Shape shape = dst->getShape();
    EXPECT_EQ(shape.getType(), nv::SQUARE);
    EXPECT_EQ(shape.getSize(), 7.5f);
    EXPECT_EQ(shape.getColor(), nv::RED);
    EXPECT_EQ(shape.getAlpha(), 100);

    EXPECT_EQ(registeredTypes(dst), (std::vector<std::string>{"alpha", "nv-step"}));
    EXPECT_EQ(reach("alpha"), 2);
    EXPECT_EQ(record_test::cellsHolding(dst), record_test::cellsHolding(src));
    EXPECT_EQ(graph().objectsOfType("crate").getCount(), 2);
    EXPECT_EQ(graph().visibleObjects(3).getCount(), 2);
    EXPECT_FALSE(dst->isModified());
    EXPECT_TRUE(worldConsistent({src, dst}));
}

TEST_F(ObjectSerializationTest, HiddenInactiveObjectSurvivesARoundTrip) {
    auto *src = new Probe(12, 6);
    src->setSolidness(nv::SPECTRAL);
    src->setAltitude(0);
    src->setVisible(false);
    src->setActive(false);
    src->setType("ghost");
    std::stringstream ss;
    src->serialize(&ss);

    auto *dst = new Probe(60, 20);
    ASSERT_EQ(dst->deserialize(&ss), 0);
    EXPECT_FALSE(dst->isActive());
    EXPECT_FALSE(dst->isVisible());
    EXPECT_EQ(dst->getSolidness(), nv::SPECTRAL);
    EXPECT_EQ(dst->getPosition(), Vector(12, 6));
    EXPECT_EQ(graph().inactiveObjects().getCount(), 2);
    EXPECT_TRUE(record_test::cellsHolding(dst).empty());
    EXPECT_TRUE(worldConsistent({src, dst}));
}

TEST_F(ObjectSerializationTest, AnimationAloneTakesTheSpritesBox) {
    auto *p = new Probe();
    std::stringstream ss = streamOf(Bytes().u32(nv::ANIMATION).animation("player", 0, 2).data);
    EXPECT_EQ(p->deserialize(&ss), 0);
    const nv::Sprite *sprite = nv::ResourceManager::getInstance().getSprite("player");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(p->getAnimation().getSprite(), sprite);
    EXPECT_EQ(p->getAnimation().getSlowdownCount(), 2);
    EXPECT_EQ(p->getBox().getHorizontal(), static_cast<float>(sprite->getWidth()));
    EXPECT_EQ(p->getBox().getVertical(), static_cast<float>(sprite->getHeight()));
    EXPECT_TRUE(worldConsistent({p}));
}

TEST_F(ObjectSerializationTest, UnknownSpriteKeepsTheNameWithoutAPicture) {
    auto *p = new Probe();
    std::stringstream ss = streamOf(Bytes().u32(nv::ANIMATION).animation("nosuch", 3, 0).data);
    EXPECT_EQ(p->deserialize(&ss), 0);
    EXPECT_EQ(log->count("Object::setSprite(): Warning! Sprite 'nosuch' not found"), 1);
    EXPECT_EQ(p->getAnimation().getSprite(), nullptr);
    EXPECT_EQ(p->getAnimation().getName(), "nosuch");
}

TEST_F(ObjectSerializationTest, RefusedValuesAreSkippedAndReadingGoesOn) {
    auto *p = new Probe();
    std::stringstream ss = streamOf(
        Bytes().u32(nv::ALTITUDE | nv::SOLIDNESS | nv::NO_SOFT | nv::AVOID_COLLISIONS).i32(9).i32(7).u8(2).u8(1).data);
    EXPECT_EQ(p->deserialize(&ss), 0);
    EXPECT_EQ(p->getAltitude(), 2);
    EXPECT_EQ(log->count("Object::setAltitude(): Altitude 9 not in range [0,4].  Ignored."), 1);
    EXPECT_EQ(p->getSolidness(), nv::HARD);
    EXPECT_EQ(log->count("Object::setSolidness(): Solidness 7 not one of HARD, SOFT or SPECTRAL."), 1);
    EXPECT_TRUE(p->getNoSoft());
    EXPECT_TRUE(p->getAvoidCollisions());
}

TEST_F(ObjectSerializationTest, ImpossibleTypeLengthFailsWithoutReservingIt) {
    auto *p = new Probe();
    std::stringstream ss = streamOf(Bytes().u32(nv::TYPE | nv::ALTITUDE).u64(1ull << 62).data + "abcd");
    EXPECT_EQ(p->deserialize(&ss), -1);
    EXPECT_TRUE(ss.fail());
    EXPECT_EQ(log->count("Object::deserialize(): Error! Cannot allocate 2147483647 bytes."), 1);
    EXPECT_EQ(p->getType(), "(Undefined)");
    EXPECT_TRUE(worldConsistent({p}));
}

TEST_F(ObjectSerializationTest, TypeLongerThanTheRestOfTheStreamIsRefused) {
    auto *p = new Probe();
    std::stringstream ss = streamOf(Bytes().u32(nv::TYPE).u64(6).data + "crat");
    EXPECT_EQ(p->deserialize(&ss), -1);
    EXPECT_EQ(log->count("Object::deserialize(): Error! Cannot allocate 6 bytes."), 1);
    EXPECT_EQ(p->getType(), "(Undefined)");
}

TEST_F(ObjectSerializationTest, ImpossibleEventLengthFailsTheStream) {
    auto *p = new Probe();
    p->registerInterest("beta");
    std::stringstream ss =
        streamOf(Bytes().u32(nv::EVENTS | nv::POSITION).i32(2).text("alpha").u64(1000000000000ull).vec(9, 9).data);
    EXPECT_EQ(p->deserialize(&ss), -1);
    EXPECT_EQ(log->count("Object::deserialize(): Error! Cannot allocate 2147483647 bytes."), 1);
    EXPECT_EQ(log->count("Object::deserialize(): Error! Stream fail."), 1);
    EXPECT_EQ(registeredTypes(p), std::vector<std::string>{"alpha"});
    EXPECT_EQ(reach("beta"), 0);
    EXPECT_EQ(p->getPosition(), Vector(1, 1));
    EXPECT_TRUE(worldConsistent({p}));
}

TEST_F(ObjectSerializationTest, ImpossibleAnimationNameFailsTheStream) {
    auto *p = new Probe();
    std::stringstream ss = streamOf(Bytes().u32(nv::ANIMATION | nv::ALTITUDE).u64(~0ull).i32(0).i32(0).i32(3).data);
    EXPECT_EQ(p->deserialize(&ss), -1);
    EXPECT_EQ(log->count("Animation::deserialize(): Error! Cannot allocate"), 1);
    EXPECT_EQ(log->count("Object::deserialize(): Error! Stream fail."), 1);
    EXPECT_EQ(p->getAltitude(), 2);
}

TEST_F(ObjectSerializationTest, TruncatedRecordAppliesOnlyWholeValues) {
    auto *p = new Probe();
    const std::string bytes = Bytes().u32(nv::POSITION | nv::ALTITUDE).vec(7, 3).i32(4).data;
    std::stringstream ss = streamOf(bytes.substr(0, bytes.size() - 2));
    EXPECT_EQ(p->deserialize(&ss), -1);
    EXPECT_EQ(log->count("Object::deserialize(): Error! Stream eof."), 1);
    EXPECT_EQ(p->getPosition(), Vector(7, 3));
    EXPECT_EQ(p->getAltitude(), 2);
    EXPECT_FALSE(p->isModified());
}

TEST_F(ObjectSerializationTest, HugeEventCountStopsWhereTheStreamEnds) {
    auto *p = new Probe();
    std::stringstream ss = streamOf(Bytes().u32(nv::EVENTS).i32(INT_MAX).text("a").text("b").text("c").data);
    EXPECT_EQ(p->deserialize(&ss), -1);
    EXPECT_EQ(registeredTypes(p), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(worldConsistent({p}));
}

TEST_F(ObjectSerializationTest, MissingStreamIsRefused) {
    auto *p = new Probe();
    EXPECT_EQ(p->serialize(nullptr), -1);
    EXPECT_EQ(p->deserialize(nullptr), -1);
    EXPECT_EQ(p->getModified(), 0x3ffffu);
}

TEST_F(ObjectSerializationTest, EveryPrefixOfARecordFailsCleanly) {
    const std::string record = richRecord();
    Probe *src = *Probe::live().begin();
    for (std::size_t n = 0; n <= record.size(); n++) {
        auto *target = new Probe(70, 3);
        std::stringstream ss = streamOf(record.substr(0, n));
        ASSERT_EQ(target->deserialize(&ss), n == record.size() ? 0 : -1) << "prefix of " << n << " bytes";
        ASSERT_TRUE(worldConsistent({src, target})) << "prefix of " << n << " bytes";
        delete target;
        ASSERT_TRUE(worldConsistent({src})) << "after deleting the object read from " << n << " bytes";
        ASSERT_EQ(reach("alpha"), 1);
    }
}

TEST_F(ObjectSerializationTest, FlippedBytesNeverBreakTheWorld) {
    const std::string record = richRecord();
    Probe *src = *Probe::live().begin();
    std::mt19937 rng(8128u);
    std::uniform_int_distribution<std::size_t> where(0, record.size() - 1);
    std::uniform_int_distribution<int> flip(1, 255);
    for (int round = 0; round < 3000; round++) {
        std::string damaged = record;
        const std::size_t at = where(rng);
        damaged[at] = static_cast<char>(damaged[at] ^ flip(rng));
        auto *target = new Probe(70, 3);
        std::stringstream ss = streamOf(damaged);
        const int result = target->deserialize(&ss);
        ASSERT_TRUE(result == 0 || result == -1) << "round " << round;
        ASSERT_TRUE(worldConsistent({src, target})) << "round " << round << ", byte " << at;
        delete target;
        ASSERT_TRUE(worldConsistent({src})) << "round " << round << ", byte " << at;
    }
}

} // namespace
