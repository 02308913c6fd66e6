#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/time.h>
#include <unistd.h>

#include "core/Clock.h"
#include "core/Platform.h"

namespace {

TEST(Clock, DeltaMeasuresASleepAndRestarts) {
    nv::Clock clock;
    nv::Platform::sleepMilliseconds(20);
    const long long first = clock.delta();
    EXPECT_GE(first, 20000);
    EXPECT_LT(first, 20000 + 200000);
    const long long second = clock.delta();
    EXPECT_GE(second, 0);
    EXPECT_LT(second, first);
}

TEST(Clock, SplitDoesNotRestart) {
    nv::Clock clock;
    nv::Platform::sleepMilliseconds(5);
    const long long a = clock.split();
    nv::Platform::sleepMilliseconds(5);
    const long long b = clock.split();
    EXPECT_GE(a, 5000);
    EXPECT_GE(b, a + 5000);
}

TEST(Clock, ReadingsNeverGoBackwards) {
    long long previous = nv::Platform::monotonicMicroseconds();
    nv::Clock clock;
    for (int i = 0; i < 100000; i++) {
        const long long now = nv::Platform::monotonicMicroseconds();
        ASSERT_GE(now, previous);
        previous = now;
        ASSERT_GE(clock.delta(), 0);
    }
}

TEST(Platform, SleepOfZeroOrLessReturnsAtOnce) {
    nv::Clock clock;
    nv::Platform::sleepMilliseconds(0);
    nv::Platform::sleepMilliseconds(-50);
    EXPECT_LT(clock.split(), 5000);
}

volatile std::sig_atomic_t g_alarms = 0;

void onAlarm(int) {
    g_alarms = g_alarms + 1;
}

TEST(Platform, SleepResumesAfterASignal) {
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = onAlarm;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: the signal interrupts nanosleep
    struct sigaction old_action;
    ASSERT_EQ(sigaction(SIGALRM, &action, &old_action), 0);
    g_alarms = 0;
    struct itimerval timer;
    std::memset(&timer, 0, sizeof(timer));
    timer.it_value.tv_usec = 5000;
    timer.it_interval.tv_usec = 5000;
    ASSERT_EQ(setitimer(ITIMER_REAL, &timer, nullptr), 0);

    nv::Clock clock;
    nv::Platform::sleepMilliseconds(40);
    const long long slept = clock.split();

    std::memset(&timer, 0, sizeof(timer));
    setitimer(ITIMER_REAL, &timer, nullptr);
    sigaction(SIGALRM, &old_action, nullptr);
    EXPECT_GT(g_alarms, 0);
    EXPECT_GE(slept, 40000);
}

TEST(Platform, TimerResolutionOfOneMillisecondIsGrantedAndReleased) {
    EXPECT_EQ(nv::Platform::timeBeginPeriod(1), 0);
    EXPECT_EQ(nv::Platform::timeEndPeriod(1), 0);
    EXPECT_EQ(nv::Platform::timeBeginPeriod(0), nv::TIMERR_NOCANDO);
}

TEST(Platform, CurrentDirectoryFitsOrFails) {
    char buf[4096];
    ASSERT_TRUE(nv::Platform::currentDirectory(buf, sizeof(buf)));
    char expected[4096];
    ASSERT_NE(getcwd(expected, sizeof(expected)), nullptr);
    EXPECT_STREQ(buf, expected);
    char tiny[2];
    EXPECT_FALSE(nv::Platform::currentDirectory(tiny, sizeof(tiny)));
    EXPECT_FALSE(nv::Platform::currentDirectory(nullptr, 10));
}

} // namespace
