#include <gtest/gtest.h>

#include "network/EventNetwork.h"
#include "network/EventNetworkAccept.h"
#include "network/EventNetworkClose.h"

TEST(EventNetwork, StartsWithNetworkTypeNoSocketAndZeroFields) {
    nv::EventNetwork event(1);
    EXPECT_EQ(event.getType(), "nv-network");
    EXPECT_EQ(event.getLabel(), 1);
    EXPECT_EQ(event.getSocket(), -1);
    EXPECT_EQ(event.getBytes(), 0);
    EXPECT_EQ(event.getMessage(), nullptr);
}

TEST(EventNetwork, KeepsEveryLabelFromMinusOneToThree) {
    for (int label = -1; label <= 3; label++) {
        nv::EventNetwork event(label);
        EXPECT_EQ(event.getLabel(), label);
    }
}

TEST(EventNetwork, LabelOutsideRangeBecomesUndefined) {
    nv::EventNetwork seven(7);
    EXPECT_EQ(seven.getLabel(), -1);
    nv::EventNetwork below(-2);
    EXPECT_EQ(below.getLabel(), -1);
    nv::EventNetwork event(2);
    event.setLabel(4);
    EXPECT_EQ(event.getLabel(), -1);
}

TEST(EventNetwork, AcceptAndCloseCarryTheirLabelTypeAndSocket) {
    nv::EventNetworkAccept accept(12);
    EXPECT_EQ(accept.getType(), "nv-network-accept");
    EXPECT_EQ(accept.getLabel(), 0);
    EXPECT_EQ(accept.getSocket(), 12);
    nv::EventNetworkClose close(13);
    EXPECT_EQ(close.getType(), "nv-network-close");
    EXPECT_EQ(close.getLabel(), 2);
    EXPECT_EQ(close.getSocket(), 13);
}
