// The keyed memo behind the browse server's caches: one computation per key however many
// threads ask at once, nothing kept from a computation that failed, and a kept value
// computed again once the caller's check refuses it.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/support/keyed_memo.h"

namespace zenthor {
namespace {

const auto kAlwaysGood = [](int) { return true; };

TEST(KeyedMemo, ThreadsAskingAtOnceShareOneComputation) {
    KeyedMemo<std::string, int> memo;
    std::atomic<int> computations{0};
    std::vector<int> answers(8);
    std::vector<std::thread> threads;
    for (int& answer : answers) {
        threads.emplace_back([&] {
            answer = memo.Get("model", kAlwaysGood, [&] {
                ++computations;
                std::this_thread::yield();
                return 42;
            });
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(computations, 1);
    EXPECT_EQ(answers, std::vector<int>(8, 42));
    EXPECT_EQ(memo.Get("other", kAlwaysGood, [] { return 7; }), 7);
}

TEST(KeyedMemo, AFailedComputationKeepsNothingAndARefusedValueIsComputedAgain) {
    KeyedMemo<std::string, int> memo;
    EXPECT_THROW(memo.Get("model", kAlwaysGood, []() -> int { throw std::runtime_error("disk full"); }),
                 std::runtime_error);
    EXPECT_EQ(memo.Get("model", kAlwaysGood, [] { return 1; }), 1);
    EXPECT_EQ(memo.Get("model", kAlwaysGood, [] { return 2; }), 1);
    EXPECT_EQ(memo.Get("model", [](int kept) { return kept != 1; }, [] { return 3; }), 3);
}

}  // namespace
}  // namespace zenthor
