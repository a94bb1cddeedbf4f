#include "handlebank.h"
#include "mode.h"

namespace handlebank {
volatile LONG g_modeState = 0;
}

// The first call decides the mode for good and gets its own value back;
// every later call gets 1 and changes nothing. The choice is one
// compare-and-swap, so two first calls on two threads cannot both win.
extern "C" uintptr_t ZO_API ZoMemUseVirtual(uintptr_t mode) {
  const LONG chosen = mode != 0 ? 2 : 1;
  if (InterlockedCompareExchange(&handlebank::g_modeState, chosen, 0) == 0) return mode;
  return 1;
}
