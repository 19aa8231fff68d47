// The stop signals as requests: each is taken, nothing of them is left behind when the watcher goes, and
// SIGHUP can be left to end the program. The signals are raised in the test's own thread, which is the
// one that blocks them, so no other thread can take them first.
#include "platform/stop_signal_watcher.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

namespace flash410::platform {
namespace {

sigset_t BlockedNow() {
    sigset_t blocked;
    pthread_sigmask(SIG_BLOCK, nullptr, &blocked);
    return blocked;
}

bool Readable(StopSignalWatcher::WaitObject waitable) {
    pollfd ready{static_cast<int>(waitable), POLLIN, 0};
    return ::poll(&ready, 1, 0) == 1;
}

class StopSignalWatcherTest : public ::testing::TestWithParam<int> {};

TEST_P(StopSignalWatcherTest, TheSignalIsARequestUntilTaken) {
    StopSignalWatcher watcher;
    ASSERT_EQ(watcher.Error(), 0);
    EXPECT_FALSE(watcher.Requested());
    EXPECT_FALSE(Readable(watcher.Waitable()));

    ASSERT_EQ(::raise(GetParam()), 0);
    EXPECT_TRUE(watcher.Requested());
    EXPECT_TRUE(watcher.Requested());  // asking takes nothing
    EXPECT_TRUE(Readable(watcher.Waitable()));

    EXPECT_TRUE(watcher.TakeRequests());
    EXPECT_FALSE(watcher.Requested());
    EXPECT_FALSE(Readable(watcher.Waitable()));
    EXPECT_FALSE(watcher.TakeRequests());
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalWatcherTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) {
                             return info.param == SIGINT    ? "Interrupt"
                                    : info.param == SIGTERM ? "Terminate"
                                                            : "HangUp";
                         });

TEST(StopSignalWatcher, ARequestNotTakenGoesWithTheWatcherAndTheBlockingIsAsBefore) {
    const sigset_t before = BlockedNow();
    {
        StopSignalWatcher watcher;
        ASSERT_EQ(::raise(SIGTERM), 0);
        const sigset_t watching = BlockedNow();
        EXPECT_EQ(sigismember(&watching, SIGTERM), 1);
    }
    // Pending here, it would end the test program as soon as it was unblocked.
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGTERM), 0);
    const sigset_t after = BlockedNow();
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EQ(sigismember(&after, signal), sigismember(&before, signal)) << signal;
    }
}

TEST(StopSignalWatcher, AHangUpCanBeLeftToEndTheProgram) {
    const StopSignalWatcher watcher(HangUp::kEndsProgram);
    const sigset_t blocked = BlockedNow();
    EXPECT_EQ(sigismember(&blocked, SIGINT), 1);
    EXPECT_EQ(sigismember(&blocked, SIGTERM), 1);
    EXPECT_EQ(sigismember(&blocked, SIGHUP), 0);
}

// As in a program that blocks them before its threads start and makes its watcher later.
TEST(StopSignalWatcher, ASignalThatCameBeforeTheWatcherIsARequestAtOnce) {
    const sigset_t before = BlockedNow();
    BlockStopSignals();
    ASSERT_EQ(::raise(SIGINT), 0);
    {
        StopSignalWatcher watcher;
        EXPECT_TRUE(watcher.Requested());
    }
    const sigset_t after = BlockedNow();
    EXPECT_EQ(sigismember(&after, SIGINT), 1);  // still blocked, as BlockStopSignals left it
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace
}  // namespace flash410::platform
