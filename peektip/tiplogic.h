// Pure logic of the thumbnail tip: sizes, placement, caption text, rectangle
// tests and the registry layout. No window and no registry is touched here;
// the Win32 glue gathers the inputs and applies the results.
#pragma once
#include <windows.h>

#include "dibrecords.h"

namespace peektip {

const int kThumbBox = 300;        // the box every thumbnail is fitted into
const int kCaptionHeight = 16;    // the strip above the bitmap
const int kCaptionBufferSize = 100;
const int kPathSize = 260;        // ANSI file names, terminator included

// Popup size: 300 x 300 for an animated image, otherwise the bitmap's own
// width and its height plus the caption strip.
SIZE PopupSize(bool animated, const DibHeader& header);

// Top-left corner of a popup of `size` shown at `cursor` on the monitor whose
// bounds are `monitor`: pulled back so that its right and bottom edges stay
// inside. There is no test against the left and top edges: a popup larger
// than the monitor ends up before them.
POINT PlacePopup(POINT cursor, SIZE size, const RECT& monitor);

// The caption text: "%lux%lux%u" for a still image, "%lux%lux%ux%d" with the
// frame count for an animated one. Returns the length written into buf, which
// holds kCaptionBufferSize bytes.
int FormatCaption(char* buf, const DibImageInfo& info, bool animated);

// PtInRect's rule: left and top edges inside, right and bottom edges outside.
bool PointInRect(const RECT& rc, POINT pt);

// The popup stays up while the cursor is over the item or over the popup.
bool CursorKeepsPopup(POINT cursor, const RECT& item, const RECT& popup);

// The item rectangle the popup tracks: in report and list views (style bit 0)
// it ends at the right edge of column 0, elsewhere it is the item's bounds.
RECT TrackedItemRect(const RECT& bounds, LONG listViewStyle, int column0Width);

// A mouse message's lParam: x in the low word, y in the high word, each cut
// to 16 bits.
LPARAM PackPoint(POINT pt);

// The sixteen extensions the tip is registered for, in registry order.
const int kTipExtensionCount = 16;
extern const char* const kTipExtensions[kTipExtensionCount];

// "{00021500-0000-0000-C000-000000000046}": IQueryInfo, the shell's key for
// an info-tip handler.
extern const char kQueryInfoKey[];

// One registry value under HKEY_CLASSES_ROOT: key path, optional subkey,
// value name (null: the default value) and data.
struct RegValue {
  const char* keyPath;
  const char* subkey;
  const char* valueName;
  const char* data;
};

// Strings the registration composes; the RegValue pointers point into it.
struct RegistrationText {
  char classKey[64];                       // "CLSID\{...}"
  char extensionKeys[kTipExtensionCount][24];  // ".bmp\ShellEx"
  char handlerKeys[kTipExtensionCount][64];    // ".bmp\ShellEx\{00021500-...}"
};

const int kMaxRegValues = 3 + kTipExtensionCount;

// The values registration writes, in the order written: the class key's
// name, the server path, the threading model (when given) and one handler
// entry per extension. Without a class id text (null or not 38 characters)
// nothing is to be written and the result is 0.
int PlanRegistration(const char* clsidText, const char* modulePath, const char* friendlyName,
                     const char* threadingModel, RegistrationText& text, RegValue* out);

// The key trees unregistration deletes, in order: the class key, then each
// extension's handler key (extension and "ShellEx" keys stay). 0 without a
// class id text.
int PlanUnregistration(const char* clsidText, RegistrationText& text, const char** out);

}  // namespace peektip
