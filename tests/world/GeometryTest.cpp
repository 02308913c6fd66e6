#include <cmath>
#include <cstring>
#include <sstream>

#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/Box.h"
#include "world/Vector.h"
#include "world/utility.h"

using nv::Box;
using nv::Vector;

namespace {

std::stringstream *freshStream(std::stringstream &ss) {
    ss.str("");
    ss.clear();
    return &ss;
}

} // namespace

TEST(Vector, NormalizeKeepsZeroAndScalesOthersToUnitLength) {
    Vector zero;
    zero.normalize();
    EXPECT_EQ(zero, Vector(0, 0));

    Vector v(3, 4);
    v.normalize();
    EXPECT_FLOAT_EQ(v.getX(), 0.6f);
    EXPECT_FLOAT_EQ(v.getY(), 0.8f);
    EXPECT_FLOAT_EQ(v.getMagnitude(), 1.0f);
}

TEST(Vector, ArithmeticAndScale) {
    Vector a(1, 2);
    const Vector b(0.5f, -4);
    EXPECT_EQ(a + b, Vector(1.5f, -2));
    EXPECT_EQ(a - b, Vector(0.5f, 6));
    Vector &same = (a += b);
    EXPECT_EQ(&same, &a);
    EXPECT_EQ(a, Vector(1.5f, -2));
    a.scale(-2);
    EXPECT_EQ(a, Vector(-3, 4));
    EXPECT_NE(a, Vector(-3, 4.0001f));
}

TEST(Vector, TextUsesDefaultFloatFormattingWithoutBlanks) {
    EXPECT_EQ(Vector(12, 3.5f).toString(), "(12,3.5)");
    EXPECT_EQ(Vector(-0.25f, 1234567.0f).toString(), "(-0.25,1.23457e+06)");
    EXPECT_EQ(Vector(1.0f / 3.0f, 0).toString(), "(0.333333,0)");
}

TEST(Vector, SerializedBitsComeBackExactly) {
    std::stringstream ss;
    const Vector original(-1.0e-20f, 3.14159274f);
    ASSERT_EQ(original.serialize(&ss), 0);
    EXPECT_EQ(ss.str().size(), 8u);
    float x = 0;
    std::memcpy(&x, ss.str().data(), 4);
    EXPECT_EQ(x, original.getX());

    Vector copy;
    ASSERT_EQ(copy.deserialize(&ss), 0);
    EXPECT_EQ(copy, original);
}

TEST(Box, DefaultTextAndSixteenByteRecord) {
    EXPECT_EQ(Box().toString(), "(0,0) h: 0 v: 0");
    EXPECT_EQ(Box(Vector(0, 0), 3, 1).toString(), "(0,0) h: 3 v: 1");

    std::stringstream ss;
    const Box original(Vector(1.5f, -2), 0.99f, 7);
    ASSERT_EQ(original.serialize(&ss), 0);
    EXPECT_EQ(ss.str().size(), 16u);
    Box copy;
    ASSERT_EQ(copy.deserialize(&ss), 0);
    EXPECT_EQ(copy, original);
    EXPECT_FALSE(copy != original);
}

class StreamCheck : public world_test::WorldTest {};

TEST_F(StreamCheck, ShortVectorInputLogsEndOfInputAndKeepsWhatWasRead) {
    std::stringstream ss;
    Vector(7, 8).serialize(freshStream(ss));
    std::stringstream shorter(ss.str().substr(0, 6));
    Vector v(1, 1);
    EXPECT_EQ(v.deserialize(&shorter), -1);
    EXPECT_EQ(log->count("Vector::deserialize(): Error! Stream eof."), 1);
    EXPECT_EQ(v.getX(), 7.0f);
    EXPECT_EQ(v.getY(), 1.0f);
}

TEST_F(StreamCheck, ShortBoxInputFailsWithBoxLabel) {
    std::stringstream ss;
    Box(Vector(1, 2), 3, 4).serialize(&ss);
    std::stringstream shorter(ss.str().substr(0, 12));
    Box b;
    EXPECT_EQ(b.deserialize(&shorter), -1);
    EXPECT_EQ(log->count("Box::deserialize(): Error! Stream eof."), 1);
    EXPECT_EQ(b.getCorner(), Vector(1, 2));
    EXPECT_EQ(b.getHorizontal(), 3.0f);
}

TEST_F(StreamCheck, MessagesForFailAndBadStates) {
    std::stringstream ss;
    EXPECT_EQ(nv::checkStream("Label()", &ss), 0);
    ss.setstate(std::ios::failbit);
    EXPECT_EQ(nv::checkStream("Label()", &ss), -1);
    EXPECT_EQ(log->count("Label(): Error! Stream fail."), 1);
    std::stringstream bad;
    bad.setstate(std::ios::badbit);
    EXPECT_EQ(nv::checkStream("Other()", &bad), -1);
    EXPECT_EQ(log->count("Other(): Error! Stream fail."), 1);
}

TEST(Geometry, InRangeIncludesBothEnds) {
    EXPECT_TRUE(nv::inRange(1, 1, 2));
    EXPECT_TRUE(nv::inRange(2, 1, 2));
    EXPECT_FALSE(nv::inRange(2.0001f, 1, 2));
    EXPECT_FALSE(nv::inRange(1, 2, 1));
}

TEST(Geometry, BoxContainsPointOnItsEdges) {
    const Box b(Vector(0, 0), 2, 2);
    EXPECT_TRUE(nv::boxContainsPoint(b, Vector(2, 2)));
    EXPECT_TRUE(nv::boxContainsPoint(b, Vector(0, 0)));
    EXPECT_FALSE(nv::boxContainsPoint(b, Vector(2.01f, 0)));
    EXPECT_FALSE(nv::boxContainsPoint(b, Vector(1, -0.01f)));
}

TEST(Geometry, BoxesOverlapWhenTouchingAndNotWhenApart) {
    const Box a(Vector(0, 0), 2, 2);
    EXPECT_TRUE(nv::boxesOverlap(a, Box(Vector(2, 2), 1, 1)));
    EXPECT_TRUE(nv::boxesOverlap(Box(Vector(2, 2), 1, 1), a));
    EXPECT_FALSE(nv::boxesOverlap(a, Box(Vector(2.5f, 0), 1, 1)));
    // One box inside the other overlaps, whichever is asked first.
    EXPECT_TRUE(nv::boxesOverlap(a, Box(Vector(0.5f, 0.5f), 0.1f, 0.1f)));
    EXPECT_TRUE(nv::boxesOverlap(Box(Vector(0.5f, 0.5f), 0.1f, 0.1f), a));
    // Overlap on one axis only is not enough.
    EXPECT_FALSE(nv::boxesOverlap(a, Box(Vector(1, 5), 1, 1)));
    // Zero-extent boxes are points.
    EXPECT_TRUE(nv::boxesOverlap(Box(Vector(1, 1), 0, 0), a));
}

TEST(Geometry, DistanceIsEuclidean) {
    EXPECT_FLOAT_EQ(nv::distanceBetween(Vector(1, 1), Vector(4, 5)), 5.0f);
    EXPECT_FLOAT_EQ(nv::distanceBetween(Vector(-1, 0), Vector(-1, 0)), 0.0f);
}

TEST(Geometry, BitsAndFloatText) {
    EXPECT_EQ(nv::bitsToString(0x3ffffu), "00000000000000111111111111111111");
    EXPECT_EQ(nv::bitsToString(0x80000001u), "10000000000000000000000000000001");
    EXPECT_EQ(nv::floatToString(0.33333334f), "0.333333");
    EXPECT_EQ(nv::floatToString(20), "20");
}

class WorldBoxTest : public world_test::WorldTest {};

TEST_F(WorldBoxTest, BoxMovesWithPositionOrWhere) {
    auto *p = new world_test::Probe(10, 5);
    const Box at_position = nv::worldBox(p);
    EXPECT_EQ(at_position, Box(Vector(9.5f, 4.5f), 0.99f, 0.99f));
    EXPECT_EQ(nv::worldBox(p, Vector(0, 0)), Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f));
}
