#include "NetworkFixture.h"

TEST_F(Network, AcceptsAfterTheStepEventDeliversInTheDueStepAndClosesAtShutDown) {
    int accepted = -1;
    std::string seen[6];
    runGame(true, 5, [&](int step) {
        if (step == 0) {
            dial();
            recorder({nv::NETWORK_ACCEPT_EVENT})->on_network = [&](const nv::EventNetwork &event) {
                accepted = event.getSocket();
                nm.queueMessage("A", 1, accepted, 0);
            };
        } else if (step == 2) {
            nm.queueMessage("B", 1, accepted, 2);
            nm.queueMessage("C", 1, accepted, 4);
        } else if (step >= 3) {
            seen[step] = readFrom(peers[0], 3, step == 4 ? 50 : 200);
        }
    });
    EXPECT_EQ(seen[3], "AB") << "accepted in step 0, after its step event";
    EXPECT_EQ(seen[4], "") << "a message due at step 4 goes after that step's event";
    EXPECT_EQ(seen[5], "C");
    EXPECT_TRUE(closedWithin(peers[0]));
}

TEST_F(Network, WithNothingToServeTheLoopWritesNothingAboutTheNetwork) {
    runGame(true, 3, [&](int) { nm.stopServer(); });
    EXPECT_FALSE(logged("NetworkManager"));
    runGame(false, 1, [](int) {});
}
