#pragma once

#include <cfloat>
#include <cmath>

namespace chopwright {

// A sample as a single float. Finite values beyond the float range saturate at its edge
// instead of becoming infinite (and NaN further on), so finite input stays finite wherever
// the engine narrows it; NaN stays NaN.
inline float narrowSaturated (double value)
{
	return value > FLT_MAX ? FLT_MAX : value < -FLT_MAX ? -FLT_MAX : static_cast<float> (value);
}

// A sample as it is recorded: non-finite input is recorded as silence, so it is never replayed
// by later slices once the live input is finite again.
inline float recordable (float value) { return std::isfinite (value) ? value : 0.0f; }
inline float recordable (double value) { return std::isfinite (value) ? narrowSaturated (value) : 0.0f; }

} // namespace chopwright
