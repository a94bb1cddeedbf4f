// Allocation and lock failures, with the stand-in handlebank.dll beside this
// program and the plug-in's copy: every failure returns 0 and leaves no
// block, no lock and no temporary file.
#include <gtest/gtest.h>

#include "dibtest.h"
#include "plugin.h"
#include "resample.h"

namespace {

struct Bank {
  void(WINAPI* FailAt)(long, long);
  long(WINAPI* LiveBlocks)();
  long(WINAPI* HeldLocks)();
  long(WINAPI* Allocations)();
};

Bank TheBank() {
  HMODULE m = GetModuleHandleA("handlebank.dll");
  Bank b = {};
  auto bind = [m](auto* f, const char* name) {
    *f = reinterpret_cast<std::remove_pointer_t<decltype(f)>>(reinterpret_cast<void*>(GetProcAddress(m, name)));
  };
  bind(&b.FailAt, "FakeBankFailAt");
  bind(&b.LiveBlocks, "FakeBankLiveBlocks");
  bind(&b.HeldLocks, "FakeBankHeldLocks");
  bind(&b.Allocations, "FakeBankAllocations");
  return b;
}

class BankFailure : public testing::Test {
 protected:
  void SetUp() override {
    bank = TheBank();
    ASSERT_NE(bank.FailAt, nullptr) << "the stand-in handlebank.dll is not the one loaded";
    bank.FailAt(0, 0);
  }
  void ExpectNothingHeld() {
    EXPECT_EQ(bank.LiveBlocks(), 0);
    EXPECT_EQ(bank.HeldLocks(), 0);
  }
  Bank bank;
};

TEST_F(BankFailure, ResampleDibOnBothPaths) {
  TestDib src(6, 4, 24, 0);
  for (auto [tw, th] : {std::pair{6, 4}, {3, 9}}) {
    SCOPED_TRACE(testing::Message() << tw << "x" << th);
    bank.FailAt(1, 0);  // allocation fails
    EXPECT_EQ(ResampleDib(src.bytes.data(), tw, th), 0u);
    ExpectNothingHeld();
    bank.FailAt(0, 1);  // the new block cannot be locked
    EXPECT_EQ(ResampleDib(src.bytes.data(), tw, th), 0u);
    ExpectNothingHeld();
    bank.FailAt(0, 0);
    const MemHandle h = ResampleDib(src.bytes.data(), tw, th);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(bank.LiveBlocks(), 1);
    EXPECT_EQ(bank.HeldLocks(), 0) << "returned unlocked";
    ZoMemFree(h);
  }
  // Refusals come before any allocation.
  bank.FailAt(0, 0);
  EXPECT_EQ(ResampleDib(src.bytes.data(), 40000, 20000), 0u);
  EXPECT_EQ(ResampleDib(src.bytes.data(), 0, 5), 0u);
  EXPECT_EQ(bank.Allocations(), 0);
}

class LoadBankFailure : public BankFailure {
 protected:
  void SetUp() override {
    BankFailure::SetUp();
    api = LoadPlugin();
    ASSERT_NE(api.module, nullptr);
  }
  MemHandle Load(const char* file, int32_t mw, int32_t mh, DibImageInfo* info) {
    DibLoadRequest box = {44, 0, mw, mh, {}};
    EXPECT_EQ(temp.Count(), 0);
    const MemHandle h = api.LoadDib(Fixture(file).c_str(), &box, info);
    EXPECT_EQ(temp.Count(), 0) << "temporary file left behind";
    return h;
  }
  PrivateTempFolder temp;
  PluginApi api;
};

// The decoded bitmap's allocation or lock fails: 0 after the closing
// steps, the information untouched.
TEST_F(LoadBankFailure, DecodedBitmap) {
  for (auto [alloc, lock] : {std::pair{1L, 0L}, {0L, 1L}}) {
    bank.FailAt(alloc, lock);
    DibImageInfo info = {7, 7, 7, 7};
    EXPECT_EQ(Load("rgb_10x3_none.fpx", 0, 0, &info), 0u) << alloc << "," << lock;
    EXPECT_EQ(info.dwWidth, 7u);
    ExpectNothingHeld();
  }
  bank.FailAt(0, 0);
  const MemHandle h = Load("rgb_10x3_none.fpx", 0, 0, nullptr);
  ASSERT_NE(h, 0u) << "the toolkit was left usable";
  EXPECT_EQ(bank.LiveBlocks(), 1);
  EXPECT_EQ(bank.HeldLocks(), 0);
  ZoMemFree(h);
}

// The fitted bitmap's allocation or lock fails: 0, the decoded bitmap
// freed, the information already written.
TEST_F(LoadBankFailure, FittedBitmap) {
  for (auto [alloc, lock] : {std::pair{2L, 0L}, {0L, 2L}}) {
    bank.FailAt(alloc, lock);
    DibImageInfo info = {};
    EXPECT_EQ(Load("mono_3x2_none.fpx", 300, 300, &info), 0u) << alloc << "," << lock;
    EXPECT_EQ(info.dwWidth, 3u);
    EXPECT_EQ(info.dwHeight, 2u);
    ExpectNothingHeld();
  }
  // Unfittable: the resample is refused without allocating.
  bank.FailAt(0, 0);
  DibImageInfo info = {};
  EXPECT_EQ(Load("mono_3x2_none.fpx", 0x7FFFFFFF, 0x7FFFFFFF, &info), 0u);
  EXPECT_EQ(bank.Allocations(), 1);
  ExpectNothingHeld();
  const MemHandle h = Load("mono_3x2_none.fpx", 300, 300, nullptr);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(bank.LiveBlocks(), 1) << "the decoded bitmap is freed after fitting";
  EXPECT_EQ(bank.HeldLocks(), 0);
  ZoMemFree(h);
}

}  // namespace
