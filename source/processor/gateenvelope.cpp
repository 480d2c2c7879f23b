#include "gateenvelope.h"

#include <cmath>

namespace chopwright {

GateEnvelope::GateEnvelope () { rebuild (); }

void GateEnvelope::setSampleRate (int32_t rate)
{
	sampleRate = rate;
	rebuild ();
}

void GateEnvelope::setReleaseMs (double milliseconds)
{
	releaseMs = milliseconds;
	rebuild ();
}

void GateEnvelope::rebuild ()
{
	count = tableLength (sampleRate, releaseMs);
	release.assign (static_cast<size_t> (count), 0.0);
	const double inverse = 1.0 / count;
	for (int32_t i = 0; i < count; ++i)
		release[static_cast<size_t> (i)] = 1.0 - std::sqrt (i * inverse);

	currentGain = 1.0;
	previousRawGain = 1.0;
	previousGatePoint = 0.0;
	smoothingRamp.setSampleRate (sampleRate);
}

static bool differs (double a, double b) { return a < b || a > b; }

double GateEnvelope::gain (double position, double sliceLength, float gateSize,
                           double samplesPerBeat)
{
	double opening = gateSize;
	if (gateSize < 0.1)
		opening = 0.1f;

	// Only the last beat of a slice longer than a beat is gated.
	const double gatePoint = samplesPerBeat < sliceLength
	                             ? opening * samplesPerBeat + (sliceLength - samplesPerBeat)
	                             : opening * sliceLength;

	double raw = 1.0;
	if (!(position < gatePoint))
	{
		const double past = position - gatePoint;
		raw = past < count ? release[static_cast<size_t> (past)] : 0.0;
	}
	currentGain = raw;

	if (differs (gatePoint, previousGatePoint) && differs (raw, previousRawGain))
	{
		const auto tail = static_cast<float> (previousRawGain);
		smoothingRamp.captureTail (tail, tail);
		smoothingRamp.restart ();
	}
	previousRawGain = raw;
	previousGatePoint = gatePoint;

	if (!smoothingRamp.isRunning ())
		return raw;
	double other = currentGain;
	smoothingRamp.mixFromCapture (currentGain, other);
	return currentGain;
}

} // namespace chopwright
