#include "gateenvelope.h"

#include <algorithm>
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

double GateEnvelope::gain (double position, double sliceLength, float gateSize, double samplesPerBeat)
{
	double opening = gateSize;
	if (gateSize < 0.1)
		opening = 0.1f;

	// Only the last beat of a slice longer than a beat is gated.
	const double gatePoint = samplesPerBeat < sliceLength
	                             ? opening * samplesPerBeat + (sliceLength - samplesPerBeat)
	                             : opening * sliceLength;

	const double raw = rawGain (position, gatePoint);
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

void GateEnvelope::gains (double* out, int32_t position, int32_t frames, double sliceLength, float gateSize,
                          double samplesPerBeat)
{
	// The first call may move the gate point and start smoothing; while that runs, call by call.
	int32_t i = 0;
	for (; i < frames && (i == 0 || smoothingRamp.isRunning ()); ++i)
		out[i] = gain (position + i, sliceLength, gateSize, samplesPerBeat);
	if (i == frames)
		return;

	// Then the raw gain of a gate point that no longer moves: open below it (for whole
	// positions, below its ceiling), releasing, then closed.
	const double gatePoint = previousGatePoint;
	double p = position + i;
	if (p < gatePoint)
	{
		const double open = std::min (std::ceil (gatePoint) - p, static_cast<double> (frames - i));
		const int32_t end = i + static_cast<int32_t> (open);
		std::fill (out + i, out + end, 1.0);
		p += end - i;
		i = end;
	}
	for (; i < frames && p - gatePoint < count; ++i, ++p)
		out[i] = release[static_cast<size_t> (static_cast<int64_t> (p - gatePoint))];
	std::fill (out + i, out + frames, 0.0);
	currentGain = previousRawGain = out[frames - 1];
}

} // namespace chopwright
