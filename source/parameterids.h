#pragma once

#include "pluginterfaces/vst/vsttypes.h"

namespace Steinberg {
namespace Vst {

// Parameter identifiers. Stored in hosts' projects and automation: never renumber.
enum ChopwrightParams : ParamID
{
	kBreakId = 0,
	kSliceSizeId = 1,
	kGateSizeId = 2,
	kProgramChangeId = 3, // also the id of the program list
	kBypassId = 4,

	kNumParams
};

} // namespace Vst
} // namespace Steinberg
