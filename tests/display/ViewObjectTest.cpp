#include "DisplayTestSupport.h"

#include <functional>
#include <tuple>

#include "display/EventView.h"
#include "display/Shape.h"
#include "display/ViewObject.h"
#include "world/RecordTestSupport.h"

using display_test::DisplayTest;
using nv::Vector;
using nv::ViewObject;
using record_test::Bytes;

namespace {

/// The view attributes, placement and type of a view object, as one text.
std::string state(const ViewObject *p_v) {
    return p_v->getViewString() + "|" + std::to_string(p_v->getValue()) + "|" + std::to_string(p_v->getBorder()) + "|" +
           nv::colorToString(p_v->getColor()) + "|" + nv::locationToString(p_v->getLocation()) + "|" +
           std::to_string(p_v->getDrawValue()) + "|" + p_v->getPosition().toString() + "|" + p_v->getType();
}

TEST_F(DisplayTest, ViewObjectIsPlacedDrawnMarkedAndReadBackKeepingWhatCannotBeRead) {
    const float w1 = 80.0f / 6, w5 = 80.0f * 5 / 6;
    // location (0 top-left to 8 bottom-right, row by row), border, then the position it puts the object at
    const std::tuple<int, bool, float, float> places[] = {{0, true, w1, 1},  {2, false, w5, 0},  {3, true, w1, 12},
                                                          {4, true, 40, 12}, {4, false, 40, 11}, {5, false, w5, 11},
                                                          {6, true, w1, 22}, {7, true, 40, 22},  {8, false, w5, 23},
                                                          {9, true, 40, 1},  {-2, false, 40, 0}};
    for (const auto &[location, border, x, y] : places) {
        auto *p_v = new ViewObject;
        p_v->setBorder(border);
        p_v->setLocation(static_cast<nv::ViewObjectLocation>(location));
        const bool known = location >= 0 && location <= 8;
        EXPECT_EQ(p_v->getPosition(), Vector(x, y)) << location << " " << border;
        EXPECT_EQ(p_v->getLocation(), known ? location : nv::TOP_CENTER);
        EXPECT_EQ(log->count("ViewObject::setLocation(): Warning! Location out of range (" + std::to_string(location) +
                             "). Ignored."),
                  known ? 0 : 1);
    }
    auto *p_v = new ViewObject;
    p_v->setPosition(Vector(10, 10));
    EXPECT_EQ(state(p_v), "|0|1|White|unknown|1|(10,10)|ViewObject");
    p_v->setViewString("Score");
    p_v->setValue(12);
    p_v->setColor(nv::YELLOW);
    p_v->setPosition(Vector(40, 5));
    // " Score 12 " is 10 characters centred on x = 40: columns 35 to 44; bars at 34 and 45, corners empty. The
    // position is in the view, so moving the view leaves the label where it is on screen.
    const std::string blank(14, ' ');
    const std::string shown[] = {"  ----------   | Score 12 |   ----------  ", blank + "   Score 12   " + blank,
                                 blank + "     Score    " + blank};
    for (const std::string &rows_4_to_6 : shown) {
        dm().swapBuffers();
        EXPECT_EQ(p_v->draw(), 0);
        EXPECT_EQ(rows()[4].substr(33, 14) + rows()[5].substr(33, 14) + rows()[6].substr(33, 14), rows_4_to_6);
        EXPECT_EQ(colors()[5][38], 'y');
        p_v->setDrawValue(p_v->getBorder());
        p_v->setBorder(false);
        nv::WorldManager::getInstance().setView(nv::Box(Vector(30, 4), 80, 24));
    }
    dm().setCapture(false);
    EXPECT_LT(p_v->draw(), 0);
    world_test::resetWorld();
    p_v = new ViewObject;
    p_v->setViewString("coins");
    const std::tuple<std::function<void()>, unsigned int> marks[] = {
        {[&] { p_v->setValue(0), p_v->setColor(nv::WHITE), p_v->setViewString("coins"); }, 0},
        {[&] { p_v->setBorder(true), p_v->setDrawValue(true), p_v->setPosition(p_v->getPosition()); }, 0},
        {[&] { p_v->setValue(3); }, nv::VALUE},
        {[&] { p_v->setColor(nv::RED); }, nv::APPEARANCE},
        {[&] { p_v->setBorder(false); }, nv::APPEARANCE},
        {[&] { p_v->setDrawValue(false); }, nv::APPEARANCE},
        {[&] { p_v->setViewString("x"); }, nv::APPEARANCE},
        {[&] { p_v->setLocation(nv::TOP_LEFT); }, nv::APPEARANCE},
        {[&] { p_v->setPosition(Vector(1, 2)); }, nv::APPEARANCE}};
    for (const auto &[change, marked] : marks) {
        p_v->setModified(0);
        change();
        EXPECT_EQ(p_v->getModified() & (nv::VALUE | nv::APPEARANCE), marked);
    }
    p_v->setViewString("coins");
    // tag, value, delta, then handled and the value after
    const std::tuple<std::string, int, bool, int, int> events[] = {
        {"coins", 5, true, 1, 8}, {"coins", 5, false, 1, 5}, {"keys", 1, false, 0, 5}};
    for (const auto &[tag, value, delta, handled, after] : events) {
        nv::EventView event(tag, value, delta);
        EXPECT_EQ(p_v->eventHandler(&event) * 100 + p_v->getValue(), handled * 100 + after) << tag;
    }
    nv::EventView add("coins", 5, true);
    EXPECT_EQ(nv::WorldManager::getInstance().onEvent(&add) * 100 + p_v->getValue(), 110);
    // The changes above left label, value, border, color and value display off their defaults.
    p_v->setLocation(nv::BOTTOM_RIGHT);
    p_v->registerInterest("score");
    std::stringstream whole;
    p_v->serialize(&whole);
    const std::tuple<std::string, std::string, std::string> damaged[] = {
        {whole.str(), "", state(p_v)},
        {Bytes().u32(nv::VALUE | nv::APPEARANCE).i32(5).u64(1ull << 60).data + "xyz",
         "ViewObject::deserialize(): Error! Cannot allocate 2147483647 bytes.",
         "|5|1|White|top-center|1|(40,1)|ViewObject"},
        {Bytes().u32(nv::APPEARANCE).text("x").u8(1).i32(12).i32(99).u8(0).data,
         "ViewObject::setLocation(): Warning! Location out of range (99). Ignored.",
         "x|0|1|White|top-center|0|(40,1)|ViewObject"},
        {Bytes().u32(nv::TYPE | nv::VALUE).u64(~0ull).i32(7).data,
         "ViewObject::deserialize(): Error calling Object::deserialize().",
         "|0|1|White|top-center|1|(40,1)|ViewObject"}};
    for (const auto &[bytes, message, after] : damaged) {
        log->mark();
        auto *p_read = new ViewObject;
        std::stringstream ss = record_test::streamOf(bytes);
        EXPECT_EQ(p_read->deserialize(&ss), message.empty() || message.find("Warning") != std::string::npos ? 0 : -1);
        EXPECT_EQ(log->count(message.empty() ? "!" : message), message.empty() ? 0 : 1) << log->text();
        EXPECT_EQ(state(p_read), after);
        EXPECT_FALSE(message.empty() && p_read->isModified()) << "what was read is no change to send back";
        EXPECT_EQ(record_test::registeredTypes(p_read).size(), message.empty() ? 2u : 1u);
        EXPECT_TRUE(record_test::worldConsistent({p_v, p_read}));
        delete p_read;
    }
    nv::Shape shape;
    for (const int type : {static_cast<int>(nv::SQUARE), 3, -2})
        shape.setType(type);
    EXPECT_EQ(shape.toString(), "square, size 24.000000, White, 255");
    for (const int type : {3, -2})
        EXPECT_EQ(log->count("Shape::setType(): Unknown shape type " + std::to_string(type) + ". Ignoring."), 1);
    // How a shape is written is fixed by the whole view-object record below.
    const std::pair<std::string, std::string> shapes[] = {
        {Bytes().shape(nv::UNDEFINED_SHAPE, 7.5f, nv::CUSTOM, 90).data, "undefined, size 7.500000, Unknown color, 90"},
        {Bytes().shape(17, 3, nv::BLACK, 7).data, "circle, size 3.000000, Black, 7"},
        {Bytes().shape(nv::SQUARE, 3, 9, 7).data, "square, size 3.000000, White, 7"},
        {"abc", "circle, size 24.000000, White, 255"}};
    for (const auto &[bytes, text] : shapes) {
        nv::Shape copy;
        std::stringstream ss = record_test::streamOf(bytes);
        EXPECT_EQ(copy.deserialize(&ss), bytes == "abc" ? -1 : 0);
        EXPECT_EQ(copy.toString(), text);
    }
    EXPECT_EQ(log->count("Shape::deserialize(): Error! Stream eof."), 1);
    const auto rest = [](ViewObject *p_rec) { p_rec->setModified(0); };
    const std::string appearance = Bytes().text("Score").u8(1).i32(nv::WHITE).i32(nv::TOP_CENTER).u8(1).data;
    // done to a new object labelled "Score" with 12, attributes asked for, the record ("" for all), what is left
    const std::tuple<std::function<void(ViewObject *)>, unsigned int, std::string, unsigned int> records[] = {
        {[](ViewObject *) {}, 0, "", 0},
        {[&](ViewObject *p_rec) { rest(p_rec), p_rec->setValue(13); }, 0, Bytes().u32(nv::VALUE).i32(13).data, 0},
        {rest, 0, Bytes().u32(0).data, 0},
        {[](ViewObject *) {}, nv::APPEARANCE, Bytes().u32(nv::APPEARANCE).data + appearance, 0x3ffffu | nv::VALUE}};
    for (const auto &[prepare, attr, bytes, left] : records) {
        auto *p_rec = new ViewObject;
        p_rec->setViewString("Score");
        p_rec->setValue(12);
        prepare(p_rec);
        std::stringstream ss;
        EXPECT_EQ(p_rec->serialize(&ss, attr), 0);
        Bytes all;
        all.u32(0xfffff).i32(p_rec->getId()).u8(1).u8(1).i32(1).text(nv::VIEW_EVENT).box(-0.5f, -0.5f, 0.99f, 0.99f);
        all.vec(40, 1).text("ViewObject").animation("", 0, 0).i32(nv::MAX_ALTITUDE).i32(nv::SPECTRAL).u8(0);
        all.vec(0, 0).f32(0).vec(0, 0).shape(nv::UNDEFINED_SHAPE, 24, nv::WHITE, 255).u8(0).u64(0).u8(0).i32(12);
        EXPECT_EQ(ss.str(), bytes.empty() ? all.data + appearance : bytes) << "attr " << attr;
        EXPECT_EQ(p_rec->getModified(), left);
    }
}

} // namespace
