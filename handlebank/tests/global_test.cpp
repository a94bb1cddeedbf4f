// Global-heap mode: the default, and what a first ZoMemUseVirtual(0) fixes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "handlebank.h"

namespace {

// More than any process can be given: a real allocation failure.
const uintptr_t kTooLarge = ~uintptr_t(0) - 0xFFFF;

bool IsGlobalBlock(MemHandle h) {
  // A movable global block's handle is not its address; a virtual-mode
  // block's handle is.
  void* p = ZoMemLock(h);
  const bool global = p != nullptr && p != reinterpret_cast<void*>(h);
  ZoMemUnlock(h);
  return global;
}

TEST(GlobalMode, IsTheDefaultAndStaysWhenFixed) {
  const MemHandle before = MemAlloc_R(ZO_MEM_FLAGS, 64);
  ASSERT_NE(before, 0u);
  EXPECT_TRUE(IsGlobalBlock(before));
  EXPECT_EQ(ZoMemUseVirtual(0), 0u);  // first call: its own value
  EXPECT_EQ(ZoMemUseVirtual(1), 1u);  // later calls: 1, mode unchanged
  EXPECT_EQ(ZoMemUseVirtual(0), 1u);
  const MemHandle after = MemAlloc_R(ZO_MEM_FLAGS, 64);
  EXPECT_TRUE(IsGlobalBlock(after));
  EXPECT_EQ(ZoMemFree(before), 1);
  EXPECT_EQ(ZoMemFree(after), 1);
}

TEST(GlobalMode, AllocLockUnlockSizeFree) {
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, 100);
  ASSERT_NE(h, 0u);
  EXPECT_GE(ZoMemSize(h), 100u);
  auto* p = static_cast<unsigned char*>(ZoMemLock(h));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], 0) << "zero-filled at " << i;
  // Lock counts: a second lock, then two unlocks; the last one reports 0.
  EXPECT_EQ(ZoMemLock(h), p);
  EXPECT_NE(ZoMemUnlock(h), 0);
  EXPECT_EQ(ZoMemUnlock(h), 0);
  EXPECT_EQ(ZoMemFree(h), 1);
}

TEST(GlobalMode, FixedBlockKeepsCallersFlags) {
  const MemHandle h = MemAlloc_R(GMEM_FIXED, 16);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(ZoMemLock(h), reinterpret_cast<void*>(h));  // fixed: the handle is the address
  ZoMemUnlock(h);
  EXPECT_EQ(ZoMemFree(h), 1);
}

TEST(GlobalMode, AllocationFailureGivesZero) {
  EXPECT_EQ(MemAlloc_R(ZO_MEM_FLAGS, kTooLarge), 0u);
  EXPECT_EQ(MemAlloc_D(ZO_MEM_FLAGS, kTooLarge, 7, 9), 0u);
}

TEST(GlobalMode, ReallocGrowsAndShrinksKeepingContents) {
  MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, 16);
  ASSERT_NE(h, 0u);
  memcpy(ZoMemLock(h), "0123456789abcdef", 16);
  ZoMemUnlock(h);

  h = MemReAlloc_R(h, 100000, GMEM_MOVEABLE | GMEM_ZEROINIT);
  ASSERT_NE(h, 0u);
  EXPECT_GE(ZoMemSize(h), 100000u);
  auto* p = static_cast<unsigned char*>(ZoMemLock(h));
  EXPECT_EQ(memcmp(p, "0123456789abcdef", 16), 0);
  EXPECT_EQ(p[99999], 0);
  ZoMemUnlock(h);

  h = MemReAlloc_R(h, 4, GMEM_MOVEABLE);
  ASSERT_NE(h, 0u);
  EXPECT_GE(ZoMemSize(h), 4u);
  EXPECT_EQ(memcmp(ZoMemLock(h), "0123", 4), 0);
  ZoMemUnlock(h);
  EXPECT_EQ(ZoMemFree(h), 1);
}

TEST(GlobalMode, FailedReallocLeavesOldBlockIntact) {
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, 32);
  memcpy(ZoMemLock(h), "keep me", 8);
  ZoMemUnlock(h);
  EXPECT_EQ(MemReAlloc_R(h, kTooLarge, GMEM_MOVEABLE), 0u);
  EXPECT_EQ(MemReAlloc_D(h, kTooLarge, GMEM_MOVEABLE, 1, 2), 0u);
  EXPECT_GE(ZoMemSize(h), 32u);
  EXPECT_STREQ(static_cast<char*>(ZoMemLock(h)), "keep me");
  ZoMemUnlock(h);
  EXPECT_EQ(ZoMemFree(h), 1);
}

TEST(GlobalMode, DuplicateCopiesIntoAMovableBlock) {
  EXPECT_EQ(MemDuplicate_R(0), 0u);
  EXPECT_EQ(MemDuplicate_D(0, 3, 4), 0u);

  const MemHandle src = MemAlloc_R(GMEM_FIXED, 10);
  memcpy(reinterpret_cast<void*>(src), "abcdefghij", 10);
  for (MemHandle copy : {MemDuplicate_R(src), MemDuplicate_D(src, 0xDEAD, 0xBEEF)}) {
    ASSERT_NE(copy, 0u);
    EXPECT_NE(copy, src);
    EXPECT_EQ(ZoMemSize(copy), ZoMemSize(src));
    EXPECT_TRUE(IsGlobalBlock(copy)) << "the duplicate is movable whatever the source";
    EXPECT_EQ(memcmp(ZoMemLock(copy), "abcdefghij", 10), 0);
    EXPECT_EQ(ZoMemUnlock(copy), 0) << "no lock left behind";
    EXPECT_EQ(ZoMemFree(copy), 1);
  }
  EXPECT_EQ(ZoMemFree(src), 1);
}

TEST(GlobalMode, DuplicateOfADiscardedBlockFailsCleanly) {
  // A discarded block cannot be locked: the duplicate must not copy from null.
  const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DISCARDABLE, 64);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(GlobalDiscard(h), h);
  ASSERT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(MemDuplicate_R(reinterpret_cast<MemHandle>(h)), 0u);
  GlobalFree(h);
}

TEST(GlobalMode, FreeReportsRefusal) {
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, 8);
  EXPECT_EQ(ZoMemFree(h), 1);
  // A handle the global heap never gave out.
  EXPECT_EQ(ZoMemFree(0x7FFFFFF0), 0);
}

}  // namespace
