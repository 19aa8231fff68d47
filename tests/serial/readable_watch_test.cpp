// The readable watch's thread, over a pipe that stands for a device monitor's socket: a call for each
// arrival, none without one, an end when the other side goes, no signal taken, and a prompt stop.
#include "serial/readable_watch_linux.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace flash410::serial {
namespace {

class ReadableWatchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        int ends[2];
        ASSERT_EQ(::pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
        reading_.Reset(ends[0]);
        writing_.Reset(ends[1]);
    }

    // What the watch calls: reads all there is, as a monitor's TakeChanges does, and counts the call.
    std::function<void()> Reader() {
        return [this] {
            char bytes[64];
            std::size_t read = 0;
            for (ssize_t got; (got = ::read(reading_.get(), bytes, sizeof bytes)) > 0;) {
                read += static_cast<std::size_t>(got);
            }
            sigset_t mask;
            pthread_sigmask(SIG_BLOCK, nullptr, &mask);
            const std::lock_guard lock(mutex_);
            bytesRead_ += read;
            ++calls_;
            stopSignalsBlocked_ = sigismember(&mask, SIGINT) == 1 && sigismember(&mask, SIGTERM) == 1 &&
                                  sigismember(&mask, SIGHUP) == 1;
            called_.notify_all();
        };
    }

    void Arrive(char byte) { ASSERT_EQ(::write(writing_.get(), &byte, 1), 1); }

    void AwaitBytesRead(std::size_t count) {
        std::unique_lock lock(mutex_);
        called_.wait(lock, [&] { return bytesRead_ >= count; });
    }

    platform::UniqueFd reading_;
    platform::UniqueFd writing_;
    std::mutex mutex_;
    std::condition_variable called_;
    std::size_t bytesRead_ = 0;
    int calls_ = 0;
    bool stopSignalsBlocked_ = false;
};

TEST_F(ReadableWatchTest, WithNothingArrivingItWaitsWithoutCallingAndStopsWhenItGoes) {
    {
        ReadableWatch watch(reading_.get(), Reader());
        EXPECT_TRUE(watch.Watching());
    }
    EXPECT_EQ(calls_, 0);
    // Gone, it reads nothing more: what arrives now stays in the pipe.
    Arrive('x');
    char byte;
    EXPECT_EQ(::read(reading_.get(), &byte, 1), 1);
}

TEST_F(ReadableWatchTest, EachArrivalIsReadOnTheWatchThreadWhichTakesNoStopSignal) {
    sigset_t before;
    sigset_t after;
    pthread_sigmask(SIG_BLOCK, nullptr, &before);
    ReadableWatch watch(reading_.get(), Reader());
    pthread_sigmask(SIG_BLOCK, nullptr, &after);
    // The maker's own signal mask is as it was.
    EXPECT_EQ(sigismember(&after, SIGINT), sigismember(&before, SIGINT));
    EXPECT_EQ(sigismember(&after, SIGUSR1), sigismember(&before, SIGUSR1));

    Arrive('a');
    AwaitBytesRead(1);
    Arrive('b');
    Arrive('c');
    AwaitBytesRead(3);
    const std::lock_guard lock(mutex_);
    EXPECT_GE(calls_, 2);
    EXPECT_LE(calls_, 3);
    EXPECT_TRUE(stopSignalsBlocked_);
    EXPECT_TRUE(watch.Watching());
}

TEST_F(ReadableWatchTest, WhenTheOtherSideGoesWhatIsLeftIsReadAndTheWatchEnds) {
    ReadableWatch watch(reading_.get(), Reader());
    Arrive('z');
    writing_.Reset();
    AwaitBytesRead(1);
    while (watch.Watching()) {
        std::this_thread::yield();
    }
    const std::lock_guard lock(mutex_);
    EXPECT_EQ(bytesRead_, 1U);
}

}  // namespace
}  // namespace flash410::serial
