#include "faderamp.h"

#include <cmath>

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

	const auto size = static_cast<size_t> (length);
	weights.assign (size, 0.0);
	captureLeft.assign (size, 0.0f);
	captureRight.assign (size, 0.0f);

	const double inverse = 1.0 / length;
	for (int32_t i = 0; i < length; ++i)
		weights[static_cast<size_t> (i)] = std::sqrt (i * inverse);
}

void FadeRamp::captureTail (float left, float right)
{
	if (length <= 0)
		return;
	const double inverse = 1.0 / length;
	const double stepLeft = inverse * left;
	const double stepRight = inverse * right;
	float valueLeft = left;
	float valueRight = right;
	for (size_t i = 0; i < static_cast<size_t> (length); ++i)
	{
		captureLeft[i] = valueLeft;
		captureRight[i] = valueRight;
		valueLeft = static_cast<float> (valueLeft - stepLeft);
		valueRight = static_cast<float> (valueRight - stepRight);
	}
}

void FadeRamp::mixFromCapture (float& left, float& right)
{
	if (position >= length)
		return;
	const auto i = static_cast<size_t> (position++);
	const double w = weights[i];
	left = static_cast<float> (captureLeft[i] * (1.0 - w) + left * w);
	right = static_cast<float> (captureRight[i] * (1.0 - w) + right * w);
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
	const auto i = static_cast<size_t> (position++);
	const double w = weights[i];
	left = captureLeft[i] * (1.0 - w) + left * w;
	right = captureRight[i] * (1.0 - w) + right * w;
}

void FadeRamp::mixFromDry (double& left, double& right, double dryLeft, double dryRight)
{
	if (position >= length)
		return;
	const double w = weights[static_cast<size_t> (position++)];
	const double passingLeft = static_cast<float> (left);
	const double passingRight = static_cast<float> (right);
	left = dryLeft * (1.0 - w) + passingLeft * w;
	right = dryRight * (1.0 - w) + passingRight * w;
}

} // namespace chopwright
