// One tip request: load the file last given to Load as a thumbnail and hand
// it to the popup, unless the user's input says not to.
#pragma once

void HandleTipRequest();
