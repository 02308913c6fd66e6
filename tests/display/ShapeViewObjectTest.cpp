#include "DisplayTestSupport.h"

#include <sstream>

#include "display/EventView.h"
#include "display/Shape.h"
#include "display/ViewObject.h"

using display_test::HeadlessTest;

namespace {

using ShapeTest = HeadlessTest;

TEST_F(ShapeTest, DefaultsFollowCellSizeAndFontScale) {
    nv::Shape shape;
    EXPECT_EQ(shape.getType(), nv::CIRCLE);
    EXPECT_FLOAT_EQ(shape.getSize(), 24.0f);
    EXPECT_EQ(shape.getColor(), nv::WHITE);
    EXPECT_EQ(shape.getAlpha(), 255);
    EXPECT_EQ(shape.toString(), "circle, size 24.000000, White, 255");
}

TEST_F(ShapeTest, UnknownTypesAreRefused) {
    nv::Shape shape;
    shape.setType(nv::SQUARE);
    shape.setType(3);
    shape.setType(-2);
    EXPECT_EQ(shape.getType(), nv::SQUARE);
    EXPECT_EQ(log->count("Shape::setType(): Unknown shape type 3. Ignoring."), 1);
    EXPECT_EQ(log->count("Shape::setType(): Unknown shape type -2. Ignoring."), 1);
    shape.setType(-1);
    EXPECT_EQ(shape.getType(), nv::UNDEFINED_SHAPE);
    EXPECT_EQ(nv::shapeTypeToString(nv::UNDEFINED_SHAPE), "undefined");
    EXPECT_EQ(nv::shapeTypeToString(nv::TRIANGLE), "triangle");
}

TEST_F(ShapeTest, DrawingWithoutWindowDoesNothing) {
    nv::Shape shape;
    shape.setColor(nv::RED);
    shape.setRGB(1, 2, 3);
    shape.draw(nv::Vector(5, 5));
    unsigned char r = 0, g = 0, b = 0;
    shape.getRGB(r, g, b);
    EXPECT_EQ(r, 1);
    EXPECT_TRUE(dm().getPending().empty());
}

TEST_F(ShapeTest, RecordKeepsTypeSizeColorAndAlpha) {
    nv::Shape shape;
    shape.setType(nv::TRIANGLE);
    shape.setSize(7.5f);
    shape.setColor(nv::CUSTOM);
    shape.setAlpha(90);
    shape.setRGB(4, 5, 6);
    std::stringstream ss;
    EXPECT_EQ(shape.serialize(&ss), 0);
    EXPECT_EQ(ss.str().size(), 13u);
    nv::Shape copy;
    EXPECT_EQ(copy.deserialize(&ss), 0);
    EXPECT_EQ(copy.getType(), nv::TRIANGLE);
    EXPECT_FLOAT_EQ(copy.getSize(), 7.5f);
    EXPECT_EQ(copy.getColor(), nv::CUSTOM);
    EXPECT_EQ(copy.getAlpha(), 90);
    unsigned char r = 0, g = 0, b = 0;
    copy.getRGB(r, g, b);
    EXPECT_EQ(r, 255);
}

TEST_F(ShapeTest, RecordWithUnknownTypeKeepsTheOldType) {
    std::stringstream ss;
    const int type = 17;
    const float size = 3.0f;
    const int color = 2;
    const unsigned char alpha = 7;
    ss.write(reinterpret_cast<const char *>(&type), 4);
    ss.write(reinterpret_cast<const char *>(&size), 4);
    ss.write(reinterpret_cast<const char *>(&color), 4);
    ss.write(reinterpret_cast<const char *>(&alpha), 1);
    nv::Shape shape;
    EXPECT_EQ(shape.deserialize(&ss), 0);
    EXPECT_EQ(shape.getType(), nv::CIRCLE);
    EXPECT_EQ(shape.getColor(), nv::GREEN);
}

TEST_F(ShapeTest, TruncatedRecordFails) {
    std::stringstream ss("abc");
    nv::Shape shape;
    EXPECT_EQ(shape.deserialize(&ss), -1);
    EXPECT_EQ(log->count("Shape::deserialize(): Error! Stream eof."), 1);
}

class ViewObjectTest : public HeadlessTest {
protected:
    nv::ViewObject *make() { return new nv::ViewObject; }
};

TEST_F(ViewObjectTest, StartsAtTopCentreAsSpectralHud) {
    nv::ViewObject *p_v = make();
    EXPECT_EQ(p_v->getType(), "ViewObject");
    EXPECT_EQ(p_v->getSolidness(), nv::SPECTRAL);
    EXPECT_EQ(p_v->getAltitude(), nv::MAX_ALTITUDE);
    EXPECT_EQ(p_v->getLocation(), nv::TOP_CENTER);
    EXPECT_EQ(p_v->getPosition(), nv::Vector(40, 1));
    EXPECT_TRUE(p_v->getBorder());
    EXPECT_TRUE(p_v->getDrawValue());
    EXPECT_EQ(p_v->getValue(), 0);
    EXPECT_EQ(p_v->getModified() & (nv::VALUE | nv::APPEARANCE), nv::VALUE | nv::APPEARANCE);
}

TEST_F(ViewObjectTest, LocationsFollowTheTable) {
    nv::ViewObject *p_v = make();
    p_v->setLocation(nv::TOP_LEFT);
    EXPECT_FLOAT_EQ(p_v->getPosition().getX(), 80.0f / 6.0f);
    EXPECT_FLOAT_EQ(p_v->getPosition().getY(), 1.0f);
    p_v->setLocation(nv::CENTER_CENTER);
    EXPECT_EQ(p_v->getPosition(), nv::Vector(40, 12));
    p_v->setBorder(false);
    EXPECT_EQ(p_v->getPosition(), nv::Vector(40, 11));
    p_v->setLocation(nv::BOTTOM_RIGHT);
    EXPECT_FLOAT_EQ(p_v->getPosition().getX(), 80.0f * 5.0f / 6.0f);
    EXPECT_FLOAT_EQ(p_v->getPosition().getY(), 23.0f);
    EXPECT_EQ(p_v->getLocation(), nv::BOTTOM_RIGHT);
    EXPECT_EQ(nv::locationToString(nv::BOTTOM_RIGHT), "bot-right");
    EXPECT_EQ(nv::locationToString(static_cast<nv::ViewObjectLocation>(12)), "unknown");
}

TEST_F(ViewObjectTest, OutOfRangeLocationIsIgnored) {
    nv::ViewObject *p_v = make();
    p_v->setLocation(static_cast<nv::ViewObjectLocation>(9));
    p_v->setLocation(static_cast<nv::ViewObjectLocation>(-2));
    EXPECT_EQ(p_v->getLocation(), nv::TOP_CENTER);
    EXPECT_EQ(p_v->getPosition(), nv::Vector(40, 1));
    EXPECT_EQ(log->count("ViewObject::setLocation(): Warning! Location out of range (9). Ignored."), 1);
    EXPECT_EQ(log->count("ViewObject::setLocation(): Warning! Location out of range (-2). Ignored."), 1);
}

TEST_F(ViewObjectTest, BorderMovesStandardPlaceButNotAFreePosition) {
    nv::ViewObject *p_v = make();
    p_v->setBorder(false);
    EXPECT_EQ(p_v->getPosition(), nv::Vector(40, 0));
    p_v->setBorder(true);
    EXPECT_EQ(p_v->getPosition(), nv::Vector(40, 1));
    p_v->setPosition(nv::Vector(10, 10));
    EXPECT_EQ(p_v->getLocation(), nv::UNDEFINED_LOCATION);
    p_v->setBorder(false);
    EXPECT_EQ(p_v->getPosition(), nv::Vector(10, 10));
}

TEST_F(ViewObjectTest, BorderedLabelDrawsFramedText) {
    nv::ViewObject *p_v = make();
    p_v->setViewString("Score");
    p_v->setValue(12);
    p_v->setColor(nv::YELLOW);
    p_v->setPosition(nv::Vector(40, 5));
    EXPECT_EQ(p_v->draw(), 0);
    const auto r = rows();
    // Text " Score 12 " is 10 characters centred on x = 40: columns 35 to 44; bars at 34 and 45.
    EXPECT_EQ(r[4].substr(34, 12), " ---------- ");
    EXPECT_EQ(r[5].substr(34, 12), "| Score 12 |");
    EXPECT_EQ(r[6].substr(34, 12), " ---------- ");
    EXPECT_EQ(colors()[5][34], 'y');
}

TEST_F(ViewObjectTest, UnborderedLabelFollowsTheView) {
    nv::ViewObject *p_v = make();
    p_v->setViewString("Hp");
    p_v->setValue(3);
    p_v->setBorder(false);
    p_v->setPosition(nv::Vector(10, 2));
    nv::WorldManager::getInstance().setView(nv::Box(nv::Vector(30, 4), 80, 24));
    EXPECT_EQ(p_v->draw(), 0);
    EXPECT_EQ(rows()[2].substr(8, 4), "Hp 3");
    p_v->setDrawValue(false);
    dm().swapBuffers();
    p_v->draw();
    EXPECT_EQ(rows()[2].substr(8, 4), " Hp ");
}

TEST_F(ViewObjectTest, DrawingHeadlessReportsFailure) {
    nv::ViewObject *p_v = make();
    dm().setCapture(false);
    EXPECT_LT(p_v->draw(), 0);
}

TEST_F(ViewObjectTest, ViewEventsSetOrAddTheValueOfMatchingLabels) {
    nv::ViewObject *p_v = make();
    p_v->setViewString("coins");
    p_v->setValue(3);
    nv::EventView add("coins", 5, true);
    EXPECT_EQ(p_v->eventHandler(&add), 1);
    EXPECT_EQ(p_v->getValue(), 8);
    nv::EventView set("coins", 5, false);
    EXPECT_EQ(p_v->eventHandler(&set), 1);
    EXPECT_EQ(p_v->getValue(), 5);
    nv::EventView other("keys", 1, false);
    EXPECT_EQ(p_v->eventHandler(&other), 0);
    EXPECT_EQ(p_v->getValue(), 5);
    EXPECT_EQ(nv::WorldManager::getInstance().onEvent(&add), 1);
    EXPECT_EQ(p_v->getValue(), 10);
}

TEST_F(ViewObjectTest, UnchangedValueMarksNothing) {
    nv::ViewObject *p_v = make();
    p_v->setModified(0);
    p_v->setValue(0);
    p_v->setColor(nv::WHITE);
    p_v->setViewString("");
    EXPECT_EQ(p_v->getModified(), 0u);
    p_v->setValue(1);
    EXPECT_EQ(p_v->getModified(), static_cast<unsigned int>(nv::VALUE));
}

} // namespace
