#include "tipstate.h"

TipState g_tipState;
