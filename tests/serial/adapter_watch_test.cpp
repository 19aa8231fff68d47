// The adapter watch with the system's own news: made and gone at once with nothing happening, no call
// without a change. No adapter comes or goes here; a real one is for the guest's tests.
#include "serial/adapter_watch.h"

#include <gtest/gtest.h>

#include <atomic>

namespace flash410::serial {
namespace {

TEST(AdapterWatch, WithNothingHappeningItCallsNothingAndStopsWhenItGoes) {
    std::atomic<int> calls{0};
    bool prompt = false;
    for (int watch = 0; watch < 5; ++watch) {
        const AdapterWatch made([&calls] { ++calls; });
        // One machine gives the same answer each time.
        if (watch == 0) {
            prompt = made.Prompt();
        }
        EXPECT_EQ(made.Prompt(), prompt);
    }
    EXPECT_EQ(calls.load(), 0);
}

}  // namespace
}  // namespace flash410::serial
