#include "GlyphcageFixture.h"

#include "CrawlPathFind.h"
#include "EventNextSection.h"
#include "Level2.h"

namespace glyphcage_test {
namespace {

class CrawlPathFindTest : public GlyphcageFixture {
protected:
    void SetUp() override {
        GlyphcageFixture::SetUp();
        startLevel(2);
    }

    /// The object of that type name, or null.
    nv::Object *find(const std::string &type) const {
        nv::ObjectList all = nv::WorldManager::getInstance().getAllObjects();
        for (nv::ObjectListIterator it(&all); !it.isDone(); it.next()) {
            if (it.currentObject()->getType() == type) {
                return it.currentObject();
            }
        }
        return nullptr;
    }

    /// Moves on to the second section, as reaching the first exit does.
    void secondSection() {
        EventNextSection next;
        nv::WorldManager::getInstance().onEvent(&next);
        step();
    }
};

TEST_F(CrawlPathFindTest, KeepsThePrisonerOffColumnAndRowThreeAndTheFarEdges) {
    nv::Object *p_prisoner = find("Prisoner");
    nv::Object *p_exit = find("Exit");
    ASSERT_NE(p_prisoner, nullptr);
    ASSERT_NE(p_exit, nullptr);
    CrawlPathFind search(p_prisoner, p_exit);
    EXPECT_TRUE(search.isBlocked(3, 12));
    EXPECT_TRUE(search.isBlocked(40, 3));
    EXPECT_TRUE(search.isBlocked(80, 12));
    EXPECT_TRUE(search.isBlocked(40, 24));
    EXPECT_FALSE(search.isBlocked(40, 19));
}

TEST_F(CrawlPathFindTest, AWallWhoseBoxHoldsTheExitStillBlocks) {
    secondSection();
    nv::Object *p_prisoner = find("Prisoner");
    nv::Object *p_exit = find("Exit");
    ASSERT_NE(p_prisoner, nullptr);
    ASSERT_NE(p_exit, nullptr);
    CrawlPathFind crawl(p_prisoner, p_exit);
    nv::PathFind general(p_prisoner, 72, 21, 4, 22, p_exit);
    // Find a cell inside the band where the general search lets a wall's box pass because it holds the exit,
    // though a move there would be refused.
    int disagreements = 0;
    for (int y = 4; y < 24; y++) {
        for (int x = 4; x < 80; x++) {
            if (!general.isBlocked(x, y) && crawl.isBlocked(x, y)) {
                disagreements++;
                nv::Vector start = p_prisoner->getPosition();
                EXPECT_EQ(nv::WorldManager::getInstance().moveObject(p_prisoner, nv::Vector(x, y)), -1)
                    << x << "," << y;
                EXPECT_EQ(p_prisoner->getPosition(), start);
            }
        }
    }
    EXPECT_GT(disagreements, 0);
}

TEST_F(CrawlPathFindTest, FindsACrawlToEachExitThatEveryMoveFollows) {
    for (int section = 1; section <= 2; section++) {
        nv::Object *p_prisoner = find("Prisoner");
        nv::Object *p_exit = find("Exit");
        ASSERT_NE(p_prisoner, nullptr);
        CrawlPathFind search(p_prisoner, p_exit);
        int result = nv::PATH_SEARCHING;
        for (int i = 0; i < 10000 && result == nv::PATH_SEARCHING; i++) {
            result = search.cycleOnce();
        }
        ASSERT_EQ(result, nv::PATH_FOUND) << section;
        std::vector<nv::Vector> nodes = search.getPath().getNodes();
        ASSERT_GE(nodes.size(), 2u);
        // Walk the crawl with the world's own moves: each one is allowed, and the last touches the exit.
        for (std::size_t i = 1; i + 1 < nodes.size(); i++) {
            ASSERT_EQ(nv::WorldManager::getInstance().moveObject(p_prisoner, nodes[i]), 0) << section << " " << i;
        }
        const int before = objects<Level2>().at(0)->getSection();
        nv::WorldManager::getInstance().moveObject(p_prisoner, nodes.back());
        step();
        if (section == 1) {
            EXPECT_EQ(objects<Level2>().at(0)->getSection(), before + 1);
        } else {
            EXPECT_EQ(p_controller->getState(), TRANSITION);
        }
    }
}

} // namespace
} // namespace glyphcage_test
