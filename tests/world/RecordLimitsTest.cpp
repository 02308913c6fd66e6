#include <climits>
#include <set>
#include <vector>

#include "RecordTestSupport.h"
#include "WorldTestSupport.h"
#include "display/Animation.h"
#include "display/Sprite.h"

using record_test::Bytes;
using record_test::streamOf;

class RecordLimits : public world_test::WorldTest {};

// Runs in a child process: the raised id counter cannot be lowered again, and other tests expect small ids. The
// child ends with _Exit, leaving its objects to the process end instead of to a leak check.
TEST_F(RecordLimits, AnIdAtTheTopOfTheRangeNeverMakesLaterIdsWrapOrRepeat) {
    EXPECT_EXIT(
        {
            std::set<int> held;
            for (const int top : {INT_MAX - 1, INT_MAX}) {
                auto *p_read = new nv::Object;
                std::stringstream ss = streamOf(Bytes().u32(nv::ID).i32(top).data);
                held.insert(p_read->deserialize(&ss) == 0 ? p_read->getId() : 0);
                for (int i = 0; i < 3; i++) {
                    const int id = (new nv::Object)->getId();
                    if (id <= 0 || !held.insert(id).second) {
                        std::_Exit(1);
                    }
                }
            }
            std::_Exit(held.count(INT_MAX) == 1 ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(RecordLimits, AnimationStateAtTheTopOfTheRangeWrapsInsteadOfOverflowing) {
    nv::Sprite sprite(2);
    sprite.pushFrame(nv::Frame(1, 1, "a"));
    sprite.pushFrame(nv::Frame(1, 1, "b"));
    sprite.setSlowdown(INT_MAX);
    nv::Animation animation;
    animation.setSprite(&sprite);
    animation.setIndex(INT_MAX);
    animation.setSlowdownCount(INT_MAX);
    animation.draw(nv::Vector());
    EXPECT_EQ(animation.getIndex(), 0);
    EXPECT_EQ(animation.getSlowdownCount(), 0);
}
