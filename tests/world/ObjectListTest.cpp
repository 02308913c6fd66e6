#include <stdexcept>

#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"

using nv::Object;
using nv::ObjectList;
using nv::ObjectListIterator;
using world_test::Probe;

class ObjectListTest : public world_test::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        a = new Probe();
        b = new Probe();
        c = new Probe();
    }

    static std::vector<Object *> contents(const ObjectList &list) {
        std::vector<Object *> out;
        ObjectListIterator it(&list);
        for (it.first(); !it.isDone(); it.next()) {
            out.push_back(it.currentObject());
        }
        return out;
    }

    Object *a = nullptr;
    Object *b = nullptr;
    Object *c = nullptr;
};

TEST_F(ObjectListTest, GrowsByDoublingAndKeepsInsertionOrder) {
    ObjectList list;
    EXPECT_EQ(list.getMaxCount(), 1);
    ASSERT_EQ(list.insert(a), 0);
    EXPECT_EQ(list.getMaxCount(), 1);
    ASSERT_EQ(list.insert(b), 0);
    EXPECT_EQ(list.getMaxCount(), 2);
    ASSERT_EQ(list.insert(c), 0);
    EXPECT_EQ(list.getMaxCount(), 4);
    EXPECT_EQ(contents(list), (std::vector<Object *>{a, b, c}));

    for (int i = 0; i < 13; i++) {
        list.insert(a);
    }
    EXPECT_EQ(list.getCount(), 16);
    EXPECT_EQ(list.getMaxCount(), 16);
    list.insert(b);
    EXPECT_EQ(list.getMaxCount(), 32);
}

TEST_F(ObjectListTest, RemoveTakesFirstOccurrenceAndKeepsOrder) {
    ObjectList list;
    list.insert(a);
    list.insert(b);
    list.insert(c);
    ASSERT_EQ(list.remove(b), 0);
    EXPECT_EQ(contents(list), (std::vector<Object *>{a, c}));
    EXPECT_EQ(list.remove(b), -1);
    EXPECT_EQ(list.getMaxCount(), 4);

    ObjectList twice;
    twice.insert(a);
    twice.insert(b);
    twice.insert(a);
    EXPECT_EQ(twice.getCount(), 3);
    ASSERT_EQ(twice.remove(a), 0);
    EXPECT_EQ(contents(twice), (std::vector<Object *>{b, a}));

    ObjectList empty;
    EXPECT_EQ(empty.remove(a), -1);
    EXPECT_TRUE(empty.isEmpty());
}

TEST_F(ObjectListTest, NullIsRefusedAndClearKeepsRoom) {
    ObjectList list;
    EXPECT_EQ(list.insert(nullptr), -1);
    EXPECT_EQ(list.getCount(), 0);
    list.insert(a);
    list.insert(b);
    list.insert(c);
    list.clear();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.getMaxCount(), 4);
}

TEST_F(ObjectListTest, BadIndexLogsRangeAndThrows) {
    ObjectList list;
    list.insert(a);
    list.insert(b);
    EXPECT_EQ(list[1], b);
    EXPECT_THROW(list[2], std::out_of_range);
    EXPECT_EQ(log->count("ObjectList::operator[](): Error! Index 2 out of range [0, 1]"), 1);
    try {
        (void)list[-1];
        FAIL() << "no exception";
    } catch (const std::out_of_range &e) {
        EXPECT_STREQ(e.what(), "ObjectList::operator[](): Invalid index!");
    }
    ObjectList empty;
    EXPECT_THROW(empty[0], std::out_of_range);
    EXPECT_EQ(log->count("Index 0 out of range [0, -1]"), 1);
}

TEST_F(ObjectListTest, SumAppendsWithDuplicatesAndLeavesOperandsAlone) {
    ObjectList ab;
    ab.insert(a);
    ab.insert(b);
    ObjectList bc;
    bc.insert(b);
    bc.insert(c);
    const ObjectList sum = ab + bc;
    EXPECT_EQ(contents(sum), (std::vector<Object *>{a, b, b, c}));
    EXPECT_EQ(ab.getCount(), 2);
    EXPECT_EQ(bc.getCount(), 2);
    EXPECT_EQ(contents(ObjectList() + ab), (std::vector<Object *>{a, b}));
}

TEST_F(ObjectListTest, CopiesAreIndependent) {
    ObjectList list;
    list.insert(a);
    list.insert(b);
    list.insert(c);
    ObjectList copy(list);
    EXPECT_EQ(copy.getMaxCount(), 4);
    copy.remove(a);
    EXPECT_EQ(list.getCount(), 3);

    ObjectList assigned;
    assigned = list;
    assigned = assigned;
    EXPECT_EQ(contents(assigned), (std::vector<Object *>{a, b, c}));
    list.clear();
    EXPECT_EQ(assigned.getCount(), 3);
}

TEST_F(ObjectListTest, IteratorOverEmptyAndPastTheEnd) {
    ObjectList empty;
    ObjectListIterator it(&empty);
    EXPECT_TRUE(it.isDone());
    EXPECT_EQ(it.currentObject(), nullptr);
    it.next();
    EXPECT_TRUE(it.isDone());

    ObjectList one;
    one.insert(a);
    it.setList(&one);
    EXPECT_FALSE(it.isDone());
    EXPECT_EQ(it.currentObject(), a);
    it.next();
    it.next();
    EXPECT_TRUE(it.isDone());
    one.insert(b);
    // The iterator reads the count on every call, so it sees the item added behind it.
    EXPECT_FALSE(it.isDone());
    EXPECT_EQ(it.currentObject(), b);
    it.first();
    EXPECT_EQ(it.currentObject(), a);
}

TEST_F(ObjectListTest, RemovingCurrentItemSkipsTheOneMovingIntoItsPlace) {
    ObjectList list;
    list.insert(a);
    list.insert(b);
    list.insert(c);
    ObjectListIterator it(&list);
    list.remove(a);
    it.next();
    EXPECT_EQ(it.currentObject(), c);
}
