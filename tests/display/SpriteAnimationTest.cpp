#include "DisplayTestSupport.h"

#include <sstream>

#include "display/Animation.h"
#include "display/Frame.h"
#include "display/Sprite.h"

using display_test::HeadlessTest;

namespace {

std::unique_ptr<nv::Sprite> makeSprite(int frames, int w, int h, int slowdown, const std::string &label = "s") {
    auto sprite = std::make_unique<nv::Sprite>(frames);
    sprite->setWidth(w);
    sprite->setHeight(h);
    sprite->setSlowdown(slowdown);
    sprite->setLabel(label);
    for (int i = 0; i < frames; i++)
        sprite->pushFrame(nv::Frame(w, h, std::string(static_cast<std::size_t>(w * h), static_cast<char>('0' + i))));
    return sprite;
}

using FrameDrawTest = HeadlessTest;

TEST_F(FrameDrawTest, OddWidthCentresAColumnOnThePosition) {
    nv::Frame frame(3, 1, "abc");
    EXPECT_EQ(frame.draw(nv::Vector(10, 5), nv::RED, 0), 0);
    EXPECT_EQ(rows()[5].substr(9, 3), "abc");
    ASSERT_EQ(dm().getPending().size(), 3u);
    EXPECT_FLOAT_EQ(dm().getPending().at(0).x, 9.0f);
}

TEST_F(FrameDrawTest, EvenSizeStartsAtHalfCells) {
    nv::Frame frame(4, 2, "abcdefgh");
    EXPECT_EQ(frame.draw(nv::Vector(10, 5), nv::RED, 0), 0);
    ASSERT_EQ(dm().getPending().size(), 8u);
    EXPECT_FLOAT_EQ(dm().getPending().at(0).x, 8.5f);
    EXPECT_FLOAT_EQ(dm().getPending().at(0).y, 4.5f);
    EXPECT_FLOAT_EQ(dm().getPending().at(7).x, 11.5f);
    EXPECT_FLOAT_EQ(dm().getPending().at(7).y, 5.5f);
}

TEST_F(FrameDrawTest, TransparentCharacterIsSkippedButBlanksAreDrawn) {
    nv::Frame frame(3, 1, "a#c");
    frame.draw(nv::Vector(10, 5), nv::RED, '#');
    EXPECT_EQ(dm().getPending().size(), 2u);
    dm().swapBuffers();
    nv::Frame blanks(3, 1, "a c");
    blanks.draw(nv::Vector(10, 5), nv::RED, 0);
    EXPECT_EQ(dm().getPending().size(), 3u);
}

TEST_F(FrameDrawTest, EmptyFrameDrawsNothingAndSucceeds) {
    EXPECT_EQ(nv::Frame().draw(nv::Vector(1, 1), nv::RED, 0), 0);
    EXPECT_TRUE(dm().getPending().empty());
}

TEST_F(FrameDrawTest, ShortStringIsNotReadPastItsEnd) {
    nv::Frame frame(4, 4, "ab");
    EXPECT_EQ(frame.draw(nv::Vector(10, 5), nv::RED, 0), 0);
    EXPECT_EQ(dm().getPending().size(), 2u);
}

TEST_F(FrameDrawTest, FailedDrawStopsAtFirstCharacter) {
    dm().setCapture(false);
    nv::Frame frame(3, 1, "abc");
    EXPECT_EQ(frame.draw(nv::Vector(10, 5), nv::RED, 0), -1);
}

TEST(Sprite, StartsEmptyWithDefaults) {
    nv::Sprite sprite(3);
    EXPECT_EQ(sprite.getFrameCount(), 0);
    EXPECT_EQ(sprite.getColor(), nv::WHITE);
    EXPECT_EQ(sprite.getSlowdown(), 1);
    EXPECT_EQ(sprite.getTransparency(), 0);
    EXPECT_EQ(sprite.getLabel(), "[Undefined]");
    EXPECT_EQ(sprite.getFrame(0).getWidth(), 0);
}

TEST(Sprite, PushOnFullSpriteFailsAndKeepsCount) {
    nv::Sprite sprite(2);
    EXPECT_EQ(sprite.pushFrame(nv::Frame(1, 1, "a")), 0);
    EXPECT_EQ(sprite.pushFrame(nv::Frame(1, 1, "b")), 0);
    EXPECT_EQ(sprite.pushFrame(nv::Frame(1, 1, "c")), -1);
    EXPECT_EQ(sprite.getFrameCount(), 2);
    EXPECT_EQ(sprite.getFrame(1).getString(), "b");
    EXPECT_EQ(sprite.getFrame(2).getString(), "");
    EXPECT_EQ(sprite.getFrame(-1).getString(), "");
}

TEST(Sprite, NegativeCapacityBecomesZeroInsteadOfCrashing) {
    display_test::LogCapture log;
    nv::Sprite sprite(-4);
    EXPECT_EQ(sprite.getMaxFrameCount(), 0);
    EXPECT_EQ(sprite.pushFrame(nv::Frame(1, 1, "a")), -1);
    EXPECT_EQ(log.count("Sprite::Sprite(): Error! Unable to allocate -4 frames."), 1);
}

using SpriteDrawTest = HeadlessTest;

TEST_F(SpriteDrawTest, OutOfRangeFrameDrawsNothing) {
    auto sprite = makeSprite(2, 2, 2, 1);
    EXPECT_EQ(sprite->draw(5, nv::Vector(3, 3), 0), 0);
    EXPECT_EQ(sprite->draw(-1, nv::Vector(3, 3), 0), 0);
    EXPECT_TRUE(dm().getPending().empty());
    sprite->setColor(nv::MAGENTA);
    EXPECT_EQ(sprite->draw(1, nv::Vector(3, 3), 0), 0);
    EXPECT_EQ(dm().getPending().size(), 4u);
    EXPECT_EQ(colors()[3][3], 'm');
}

using AnimationTest = HeadlessTest;

std::vector<int> framesShown(nv::Animation &animation, int draws) {
    std::vector<int> shown;
    nv::DisplayManager &dm = nv::DisplayManager::getInstance();
    for (int i = 0; i < draws; i++) {
        dm.swapBuffers();
        animation.draw(nv::Vector(5, 5));
        shown.push_back(dm.getPending().at(0).ch - '0');
    }
    return shown;
}

TEST_F(AnimationTest, SlowdownHoldsEachFrameAndWraps) {
    auto sprite = makeSprite(3, 1, 1, 2);
    nv::Animation animation;
    animation.setSprite(sprite.get());
    EXPECT_EQ(framesShown(animation, 7), (std::vector<int>{0, 0, 1, 1, 2, 2, 0}));
}

TEST_F(AnimationTest, SlowdownZeroOrOneAdvancesEveryDraw) {
    auto sprite = makeSprite(3, 1, 1, 0);
    nv::Animation animation;
    animation.setSprite(sprite.get());
    EXPECT_EQ(framesShown(animation, 4), (std::vector<int>{0, 1, 2, 0}));
}

TEST_F(AnimationTest, FrozenAnimationKeepsItsFrameUntilResumed) {
    auto sprite = makeSprite(3, 1, 1, 1);
    nv::Animation animation;
    animation.setSprite(sprite.get());
    animation.setIndex(1);
    animation.setSlowdownCount(-1);
    EXPECT_EQ(framesShown(animation, 3), (std::vector<int>{1, 1, 1}));
    animation.setSlowdownCount(0);
    EXPECT_EQ(framesShown(animation, 2), (std::vector<int>{1, 2}));
}

TEST_F(AnimationTest, AdvancesEvenWhenDrawingFails) {
    dm().setCapture(false);
    auto sprite = makeSprite(2, 1, 1, 1);
    nv::Animation animation;
    animation.setSprite(sprite.get());
    EXPECT_EQ(animation.draw(nv::Vector(1, 1)), -1);
    EXPECT_EQ(animation.getIndex(), 1);
}

TEST_F(AnimationTest, IndexSetOutOfRangeWrapsInsteadOfRunningAway) {
    auto sprite = makeSprite(2, 1, 1, 1);
    nv::Animation animation;
    animation.setSprite(sprite.get());
    animation.setIndex(7);
    EXPECT_EQ(animation.draw(nv::Vector(1, 1)), 0);
    EXPECT_EQ(animation.getIndex(), 0);
}

TEST(Animation, WithoutSpriteDrawsNothingAndDoesNotAdvance) {
    nv::Animation animation;
    EXPECT_EQ(animation.draw(nv::Vector(1, 1)), 0);
    EXPECT_EQ(animation.getIndex(), 0);
    EXPECT_EQ(animation.getSlowdownCount(), 0);
}

TEST(Animation, SetSpriteRestartsAndNullKeepsName) {
    auto first = makeSprite(3, 1, 1, 1, "first");
    auto second = makeSprite(3, 1, 1, 1, "second");
    nv::Animation animation;
    animation.setSprite(first.get());
    animation.setIndex(2);
    animation.setSlowdownCount(1);
    animation.setSprite(second.get());
    EXPECT_EQ(animation.getIndex(), 0);
    EXPECT_EQ(animation.getSlowdownCount(), 0);
    EXPECT_EQ(animation.getName(), "second");
    animation.setSprite(nullptr);
    EXPECT_EQ(animation.getSprite(), nullptr);
    EXPECT_EQ(animation.getName(), "second");
}

TEST(Animation, BoxCoversTheSpriteOrJustUnderOneCell) {
    auto sprite = makeSprite(1, 5, 3, 1);
    nv::Animation animation;
    EXPECT_EQ(animation.getBox(), nv::Box(nv::Vector(-0.5f, -0.5f), 0.99f, 0.99f));
    animation.setSprite(sprite.get());
    EXPECT_EQ(animation.getBox(), nv::Box(nv::Vector(-2.5f, -1.5f), 5, 3));
}

TEST(Animation, TextNamesSpriteAndFrame) {
    auto sprite = makeSprite(3, 1, 1, 1, "guard");
    nv::Animation animation;
    animation.setSprite(sprite.get());
    animation.setIndex(2);
    EXPECT_EQ(animation.toString(), "sprite guard, frame_idx 2");
}

TEST(Animation, RecordIsNameIndexAndCount) {
    display_test::LogCapture log;
    auto sprite = makeSprite(2, 1, 1, 1, "ab");
    nv::Animation animation;
    animation.setSprite(sprite.get());
    animation.setIndex(1);
    std::stringstream ss;
    EXPECT_EQ(animation.serialize(&ss), 0);
    EXPECT_EQ(ss.str().size(), 18u);
    nv::Animation copy;
    EXPECT_EQ(copy.deserialize(&ss), 0);
    EXPECT_EQ(copy.getName(), "ab");
    EXPECT_EQ(copy.getIndex(), 1);
    EXPECT_EQ(copy.getSlowdownCount(), 0);
    EXPECT_EQ(copy.getSprite(), nullptr);
}

TEST(Animation, NameStopsAtFirstZeroByte) {
    display_test::LogCapture log;
    std::stringstream ss;
    const std::uint64_t length = 4;
    const int index = 3;
    const int count = -1;
    ss.write(reinterpret_cast<const char *>(&length), 8);
    ss.write("ab\0c", 4);
    ss.write(reinterpret_cast<const char *>(&index), 4);
    ss.write(reinterpret_cast<const char *>(&count), 4);
    nv::Animation animation;
    EXPECT_EQ(animation.deserialize(&ss), 0);
    EXPECT_EQ(animation.getName(), "ab");
    EXPECT_EQ(animation.getIndex(), 3);
    EXPECT_EQ(animation.getSlowdownCount(), -1);
}

TEST(Animation, HugeLengthIsRefusedWithoutAllocating) {
    display_test::LogCapture log;
    std::stringstream ss;
    const std::uint64_t length = 0xffffffffffffULL;
    ss.write(reinterpret_cast<const char *>(&length), 8);
    ss.write("abc", 3);
    nv::Animation animation;
    EXPECT_EQ(animation.deserialize(&ss), -1);
    EXPECT_EQ(log.count("Animation::deserialize(): Error! Cannot allocate"), 1);
    EXPECT_EQ(animation.getName(), "");
}

TEST(Animation, TruncatedRecordReportsEndOfStream) {
    display_test::LogCapture log;
    std::stringstream ss;
    const std::uint64_t length = 2;
    ss.write(reinterpret_cast<const char *>(&length), 8);
    ss.write("ab", 2);
    nv::Animation animation;
    EXPECT_EQ(animation.deserialize(&ss), -1);
    EXPECT_EQ(log.count("Animation::deserialize(): Error! Stream eof."), 1);
}

} // namespace
