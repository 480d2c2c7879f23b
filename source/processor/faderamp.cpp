#include "faderamp.h"

#include "narrowing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace chopwright {

int32_t tableLength (double sampleRate, double milliseconds)
{
	const double steps = sampleRate * 0.001 * milliseconds;
	// Rates the processor accepts give at most a few hundred thousand steps; anything
	// else (negative, NaN, absurdly large) yields an empty table.
	if (!(steps >= 1.0 && steps < kMaxTableRate))
		return 0;
	return static_cast<int32_t> (steps);
}

FadeRamp::FadeRamp () { rebuild (); }

void FadeRamp::setSampleRate (int32_t rate)
{
	sampleRate = rate;
	rebuild ();
}

void FadeRamp::setLengthMs (double milliseconds)
{
	lengthMs = milliseconds;
	rebuild ();
}

void FadeRamp::rebuild ()
{
	length = tableLength (sampleRate, lengthMs);
	position = length;
	tailStart[0] = tailStart[1] = tail[0] = tail[1] = 0.0f;
	tailStep[0] = tailStep[1] = 0.0;

	weights.assign (static_cast<size_t> (length), 0.0);
	const double inverse = 1.0 / length;
	for (int32_t i = 0; i < length; ++i)
		weights[static_cast<size_t> (i)] = std::sqrt (i * inverse);
}

void FadeRamp::captureTail (float left, float right)
{
	if (length <= 0)
		return;
	const double inverse = 1.0 / length;
	tailStart[0] = left;
	tailStart[1] = right;
	tailStep[0] = inverse * left;
	tailStep[1] = inverse * right;
}

float FadeRamp::capturedAt (int channel, int32_t step) const
{
	float value = tailStart[channel];
	for (int32_t i = 0; i < step; ++i)
		value = static_cast<float> (value - tailStep[channel]);
	return value;
}

void FadeRamp::mixFromCapture (float& left, float& right)
{
	if (position >= length)
		return;
	const double w = weights[static_cast<size_t> (position++)];
	left = static_cast<float> (tail[0] * (1.0 - w) + left * w);
	right = static_cast<float> (tail[1] * (1.0 - w) + right * w);
	advanceTail ();
}

void FadeRamp::mixFromDry (float& left, float& right, float dryLeft, float dryRight)
{
	if (position >= length)
		return;
	const double w = weights[static_cast<size_t> (position++)];
	left = static_cast<float> (dryLeft * (1.0 - w) + left * w);
	right = static_cast<float> (dryRight * (1.0 - w) + right * w);
}

void FadeRamp::mixFromCapture (double& left, double& right)
{
	if (position >= length)
		return;
	const double w = weights[static_cast<size_t> (position++)];
	left = tail[0] * (1.0 - w) + left * w;
	right = tail[1] * (1.0 - w) + right * w;
	advanceTail ();
}

void FadeRamp::mixFromDry (double& left, double& right, double dryLeft, double dryRight)
{
	if (position >= length)
		return;
	const double w = weights[static_cast<size_t> (position++)];
	const double passingLeft = narrowSaturated (left);
	const double passingRight = narrowSaturated (right);
	left = dryLeft * (1.0 - w) + passingLeft * w;
	right = dryRight * (1.0 - w) + passingRight * w;
}

namespace {

// The passing signal of a dry mix: the double form rounds it to single precision first.
double passing (float value) { return value; }
double passing (double value) { return narrowSaturated (value); }

constexpr int32_t kTailFrames = 256;

// Writes n values of a captured tail, value = float (value − step) from one to the next, and
// returns the value after them. One rounding depends on the one before, but within a binade
// of single floats, and while the double difference stays above its lower edge, the
// difference rounds to the same double every time and the result falls by the same whole
// number of float steps; a fall exactly half way between two is left to the step-by-step
// form (round to even then depends on the value). Such stretches are written at once.
float fallTail (float value, double step, float* out, int32_t n)
{
	// A tail from zero: after one step (−0 becomes +0) it no longer moves.
	if (step == 0.0 && n > 0)
	{
		out[0] = value;
		value = static_cast<float> (value - step);
		std::fill (out + 1, out + n, value);
		return value;
	}
	for (int32_t i = 0; i < n;)
	{
		out[i++] = value;
		const double difference = value - step;
		const auto next = static_cast<float> (difference);
		// Step by step where the tail is not finite, subnormal or about to cross zero.
		if (i == n || !(std::isnormal (value) && std::isfinite (step) && step != 0.0 &&
		                (value > 0.0f) == (step > 0.0) && (value > 0.0f) == (difference > 0.0)))
		{
			value = next;
			continue;
		}
		const double from = std::fabs (value);
		uint32_t bits = 0;
		std::memcpy (&bits, &value, sizeof bits);
		bits &= 0x7F800000u; // the exponent alone: the binade's lower edge
		float edge = 0.0f;
		std::memcpy (&edge, &bits, sizeof edge);
		const double low = edge;
		const double floatStep = low * 0x1p-23;               // the binade's single-float spacing
		const double rounded = from - std::fabs (difference); // the step as the double rounds it
		const double inFloatSteps = rounded / floatStep;      // below 2^24
		const auto wholeSteps = static_cast<double> (static_cast<int64_t> (inFloatSteps));
		if (!(std::fabs (difference) >= low + floatStep && inFloatSteps - wholeSteps != 0.5))
		{
			value = next;
			continue;
		}
		// Falls of `fall` stay exact while the value stays at least one float step above
		// low + rounded; the first of them is next.
		const double fall = from - std::fabs (next);
		const double room = from - low - rounded - floatStep;
		const double stretch = fall > 0.0 ? std::max (1.0, std::min (room / fall, 1.0 * n)) : n;
		const auto count = std::min (static_cast<int32_t> (stretch), n - i);
		const double sign = value > 0.0f ? 1.0 : -1.0;
		for (int32_t k = 0; k < count; ++k)
			out[i + k] = static_cast<float> (sign * (from - (k + 1.0) * fall));
		i += count;
		value = static_cast<float> (out[i - 1] - step);
	}
	return value;
}

} // namespace

template <typename Sample>
int32_t FadeRamp::mixCapture (Sample* left, Sample* right, int32_t count)
{
	const int32_t steps = std::max (0, std::min (count, length - 1 - position));
	for (int32_t done = 0; done < steps;)
	{
		const int32_t n = std::min (steps - done, kTailFrames);
		float tailLeft[kTailFrames], tailRight[kTailFrames];
		tail[0] = fallTail (tail[0], tailStep[0], tailLeft, n);
		tail[1] = fallTail (tail[1], tailStep[1], tailRight, n);
		const double* w = weights.data () + position + done;
		Sample* l = left + done;
		Sample* r = right + done;
		for (int32_t i = 0; i < n; ++i)
		{
			l[i] = static_cast<Sample> (tailLeft[i] * (1.0 - w[i]) + l[i] * w[i]);
			r[i] = static_cast<Sample> (tailRight[i] * (1.0 - w[i]) + r[i] * w[i]);
		}
		done += n;
	}
	position += steps;
	return steps;
}

template <typename Sample>
int32_t FadeRamp::mixDry (Sample* left, Sample* right, const Sample* dryLeft, const Sample* dryRight,
                          int32_t count)
{
	const int32_t steps = std::max (0, std::min (count, length - 1 - position));
	const double* w = weights.data () + position;
	for (int32_t i = 0; i < steps; ++i)
	{
		left[i] = static_cast<Sample> (dryLeft[i] * (1.0 - w[i]) + passing (left[i]) * w[i]);
		right[i] = static_cast<Sample> (dryRight[i] * (1.0 - w[i]) + passing (right[i]) * w[i]);
	}
	position += steps;
	return steps;
}

int32_t FadeRamp::mixFromCapture (float* left, float* right, int32_t count)
{
	return mixCapture (left, right, count);
}

int32_t FadeRamp::mixFromCapture (double* left, double* right, int32_t count)
{
	return mixCapture (left, right, count);
}

int32_t FadeRamp::mixFromDry (float* left, float* right, const float* dryLeft, const float* dryRight,
                              int32_t count)
{
	return mixDry (left, right, dryLeft, dryRight, count);
}

int32_t FadeRamp::mixFromDry (double* left, double* right, const double* dryLeft, const double* dryRight,
                              int32_t count)
{
	return mixDry (left, right, dryLeft, dryRight, count);
}

} // namespace chopwright
