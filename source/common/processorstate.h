#pragma once

#include "pluginterfaces/base/ibstream.h"

namespace Steinberg {
namespace Vst {

// The processor's stored state, as hosts keep it in projects and presets and hand it to the
// controller: 22 bytes, little-endian: version (64-bit, 1), Break, SliceSize and GateSize
// (32-bit floats, normalised values as received), bypass (16-bit, 0 or 1).
struct ProcessorState
{
	static constexpr int64 kVersion = 1;
	static constexpr int32 kSize = 22;

	float breakValue {0.0f};
	float sliceSize {0.5f};
	float gateSize {1.0f};
	bool bypass {false};

	// Reads a whole record. False for a short record or another version; then this state is
	// left as it was, so a refused record changes nothing.
	bool read (IBStream* stream);
	bool write (IBStream* stream) const;
};

} // namespace Vst
} // namespace Steinberg
