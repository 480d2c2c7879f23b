#pragma once

#include "pluginterfaces/base/funknown.h"

namespace Steinberg {
namespace Vst {

// Class identifiers. Hosts store them in projects; they never change.
static const FUID kChopwrightProcessorUID (0x5B1C7D20, 0x8E4F4A31, 0xA2C6D0F4, 0x3E9B7150);
static const FUID kChopwrightControllerUID (0xC83A6E14, 0x0D7B4F52, 0x9F31A8E6, 0x27B4C0D9);

} // namespace Vst
} // namespace Steinberg

#define CHOPWRIGHT_SDK_VERSION_STR "VST 3.7.3"
