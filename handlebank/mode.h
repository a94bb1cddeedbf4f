// The process-wide choice between the global heap and virtual memory.
#pragma once
#include <windows.h>

namespace handlebank {

// 0: not chosen yet (global mode), 1: global mode chosen, 2: virtual mode chosen.
// One word, so that the choice and the mode can never disagree.
extern volatile LONG g_modeState;

inline bool VirtualMode() { return g_modeState == 2; }

}  // namespace handlebank
