// The class of the thumbnail tip. The shell finds it through the registry
// entries that DllRegisterServer writes; hosts and tests may also name it.
#pragma once
#include <guiddef.h>

// {7D46C558-96C2-44F2-AE5C-9237CEB2C26E}
static const GUID CLSID_ThumbnailTip = {0x7d46c558, 0x96c2, 0x44f2,
                                        {0xae, 0x5c, 0x92, 0x37, 0xce, 0xb2, 0xc2, 0x6e}};
#define CLSID_THUMBNAILTIP_TEXT "{7D46C558-96C2-44F2-AE5C-9237CEB2C26E}"
