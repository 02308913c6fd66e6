#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DisplayTestSupport.h"
#include "display/EventView.h"
#include "display/ViewObject.h"
#include "world/RecordTestSupport.h"

using nv::Vector;
using nv::ViewObject;
using record_test::Bytes;
using record_test::reach;
using record_test::registeredTypes;
using record_test::streamOf;
using record_test::worldConsistent;

namespace {

class ViewObjectSerializationTest : public display_test::HeadlessTest {
protected:
    /// A label at a standard place with every view attribute away from its default.
    ViewObject *richViewObject() {
        auto *p_v = new ViewObject;
        p_v->setViewString("Lives");
        p_v->setValue(-3);
        p_v->setBorder(false);
        p_v->setColor(nv::RED);
        p_v->setLocation(nv::BOTTOM_RIGHT);
        p_v->setDrawValue(false);
        p_v->registerInterest("score");
        return p_v;
    }

    /// How many view objects labelled tag an "nv-view" event reaches and changes.
    static int raiseView(const std::string &tag, int value) {
        nv::EventView event(tag, value, false);
        return nv::WorldManager::getInstance().onEvent(&event);
    }
};

TEST_F(ViewObjectSerializationTest, NewViewObjectWritesObjectPartThenValueAndAppearance) {
    auto *p_v = new ViewObject;
    p_v->setViewString("Score");
    p_v->setValue(12);
    ASSERT_EQ(p_v->getModified(), 0xfffffu);

    std::stringstream ss;
    EXPECT_EQ(p_v->serialize(&ss), 0);

    Bytes expected;
    expected.u32(0xfffff).i32(p_v->getId()).u8(1).u8(1).i32(1).text("nv-view");
    expected.box(-0.5f, -0.5f, 0.99f, 0.99f).vec(40, 1).text("ViewObject").animation("", 0, 0);
    expected.i32(nv::MAX_ALTITUDE).i32(nv::SPECTRAL).u8(0).vec(0, 0).f32(0).vec(0, 0);
    expected.shape(nv::UNDEFINED_SHAPE, p_v->getShape().getSize(), nv::WHITE, 255).u8(0).u64(0).u8(0);
    expected.i32(12).text("Score").u8(1).i32(nv::WHITE).i32(nv::TOP_CENTER).u8(1);
    EXPECT_EQ(ss.str(), expected.data);
    EXPECT_EQ(p_v->getModified(), 0u);
}

TEST_F(ViewObjectSerializationTest, ChangedValueIsWrittenAlone) {
    auto *p_v = new ViewObject;
    std::stringstream first;
    p_v->serialize(&first);

    p_v->setValue(13);
    std::stringstream ss;
    p_v->serialize(&ss);
    EXPECT_EQ(ss.str(), Bytes().u32(nv::VALUE).i32(13).data);
    EXPECT_EQ(p_v->getModified(), 0u);

    p_v->setValue(13);
    std::stringstream unchanged;
    p_v->serialize(&unchanged);
    EXPECT_EQ(unchanged.str(), Bytes().u32(0).data);
}

TEST_F(ViewObjectSerializationTest, ChosenAppearanceIsWrittenAndClearedAlone) {
    auto *p_v = new ViewObject;
    p_v->setViewString("Hi");
    std::stringstream ss;
    EXPECT_EQ(p_v->serialize(&ss, nv::APPEARANCE), 0);
    EXPECT_EQ(ss.str(), Bytes().u32(nv::APPEARANCE).text("Hi").u8(1).i32(nv::WHITE).i32(nv::TOP_CENTER).u8(1).data);
    EXPECT_EQ(p_v->getModified(), 0x3ffffu | nv::VALUE);
}

TEST_F(ViewObjectSerializationTest, LabelAtAStandardPlaceSurvivesARoundTrip) {
    ViewObject *src = richViewObject();
    std::stringstream ss;
    ASSERT_EQ(src->serialize(&ss), 0);
    auto *dst = new ViewObject;
    unsigned int mask = 0;
    ASSERT_EQ(dst->deserialize(&ss, &mask), 0);
    EXPECT_EQ(mask, 0xfffffu);
    EXPECT_EQ(ss.peek(), std::char_traits<char>::eof());

    EXPECT_EQ(dst->getViewString(), "Lives");
    EXPECT_EQ(dst->getValue(), -3);
    EXPECT_FALSE(dst->getBorder());
    EXPECT_EQ(dst->getColor(), nv::RED);
    EXPECT_EQ(dst->getLocation(), nv::BOTTOM_RIGHT);
    EXPECT_FALSE(dst->getDrawValue());
    EXPECT_EQ(dst->getPosition(), src->getPosition());
    EXPECT_EQ(registeredTypes(dst), (std::vector<std::string>{"nv-view", "score"}));
    EXPECT_FALSE(dst->isModified());

    EXPECT_EQ(raiseView("Lives", 9), 2);
    EXPECT_EQ(dst->getValue(), 9);
    EXPECT_EQ(reach("score"), 2);
    EXPECT_TRUE(worldConsistent({src, dst}));
}

TEST_F(ViewObjectSerializationTest, FreelyPlacedLabelKeepsItsPosition) {
    auto *src = new ViewObject;
    src->setViewString("Free");
    src->setPosition(Vector(10, 5));
    ASSERT_EQ(src->getLocation(), nv::UNDEFINED_LOCATION);
    std::stringstream ss;
    src->serialize(&ss);

    auto *dst = new ViewObject;
    ASSERT_EQ(dst->deserialize(&ss), 0);
    EXPECT_EQ(dst->getPosition(), Vector(10, 5));
    EXPECT_EQ(dst->getLocation(), nv::UNDEFINED_LOCATION);
    EXPECT_EQ(dst->getViewString(), "Free");
    EXPECT_FALSE(dst->isModified());
    EXPECT_TRUE(worldConsistent({src, dst}));
}

TEST_F(ViewObjectSerializationTest, ImpossibleLabelLengthFailsWithoutReservingIt) {
    auto *p_v = new ViewObject;
    std::stringstream ss = streamOf(Bytes().u32(nv::VALUE | nv::APPEARANCE).i32(5).u64(1ull << 60).data + "xyz");
    EXPECT_EQ(p_v->deserialize(&ss), -1);
    EXPECT_EQ(log->count("ViewObject::deserialize(): Error! Cannot allocate 2147483647 bytes."), 1);
    EXPECT_EQ(log->count("ViewObject::deserialize(): Error! Stream fail."), 1);
    EXPECT_EQ(p_v->getValue(), 5);
    EXPECT_EQ(p_v->getViewString(), "");
    EXPECT_TRUE(p_v->getBorder());
    EXPECT_EQ(p_v->getLocation(), nv::TOP_CENTER);
    EXPECT_TRUE(worldConsistent({p_v}));
}

TEST_F(ViewObjectSerializationTest, UnknownColorAndLocationKeepTheCurrentOnes) {
    auto *p_v = new ViewObject;
    std::stringstream ss = streamOf(Bytes().u32(nv::APPEARANCE).text("x").u8(1).i32(12).i32(99).u8(0).data);
    EXPECT_EQ(p_v->deserialize(&ss), 0);
    EXPECT_EQ(p_v->getColor(), nv::WHITE);
    EXPECT_EQ(p_v->getLocation(), nv::TOP_CENTER);
    EXPECT_EQ(p_v->getPosition(), Vector(40, 1));
    EXPECT_EQ(log->count("ViewObject::setLocation(): Warning! Location out of range (99). Ignored."), 1);
    EXPECT_EQ(p_v->getViewString(), "x");
    EXPECT_FALSE(p_v->getDrawValue());
}

TEST_F(ViewObjectSerializationTest, FailedObjectPartStopsTheViewPart) {
    auto *p_v = new ViewObject;
    std::stringstream ss = streamOf(Bytes().u32(nv::TYPE | nv::VALUE).u64(~0ull).i32(7).data);
    EXPECT_EQ(p_v->deserialize(&ss), -1);
    EXPECT_EQ(log->count("ViewObject::deserialize(): Error calling Object::deserialize()."), 1);
    EXPECT_EQ(p_v->getValue(), 0);
    EXPECT_EQ(p_v->getType(), "ViewObject");
}

TEST_F(ViewObjectSerializationTest, EveryPrefixOfARecordFailsCleanly) {
    ViewObject *src = richViewObject();
    std::stringstream whole;
    src->serialize(&whole);
    const std::string record = whole.str();
    for (std::size_t n = 0; n <= record.size(); n++) {
        auto *target = new ViewObject;
        std::stringstream ss = streamOf(record.substr(0, n));
        ASSERT_EQ(target->deserialize(&ss), n == record.size() ? 0 : -1) << "prefix of " << n << " bytes";
        ASSERT_TRUE(worldConsistent({src, target})) << "prefix of " << n << " bytes";
        delete target;
        ASSERT_TRUE(worldConsistent({src})) << "after deleting the object read from " << n << " bytes";
    }
}

TEST_F(ViewObjectSerializationTest, FlippedBytesNeverBreakTheWorld) {
    ViewObject *src = richViewObject();
    std::stringstream whole;
    src->serialize(&whole);
    const std::string record = whole.str();
    std::mt19937 rng(4096u);
    std::uniform_int_distribution<std::size_t> where(0, record.size() - 1);
    std::uniform_int_distribution<int> flip(1, 255);
    for (int round = 0; round < 2000; round++) {
        std::string damaged = record;
        const std::size_t at = where(rng);
        damaged[at] = static_cast<char>(damaged[at] ^ flip(rng));
        auto *target = new ViewObject;
        std::stringstream ss = streamOf(damaged);
        const int result = target->deserialize(&ss);
        ASSERT_TRUE(result == 0 || result == -1) << "round " << round;
        ASSERT_TRUE(worldConsistent({src, target})) << "round " << round << ", byte " << at;
        delete target;
        ASSERT_TRUE(worldConsistent({src})) << "round " << round << ", byte " << at;
    }
}

} // namespace
