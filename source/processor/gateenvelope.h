#pragma once

#include "faderamp.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace chopwright {

// Turns GateSize into a per-sample gain inside a slice: full level up to the gate point,
// then a release along 1 − √x, then silence until the next slice. When the gate point and
// the gain both change, the step is smoothed over 10 ms.
class GateEnvelope
{
public:
	GateEnvelope ();

	void setSampleRate (int32_t rate);
	void setReleaseMs (double milliseconds);

	// One call per sample while the break plays.
	double gain (double position, double sliceLength, float gateSize, double samplesPerBeat);

	// The gains of `frames` successive gain () calls at position, position + 1, …
	void gains (double* out, int32_t position, int32_t frames, double sliceLength, float gateSize,
	            double samplesPerBeat);

	int32_t getReleaseCount () const { return count; }
	double releaseGain (int32_t step) const { return release[static_cast<size_t> (step)]; }

private:
	void rebuild ();
	double rawGain (double position, double gatePoint) const
	{
		if (position < gatePoint)
			return 1.0;
		const double past = position - gatePoint;
		return past < count ? release[static_cast<size_t> (past)] : 0.0;
	}

	int32_t sampleRate {44100};
	double releaseMs {10.0};
	int32_t count {0};
	std::vector<double> release;
	double currentGain {1.0};
	double previousRawGain {1.0};
	double previousGatePoint {0.0};
	FadeRamp smoothingRamp;
};

} // namespace chopwright
