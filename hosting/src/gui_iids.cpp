// Interface ids of pluginterfaces/gui, which the SDK subset declares but never defines.
// Weak, so a binary that gets them from elsewhere too (e.g. our SDK layer) still links;
// the values are identical wherever they come from.
#include "pluginterfaces/gui/iplugview.h"

#define HOSTING_WEAK_IID(ClassName)                                                                          \
	__attribute__ ((weak)) const ::Steinberg::FUID ClassName::iid (ClassName##_iid);

namespace Steinberg {
HOSTING_WEAK_IID (IPlugView)
HOSTING_WEAK_IID (IPlugFrame)
HOSTING_WEAK_IID (Linux::IEventHandler)
HOSTING_WEAK_IID (Linux::ITimerHandler)
HOSTING_WEAK_IID (Linux::IRunLoop)
} // namespace Steinberg
