// The plain logic of the thumbnail tip, without any window.
#include <gtest/gtest.h>

#include <string.h>

#include "peektip_clsid.h"
#include "tiplogic.h"

using namespace peektip;

namespace {

TEST(PopupSize, StillIsBitmapPlusStripAnimatedIsTheBox) {
  DibHeader h = {};
  h.biWidth = 300;
  h.biHeight = 225;
  const SIZE still = PopupSize(false, h);
  EXPECT_EQ(still.cx, 300);
  EXPECT_EQ(still.cy, 241);
  const SIZE animated = PopupSize(true, h);
  EXPECT_EQ(animated.cx, 300);
  EXPECT_EQ(animated.cy, 300);
}

TEST(PlacePopup, Table) {
  const RECT primary = {0, 0, 1024, 768};
  const RECT left = {-1280, -200, 0, 824};          // a second monitor left of and above the primary
  const RECT distant = {30000, 20000, 31920, 21080};    // one at large coordinates
  struct Case {
    const char* what;
    RECT monitor;
    POINT cursor;
    SIZE size;
    POINT expected;
  } cases[] = {
      {"fits", primary, {100, 100}, {300, 241}, {100, 100}},
      {"right edge: 50 px left with 200 wide", primary, {974, 10}, {200, 100}, {824, 10}},
      {"exactly touching the right edge stays", primary, {824, 10}, {200, 100}, {824, 10}},
      {"bottom edge", primary, {10, 700}, {200, 100}, {10, 668}},
      {"both edges", primary, {1000, 760}, {300, 316}, {724, 452}},
      {"larger than the screen: negative", primary, {10, 10}, {1100, 800}, {-76, -32}},
      {"left monitor: fits", left, {-1000, 0}, {300, 300}, {-1000, 0}},
      {"left monitor: pulled back at its right edge (0)", left, {-100, 700}, {300, 300}, {-300, 524}},
      {"left monitor: negative top kept", left, {-600, -150}, {300, 241}, {-600, -150}},
      {"far monitor: fits", distant, {30100, 20100}, {300, 241}, {30100, 20100}},
      {"far monitor: both edges", distant, {31900, 21070}, {300, 300}, {31620, 20780}},
  };
  for (const Case& c : cases) {
    const POINT at = PlacePopup(c.cursor, c.size, c.monitor);
    EXPECT_EQ(at.x, c.expected.x) << c.what;
    EXPECT_EQ(at.y, c.expected.y) << c.what;
  }
}

TEST(Caption, StillAndAnimatedTexts) {
  struct Case {
    DibImageInfo info;
    bool animated;
    const char* expected;
  } cases[] = {
      {{640, 480, 24, 0}, false, "640x480x24"},
      {{100, 80, 8, 12}, true, "100x80x8x12"},
      {{4294967295u, 1, 32, 0}, false, "4294967295x1x32"},  // unsigned 32-bit
      {{1, 2, 65535, 65535}, true, "1x2x65535x65535"},       // 16-bit fields widened unsigned
      {{7, 7, 1, 3}, false, "7x7x1"},                        // frames shown only when animated
  };
  for (const Case& c : cases) {
    char buf[kCaptionBufferSize];
    memset(buf, 'z', sizeof buf);
    const int n = FormatCaption(buf, c.info, c.animated);
    EXPECT_STREQ(buf, c.expected);
    EXPECT_EQ(n, static_cast<int>(strlen(c.expected)));
  }
}

TEST(Rects, PointInRectEdgesAndKeepRule) {
  const RECT rc = {10, 20, 30, 40};
  struct Case {
    POINT pt;
    bool inside;
  } cases[] = {{{10, 20}, true}, {{29, 39}, true}, {{30, 25}, false}, {{15, 40}, false},
               {{9, 25}, false}, {{15, 19}, false}};
  for (const Case& c : cases) EXPECT_EQ(PointInRect(rc, c.pt), c.inside) << c.pt.x << "," << c.pt.y;

  const RECT item = {0, 0, 100, 20};
  const RECT popup = {50, 10, 350, 251};
  EXPECT_TRUE(CursorKeepsPopup({5, 5}, item, popup));      // over the item only
  EXPECT_TRUE(CursorKeepsPopup({300, 200}, item, popup));  // over the popup only
  EXPECT_FALSE(CursorKeepsPopup({5, 30}, item, popup));    // below the item, left of the popup
  EXPECT_FALSE(CursorKeepsPopup({350, 100}, item, popup)); // the popup's right edge is outside
}

TEST(Rects, ItemEndsAtColumnZeroInReportAndListViews) {
  const RECT bounds = {4, 30, 400, 48};
  struct Case {
    LONG style;
    LONG right;
  } cases[] = {{0 /*icon*/, 400}, {1 /*report*/, 154}, {2 /*small icon*/, 400}, {3 /*list*/, 154}};
  for (const Case& c : cases) {
    const RECT rc = TrackedItemRect(bounds, c.style | WS_CHILD, 150);
    EXPECT_EQ(rc.left, 4);
    EXPECT_EQ(rc.top, 30);
    EXPECT_EQ(rc.bottom, 48);
    EXPECT_EQ(rc.right, c.right) << "style " << c.style;
  }
}

TEST(PackPoint, CutsEachCoordinateTo16Bits) {
  EXPECT_EQ(PackPoint({12, 34}), static_cast<LPARAM>(0x0022000C));
  EXPECT_EQ(PackPoint({-1, -2}), static_cast<LPARAM>(0xFFFEFFFFu));  // no sign extension on 64 bits
  EXPECT_EQ(PackPoint({0x12345, 0x10002}), static_cast<LPARAM>(0x00022345));
}

TEST(Registration, NineteenValuesInOrder) {
  RegistrationText text;
  RegValue v[kMaxRegValues];
  const int n = PlanRegistration(CLSID_THUMBNAILTIP_TEXT, "C:\\x\\peektip.dll", "ZoTest", "Apartment", text, v);
  ASSERT_EQ(n, 19);
  const std::string classKey = std::string("CLSID\\") + CLSID_THUMBNAILTIP_TEXT;
  EXPECT_EQ(classKey, v[0].keyPath);
  EXPECT_EQ(v[0].subkey, nullptr);
  EXPECT_EQ(v[0].valueName, nullptr);
  EXPECT_STREQ(v[0].data, "ZoTest");
  EXPECT_EQ(classKey, v[1].keyPath);
  EXPECT_STREQ(v[1].subkey, "InprocServer32");
  EXPECT_EQ(v[1].valueName, nullptr);
  EXPECT_STREQ(v[1].data, "C:\\x\\peektip.dll");
  EXPECT_STREQ(v[2].subkey, "InprocServer32");
  EXPECT_STREQ(v[2].valueName, "ThreadingModel");
  EXPECT_STREQ(v[2].data, "Apartment");
  const char* exts[] = {".bmp", ".emf", ".gif", ".jpg", ".jpeg", ".jpe", ".pcd", ".pcx",
                        ".png", ".psd", ".sgi", ".tga", ".tif", ".tiff", ".wmf", ".fpx"};
  for (int i = 0; i < 16; ++i) {
    const RegValue& e = v[3 + i];
    EXPECT_EQ(std::string(exts[i]) + "\\ShellEx", e.keyPath);
    EXPECT_STREQ(e.subkey, "{00021500-0000-0000-C000-000000000046}");
    EXPECT_EQ(e.valueName, nullptr);
    EXPECT_STREQ(e.data, CLSID_THUMBNAILTIP_TEXT);
  }
  // Without a threading model its value is left out.
  EXPECT_EQ(PlanRegistration(CLSID_THUMBNAILTIP_TEXT, "p", "ZoTest", nullptr, text, v), 18);
}

TEST(Registration, NoClassIdTextMeansNothingToWriteOrDelete) {
  RegistrationText text;
  RegValue v[kMaxRegValues];
  const char* trees[kMaxRegValues];
  for (const char* bad : {static_cast<const char*>(nullptr), "", "{7D46C558}"}) {
    EXPECT_EQ(PlanRegistration(bad, "p", "ZoTest", "Apartment", text, v), 0);
    EXPECT_EQ(PlanUnregistration(bad, text, trees), 0);
  }
}

TEST(Registration, UnregistrationDeletesClassKeyAndHandlerKeysOnly) {
  RegistrationText text;
  const char* trees[kMaxRegValues];
  ASSERT_EQ(PlanUnregistration(CLSID_THUMBNAILTIP_TEXT, text, trees), 17);
  EXPECT_EQ(std::string("CLSID\\") + CLSID_THUMBNAILTIP_TEXT, trees[0]);
  EXPECT_STREQ(trees[1], ".bmp\\ShellEx\\{00021500-0000-0000-C000-000000000046}");
  EXPECT_STREQ(trees[16], ".fpx\\ShellEx\\{00021500-0000-0000-C000-000000000046}");
}

}  // namespace
