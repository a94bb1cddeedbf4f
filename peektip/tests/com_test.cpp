// The COM server and the tip object: class objects, interfaces, reference
// counts, the live count behind DllCanUnloadNow, Load, and the requests that
// need no window to observe.
#include <gtest/gtest.h>

#include <string.h>
#include <thread>
#include <vector>

#include "harness.h"

using pt::Calls;
using pt::kIID_IQueryInfo;

namespace {

class Com : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib.Load());
    PxdImage im = pt::StillImage(300, 225, 24, {640, 480, 24, 0});
    PxdSetImage(&im);
  }
  pt::Library lib;
};

TEST_F(Com, OtherClassIsNotAvailableWhateverTheInterface) {
  const CLSID other = {0x7d46c558, 0x96c2, 0x44f2, {0xae, 0x5c, 0x92, 0x37, 0xce, 0xb2, 0xc2, 0x6f}};
  for (const IID* riid : {&IID_IClassFactory, &IID_IUnknown, &IID_IPersistFile}) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(lib.getClassObject(other, *riid, &p), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(p, nullptr);
  }
  EXPECT_EQ(lib.canUnloadNow(), S_OK);
}

TEST_F(Com, EachCallGivesANewFactoryThatKeepsTheLibraryUntilReleased) {
  IClassFactory *a = nullptr, *b = nullptr;
  ASSERT_EQ(lib.getClassObject(CLSID_ThumbnailTip, IID_IClassFactory, reinterpret_cast<void**>(&a)), S_OK);
  ASSERT_EQ(lib.getClassObject(CLSID_ThumbnailTip, IID_IUnknown, reinterpret_cast<void**>(&b)), S_OK);
  EXPECT_NE(a, b);
  EXPECT_EQ(lib.canUnloadNow(), S_FALSE);
  EXPECT_EQ(a->LockServer(TRUE), S_OK);  // a lock does not keep the library
  EXPECT_EQ(a->Release(), 0u);
  EXPECT_EQ(lib.canUnloadNow(), S_FALSE);
  EXPECT_EQ(b->Release(), 0u);
  EXPECT_EQ(lib.canUnloadNow(), S_OK);
}

// Mended: an object whose first QueryInterface is refused is destroyed at
// once, and the library can unload.
TEST_F(Com, RefusedFirstQueryInterfaceDestroysTheNewObject) {
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(lib.getClassObject(CLSID_ThumbnailTip, IID_IPersist, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(lib.canUnloadNow(), S_OK);

  IClassFactory* factory = nullptr;
  ASSERT_EQ(lib.getClassObject(CLSID_ThumbnailTip, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  for (const IID* riid : {&IID_IPersist, &IID_IClassFactory, &IID_IDataObject}) {
    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, *riid, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
  }
  EXPECT_EQ(factory->Release(), 0u);
  EXPECT_EQ(lib.canUnloadNow(), S_OK);
}

TEST_F(Com, AggregationIsRefused) {
  IClassFactory* factory = nullptr;
  ASSERT_EQ(lib.getClassObject(CLSID_ThumbnailTip, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IUnknown, &p),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(p, nullptr);
  factory->Release();
  EXPECT_EQ(lib.canUnloadNow(), S_OK);
}

TEST_F(Com, TwoInterfacesOneIdentityOneCount) {
  IClassFactory* factory = nullptr;
  ASSERT_EQ(lib.getClassObject(CLSID_ThumbnailTip, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  IQueryInfo* info = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, kIID_IQueryInfo, reinterpret_cast<void**>(&info)), S_OK);
  EXPECT_EQ(factory->Release(), 0u);  // the object does not hold its factory
  EXPECT_EQ(lib.canUnloadNow(), S_FALSE);

  IUnknown* identity = nullptr;
  ASSERT_EQ(info->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  IPersistFile* file = nullptr;
  ASSERT_EQ(info->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
  EXPECT_EQ(static_cast<void*>(identity), static_cast<void*>(file));  // IPersistFile is the identity
  EXPECT_NE(static_cast<void*>(info), static_cast<void*>(file));
  IQueryInfo* again = nullptr;
  ASSERT_EQ(file->QueryInterface(kIID_IQueryInfo, reinterpret_cast<void**>(&again)), S_OK);
  EXPECT_EQ(again, info);
  // Four references now; AddRef and Release move the one count through either.
  EXPECT_EQ(file->AddRef(), 5u);
  EXPECT_EQ(info->Release(), 4u);
  EXPECT_EQ(again->Release(), 3u);
  EXPECT_EQ(identity->Release(), 2u);
  EXPECT_EQ(file->Release(), 1u);
  EXPECT_EQ(lib.canUnloadNow(), S_FALSE);

  for (const IID* riid : {&IID_IPersist, &IID_IClassFactory, &IID_IPersistStream}) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(info->QueryInterface(*riid, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
  }
  EXPECT_EQ(info->Release(), 0u);
  EXPECT_EQ(lib.canUnloadNow(), S_OK);
}

TEST_F(Com, FreshObjectCountsTwoOneZero) {
  IPersistFile* file = lib.NewTip();
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->AddRef(), 2u);
  EXPECT_EQ(file->Release(), 1u);
  EXPECT_EQ(file->Release(), 0u);
  EXPECT_EQ(lib.canUnloadNow(), S_OK);
}

TEST_F(Com, OperationsNotOfferedLeaveOutParametersAlone) {
  IPersistFile* file = lib.NewTip();
  ASSERT_NE(file, nullptr);
  IQueryInfo* info = nullptr;
  ASSERT_EQ(file->QueryInterface(kIID_IQueryInfo, reinterpret_cast<void**>(&info)), S_OK);
  CLSID clsid = IID_IUnknown;
  EXPECT_EQ(file->GetClassID(&clsid), E_NOTIMPL);
  EXPECT_TRUE(IsEqualGUID(clsid, IID_IUnknown));
  EXPECT_EQ(file->IsDirty(), E_NOTIMPL);
  EXPECT_EQ(file->Save(L"x", TRUE), E_NOTIMPL);
  EXPECT_EQ(file->SaveCompleted(L"x"), E_NOTIMPL);
  LPOLESTR name = reinterpret_cast<LPOLESTR>(7);
  EXPECT_EQ(file->GetCurFile(&name), E_NOTIMPL);
  EXPECT_EQ(name, reinterpret_cast<LPOLESTR>(7));
  DWORD flags = 9;
  EXPECT_EQ(info->GetInfoFlags(&flags), E_NOTIMPL);
  EXPECT_EQ(flags, 9u);
  info->Release();
  file->Release();
}

// Mended: counts are interlocked; apartment threads may call at once.
TEST_F(Com, CountsStayBalancedUnderConcurrentThreads) {
  IPersistFile* shared = lib.NewTip();
  ASSERT_NE(shared, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        shared->AddRef();
        shared->Release();
        if (i % 16 == 0) {
          IPersistFile* mine = lib.NewTip();
          if (mine != nullptr) mine->Release();
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(lib.canUnloadNow(), S_FALSE);
  EXPECT_EQ(shared->Release(), 0u);
  EXPECT_EQ(lib.canUnloadNow(), S_OK);
}

// Load converts to the ANSI code page; the tip request hands that path on.
TEST_F(Com, LoadConvertsToTheAnsiCodePage) {
  const wchar_t* paths[] = {L"C:\\pictures\\plain.bmp", L"C:\\caf\x00E9\\\x4E00.png", L""};
  for (const wchar_t* path : paths) {
    const int before = static_cast<int>(Calls(PXD_LOAD).size());
    LPWSTR tip = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(pt::RequestTip(lib, path, &tip), S_OK);
    EXPECT_EQ(tip, nullptr);
    auto loads = Calls(PXD_LOAD);
    if (path[0] == 0) {  // an empty path: nothing happens
      EXPECT_EQ(static_cast<int>(loads.size()), before);
      continue;
    }
    char expected[260];
    WideCharToMultiByte(CP_ACP, 0, path, -1, expected, sizeof expected, nullptr, nullptr);
    ASSERT_EQ(static_cast<int>(loads.size()), before + 1);
    EXPECT_STREQ(loads.back().path, expected);
  }
}

// Mended: a path whose ANSI form does not fit leaves the path empty, so the
// next request does nothing; one that just fits is passed whole.
TEST_F(Com, TooLongPathLeavesThePathEmpty) {
  std::wstring fits = L"C:\\" + std::wstring(256 - 4, L'a') + L".bmp";  // 259 characters
  ASSERT_EQ(fits.size(), 259u);
  pt::RequestTip(lib, fits.c_str());
  auto loads = Calls(PXD_LOAD);
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(std::string(loads[0].path), std::string(fits.begin(), fits.end()));

  const std::wstring tooLong = fits + L"x";  // 260 characters and the terminator
  pt::RequestTip(lib, tooLong.c_str());
  EXPECT_EQ(Calls(PXD_LOAD).size(), 1u);
}

TEST_F(Com, LoadOnOneObjectRequestOnAnother) {
  IPersistFile* a = lib.NewTip();
  IPersistFile* b = lib.NewTip();
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->Load(L"C:\\from\\a.gif", 0), S_OK);
  IQueryInfo* info = nullptr;
  ASSERT_EQ(b->QueryInterface(kIID_IQueryInfo, reinterpret_cast<void**>(&info)), S_OK);
  LPWSTR tip = nullptr;
  EXPECT_EQ(info->GetInfoTip(0, &tip), S_OK);
  auto loads = Calls(PXD_LOAD);
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_STREQ(loads[0].path, "C:\\from\\a.gif");
  info->Release();
  a->Release();
  b->Release();
}

// Each request loads again, freeing the previous thumbnail first, with a
// zeroed 44-byte request for the 300 x 300 box.
TEST_F(Com, EveryRequestFreesThenLoads) {
  pt::RequestTip(lib, L"C:\\same.bmp");
  pt::RequestTip(lib, L"C:\\same.bmp");
  auto loads = Calls(PXD_LOAD);
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_EQ(loads[1].liveBlocks, 0) << "the first thumbnail was freed before the second load";
  EXPECT_TRUE(PxdBlockAlive(loads[1].result));
  for (const PxdCall& c : loads) {
    EXPECT_EQ(c.request.cbSize, 44u);
    EXPECT_EQ(c.request.dwReserved, 0u);
    EXPECT_EQ(c.request.nMaxWidth, 300);
    EXPECT_EQ(c.request.nMaxHeight, 300);
    for (uint32_t r : c.request.adwReserved) EXPECT_EQ(r, 0u);
  }
  EXPECT_TRUE(Calls(PXD_STOP).empty());  // still images stop nothing
}

// A failed load frees the old thumbnail and shows nothing; the frame count
// the record holds afterwards still decides about StopAnimation.
TEST_F(Com, FailedLoads) {
  pt::RequestTip(lib, L"C:\\good.bmp");
  const MemHandle first = Calls(PXD_LOAD)[0].result;
  ASSERT_TRUE(PxdBlockAlive(first));

  PxdImage fail = {};
  fail.fail = 1;
  PxdSetImage(&fail);
  pt::RequestTip(lib, L"C:\\broken.bmp");
  EXPECT_FALSE(PxdBlockAlive(first));
  EXPECT_TRUE(Calls(PXD_STOP).empty());  // the record still holds 0 frames

  fail.writeInfoOnFail = 1;
  fail.info = {10, 10, 8, 3};
  PxdSetImage(&fail);
  pt::RequestTip(lib, L"C:\\broken.gif");
  EXPECT_EQ(Calls(PXD_STOP).size(), 1u);
  EXPECT_TRUE(Calls(PXD_START).empty());
  EXPECT_EQ(Calls(PXD_LOAD).size(), 3u);
}

// With no list view under the cursor the popup is created but never shown.
TEST_F(Com, NoListViewUnderTheCursorCreatesTheWindowOnly) {
  SetCursorPos(2, 2);
  pt::RequestTip(lib, L"C:\\a.bmp");
  HWND popup = pt::FindPopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(pt::WindowRect(popup).right - pt::WindowRect(popup).left, 0);
  EXPECT_EQ(GetCapture(), nullptr);
}

// Unloading frees the thumbnail and stops any animation, once.
TEST_F(Com, UnloadFreesTheThumbnailAndStopsAnimation) {
  pt::RequestTip(lib, L"C:\\a.bmp");
  const MemHandle thumb = Calls(PXD_LOAD)[0].result;
  ASSERT_TRUE(PxdBlockAlive(thumb));
  ASSERT_TRUE(FreeLibrary(lib.dll));
  EXPECT_EQ(GetModuleHandleA("peektip.dll"), nullptr);
  EXPECT_FALSE(PxdBlockAlive(thumb));
  EXPECT_EQ(Calls(PXD_STOP).size(), 1u);
}

TEST_F(Com, UnloadWithoutThumbnailStillStopsAnimation) {
  ASSERT_TRUE(FreeLibrary(lib.dll));
  EXPECT_EQ(Calls(PXD_STOP).size(), 1u);
}

}  // namespace
