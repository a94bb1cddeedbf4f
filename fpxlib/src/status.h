// Internal status helpers: every layer returns FPXStatus values from fpxlib.h.
#pragma once
#include "fpxlib.h"

#define FPX_TRY(expr)                 \
  do {                                \
    FPXStatus fpx_try_s_ = (expr);    \
    if (fpx_try_s_ != FPX_OK) return fpx_try_s_; \
  } while (0)
