#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "PathTestSupport.h"
#include "path/EventPath.h"
#include "path/Path.h"

namespace {

using nv::Path;
using nv::Vector;

Path pathOf(std::initializer_list<Vector> nodes) {
    Path path;
    for (const Vector &v : nodes) {
        path.addNode(v);
    }
    return path;
}

class PathStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_test::startLog();
        mark = path_test::logSize();
    }
    std::uintmax_t mark = 0;
};

TEST(Path, NewPathIsEmptyAndDone) {
    Path path;
    EXPECT_EQ(path.getNumNodes(), 0);
    EXPECT_EQ(path.getIndex(), 0);
    EXPECT_TRUE(path.isDone());
    EXPECT_EQ(path.currentNode(), Vector(0, 0));
    EXPECT_EQ(path.toString(), "");
}

TEST(Path, AdvanceWalksTheNodesAndStopsAtTheEnd) {
    Path path = pathOf({Vector(1, 1), Vector(2, 2)});
    EXPECT_EQ(path.currentNode(), Vector(1, 1));
    path.advance();
    EXPECT_EQ(path.currentNode(), Vector(2, 2));
    EXPECT_FALSE(path.isDone());
    path.advance().advance().advance();
    EXPECT_EQ(path.getIndex(), 2);
    EXPECT_TRUE(path.isDone());
    EXPECT_EQ(path.currentNode(), Vector(0, 0));
}

TEST(Path, SetNodesKeepsTheIndex) {
    Path path = pathOf({Vector(1, 1), Vector(2, 2), Vector(3, 3)});
    path.advance();
    path.setNodes({Vector(7, 7), Vector(8, 8)});
    EXPECT_EQ(path.getIndex(), 1);
    EXPECT_EQ(path.currentNode(), Vector(8, 8));
}

TEST(Path, NegativeIndexReadsNothingBeforeTheNodes) {
    Path path = pathOf({Vector(1, 1)});
    path.setIndex(-3);
    EXPECT_EQ(path.currentNode(), Vector(0, 0));
}

TEST(Path, TextListsEveryNodeWithABar) {
    EXPECT_EQ(pathOf({Vector(1, 1), Vector(2, 2)}).toString(), "(1,1)|(2,2)|");
    EXPECT_EQ(pathOf({Vector(1.5f, -2)}).toString(), "(1.5,-2)|");
}

TEST_F(PathStreamTest, ThreeNodesTakeCountPlusEightBytesEach) {
    Path path = pathOf({Vector(1, 2), Vector(3, 4.5f), Vector(-6, 7)});
    std::stringstream ss;
    ASSERT_EQ(path.serialize(&ss), 0);
    std::string bytes = ss.str();
    ASSERT_EQ(bytes.size(), 8u + 24u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 3);
    for (int i = 1; i < 8; i++) {
        EXPECT_EQ(bytes[static_cast<std::size_t>(i)], 0) << "count byte " << i;
    }
}

TEST_F(PathStreamTest, RoundTripGivesTheNodesAndKeepsTheReceiversIndex) {
    Path sent = pathOf({Vector(1, 2), Vector(3, 4.5f), Vector(-6, 7)});
    sent.advance();
    std::stringstream ss;
    ASSERT_EQ(sent.serialize(&ss), 0);

    Path received = pathOf({Vector(9, 9), Vector(8, 8), Vector(7, 7), Vector(6, 6)});
    received.advance().advance();
    ASSERT_EQ(received.deserialize(&ss), 0);
    EXPECT_EQ(received.getNodes(), sent.getNodes());
    EXPECT_EQ(received.getIndex(), 2);
}

TEST_F(PathStreamTest, EmptyPathRoundTrips) {
    std::stringstream ss;
    ASSERT_EQ(Path().serialize(&ss), 0);
    EXPECT_EQ(ss.str().size(), 8u);
    Path received = pathOf({Vector(1, 1)});
    ASSERT_EQ(received.deserialize(&ss), 0);
    EXPECT_EQ(received.getNumNodes(), 0);
}

TEST_F(PathStreamTest, TruncatedStreamFailsWithTheLabelAndKeepsWhatWasRead) {
    std::stringstream full;
    pathOf({Vector(1, 2), Vector(3, 4)}).serialize(&full);
    std::string bytes = full.str();
    std::stringstream cut(bytes.substr(0, bytes.size() - 3));

    Path received;
    EXPECT_EQ(received.deserialize(&cut), -1);
    EXPECT_EQ(received.getNumNodes(), 1);
    EXPECT_EQ(received.currentNode(), Vector(1, 2));
    EXPECT_NE(path_test::logSince(mark).find("Path::deserialize(): Error! Stream eof."), std::string::npos);
}

TEST_F(PathStreamTest, HugeCountFromABadPeerFailsWithoutAllocatingIt) {
    std::string bytes(8, '\xff');
    bytes += std::string(8, '\0');
    std::stringstream ss(bytes);
    Path received;
    EXPECT_EQ(received.deserialize(&ss), -1);
    EXPECT_EQ(received.getNumNodes(), 1);
}

TEST_F(PathStreamTest, NullStreamIsRefused) {
    Path path;
    EXPECT_EQ(path.serialize(nullptr), -1);
    EXPECT_EQ(path.deserialize(nullptr), -1);
}

TEST(EventPath, CarriesTypeResultAndACopyOfThePath) {
    nv::EventPath empty;
    EXPECT_EQ(empty.getType(), "nv-path");
    EXPECT_EQ(empty.getResult(), 0);
    EXPECT_EQ(empty.getPath().getNumNodes(), 0);

    Path path = pathOf({Vector(1, 1), Vector(2, 2)});
    path.advance();
    nv::EventPath event(2, path);
    EXPECT_EQ(event.getResult(), 2);
    EXPECT_EQ(event.getPath(), path);

    Path copy = event.getPath();
    copy.advance();
    EXPECT_EQ(event.getPath().getIndex(), 1);

    event.setResult(0);
    event.setPath(Path());
    EXPECT_EQ(event.getResult(), 0);
    EXPECT_TRUE(event.getPath().isDone());
}

} // namespace
