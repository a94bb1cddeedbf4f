// Virtual-memory mode: one committed region per block, sizes in whole pages.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "handlebank.h"

namespace {

const uintptr_t kTooLarge = ~uintptr_t(0) - 0xFFFF;

class VirtualMode : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(ZoMemUseVirtual(5), 5u);  // the first call selects virtual mode
  }
};

uintptr_t PageSize() {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  return si.dwPageSize;
}

TEST_F(VirtualMode, ChoiceIsFinal) {
  EXPECT_EQ(ZoMemUseVirtual(0), 1u);
  EXPECT_EQ(ZoMemUseVirtual(5), 1u);
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, 10);
  EXPECT_EQ(ZoMemLock(h), reinterpret_cast<void*>(h)) << "still virtual after a later call with 0";
  EXPECT_NE(ZoMemFree(h), 0);
}

TEST_F(VirtualMode, BlocksAreWholeZeroedPagesWithoutLockCount) {
  const MemHandle h = MemAlloc_R(0, 100);  // flags are ignored: zero-filled anyway
  ASSERT_NE(h, 0u);
  EXPECT_EQ(ZoMemSize(h), PageSize());
  auto* p = static_cast<unsigned char*>(ZoMemLock(h));
  EXPECT_EQ(p, reinterpret_cast<unsigned char*>(h));
  for (uintptr_t i = 0; i < PageSize(); ++i) ASSERT_EQ(p[i], 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ZoMemUnlock(h), 1);
  EXPECT_NE(ZoMemFree(h), 0);
}

TEST_F(VirtualMode, AllocationFailureGivesZero) {
  EXPECT_EQ(MemAlloc_R(ZO_MEM_FLAGS, kTooLarge), 0u);
  EXPECT_EQ(MemAlloc_D(ZO_MEM_FLAGS, kTooLarge, 1, 2), 0u);
}

TEST_F(VirtualMode, ReallocAlwaysMovesAndCopiesTheSmallerSize) {
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, 3 * PageSize());
  auto* p = static_cast<unsigned char*>(ZoMemLock(h));
  for (uintptr_t i = 0; i < 3 * PageSize(); ++i) p[i] = static_cast<unsigned char>(i * 7);

  const MemHandle smaller = MemReAlloc_R(h, 100, 0);
  ASSERT_NE(smaller, 0u);
  EXPECT_NE(smaller, h);
  EXPECT_EQ(ZoMemSize(smaller), PageSize());
  auto* s = static_cast<unsigned char*>(ZoMemLock(smaller));
  for (int i = 0; i < 100; ++i) ASSERT_EQ(s[i], static_cast<unsigned char>(i * 7));
  for (uintptr_t i = 100; i < PageSize(); ++i) ASSERT_EQ(s[i], 0) << "beyond the copy at " << i;
  EXPECT_EQ(ZoMemSize(h), 0u) << "the old handle names no block";

  const MemHandle larger = MemReAlloc_D(smaller, 5 * PageSize(), 0, 9, 9);
  ASSERT_NE(larger, 0u);
  EXPECT_EQ(ZoMemSize(larger), 5 * PageSize());
  auto* l = static_cast<unsigned char*>(ZoMemLock(larger));
  for (int i = 0; i < 100; ++i) ASSERT_EQ(l[i], static_cast<unsigned char>(i * 7));
  EXPECT_EQ(l[5 * PageSize() - 1], 0);
  EXPECT_NE(ZoMemFree(larger), 0);
}

TEST_F(VirtualMode, FailedReallocLeavesOldBlockIntact) {
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, 64);
  strcpy(static_cast<char*>(ZoMemLock(h)), "still here");
  EXPECT_EQ(MemReAlloc_R(h, kTooLarge, 0), 0u);
  EXPECT_EQ(ZoMemSize(h), PageSize());
  EXPECT_STREQ(static_cast<char*>(ZoMemLock(h)), "still here");
  EXPECT_NE(ZoMemFree(h), 0);
}

TEST_F(VirtualMode, DuplicateCopiesTheWholeRegion) {
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, PageSize() + 1);
  auto* p = static_cast<unsigned char*>(ZoMemLock(h));
  p[0] = 1;
  p[2 * PageSize() - 1] = 2;  // the last byte of the rounded-up region
  const MemHandle copy = MemDuplicate_D(h, 0, 0);
  ASSERT_NE(copy, 0u);
  EXPECT_NE(copy, h);
  EXPECT_EQ(ZoMemSize(copy), 2 * PageSize());
  auto* c = static_cast<unsigned char*>(ZoMemLock(copy));
  EXPECT_EQ(c[0], 1);
  EXPECT_EQ(c[2 * PageSize() - 1], 2);
  EXPECT_NE(ZoMemFree(copy), 0);
  EXPECT_NE(ZoMemFree(h), 0);
}

TEST_F(VirtualMode, HandlesThatNameNoBlockAreRefused) {
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, 2 * PageSize());
  strcpy(static_cast<char*>(ZoMemLock(h)), "untouched");
  const MemHandle inside = h + 16;
  const MemHandle secondPage = h + PageSize();
  for (MemHandle bad : {MemHandle(0), inside, secondPage}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ZoMemSize(bad), 0u);
    EXPECT_EQ(MemReAlloc_R(bad, 10, 0), 0u);
    EXPECT_EQ(ZoMemFree(bad), 0);
    EXPECT_EQ(MemDuplicate_R(bad), 0u);
  }
  EXPECT_EQ(ZoMemSize(h), 2 * PageSize()) << "the real block is unchanged";
  EXPECT_STREQ(static_cast<char*>(ZoMemLock(h)), "untouched");
  EXPECT_NE(ZoMemFree(h), 0);
  EXPECT_EQ(ZoMemFree(h), 0) << "a released block";
  EXPECT_EQ(ZoMemSize(h), 0u);
}

}  // namespace
