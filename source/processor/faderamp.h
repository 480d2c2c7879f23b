#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace chopwright {

// Table sizes and sample rates at or above 2^24 are refused: every integer below it is exact
// in single precision, and no host runs anywhere near it (rates of a few MHz at most).
constexpr double kMaxTableRate = 16777216.0;

// Number of table entries for a sample rate and a length in milliseconds:
// floor(rate × 0.001 × ms), 0 when that is not a sensible table size.
int32_t tableLength (double sampleRate, double milliseconds);

// A short crossfade along a square-root curve. Once restarted it blends, sample by sample,
// from a source signal into the signal passing through it. The source is either a captured
// tail (a value falling linearly to zero) or the dry input.
class FadeRamp
{
public:
	FadeRamp ();

	void setSampleRate (int32_t rate);
	void setLengthMs (double milliseconds);

	// Captures a tail that falls linearly from the given values toward zero.
	void captureTail (float left, float right);
	void restart () { position = 0; }

	// The last table entry is never mixed: a ramp of N steps mixes N − 1 samples.
	bool isRunning () const { return position < length - 1; }

	// Single-precision forms: computed in double, rounded to single.
	void mixFromCapture (float& left, float& right);
	void mixFromDry (float& left, float& right, float dryLeft, float dryRight);

	// Double-precision forms. The dry form first rounds the passing signal to single precision.
	void mixFromCapture (double& left, double& right);
	void mixFromDry (double& left, double& right, double dryLeft, double dryRight);

	int32_t getLength () const { return length; }
	int32_t getPosition () const { return position; }
	double weight (int32_t step) const { return weights[static_cast<size_t> (step)]; }
	float capturedLeft (int32_t step) const { return captureLeft[static_cast<size_t> (step)]; }
	float capturedRight (int32_t step) const { return captureRight[static_cast<size_t> (step)]; }

private:
	void rebuild ();

	double sampleRate {44100.0};
	double lengthMs {10.0};
	int32_t length {0};
	int32_t position {0};
	std::vector<double> weights;
	std::vector<float> captureLeft;
	std::vector<float> captureRight;
};

} // namespace chopwright
