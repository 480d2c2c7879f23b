// Interface ids of pluginterfaces/gui that the Debian SDK subset declares but never defines.
// Weak definitions: a binary that also defines some of them (host code using DEF_CLASS_IID)
// links without duplicate symbols; identical values make the choice irrelevant.
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#define CHOPWRIGHT_WEAK_CLASS_IID(ClassName)                                                                 \
	__attribute__ ((weak)) const ::Steinberg::FUID ClassName::iid (ClassName##_iid);

namespace Steinberg {

CHOPWRIGHT_WEAK_CLASS_IID (IPlugView)
CHOPWRIGHT_WEAK_CLASS_IID (IPlugFrame)
CHOPWRIGHT_WEAK_CLASS_IID (IPlugViewContentScaleSupport)
CHOPWRIGHT_WEAK_CLASS_IID (Linux::IEventHandler)
CHOPWRIGHT_WEAK_CLASS_IID (Linux::ITimerHandler)
CHOPWRIGHT_WEAK_CLASS_IID (Linux::IRunLoop)

} // namespace Steinberg
