// The first choice of mode, raced by several threads at once: exactly one
// caller wins, and the mode in force is the winner's.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "handlebank.h"

TEST(ModeChoice, RacingFirstCallsAgree) {
  constexpr int kThreads = 8;
  std::atomic<int> ready{0};
  std::vector<uintptr_t> results(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      ready.fetch_add(1);
      while (ready.load() < kThreads) {
      }
      results[i] = ZoMemUseVirtual(i % 2 ? 7 : 0);
    });
  }
  for (auto& t : threads) t.join();

  int winners = 0;
  uintptr_t winner = 0;
  for (int i = 0; i < kThreads; ++i) {
    const uintptr_t asked = i % 2 ? 7 : 0;
    // A winner asking for virtual mode gets 7; one fixing global mode gets 0.
    // Everyone else gets 1 (which no thread asked for).
    if (results[i] == asked && results[i] != 1) {
      ++winners;
      winner = asked;
    } else {
      EXPECT_EQ(results[i], 1u);
    }
  }
  ASSERT_EQ(winners, 1);
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, 16);
  const bool virtualMode = ZoMemLock(h) == reinterpret_cast<void*>(h);
  ZoMemUnlock(h);
  EXPECT_EQ(virtualMode, winner != 0);
  EXPECT_NE(ZoMemFree(h), 0);
}
